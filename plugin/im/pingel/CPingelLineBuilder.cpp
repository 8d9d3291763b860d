#include "plugin/im/pingel/CPingelLineBuilder.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixTime.h"

#include <vector>

namespace {

// Groups of the tree in the order the member tree shows them: a group, its sub-groups, then
// the next group of its level. Iterative, so a deep tree does not deepen the stack.
std::vector<CIMGroup*> GroupsInOrder(CIMGroup* root) {
    std::vector<CIMGroup*> order;
    std::vector<CIMGroup*> pending{root};
    while (!pending.empty()) {
        CIMGroup* g = pending.back();
        pending.pop_back();
        if (!g)
            continue;
        order.push_back(g);
        pending.push_back(g->GetBros());
        pending.push_back(g->GetChild());
    }
    return order;
}

const char16_t* utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// The name a presence line shows: the member's name in the group, its id when it has none.
QString MemberName(const CIMGrpMember& membership) {
    const QString name = membership.GetName();
    return name.isEmpty() ? membership.GetID() : name;
}

} // namespace

CPingelLineBuilder::CPingelLineBuilder(const CObrixTable& core, void* resources,
                                       const QDateTime& now)
    : m_core(core), m_resources(resources), m_time(LineTime(now)) {}

QString CPingelLineBuilder::DisplayName(const CIMMember& member) {
    QString name = member.GetFamilyName(1);
    const QString middle = member.GetMiddleName(1);
    const QString first = member.GetFirstName(1);
    if (!middle.isEmpty())
        name += QStringLiteral("  ") + middle;
    if (!first.isEmpty())
        name += QStringLiteral("  ") + first;
    return name;
}

QString CPingelLineBuilder::ShownStatus(const QString& status) {
    if (status.isEmpty() || status.compare(u"on", Qt::CaseInsensitive) == 0)
        return QStringLiteral("OnNet");
    if (status.compare(u"off", Qt::CaseInsensitive) == 0)
        return QStringLiteral("OffNet");
    return status;
}

QString CPingelLineBuilder::LineTime(const QDateTime& local) {
    return ObrixTime::DateTimeText(local.date(), local.time(), false);
}

QString CPingelLineBuilder::StatusLine(const CIMGroup& group, const QString& memberId) const {
    const CIMGrpMember* membership = group.GetMember(memberId);
    return CResourceLoader::Format(
        m_resources, kStatusLine,
        {group.GetName(), MemberName(*membership), ShownStatus(membership->GetStatus()), m_time});
}

QList<PingelLine> CPingelLineBuilder::Presence(const CPingelSettings& settings,
                                               const QString& groupId, const QString& memberId,
                                               const QString& previousStatus) const {
    if (!settings.visible || !m_core.GetGroupAll || groupId.isEmpty() || memberId.isEmpty())
        return {};
    const tagIMGROUP* record = m_core.GetGroupAll();
    if (!record)
        return {};
    CIMGroup tree;
    tree = record;

    QList<PingelLine> lines;
    if (groupId.compare(u"all", Qt::CaseInsensitive) != 0) {
        CIMGroup* group = tree.SearchID(groupId);
        if (group && group->GetMember(memberId) && settings.Line(CPingelSettings::Status).visible)
            lines.append({StatusLine(*group, memberId), CPingelSettings::Status});
        return lines;
    }

    std::vector<CIMGroup*> withMember;
    for (CIMGroup* g : GroupsInOrder(&tree)) {
        if (g->GetMember(memberId))
            withMember.push_back(g);
    }
    if (withMember.empty())
        return lines;
    const CIMGrpMember* first = withMember.front()->GetMember(memberId);
    const bool wentOff = first->GetStatus().compare(u"off", Qt::CaseInsensitive) == 0;
    const bool cameOn = !wentOff && previousStatus.compare(u"off", Qt::CaseInsensitive) == 0;
    if (wentOff || cameOn) {
        const auto kind = wentOff ? CPingelSettings::OffNet : CPingelSettings::OnNet;
        if (!settings.Line(kind).visible)
            return lines;
        const QString word = CResourceLoader::LoadString(m_resources, wentOff ? kOffWord : kOnWord);
        lines.append(
            {CResourceLoader::Format(m_resources, kOnOffLine, {MemberName(*first), word, m_time}),
             kind});
        return lines;
    }
    if (!settings.Line(CPingelSettings::Status).visible)
        return lines;
    for (const CIMGroup* g : withMember)
        lines.append({StatusLine(*g, memberId), CPingelSettings::Status});
    return lines;
}

QList<PingelLine> CPingelLineBuilder::Receipt(const CPingelSettings& settings, int kind,
                                              const QString& messageId,
                                              const QString& memberId) const {
    if (kind < 0 || kind > 4 || !kReceiptLines[kind] || messageId.isEmpty() || memberId.isEmpty())
        return {};
    if (!settings.visible || !settings.Line(CPingelSettings::Message).visible || !m_core.GetMessage)
        return {};
    tagLETRIX* record = m_core.GetMessage(ObrixBox::Sent, utf16(messageId));
    if (!record)
        return {};
    const CLetrix message(record);
    if (m_core.CleanupLetrix)
        m_core.CleanupLetrix(record);

    QString time;
    if (kind == 0 || kind == 1) {
        bool found = false;
        for (auto d : {CLetrix::DST_TO, CLetrix::DST_CC, CLetrix::DST_BCC}) {
            found = kind == 0 ? message.GetDstRecvTimeString(d, memberId, time, 1)
                              : message.GetDstReadTimeString(d, memberId, time, 1);
            if (found)
                break;
        }
        if (!found)
            return {};
    } else {
        time = message.GetSendTimeString(1);
    }

    CIMMember member;
    if (m_core.GetMember)
        member = m_core.GetMember(utf16(memberId));
    QString name = DisplayName(member);
    if (name.trimmed().isEmpty())
        name = memberId; // a destination the directory no longer knows
    return {{CResourceLoader::Format(m_resources, kReceiptLines[kind], {name, time}),
             CPingelSettings::Message}};
}
