// One transfer condition: a message of a direction whose sender, destinations, subject or
// body contains (or lacks) a keyword goes into a folder.
#pragma once

#include <QString>
#include <cstdint>

class CArchive;

struct CTrovaneTransCond {
    enum Scope : uint32_t {
        ScopeSender = 0,
        ScopeDestinations = 1,
        ScopeSubject = 2,
        ScopeBody = 3
    };
    enum Target : uint32_t { TargetReceived = 0, TargetSent = 1 }; // other values: every message
    enum Mode : uint32_t { ModeExists = 2, ModeNotExists = 3 };

    uint32_t nScope = ScopeSender; // other values never match
    uint32_t nTarget = TargetReceived;
    QString strKeyword;
    uint32_t nMode = ModeExists;
    uint32_t nFolder = 0;
    uint32_t nKeep = 1; // 0: deleted in the dialog, removed at the next merge
    // Position in the master list while a working copy is edited; -1 for a new condition.
    int32_t nIndex = -1;

    // The record of the conditions file (the index is not part of it).
    void Write(CArchive& ar) const;
    void Read(CArchive& ar);

    bool operator==(const CTrovaneTransCond& other) const = default;
};
