#include "plugin/im/parlo/CParloLogName.h"

namespace CParloLogName {

QString Default(const QDateTime& start, const QStringList& joinedNames) {
    const QString extension = QString::fromLatin1(kExtension);
    QString name = start.toString(QStringLiteral("yyyyMMdd_HHmmss")) + u'_';
    for (const QString& member : joinedNames) {
        // Characters a file name cannot hold are replaced, so a name never names a folder.
        QString part = member;
        part.replace(u'/', u'_').replace(QChar(0), u'_');
        if (name.size() + part.size() + 1 + extension.size() > kMaxChars)
            break;
        name += part + u'_';
    }
    name.chop(1);
    return name + extension;
}

QString FreeName(const QString& name, const std::function<bool(const QString&)>& exists) {
    if (!exists(name))
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1(%2)%3").arg(base).arg(n).arg(extension);
        if (!exists(candidate))
            return candidate;
    }
}

} // namespace CParloLogName
