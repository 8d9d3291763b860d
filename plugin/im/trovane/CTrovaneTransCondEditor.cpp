#include "plugin/im/trovane/CTrovaneTransCondEditor.h"

#include "obrix/CMemberDragText.h"
#include "plugin/im/trovane/CTrovaneMessage.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <algorithm>

using namespace TrovaneBox;

void CTrovaneTransCondEditor::SetFolder(uint32_t folderId) {
    m_folder = folderId;
    Reload();
}

void CTrovaneTransCondEditor::Reload() {
    m_rows.clear();
    if (!m_folder)
        return;
    for (const CTrovaneTransCond& c : m_conditions.ConditionsFor(m_folder))
        if (c.nKeep)
            m_rows.append(c);
}

QString CTrovaneTransCondEditor::RowText(int row, const Texts& texts) const {
    if (row < 0 || row >= m_rows.size())
        return {};
    const CTrovaneTransCond& c = m_rows[row];
    const QString target = c.nTarget <= 1 ? texts.targets[c.nTarget] : QString();
    const QString scope = c.nScope <= 3 ? texts.scopes[c.nScope] : QString();
    const QString mode = c.nMode == CTrovaneTransCond::ModeNotExists ? texts.modes[1]
                                                                      : texts.modes[0];
    QString out = texts.rowFormat;
    for (const QString& value : {target, scope, c.strKeyword, mode}) {
        const qsizetype at = out.indexOf(QStringLiteral("%s"));
        if (at < 0)
            break;
        out.replace(at, 2, value);
    }
    return out;
}

CTrovaneTransCond CTrovaneTransCondEditor::Condition(const Values& v) const {
    CTrovaneTransCond c;
    c.nScope = uint32_t(v.scope);
    c.nTarget = v.target;
    c.strKeyword = v.keyword;
    c.nMode = v.mode;
    c.nFolder = m_folder;
    c.nKeep = 1;
    c.nIndex = -1;
    return c;
}

bool CTrovaneTransCondEditor::Matches(const Values& v, const CTrovaneTransCond& c) const {
    return c.nScope == uint32_t(v.scope) && c.nTarget == v.target && c.strKeyword == v.keyword &&
           c.nMode == v.mode;
}

bool CTrovaneTransCondEditor::CanAdd(const Values& v) const {
    if (!m_folder || v.scope < 0 || v.scope > 3 || v.keyword.isEmpty())
        return false;
    // The same condition twice would only be matched once.
    return std::none_of(m_rows.begin(), m_rows.end(),
                        [&](const CTrovaneTransCond& c) { return Matches(v, c); });
}

bool CTrovaneTransCondEditor::CanExchange(const Values& v, int row) const {
    return row >= 0 && row < m_rows.size() && CanAdd(v);
}

bool CTrovaneTransCondEditor::CanDelete(int row) const {
    return row >= 0 && row < m_rows.size();
}

bool CTrovaneTransCondEditor::Add(const Values& v) {
    if (!CanAdd(v))
        return false;
    m_conditions.Merge({Condition(v)});
    Reload();
    return true;
}

bool CTrovaneTransCondEditor::Exchange(const Values& v, int row) {
    if (!CanExchange(v, row))
        return false;
    CTrovaneTransCond c = Condition(v);
    c.nIndex = m_rows[row].nIndex;
    m_conditions.Merge({c});
    Reload();
    return true;
}

bool CTrovaneTransCondEditor::Delete(int row) {
    if (!CanDelete(row))
        return false;
    CTrovaneTransCond c = m_rows[row];
    c.nKeep = 0;
    m_conditions.Merge({c});
    Reload();
    return true;
}

QString CTrovaneTransCondEditor::FolderPath(const CTrovaneStore& store, uint32_t folderId) {
    const CTrovaneFolder* folder = store.FindFolder(folderId);
    return store.WithFolders([&] {
        QStringList names;
        for (const CTrovaneFolder* f = folder; f && f->nID != RootFolder; f = f->pParent)
            names.prepend(f->strName);
        return names.join(u'/');
    });
}

QList<CTrovaneTransCondEditor::Target>
CTrovaneTransCondEditor::Targets(const CTrovaneStore& store) {
    QList<Target> out;
    std::function<void(uint32_t)> walk = [&](uint32_t parent) {
        QList<CTrovaneFolder*> children = store.ChildrenOf(parent);
        for (CTrovaneFolder* f : children) {
            const auto [id, flags] =
                store.WithFolders([&] { return std::pair<uint32_t, uint32_t>(f->nID, f->nFlags); });
            if (flags & (InTrash | InDrafts | TrashKind | DraftsKind))
                continue;
            if (id >= FirstUserFolder)
                out.append({id, FolderPath(store, id)});
            walk(id);
        }
    };
    walk(RootFolder);
    std::sort(out.begin(), out.end(),
              [](const Target& a, const Target& b) { return a.path < b.path; });
    return out;
}

QStringList CTrovaneTransCondEditor::KeywordValues(const QList<CTrovaneMessage*>& entries,
                                                   int scope) {
    QStringList out;
    auto add = [&](const QString& value) {
        if (!value.isEmpty() && !out.contains(value))
            out.append(value);
    };
    for (const CTrovaneMessage* e : entries) {
        switch (scope) {
        case CTrovaneTransCond::ScopeSender:
            add(QStringLiteral("%1 [%2]").arg(e->GetFromName(), e->GetFromID()));
            break;
        case CTrovaneTransCond::ScopeDestinations:
            add(e->ToList());
            add(e->CcList());
            add(e->BccList());
            break;
        case CTrovaneTransCond::ScopeSubject:
            add(e->GetSubject());
            break;
        default:
            break;
        }
    }
    return out;
}

QStringList CTrovaneTransCondEditor::DropItems(const QString& dragText, const NameLookup& member,
                                               const NameLookup& group) {
    QStringList out;
    for (const CMemberDragText::Item& item : CMemberDragText::Parse(dragText)) {
        std::optional<QString> name;
        QString id = item.id;
        switch (item.kind) {
        case CMemberDragText::Member:
            name = member ? member(id) : std::nullopt;
            break;
        case CMemberDragText::Group:
            name = group ? group(id) : std::nullopt;
            break;
        case CMemberDragText::OnNetters:
            name = QStringLiteral("OnNetMembers");
            id = QStringLiteral("OnNetters");
            break;
        }
        if (name)
            out.append(QStringLiteral("%1 [%2]").arg(*name, id));
    }
    return out;
}
