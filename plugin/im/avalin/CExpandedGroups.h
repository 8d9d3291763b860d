// The file "DeployGrpID.zin" of expanded groups: a 32-bit count, then the group ids as
// archived strings.
#pragma once

#include <QByteArray>
#include <QStringList>

namespace CExpandedGroups {

inline constexpr const char16_t* kFileName = u"DeployGrpID.zin";

QByteArray ToBytes(const QStringList& groupIds);
// The ids of a file image; a damaged or empty image means no expanded groups.
QStringList FromBytes(const QByteArray& bytes);

} // namespace CExpandedGroups
