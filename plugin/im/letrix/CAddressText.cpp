#include "plugin/im/letrix/CAddressText.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"
#include "obrix/CMemberDragText.h"
#include "obrix/RecordText.h"

namespace {

std::optional<QString> MemberEntryOf(const CObrixTable& core, const QString& id) {
    const tagIMMEMBER* record = core.GetMember ? core.GetMember(RecordText::Field(id)) : nullptr;
    if (!record)
        return std::nullopt;
    CIMMember member;
    member = record;
    return CAddressText::MemberEntry(member);
}

std::optional<QString> GroupEntryOf(const CObrixTable& core, const QString& id) {
    const tagIMGROUP* record = core.GetGroup ? core.GetGroup(RecordText::Field(id)) : nullptr;
    if (!record)
        return std::nullopt;
    return CAddressText::GroupEntry(
        record->pszName ? QString::fromUtf16(record->pszName) : QString(), id);
}

} // namespace

void CAddressText::Append(const QString& entry) {
    if (entry == QStringView(kOnNetEntry) || m_text.isEmpty())
        m_text = entry;
    else
        m_text += u',' + entry;
}

QString CAddressText::MemberEntry(const CIMMember& member) {
    return member.GetNameAndID(2, 0, 1);
}

QString CAddressText::GroupEntry(const QString& name, const QString& id) {
    return name + QStringLiteral(" [") + id + u']';
}

std::optional<QString> CAddressText::EntryOf(const CObrixTable& core, const QString& id) {
    if (std::optional<QString> member = MemberEntryOf(core, id))
        return member;
    QString group = id;
    if (group.startsWith(QStringView(kGroupPrefix)))
        group.remove(0, QStringView(kGroupPrefix).size());
    if (group == QStringView(kOnNetters))
        return QString::fromUtf16(kOnNetEntry);
    return GroupEntryOf(core, group);
}

QStringList CAddressText::Destinations(const CObrixTable& core, const QString& text) {
    QStringList ids;
    for (const QString& piece : text.split(u',', Qt::SkipEmptyParts)) {
        const QString entry = piece.trimmed();
        if (entry.isEmpty())
            continue;
        QString id;
        bool inside = false;
        for (QChar c : entry) {
            if (c == u'[')
                inside = true;
            else if (c == u']')
                inside = false;
            else if (inside)
                id += c;
        }
        const bool member = core.GetMember && core.GetMember(RecordText::Field(id));
        ids << (member ? id : QString::fromUtf16(kGroupPrefix) + id);
    }
    return ids;
}

QString CAddressText::RemoveEntry(const QString& text, int selectionStart, int selectionEnd,
                                  int& caret) {
    const qsizetype left = selectionStart > 0 ? text.lastIndexOf(u',', selectionStart - 1) : -1;
    qsizetype right = text.indexOf(u',', selectionEnd);
    if (right < 0)
        right = text.size();
    QString out = text.left(left < 0 ? 0 : left) + text.mid(right);
    if (out.startsWith(u','))
        out.remove(0, 1);
    caret = int(qMin<qsizetype>(selectionEnd, out.size()));
    return out;
}

std::optional<QString> CAddressText::AppendDrop(const CObrixTable& core, const QString& text,
                                                const QString& dragText) {
    bool complete = true;
    const QList<CMemberDragText::Item> items = CMemberDragText::Parse(dragText, &complete);
    if (items.isEmpty())
        return std::nullopt;
    QString out = text;
    bool changed = false;
    for (const CMemberDragText::Item& item : items) {
        std::optional<QString> entry;
        switch (item.kind) {
        case CMemberDragText::OnNetters:
            entry = QString::fromUtf16(kOnNetEntry);
            break;
        case CMemberDragText::Group:
            entry = GroupEntryOf(core, item.id);
            break;
        case CMemberDragText::Member:
            entry = MemberEntryOf(core, item.id);
            break;
        }
        if (!entry) {
            // A member that is gone ends the drop; an unknown group is skipped.
            if (item.kind == CMemberDragText::Member)
                break;
            continue;
        }
        out = out.isEmpty() ? *entry : out + u',' + *entry;
        changed = true;
    }
    if (!changed)
        return std::nullopt;
    return out;
}
