// Visits every group of a tree in display order: a group, its sub-groups, then its
// following siblings.
#pragma once

#include "obrix/CIMGroup.h"

template <typename Group, typename Visit> void ForEachGroup(Group* group, Visit&& visit) {
    for (; group; group = group->GetBros()) {
        visit(*group);
        ForEachGroup(group->GetChild(), visit);
    }
}
