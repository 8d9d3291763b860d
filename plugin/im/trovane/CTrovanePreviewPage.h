// The preview of an entry as the preview pane shows it: the page built from the body (marks
// converted, links opening outside, objects removed, a head, the text kept preformatted), the
// grey header block's text, and the attachments named by the body's objects.
#pragma once

#include <QList>
#include <QString>

class CTrovaneMessage;

namespace CTrovanePreviewPage {

struct Attachment {
    QString name; // the object's inner text
    QString path; // below the core's message directory: files/<message ID><name>
};

// Labels of the header lines (texts of the core's resources, without the ": ").
struct Labels {
    QString sender;          // 391
    QString receivedSubject; // 392
    QString receivedDate;    // 393
    QString recipients;      // 394
    QString sentSubject;     // 395
    QString sentDate;        // 396
    QString cc;              // 832
    QString bcc;             // 833
};

QString BuildPage(const QString& body);
// The page for printing: the preview's page with the header lines (date, sender, To, Cc and
// Bcc when not empty, subject) and a rule where the text begins.
QString PrintPage(const QString& body, const CTrovaneMessage& entry, const Labels& labels);
QString HeaderText(const CTrovaneMessage& entry, const Labels& labels);
QList<Attachment> Attachments(const QString& body, const QString& messageDir,
                              const QString& messageId);

} // namespace CTrovanePreviewPage
