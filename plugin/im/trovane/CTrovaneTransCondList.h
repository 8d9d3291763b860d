// The ordered transfer conditions of the message box (the master list) and the working copies
// the setting dialog edits. Matching walks from the last condition to the first, so a
// condition added later wins over an earlier one.
#pragma once

#include "plugin/im/trovane/CTrovaneTransCond.h"

#include <QList>
#include <QStringMatcher>
#include <cstdint>
#include <vector>

class CArchive;
class CTrovaneMessage;

class CTrovaneTransCondList {
public:
    // The folder an entry goes to; 0 when no condition holds. A draft always goes to the
    // drafts folder.
    uint32_t Match(const CTrovaneMessage& entry) const;

    // The conditions that target a folder, each remembering its position in this list.
    QList<CTrovaneTransCond> ConditionsFor(uint32_t folderId) const;
    // Writes a working copy back: a condition with a valid index replaces the one there, any
    // other is appended; then every condition marked deleted (keep 0) is removed.
    void Merge(const QList<CTrovaneTransCond>& workingCopy);
    void DeleteForFolder(uint32_t folderId);
    void Append(const CTrovaneTransCond& condition) {
        m_conditions.append(condition);
        m_matchers.clear();
    }
    void Clear() {
        m_conditions.clear();
        m_matchers.clear();
    }

    const QList<CTrovaneTransCond>& Conditions() const { return m_conditions; }
    int Count() const { return int(m_conditions.size()); }

    // The body of the conditions file: a count, then the records. Reading replaces the list;
    // a damaged body raises CArchiveException and leaves the list empty.
    void Write(CArchive& ar) const;
    void Read(CArchive& ar);

private:
    class Subject;
    static bool Holds(const CTrovaneTransCond& condition, const QStringMatcher& keyword,
                      Subject& subject);

    QList<CTrovaneTransCond> m_conditions;
    // The keywords prepared for searching, one per condition; rebuilt after any change.
    mutable std::vector<QStringMatcher> m_matchers;
};
