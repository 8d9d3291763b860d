#include "obrix/CIMSndInfo.h"

#include "obrix/CCoreFileStore.h"

#include <QDir>

namespace {
// Module number of the presence plug-in, whose data directory holds the file.
constexpr int PresenceModule = 1;
// An entry is two archived strings of at least one length byte each.
constexpr qsizetype MinEntryBytes = 2;
} // namespace

CIMSndInfo::CIMSndInfo() = default;

CIMSndInfo::~CIMSndInfo() = default;

void CIMSndInfo::AddIMSndData(const CIMSndData& data) {
    m_map.insert_or_assign(data.GetMemberID(), std::make_unique<CIMSndData>(data));
}

void CIMSndInfo::SetIMSndData(const CIMSndData& data) {
    if (CIMSndData* entry = GetIMSndData(data.GetMemberID()))
        *entry = data;
}

CIMSndData* CIMSndInfo::GetIMSndData(const QString& id) const {
    const auto it = m_map.find(id);
    return it == m_map.end() ? nullptr : it->second.get();
}

void CIMSndInfo::ClearIMSndData(const QString& id) {
    m_map.erase(id);
}

void CIMSndInfo::AllClearIMSndData() {
    m_map.clear();
}

QString CIMSndInfo::FilePath() {
    const QString dir = CCoreFileStore::Current().ModuleDir(PresenceModule);
    if (dir.isEmpty())
        return QString();
    return dir + QStringLiteral("data") + QDir::separator() + QStringLiteral("SndData.zin");
}

QByteArray CIMSndInfo::ToBytes() const {
    CArchive ar;
    ar << int32_t(m_map.size());
    for (const auto& [id, entry] : m_map)
        CIMSndData(*entry).Serialize(ar);
    return ar.Bytes();
}

bool CIMSndInfo::FromBytes(const QByteArray& bytes) {
    AllClearIMSndData();
    std::unordered_map<QString, std::unique_ptr<CIMSndData>> read;
    try {
        CArchive ar(bytes);
        const int32_t count = ar.ReadCount(MinEntryBytes);
        if (count < 0)
            return false;
        for (int32_t i = 0; i < count; ++i) {
            auto entry = std::make_unique<CIMSndData>();
            entry->Serialize(ar);
            // A later entry for the same member replaces an earlier one.
            read.insert_or_assign(entry->GetMemberID(), std::move(entry));
        }
    } catch (const CArchiveException&) {
        return false;
    }
    m_map = std::move(read);
    return true;
}

bool CIMSndInfo::ReadSndInfo() {
    AllClearIMSndData();
    const QString path = FilePath();
    QByteArray bytes;
    if (path.isEmpty() || !CCoreFileStore::Current().ReadFile(path, bytes))
        return false;
    return FromBytes(bytes);
}

bool CIMSndInfo::WriteSndInfo() const {
    const QString path = FilePath();
    return !path.isEmpty() && CCoreFileStore::Current().WriteFile(path, ToBytes());
}

void CIMSndInfo::InitSndInfo() {
    AllClearIMSndData();
    const QString path = FilePath();
    if (!path.isEmpty())
        CCoreFileStore::Current().RemoveFile(path);
}
