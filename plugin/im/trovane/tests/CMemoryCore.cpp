#include "CMemoryCore.h"

std::optional<QString> CMemoryCore::MemberName(const QString& memberId) {
    auto it = members.constFind(memberId);
    return it == members.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

std::optional<QString> CMemoryCore::GroupName(const QString& groupId) {
    auto it = groups.constFind(groupId);
    return it == groups.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

tagLETRIX* CMemoryCore::GetMessage(int32_t kind, const QString& messageId) {
    ++getCalls;
    if (kind < 0 || kind > 2)
        return nullptr;
    const auto found = messages[kind].value(messageId);
    if (!found)
        return nullptr;
    auto copy = std::make_unique<CLetrix>(*found);
    tagLETRIX* record = *copy;
    handedOut[record] = std::move(copy);
    return record;
}

void CMemoryCore::ReleaseMessage(tagLETRIX* record) {
    handedOut.erase(record);
}

bool CMemoryCore::ReadFile(const QString& path, QByteArray& bytes) {
    auto it = files.constFind(path);
    if (it == files.constEnd())
        return false;
    bytes = *it;
    return true;
}

bool CMemoryCore::WriteFile(const QString& path, const QByteArray& bytes) {
    if (failingWrites.contains(path))
        return false;
    files.insert(path, bytes);
    return true;
}

void CMemoryCore::Store(int32_t kind, const CLetrix& message) {
    messages[kind].insert(message.GetMessageID(), std::make_shared<CLetrix>(message));
}

void CMemoryCore::Forget(int32_t kind, const QString& messageId) {
    messages[kind].remove(messageId);
}

CLetrix MakeMessage(const QString& id, const QString& from, const QString& to,
                    const QString& subject, const QString& body, uint32_t flags) {
    CLetrix m;
    m.SetMessageID(id);
    m.SetFromID(from);
    m.SetFromName(from.toUpper());
    m.AddDst(CLetrix::DST_TO, to);
    m.SetSubject(subject);
    m.SetMessage(body);
    m.SetFlags(flags);
    return m;
}
