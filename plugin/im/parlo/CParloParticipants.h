// The participants of one chat as its list shows them: member id, display name and colour,
// in the order they were added. The user's own entry comes first and is drawn in colour 0;
// invited members are grey (0x999999) until they join, when they take a palette colour and
// their name is kept, in joining order, for the log's file name and header.
#pragma once

#include "plugin/im/parlo/CParloPalette.h"

#include <QList>
#include <QString>
#include <QStringList>

struct CParloParticipant {
    QString id;
    QString name;
    COLORREF color = 0;
    bool joined = false;
};

class CParloParticipants {
public:
    static constexpr COLORREF kInvitedColor = 0x999999;

    // Adds a member not yet listed; false when it is already there.
    bool Add(const QString& id, const QString& name);
    // The member joined: a palette colour, and its name among the joined names. False when
    // the member is not listed or already joined.
    bool Activate(const QString& id);
    // Removes the member and frees its colour; false when it is not listed.
    bool Remove(const QString& id);

    bool Contains(const QString& id) const { return IndexOf(id) >= 0; }
    int IndexOf(const QString& id) const;
    int Count() const { return int(m_list.size()); }
    const QList<CParloParticipant>& Items() const { return m_list; }
    const CParloParticipant* Find(const QString& id) const;
    // The colour a member's talk is drawn in; black for someone not listed.
    COLORREF ColorOf(const QString& id) const;

    // Names of the members who joined, in joining order, each once per member. A member who
    // has left stays named: the log still holds what they said.
    QStringList JoinedNames() const;

    const CParloPalette& Palette() const { return m_palette; }

private:
    QList<CParloParticipant> m_list;
    QList<QPair<QString, QString>> m_joined; // id, name
    CParloPalette m_palette;
};
