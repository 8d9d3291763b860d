// One member's own notification sound: the member id and the sound file's path.
#pragma once

#include "obrix/CArchive.h"
#include "obrix/ZeltaPlatform.h"

#include <QString>

class OBRIX_API CIMSndData {
public:
    CIMSndData();
    CIMSndData(const QString& memberID, const QString& path);
    CIMSndData(const CIMSndData& other);
    CIMSndData& operator=(const CIMSndData& other);
    ~CIMSndData();

    QString GetMemberID() const { return m_memberID; }
    void SetMemberID(const QString& id) { m_memberID = id; }
    QString GetPath() const { return m_path; }
    void SetPath(const QString& path) { m_path = path; }

    // Member id, then path. A failed load raises CArchiveException and changes nothing.
    void Serialize(CArchive& ar);

private:
    QString m_memberID;
    QString m_path;
};
