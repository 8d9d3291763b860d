// One folder of the message box's tree. A plain record: the store owns every folder and keeps
// the pointers and counts consistent; the tree and list read them under the store's folder
// lock.
#pragma once

#include "plugin/im/trovane/TrovaneBox.h"

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>

class CTrovaneMessage;

struct CTrovaneFolder {
    static constexpr int kColumns = 4;

    uint32_t nID = 0;
    // Low half: the folder's own kind; high half: inherited from the parent.
    uint32_t nFlags = 0;
    // Local number of the entry last selected here (run time only); 0 for none.
    uint32_t nSelected = 0;
    // Unread entries directly in this folder.
    uint32_t nUnreadHere = 0;
    // Children with unread entries here plus children with unread entries below (a child can
    // count twice); decides whether a collapsed folder is shown in bold.
    uint32_t nUnreadBelow = 0;
    uint32_t nExpanded = 0;
    // List sort state (run time only): column, mark sort (-1 none) and a direction per column.
    int32_t nSortColumn = 3;
    int32_t nMarkSort = -1;
    std::array<int32_t, kColumns> aSortDirection{-1, -1, -1, -1};
    std::array<uint32_t, kColumns> aColumnWidth{39, 128, 96, 120};
    uint32_t nParentID = 0;
    CTrovaneFolder* pParent = nullptr;
    uint32_t nPrevParentID = 0;
    QString strName;
    uint32_t nIconKind = TrovaneBox::IconFolder;
    QHash<uint32_t, CTrovaneFolder*> children;
    QHash<uint32_t, CTrovaneMessage*> entries;

    bool IsSystem() const { return nFlags & TrovaneBox::SystemFolder; }
    bool IsInTrash() const { return nFlags & TrovaneBox::InTrash; }
    bool IsInDrafts() const { return nFlags & TrovaneBox::InDrafts; }
    // The values a template carries into the store (no pointers, counts or members).
    void CopySettingsFrom(const CTrovaneFolder& other);
};
