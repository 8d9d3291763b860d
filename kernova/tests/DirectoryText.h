// The core's group tree as one line of text per group and membership, in tree order, with
// every field a plug-in copies: two directories are the same exactly when their texts are.
#pragma once

#include "obrix/CIMGroup.h"

#include <QString>

namespace kntest {

inline QString RecordField(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QStringLiteral("(null)");
}

inline QString PresenceText(const tagAVALIN& p) {
    return QStringLiteral("%1|%2|%3")
        .arg(RecordField(p.pszStatus), RecordField(p.pszIcon))
        .arg(p.dwBkColor);
}

// The group and its sub-groups; its following siblings too when withSiblings.
inline QString DirectoryText(const tagIMGROUP* group, bool withSiblings = true, int depth = 0) {
    QString text;
    for (const tagIMGROUP* g = group; g; g = withSiblings ? g->pBros : nullptr) {
        text += QString(depth, u' ') +
                QStringLiteral("group %1 %2 %3 n=%4\n")
                    .arg(RecordField(g->pszID), RecordField(g->pszName), PresenceText(g->presence))
                    .arg(g->nMembers);
        for (const tagIMGRPMEMBER* m = g->pMember; m; m = m->pBros)
            text +=
                QString(depth + 1, u' ') + QStringLiteral("member %1 %2 role=%3 %4\n")
                                               .arg(RecordField(m->pszID), RecordField(m->pszName))
                                               .arg(int(m->eRole))
                                               .arg(PresenceText(m->presence));
        text += DirectoryText(g->pChild, true, depth + 1);
    }
    return text;
}

} // namespace kntest
