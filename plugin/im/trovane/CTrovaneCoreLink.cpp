#include "plugin/im/trovane/CTrovaneCoreLink.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"
#include "obrix/ObrixApi.h"

#include <cstdlib>

CTrovaneCoreLink::~CTrovaneCoreLink() = default;

namespace {

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

} // namespace

std::optional<QString> CTrovaneObrixLink::MemberName(const QString& memberId) {
    if (!m_obrix.GetMember)
        return std::nullopt;
    const tagIMMEMBER* member = m_obrix.GetMember(Utf16(memberId));
    if (!member)
        return std::nullopt;
    return CIMMember::DisplayName(member);
}

std::optional<QString> CTrovaneObrixLink::GroupName(const QString& groupId) {
    if (!m_obrix.GetGroup)
        return std::nullopt;
    const tagIMGROUP* group = m_obrix.GetGroup(Utf16(groupId));
    if (!group)
        return std::nullopt;
    return group->pszName ? QString::fromUtf16(group->pszName) : QString();
}

tagLETRIX* CTrovaneObrixLink::GetMessage(int32_t kind, const QString& messageId) {
    return m_obrix.GetMessage ? m_obrix.GetMessage(kind, Utf16(messageId)) : nullptr;
}

void CTrovaneObrixLink::ReleaseMessage(tagLETRIX* record) {
    if (m_obrix.CleanupLetrix && record)
        m_obrix.CleanupLetrix(record);
}

bool CTrovaneObrixLink::ReadFile(const QString& path, QByteArray& bytes) {
    uint8_t* buffer = nullptr;
    uint32_t length = 0;
    if (!m_obrix.ReadFile || !m_obrix.ReadFile(Utf16(path), &buffer, &length))
        return false;
    bytes = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(length));
    std::free(buffer);
    return true;
}

bool CTrovaneObrixLink::WriteFile(const QString& path, const QByteArray& bytes) {
    return m_obrix.WriteFile &&
           m_obrix.WriteFile(Utf16(path), reinterpret_cast<const uint8_t*>(bytes.constData()),
                             uint32_t(bytes.size()), 1) != 0;
}
