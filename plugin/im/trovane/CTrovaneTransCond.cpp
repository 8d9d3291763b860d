#include "plugin/im/trovane/CTrovaneTransCond.h"

#include "obrix/CArchive.h"

void CTrovaneTransCond::Write(CArchive& ar) const {
    ar << nScope << nTarget << strKeyword << nMode << nFolder << nKeep;
}

void CTrovaneTransCond::Read(CArchive& ar) {
    ar >> nScope >> nTarget >> strKeyword >> nMode >> nFolder >> nKeep;
    nIndex = -1;
}
