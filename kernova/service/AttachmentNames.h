// Names of received files. A name comes from another member and is never trusted: before it
// names a file in the message's files directory it goes through SafeAttachmentName, so that
// no file can land outside that directory or under a name the file system treats specially.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Svc {

// The most UTF-8 bytes a safe name keeps; with a message id in front it stays below the
// 255 bytes that file systems allow for one name.
constexpr int kMaxSafeNameBytes = 100;

// One path component made from a received name: only the text after the last "/" or "\";
// control and formatting characters and the characters Windows forbids become "_"; blanks at
// either end and trailing dots go; a leading dot becomes "_" (no hidden files, no ".."); the
// device names of Windows (CON, NUL, COM1, ...) get a "_" in front; long names are cut to
// maxBytes keeping their extension; an empty result becomes "添付ファイル". Applying it to its
// own result changes nothing, so a sender and a receiver may both apply it.
QString SafeAttachmentName(const QString& name, int maxBytes = kMaxSafeNameBytes);

// Safe names for the files of one message, told apart where they would collide on a file
// system that ignores case: the later ones get " (2)", " (3)", ... before the extension.
QStringList SafeAttachmentNames(const QStringList& names, int maxBytes = kMaxSafeNameBytes);

} // namespace Svc

namespace Svc {

// An attached file as the message body names it: "<OBJECT>" text "</OBJECT>" outside the
// BODY element (the compose window appends one per file after the closing body tag, holding
// the file's full local path; the body as delivered holds the name under which the receiver
// finds the file). Tags match without regard to case. The body is read once from left to
// right: a BODY element is skipped through its "</BODY>", an element is taken through its
// "</OBJECT>", so nothing inside an element's text affects what is found after it.
struct ObjectElement {
    qsizetype start = 0; // of the text between the tags
    qsizetype length = 0;
    QString text;
};
QList<ObjectElement> FindObjectElements(const QString& body);
// The body with the texts of its elements replaced, in order; elements beyond the list stay.
QString ReplaceObjectElements(const QString& body, const QStringList& texts);
// Whether every element of the body names a file by a safe name (no folder, nothing hidden).
bool NamesOnlySafeFiles(const QString& body);
// A received body as it is stored: its elements name, in order, the safe names of the files
// that came and then the safe forms of whatever else they held. Guaranteed: every element of
// the result names a file inside the message's own folder of received files.
QString RewriteReceivedBody(const QString& body, const QStringList& safeNames);

} // namespace Svc
