// Presence of a member or group: status text, icon name and background colour. The plain
// record lives inside other records (groups, memberships) or with the messaging core;
// CAvalin owns the strings and writes their pointers into the record it is attached to.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QString>
#include <cstddef>
#include <cstdint>

struct tagAVALIN {
    const char16_t* pszStatus; // status text; "off" has a fixed white background
    const char16_t* pszIcon;   // icon name
    uint32_t dwBkColor;        // background colour 0x00BBGGRR
};
static_assert(offsetof(tagAVALIN, pszIcon) == sizeof(void*));
static_assert(offsetof(tagAVALIN, dwBkColor) == 2 * sizeof(void*));

class OBRIX_API CAvalin {
public:
    // Empty strings, no record.
    CAvalin();
    // Takes the three strings and the record pointer: both objects then edit one record.
    CAvalin(const CAvalin& other);
    // The same, except that a group or membership keeps editing its own record and takes
    // only the presence of other into it.
    CAvalin& operator=(const CAvalin& other);
    virtual ~CAvalin();

    // Attaches the record to edit (not owned). The record is left as it is until a setter.
    void SetPresenceEntity(tagAVALIN* const entity) { m_entity = entity; }
    tagAVALIN* GetPresenceEntity() const { return m_entity; }

    QString GetStatus() const { return m_status; }
    QString GetIcon() const { return m_icon; }
    QString GetBkColorStr() const { return m_bkColor; }
    // The colour of the attached record; 0 while none is attached.
    uint32_t GetBkColor() const { return m_entity ? m_entity->dwBkColor : 0; }

    // Without a record the setters keep the strings only. The status "off" (exact) forces
    // a white background until the status changes.
    void SetStatus(const QString& status);
    void SetIcon(const QString& icon);
    void SetBkColor(const QString& text);
    void SetBkColor(uint32_t value);

    // Colour forced for the status "off".
    static constexpr uint32_t OffColor = 0xFFFFFF;

protected:
    // For groups and memberships: attaches the presence part of their own record for good.
    void AttachOwnEntity(tagAVALIN* own);
    // Copies status, icon and colour from a record through the presence rules.
    void CopyPresence(const tagAVALIN& source);

private:
    bool IsOff() const { return m_status == u"off"; }

    QString m_status;
    QString m_icon;
    QString m_bkColor;
    tagAVALIN* m_entity = nullptr;
    bool m_ownEntity = false;
};
