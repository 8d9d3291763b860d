#include "obrix/CAvalin.h"

#include "obrix/RecordText.h"

CAvalin::CAvalin() = default;

// The shared record is not written here: its fields point at string data that the copy now
// shares with the source, so they stay valid while either object keeps it.
CAvalin::CAvalin(const CAvalin& other)
    : m_status(other.m_status), m_icon(other.m_icon), m_bkColor(other.m_bkColor),
      m_entity(other.m_entity) {}

CAvalin& CAvalin::operator=(const CAvalin& other) {
    if (this == &other)
        return *this;
    m_status = other.m_status;
    m_icon = other.m_icon;
    m_bkColor = other.m_bkColor;
    if (!m_ownEntity) {
        m_entity = other.m_entity;
        return *this;
    }
    m_entity->pszStatus = RecordText::Field(m_status);
    m_entity->pszIcon = RecordText::Field(m_icon);
    m_entity->dwBkColor =
        other.m_entity ? other.m_entity->dwBkColor : uint32_t(RecordText::LeadingInt(m_bkColor));
    return *this;
}

CAvalin::~CAvalin() = default;

void CAvalin::AttachOwnEntity(tagAVALIN* own) {
    m_entity = own;
    m_ownEntity = true;
}

void CAvalin::SetStatus(const QString& status) {
    m_status = status;
    if (m_entity)
        m_entity->pszStatus = RecordText::Field(m_status);
    if (IsOff())
        SetBkColor(OffColor);
}

void CAvalin::SetIcon(const QString& icon) {
    m_icon = icon;
    if (m_entity)
        m_entity->pszIcon = RecordText::Field(m_icon);
}

void CAvalin::SetBkColor(uint32_t value) {
    SetBkColor(RecordText::ColourText(value));
}

void CAvalin::SetBkColor(const QString& text) {
    m_bkColor = IsOff() ? RecordText::ColourText(OffColor) : text;
    if (m_entity)
        m_entity->dwBkColor = uint32_t(RecordText::LeadingInt(m_bkColor));
}

void CAvalin::CopyPresence(const tagAVALIN& source) {
    const tagAVALIN s = source; // the source may be our own record
    // Status first, so that "off" decides the colour.
    SetStatus(RecordText::FromField(s.pszStatus));
    SetIcon(RecordText::FromField(s.pszIcon));
    SetBkColor(s.dwBkColor);
}
