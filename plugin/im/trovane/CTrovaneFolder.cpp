#include "plugin/im/trovane/CTrovaneFolder.h"

void CTrovaneFolder::CopySettingsFrom(const CTrovaneFolder& other) {
    nID = other.nID;
    nParentID = other.nParentID;
    nFlags = other.nFlags;
    nExpanded = other.nExpanded;
    nPrevParentID = other.nPrevParentID;
    strName = other.strName;
    nIconKind = other.nIconKind;
    nSelected = other.nSelected;
    nSortColumn = other.nSortColumn;
    nMarkSort = other.nMarkSort;
    aSortDirection = other.aSortDirection;
    aColumnWidth = other.aColumnWidth;
}
