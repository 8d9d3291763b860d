#include "kernova/PrivateFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileDevice>
#include <QFileInfo>

namespace {
constexpr QFileDevice::Permissions kDirMode =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kFileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

namespace PrivateFiles {

bool MakeDir(const QString& dir) {
    const QString path = QDir::cleanPath(QDir(dir).absolutePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent == path || !MakeDir(parent))
        return false;
    // Another process may make it at the same moment; what counts is that it exists.
    return QDir().mkdir(path, kDirMode) || QFileInfo(path).isDir();
}

bool Restrict(QFileDevice& file) {
    return file.setPermissions(kFileMode);
}

int FixTree(const QString& root) {
    const QFileInfo top(root);
    if (!top.isDir() || top.isSymLink())
        return 0;
    int failures = QFile::setPermissions(root, kDirMode) ? 0 : 1;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            continue;
        if ((info.isDir() || info.isFile()) &&
            !QFile::setPermissions(info.filePath(), info.isDir() ? kDirMode : kFileMode))
            ++failures;
    }
    return failures;
}

} // namespace PrivateFiles
