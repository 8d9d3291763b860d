// The text that carries dragged members and groups from the member tree to the windows that
// accept them (address fields, the chat participant list, the filing-rule keyword box).
// It is a list of fields separated by ",": a marker ("M" member, "G" group, "O" the on-line
// members) and the id it applies to, for example "M,suzuki,G,sales,O,OnNetters". On the
// wire it is UTF-16LE with a terminating zero under the MIME type kMimeType.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QMimeData;

class OBRIX_API CMemberDragText {
public:
    enum ItemKind { Member, Group, OnNetters };
    struct Item {
        ItemKind kind;
        QString id;
        bool operator==(const Item&) const = default;
    };
    // What the dragged selection holds; the drag image follows it.
    enum DragKind { OneMember = 0, Members = 1, OneGroup = 2, Groups = 3, Mixed = 4 };

    static constexpr const char* kMimeType = "application/x-zelta-members";

    CMemberDragText() = default;
    explicit CMemberDragText(const QList<Item>& items) : m_items(items) {}

    void Add(ItemKind kind, const QString& id) { m_items.append({kind, id}); }
    const QList<Item>& Items() const { return m_items; }
    bool IsEmpty() const { return m_items.isEmpty(); }

    // "M,id,G,id,...": each item as its marker and id, in order.
    QString Text() const;
    // The on-line members count as a group.
    DragKind Kind() const;

    // The text as UTF-16LE bytes with the terminator, and back: reading stops at the first
    // zero character and ignores a dangling odd byte.
    static QByteArray ToBytes(const QString& text);
    static QString FromBytes(const QByteArray& bytes);
    // A new mime data object (the caller owns it) holding the text's bytes, and the text of
    // one; false when the data holds no member drag text.
    QMimeData* ToMimeData() const;
    static bool FromMimeData(const QMimeData* data, QString& text);

    // Reads a text as the receivers do: fields separated by ","; a marker (any case) sets the
    // kind of the ids that follow it until the next marker, so "M,a,b" names two members;
    // the field right after a marker is always an id. Empty fields are skipped. A field before any
    // marker stops the reading: complete is then false and the items read so far are returned.
    static QList<Item> Parse(const QString& text, bool* complete = nullptr);

private:
    QList<Item> m_items;
};
