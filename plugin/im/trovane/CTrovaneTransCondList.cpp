#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include "obrix/CArchive.h"
#include "obrix/CHtmlTagString.h"
#include "plugin/im/trovane/CTrovaneMessage.h"

#include <optional>

// The texts of one entry that conditions examine; the body is freed of its objects and tags
// once, when a body condition first asks for it.
class CTrovaneTransCondList::Subject {
public:
    explicit Subject(const CTrovaneMessage& entry) : m_entry(entry) {}

    const CTrovaneMessage& Entry() const { return m_entry; }
    const QString& Sender() {
        if (!m_sender)
            m_sender = m_entry.GetFromNameAndID();
        return *m_sender;
    }
    const QString& PlainBody() {
        if (!m_body) {
            CHtmlTagString body(m_entry.GetMessage());
            body.DeleteSplitTag(u"<OBJECT", u"</OBJECT>");
            body.DeleteAllTag();
            m_body = body.GetString();
        }
        return *m_body;
    }

private:
    const CTrovaneMessage& m_entry;
    std::optional<QString> m_sender;
    std::optional<QString> m_body;
};

bool CTrovaneTransCondList::Holds(const CTrovaneTransCond& condition, const QStringMatcher& keyword,
                                  Subject& subject) {
    const bool wantFound = condition.nMode == CTrovaneTransCond::ModeExists;
    if (!wantFound && condition.nMode != CTrovaneTransCond::ModeNotExists)
        return false;
    auto satisfies = [&](const QString& text) { return (keyword.indexIn(text) >= 0) == wantFound; };
    const CTrovaneMessage& entry = subject.Entry();
    switch (condition.nScope) {
    case CTrovaneTransCond::ScopeSender:
        return satisfies(subject.Sender());
    case CTrovaneTransCond::ScopeDestinations:
        // Each list by itself: "does not contain" holds as soon as one list lacks the word.
        return satisfies(entry.ToList()) || satisfies(entry.CcList()) || satisfies(entry.BccList());
    case CTrovaneTransCond::ScopeSubject:
        return satisfies(entry.GetSubject());
    case CTrovaneTransCond::ScopeBody:
        return satisfies(subject.PlainBody());
    default:
        return false;
    }
}

uint32_t CTrovaneTransCondList::Match(const CTrovaneMessage& entry) const {
    if (entry.IsDraft())
        return TrovaneBox::DraftsFolder;
    const bool received = entry.BoxFlags() & TrovaneBox::Received;
    const bool sent = entry.BoxFlags() & TrovaneBox::Sent;
    if (m_matchers.size() != size_t(m_conditions.size())) {
        m_matchers.clear();
        m_matchers.reserve(size_t(m_conditions.size()));
        for (const CTrovaneTransCond& c : m_conditions)
            m_matchers.emplace_back(c.strKeyword, Qt::CaseSensitive);
    }
    Subject subject(entry);
    for (qsizetype i = m_conditions.size() - 1; i >= 0; --i) {
        const CTrovaneTransCond& c = m_conditions[i];
        if (c.nTarget == CTrovaneTransCond::TargetReceived && !received)
            continue;
        if (c.nTarget == CTrovaneTransCond::TargetSent && !sent)
            continue;
        if (Holds(c, m_matchers[size_t(i)], subject))
            return c.nFolder;
    }
    return 0;
}

QList<CTrovaneTransCond> CTrovaneTransCondList::ConditionsFor(uint32_t folderId) const {
    QList<CTrovaneTransCond> copy;
    for (int i = 0; i < m_conditions.size(); ++i) {
        if (m_conditions[i].nFolder != folderId)
            continue;
        CTrovaneTransCond condition = m_conditions[i];
        condition.nIndex = i;
        copy << condition;
    }
    return copy;
}

void CTrovaneTransCondList::Merge(const QList<CTrovaneTransCond>& workingCopy) {
    for (CTrovaneTransCond condition : workingCopy) {
        const int index = condition.nIndex;
        condition.nIndex = -1;
        if (index >= 0 && index < m_conditions.size())
            m_conditions[index] = condition;
        else
            m_conditions.append(condition);
    }
    for (qsizetype i = m_conditions.size() - 1; i >= 0; --i)
        if (m_conditions[i].nKeep == 0)
            m_conditions.removeAt(i);
    m_matchers.clear();
}

void CTrovaneTransCondList::DeleteForFolder(uint32_t folderId) {
    m_conditions.removeIf([folderId](const CTrovaneTransCond& c) { return c.nFolder == folderId; });
    m_matchers.clear();
}

void CTrovaneTransCondList::Write(CArchive& ar) const {
    ar << uint32_t(m_conditions.size());
    for (const CTrovaneTransCond& condition : m_conditions)
        condition.Write(ar);
}

void CTrovaneTransCondList::Read(CArchive& ar) {
    Clear();
    // A record holds at least five words and an empty string (4 bytes).
    const int32_t count = ar.ReadCount(5 * 4 + 4);
    QList<CTrovaneTransCond> read;
    read.reserve(count);
    for (int32_t i = 0; i < count; ++i) {
        CTrovaneTransCond condition;
        condition.Read(ar);
        read << condition;
    }
    m_conditions = std::move(read);
    m_matchers.clear();
}
