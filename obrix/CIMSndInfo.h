// Members' own notification sounds, keyed by member id (exact, case-sensitive), kept in
// "SndData.zin" below the presence module's data directory: the number of entries, then
// each entry's member id and path.
#pragma once

#include "obrix/CIMSndData.h"
#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QString>
#include <memory>
#include <unordered_map>

class OBRIX_API CIMSndInfo {
public:
    CIMSndInfo();
    CIMSndInfo(const CIMSndInfo&) = delete;
    CIMSndInfo& operator=(const CIMSndInfo&) = delete;
    ~CIMSndInfo();

    // Stores a copy under its member id, replacing an entry for that id.
    void AddIMSndData(const CIMSndData& data);
    // Copies the values into the entry with the same member id; nothing when there is none.
    void SetIMSndData(const CIMSndData& data);
    // The entry, or 0. It stays valid until the entry is replaced or cleared.
    CIMSndData* GetIMSndData(const QString& id) const;
    void ClearIMSndData(const QString& id);
    void AllClearIMSndData();
    int GetCount() const { return int(m_map.size()); }

    // Replaces the entries by those of the file. When the file cannot be read or is damaged
    // the map stays empty and false is returned.
    bool ReadSndInfo();
    // Writes all entries to the file; false when the file store refused.
    bool WriteSndInfo() const;
    // Deletes all entries and the file.
    void InitSndInfo();

    // The file's byte image and its reading (false on a damaged image, the map then empty).
    QByteArray ToBytes() const;
    bool FromBytes(const QByteArray& bytes);

    // Path of the file: the presence module's directory, "data", the file name.
    static QString FilePath();

private:
    std::unordered_map<QString, std::unique_ptr<CIMSndData>> m_map;
};
