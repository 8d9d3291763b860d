#include "plugin/im/trovane/CTrovaneExchange.h"

#include "plugin/im/trovane/CTrovaneCoreLink.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

using namespace TrovaneBox;

namespace CTrovaneExchange {

Groups ExportGroups(const CTrovaneStore& store) {
    Groups groups;
    for (const CTrovaneMessage* entry : store.Entries()) {
        const uint32_t flags = entry->BoxFlags();
        if (flags & InTrash)
            continue;
        if (flags & DraftBit)
            groups.drafts.append(entry->GetMessageID());
        else if (flags & Sent)
            groups.sent.append(entry->GetMessageID());
        else if (flags & Received)
            groups.received.append(entry->GetMessageID());
    }
    return groups;
}

ImportResult Import(const Groups& ids, CTrovaneStore& store,
                    const CTrovaneTransCondList& conditions, CTrovaneCoreLink& core,
                    const std::function<bool(qsizetype done)>& progress) {
    ImportResult result;
    struct Kind {
        const QStringList* ids;
        int32_t kind;
        uint32_t boxFlags;
    };
    const Kind kinds[] = {{&ids.drafts, KindDraft, Draft},
                          {&ids.sent, KindSent, Sent},
                          {&ids.received, KindReceived, Received}};
    qsizetype done = 0;
    for (const Kind& kind : kinds) {
        for (const QString& id : *kind.ids) {
            if (progress && !progress(done))
                return result;
            ++done;
            const bool received = kind.kind == KindReceived;
            // Checked before asking the core, so that a file made from this box costs no
            // message reads.
            if (store.FindEntry(id, received)) {
                ++result.duplicates;
                continue;
            }
            CTrovaneHeldMessage held(core, kind.kind, id);
            if (!held) {
                ++result.missing;
                continue;
            }
            CTrovaneMessage entry;
            entry.SetBoxFlags(kind.boxFlags);
            entry.Fill(held.Record(), core);
            uint32_t folder = kind.kind == KindDraft ? DraftsFolder : conditions.Match(entry);
            if (folder == 0)
                folder = DefaultFolderOf(kind.boxFlags);
            entry.SetFolder(folder, nullptr);
            if (CTrovaneMessage* stored = store.AddEntry(entry))
                result.added.append(stored);
            else
                ++result.duplicates;
        }
    }
    if (progress)
        progress(done);
    return result;
}

} // namespace CTrovaneExchange
