#include "plugin/im/parlo/CParloParticipants.h"

bool CParloParticipants::Add(const QString& id, const QString& name) {
    if (Contains(id))
        return false;
    // The first entry of an empty list is the user's own.
    m_list.append({id, name, m_list.isEmpty() ? COLORREF(0) : kInvitedColor, false});
    return true;
}

bool CParloParticipants::Activate(const QString& id) {
    const int i = IndexOf(id);
    if (i < 0 || m_list[i].joined)
        return false;
    CParloParticipant& p = m_list[i];
    p.joined = true;
    p.color = m_palette.Take();
    bool named = false;
    for (auto& entry : m_joined)
        if (entry.first == id) {
            entry.second = p.name;
            named = true;
        }
    if (!named)
        m_joined.append({id, p.name});
    return true;
}

bool CParloParticipants::Remove(const QString& id) {
    const int i = IndexOf(id);
    if (i < 0)
        return false;
    if (m_list[i].joined)
        m_palette.Release(m_list[i].color);
    m_list.removeAt(i);
    return true;
}

int CParloParticipants::IndexOf(const QString& id) const {
    for (int i = 0; i < m_list.size(); ++i)
        if (m_list[i].id == id)
            return i;
    return -1;
}

const CParloParticipant* CParloParticipants::Find(const QString& id) const {
    const int i = IndexOf(id);
    return i < 0 ? nullptr : &m_list[i];
}

COLORREF CParloParticipants::ColorOf(const QString& id) const {
    const CParloParticipant* p = Find(id);
    return p ? p->color : 0;
}

QStringList CParloParticipants::JoinedNames() const {
    QStringList names;
    for (const auto& entry : m_joined)
        names << entry.second;
    return names;
}
