#include "plugin/im/avalin/CExpandedGroups.h"

#include "obrix/CArchive.h"

namespace CExpandedGroups {

QByteArray ToBytes(const QStringList& groupIds) {
    CArchive ar;
    ar.WriteUInt32(uint32_t(groupIds.size()));
    for (const QString& id : groupIds)
        ar.WriteString(id);
    return ar.Bytes();
}

QStringList FromBytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    try {
        CArchive ar(bytes);
        // Each id takes at least its one-byte length.
        const int32_t count = ar.ReadCount(1);
        QStringList ids;
        ids.reserve(count);
        for (int32_t i = 0; i < count; ++i)
            ids.append(ar.ReadString());
        return ids;
    } catch (const CArchiveException&) {
        return {};
    }
}

} // namespace CExpandedGroups
