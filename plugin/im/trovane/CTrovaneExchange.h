// Export and import of messages. The core writes and reads the export file itself and owns its
// format; the box chooses the messages to hand over (by message ID, drafts, then sent, then
// received messages) and files the messages a file brings back.
#pragma once

#include <QList>
#include <QStringList>
#include <cstdint>
#include <functional>

class CTrovaneCoreLink;
class CTrovaneMessage;
class CTrovaneStore;
class CTrovaneTransCondList;

namespace CTrovaneExchange {

// Message IDs in the order the core takes and hands them: drafts, sent, received.
struct Groups {
    QStringList drafts;
    QStringList sent;
    QStringList received;

    bool IsEmpty() const { return drafts.isEmpty() && sent.isEmpty() && received.isEmpty(); }
    qsizetype Total() const { return drafts.size() + sent.size() + received.size(); }
    // Every ID in the core's order.
    QStringList All() const { return drafts + sent + received; }
};

// The messages an export hands over: every entry outside the trash subtree, by kind.
Groups ExportGroups(const CTrovaneStore& store);

struct ImportResult {
    QList<CTrovaneMessage*> added; // the store's new entries
    int duplicates = 0;            // already in the box
    int missing = 0;               // IDs the core could not produce
};

// Files the messages of an import: drafts into the drafts folder whatever the conditions say,
// sent and received messages by the transfer conditions, else into their default folder.
// Messages the box holds already are refused. `progress` (may be empty) hears how many IDs
// have been handled; returning false from it stops the import.
ImportResult Import(const Groups& ids, CTrovaneStore& store,
                    const CTrovaneTransCondList& conditions, CTrovaneCoreLink& core,
                    const std::function<bool(qsizetype done)>& progress = {});

} // namespace CTrovaneExchange
