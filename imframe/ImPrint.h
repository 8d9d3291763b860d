#pragma once

#include <QString>

class QPrinter;
class QTextDocument;
class QWidget;

// Printing of a prepared page (a message with its header block, a chat log) through Qt Print
// Support. Each plug-in builds its own QTextDocument; laying it out on paper, the page
// footer and the dialogs are the same for all of them and live here.
namespace ImPrint {

struct CPageOptions {
    // Printed centred at the foot of every page; "%d" becomes the page number ("%d ページ").
    // Empty: no footer.
    QString footerFormat;
};

// Lays `document` out on `printer`'s pages (the document is cloned, the caller's is untouched).
void Render(const QTextDocument& document, QPrinter& printer, const CPageOptions& options = {});

// Asks for a printer with the standard dialog, then prints. Returns false when cancelled.
bool PrintWithDialog(const QTextDocument& document, QWidget* parent, const QString& title,
                     const CPageOptions& options = {});

// Shows the print preview of `document` (modal), from which the user may print.
void Preview(const QTextDocument& document, QWidget* parent, const QString& title,
             const CPageOptions& options = {});

// Writes `document` as a PDF file (printing to a file, and the tests' way of reading a page).
bool WritePdf(const QTextDocument& document, const QString& path, const CPageOptions& options = {});

} // namespace ImPrint
