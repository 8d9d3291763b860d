// One entry of the message box: a message of the core (its kind and message ID) filed in a
// folder, with the box's own flag word and the destination strings the list and the filing
// rules show and search.
#pragma once

#include "obrix/CLetrix.h"
#include "plugin/im/trovane/TrovaneBox.h"

#include <QString>
#include <cstdint>

class CTrovaneCoreLink;
struct CTrovaneFolder;

class CTrovaneMessage : public CLetrix {
public:
    CTrovaneMessage() = default;
    // A copy of the message and its box values, without the owning folder's pointer.
    CTrovaneMessage(const CTrovaneMessage& other);
    CTrovaneMessage& operator=(const CTrovaneMessage& other);
    ~CTrovaneMessage() override;

    // Takes over a record of the core: the message itself, box flags without their high
    // half, the display strings rebuilt through the link's names, and the object bit set when
    // the body holds an <OBJECT> element.
    void Fill(const tagLETRIX* record, CTrovaneCoreLink& names);
    // Rebuilds the six destination strings.
    void BuildDisplayStrings(CTrovaneCoreLink& names);

    uint32_t LocalNumber() const { return m_nLocalNumber; }
    void SetLocalNumber(uint32_t n) { m_nLocalNumber = n; }
    uint32_t FolderID() const { return m_nFolderID; }
    CTrovaneFolder* Folder() const { return m_pFolder; }
    void SetFolder(uint32_t id, CTrovaneFolder* folder) {
        m_nFolderID = id;
        m_pFolder = folder;
    }
    uint32_t PrevFolderID() const { return m_nPrevFolderID; }
    void SetPrevFolderID(uint32_t id) { m_nPrevFolderID = id; }
    uint32_t BoxFlags() const { return m_nBoxFlags; }
    void SetBoxFlags(uint32_t flags) { m_nBoxFlags = flags; }

    // 0 draft, 1 sent, 2 received, 3 none of these.
    int32_t Kind() const { return TrovaneBox::KindOf(m_nBoxFlags); }
    bool IsReceivedEntry() const { return m_nBoxFlags & TrovaneBox::Received; }
    bool IsDraft() const { return m_nBoxFlags & TrovaneBox::DraftBit; }
    // A received entry whose message is not read yet.
    bool IsUnreadEntry() const { return IsReceivedEntry() && IsUnRead(); }

    // The body; an entry loaded without it fetches it from the core on the first request.
    QString Body(CTrovaneCoreLink& core);

    // "name [ID]" items joined with ", " per destination list, and the names alone.
    const QString& ToList() const { return m_strToList; }
    const QString& CcList() const { return m_strCcList; }
    const QString& BccList() const { return m_strBccList; }
    const QString& ToNames() const { return m_strToNames; }
    const QString& CcNames() const { return m_strCcNames; }
    const QString& BccNames() const { return m_strBccNames; }

private:
    uint32_t m_nLocalNumber = 0;
    uint32_t m_nFolderID = 0;
    CTrovaneFolder* m_pFolder = nullptr;
    uint32_t m_nPrevFolderID = 0;
    uint32_t m_nBoxFlags = 0;
    uint32_t m_nReserved = 0;
    QString m_strToList;
    QString m_strCcList;
    QString m_strBccList;
    QString m_strToNames;
    QString m_strCcNames;
    QString m_strBccNames;
};
