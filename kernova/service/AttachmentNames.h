// Names of received files. A name comes from another member and is never trusted: before it
// names a file in the message's files directory it goes through SafeAttachmentName, so that
// no file can land outside that directory or under a name the file system treats specially.
#pragma once

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
