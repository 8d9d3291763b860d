// The printed form of a message: a header block (sender, destinations, subject, the time
// printing began) above the body, on white paper. The page is a document of its own, so the
// window's view never carries the header, not even for the moment of printing.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class QTextDocument;
class QWidget;

class CIMMesPrintPage {
public:
    struct Fields {
        QString sender, to, cc, bcc, subject;
    };

    // The header lines "label:value" in print order; empty Cc and Bcc lines are left out.
    static QStringList HeaderLines(void* resources, const Fields& fields, const QDateTime& printed);

    // The page: the header lines, an empty line, then a copy of the body with its formats.
    static std::unique_ptr<QTextDocument> Build(const QStringList& header,
                                                const QTextDocument& body);

    // Print (with the printer dialog) or preview a page built from these fields and body now.
    static void Print(QWidget* parent, void* resources, const Fields& fields,
                      const QTextDocument& body, bool preview);
    // The same page into a PDF file; false when it could not be written.
    static bool WritePdf(void* resources, const Fields& fields, const QTextDocument& body,
                         const QString& path, const QDateTime& printed);
};
