// Helpers of the installation tests: running the tools, listing trees, reading the desktop
// entry, the AppStream metadata, package listings, the program's log files and the files a
// running process has mapped.
#pragma once

#include <QHash>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace PackagingTest {

struct ToolRun {
    int code = -1; // -1: did not start, crashed or timed out
    QString out;
    QString err;
    QString Output() const { return out + err; }
};

// Runs a program to its end (an empty environment means the test's own).
ToolRun RunTool(const QString& program, const QStringList& args,
                const QProcessEnvironment& env = QProcessEnvironment(), int timeoutMs = 120000);

// A value of the test environment that the build compiles in.
QString Setting(const char* name);

// HOME, XDG_* and the runtime directory below root; the offscreen platform.
QProcessEnvironment IsolatedEnvironment(const QString& root);

// Relative paths of every file and link below dir, sorted.
QStringList FilesBelow(const QString& dir);
// The entries of wanted that have is lacks.
QStringList Missing(const QStringList& wanted, const QStringList& has);
// The text of a symbolic link as written, without resolving it.
QString LinkText(const QString& path);

bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
// The files that a running process has mapped (its program, libraries and modules).
QStringList MappedFiles(qint64 pid);
// The texts of the log records (level word, colon, text) in the matching files, oldest first.
QStringList LogRecords(const QString& logDir, const QString& pattern);

// Keys of the [Desktop Entry] group of a desktop entry file.
QHash<QString, QString> DesktopEntryKeys(const QString& path);
// The texts of an AppStream file by element name, "name@lang" for translated ones.
QHash<QString, QStringList> MetainfoTexts(const QString& path);

// `dpkg-deb -c` output below one prefix: the paths of files and links, link targets and modes.
struct PackageListing {
    QStringList files;
    QHash<QString, QString> links;
    QHash<QString, QString> modes;
};
PackageListing ParsePackageListing(const QString& listing, const QString& prefix);

// Lintian warnings that the package keeps on purpose (the README says why).
QStringList AcceptedLintianWarnings();

} // namespace PackagingTest
