#include "obrix/CIMSndData.h"

CIMSndData::CIMSndData() = default;

CIMSndData::CIMSndData(const QString& memberID, const QString& path)
    : m_memberID(memberID), m_path(path) {}

CIMSndData::CIMSndData(const CIMSndData& other) = default;

CIMSndData& CIMSndData::operator=(const CIMSndData& other) = default;

CIMSndData::~CIMSndData() = default;

void CIMSndData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_memberID << m_path;
        return;
    }
    QString id;
    QString path;
    ar >> id >> path;
    m_memberID = id;
    m_path = path;
}
