// Group trees for the presence plug-in's tests, built as the core hands them out.
#pragma once

#include "obrix/CIMGroup.h"

#include <QString>

#include <initializer_list>
#include <memory>

struct TestMember {
    const char* id;
    const char* name;
    const char* status;
    uint32_t colour = 0x00CCFFCC;
    const char* icon = "1-1";
};

struct TestGroup {
    const char* id;
    const char* name;
    std::initializer_list<TestMember> members;
};

inline void FillGroup(CIMGroup& group, const TestGroup& from) {
    group.SetID(QString::fromUtf8(from.id));
    group.SetName(QString::fromUtf8(from.name));
    for (const TestMember& m : from.members) {
        CIMGrpMember* added = group.AddMember(QString::fromUtf8(m.id));
        added->SetName(QString::fromUtf8(m.name));
        added->SetStatus(QString::fromUtf8(m.status));
        added->SetIcon(QString::fromUtf8(m.icon));
        added->SetBkColor(m.colour);
    }
}

// Top-level groups in order.
inline std::unique_ptr<CIMGroup> MakeTree(std::initializer_list<TestGroup> groups) {
    auto first = std::make_unique<CIMGroup>();
    CIMGroup* at = nullptr;
    for (const TestGroup& g : groups) {
        at = at ? at->CreateBros() : first.get();
        FillGroup(*at, g);
    }
    return first;
}
