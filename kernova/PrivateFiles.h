// The user's files are the user's alone: every directory the core makes below the user
// directory is 0700 and every file it writes is 0600, whatever the umask says, and modes left
// wider by an earlier version are narrowed at start.
#pragma once

#include <QString>

class QFileDevice;

namespace PrivateFiles {

// Creates dir and any missing parents; each directory made here is owner-only. An existing
// directory keeps its mode. False when dir does not exist afterwards.
bool MakeDir(const QString& dir);
// Narrows an open file (a QSaveFile before its commit) to owner read and write.
bool Restrict(QFileDevice& file);
// Narrows root and everything below it: directories to 0700, regular files to 0600. Links are
// not followed. The number of entries that could not be changed.
int FixTree(const QString& root);

} // namespace PrivateFiles
