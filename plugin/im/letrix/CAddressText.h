// The To, Cc and Bcc texts of the message windows: entries "name [id]" joined by "," with no
// blank. A group entry is the group's name and id, its destination "all@" + id; all on-line
// members are "OnNetMembers [OnNetters]", which replaces whatever came before it.
#pragma once

#include "obrix/ObrixApi.h"

#include <QString>
#include <QStringList>
#include <optional>

class CIMMember;

class CAddressText {
public:
    static constexpr const char16_t* kOnNetters = u"OnNetters";
    static constexpr const char16_t* kOnNetEntry = u"OnNetMembers [OnNetters]";
    static constexpr const char16_t* kGroupPrefix = u"all@";

    explicit CAddressText(const QString& text = QString()) : m_text(text) {}

    const QString& Text() const { return m_text; }
    bool IsEmpty() const { return m_text.isEmpty(); }

    // Appends one entry after a ","; the on-line members' entry replaces the text instead.
    void Append(const QString& entry);

    // The entry of a destination id as the core knows it: a member, "OnNetters" or a group
    // (with or without "all@"); nothing for an id the core does not know.
    static std::optional<QString> EntryOf(const CObrixTable& core, const QString& id);
    static QString MemberEntry(const CIMMember& member);
    static QString GroupEntry(const QString& name, const QString& id);

    // The destination ids of a text, entry by entry: the characters inside square brackets
    // (several bracketed parts are joined); an id the core does not know as a member becomes
    // "all@" + id, so groups and text without brackets address groups.
    static QStringList Destinations(const CObrixTable& core, const QString& text);

    // Backspace or Delete in an address field: removes the whole entry around the selection.
    // Returns the new text and sets caret to where the selection ended.
    static QString RemoveEntry(const QString& text, int selectionStart, int selectionEnd,
                               int& caret);

    // A dropped member drag text appended to a field's text. An on-line marker gives the
    // on-line entry, a group its entry, a member its entry; a member the core does not know
    // ends the drop, keeping the entries before it. Nothing when nothing is to change.
    static std::optional<QString> AppendDrop(const CObrixTable& core, const QString& text,
                                             const QString& dragText);

private:
    QString m_text;
};
