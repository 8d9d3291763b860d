#include "plugin/im/letrix/CIMMesAttachList.h"

#include "obrix/CHtmlTagString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

CIMMesAttachList::Refusal CIMMesAttachList::Add(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return Unreadable;
    const uint64_t size = uint64_t(file.size());
    if (size == 0)
        return Empty;
    for (const Item& item : std::as_const(m_items))
        if (item.path == path)
            return Duplicate;
    const uint64_t limit = m_limit ? m_limit() : 0;
    if (TotalSize() + size >= limit)
        return TooLarge;
    if (Count() >= kMaxFiles)
        return TooMany;
    m_items.append({path, QFileInfo(path).fileName(), size});
    return Accepted;
}

void CIMMesAttachList::RemoveAt(int index) {
    if (index >= 0 && index < Count())
        m_items.removeAt(index);
}

QStringList CIMMesAttachList::Paths() const {
    QStringList paths;
    for (const Item& item : m_items)
        paths << item.path;
    return paths;
}

uint64_t CIMMesAttachList::TotalSize() const {
    uint64_t total = 0;
    for (const Item& item : m_items)
        total += item.size;
    return total;
}

QString CIMMesAttachList::IconExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QStringLiteral("ico") : name.mid(dot + 1);
}

QStringList CIMMesAttachList::ReceivedFiles(const QString& messageDir, const QString& messageId,
                                            const QString& body) {
    CHtmlTagString rest(body);
    rest.ReplaceMarkS2C();
    rest.DeleteSplitTag(u"<BODY", u"</BODY>");
    const QString files = QDir(messageDir).filePath(QStringLiteral("files")) + u'/' + messageId;
    QStringList paths;
    QString inner;
    for (int at = rest.GetSplitTag(u"<OBJECT>", u"</OBJECT>", inner, 0); at >= 0;
         at = rest.GetSplitTag(u"<OBJECT>", u"</OBJECT>", inner, at))
        paths << files + inner;
    return paths;
}
