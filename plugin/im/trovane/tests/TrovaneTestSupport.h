// Shared set-up of the message box's store tests: a box with the system folders, entries
// built from messages of an in-memory core, and a check that every folder's unread counts
// agree with what lies in and below it.
#pragma once

#include "CMemoryCore.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class TrovaneStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTrovaneSettingsFiles::CreateSystemFolders(store);
        store.SetTransConds(&conditions);
    }

    // An entry of a message with these box flags, filled through the core's names.
    CTrovaneMessage Entry(const CLetrix& message, uint32_t boxFlags, uint32_t folder = 0) {
        CTrovaneMessage entry;
        entry.SetBoxFlags(boxFlags);
        entry.Fill(message.Record(), core);
        entry.SetFolder(folder, nullptr);
        return entry;
    }
    CTrovaneMessage* AddReceived(const QString& id, uint32_t folder, bool read = false) {
        return store.AddEntry(Entry(
            MakeMessage(id, u"sato"_qs, u"me"_qs, u"件名"_qs, {}, read ? LETRIX_FLAG_READ : 0),
            TrovaneBox::Received, folder));
    }
    CTrovaneFolder* AddFolder(uint32_t id, uint32_t parent, const QString& name = {}) {
        CTrovaneFolder f;
        f.nID = id;
        f.nParentID = parent;
        f.nFlags = TrovaneBox::ListsReceived;
        f.strName = name.isEmpty() ? QStringLiteral("folder %1").arg(id) : name;
        return store.AddFolder(f);
    }
    uint32_t Here(uint32_t folder) { return store.FindFolder(folder)->nUnreadHere; }
    uint32_t Below(uint32_t folder) { return store.FindFolder(folder)->nUnreadBelow; }

    // Every folder's counts recomputed from the entries and children.
    void ExpectCountsConsistent() {
        for (uint32_t id = 1; id < 1000; ++id) {
            const CTrovaneFolder* f = store.FindFolder(id);
            if (!f)
                continue;
            uint32_t here = 0;
            for (const CTrovaneMessage* e : store.EntriesOf(id))
                here += e->IsUnreadEntry() ? 1 : 0;
            uint32_t below = 0;
            for (const CTrovaneFolder* c : store.ChildrenOf(id))
                below += (c->nUnreadHere ? 1 : 0) + (c->nUnreadBelow ? 1 : 0);
            EXPECT_EQ(f->nUnreadHere, here) << "folder " << id;
            EXPECT_EQ(f->nUnreadBelow, below) << "folder " << id;
        }
    }

    CMemoryCore core;
    CTrovaneStore store;
    CTrovaneTransCondList conditions;
};
