#include "obrix/CMemberDragText.h"

#include <QMimeData>
#include <QStringList>

#include <cstring>

namespace {

QChar Marker(CMemberDragText::ItemKind kind) {
    switch (kind) {
    case CMemberDragText::Member:
        return u'M';
    case CMemberDragText::Group:
        return u'G';
    case CMemberDragText::OnNetters:
        return u'O';
    }
    return u'M';
}

bool KindOfMarker(QStringView field, CMemberDragText::ItemKind& kind) {
    if (field.size() != 1)
        return false;
    switch (field.front().toUpper().unicode()) {
    case u'M':
        kind = CMemberDragText::Member;
        return true;
    case u'G':
        kind = CMemberDragText::Group;
        return true;
    case u'O':
        kind = CMemberDragText::OnNetters;
        return true;
    default:
        return false;
    }
}

} // namespace

QString CMemberDragText::Text() const {
    QStringList fields;
    fields.reserve(m_items.size() * 2);
    for (const Item& item : m_items) {
        fields.append(QString(Marker(item.kind)));
        fields.append(item.id);
    }
    return fields.join(u',');
}

CMemberDragText::DragKind CMemberDragText::Kind() const {
    qsizetype members = 0;
    qsizetype groups = 0;
    for (const Item& item : m_items)
        ++(item.kind == Member ? members : groups);
    if (members && groups)
        return Mixed;
    if (groups)
        return groups > 1 ? Groups : OneGroup;
    return members > 1 ? Members : OneMember;
}

QByteArray CMemberDragText::ToBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

QString CMemberDragText::FromBytes(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

QMimeData* CMemberDragText::ToMimeData() const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), ToBytes(Text()));
    return data;
}

bool CMemberDragText::FromMimeData(const QMimeData* data, QString& text) {
    const QString mime = QString::fromLatin1(kMimeType);
    if (!data || !data->hasFormat(mime))
        return false;
    text = FromBytes(data->data(mime));
    return true;
}

QList<CMemberDragText::Item> CMemberDragText::Parse(const QString& text, bool* complete) {
    QList<Item> items;
    bool haveMarker = false;
    // The field right after a marker is always an id, so that an id of one letter such as
    // "G" is not taken for a marker.
    bool idDue = false;
    ItemKind kind = Member;
    if (complete)
        *complete = true;
    for (QStringView field : QStringView(text).split(u',')) {
        ItemKind marked;
        if (!idDue && KindOfMarker(field, marked)) {
            kind = marked;
            haveMarker = idDue = true;
            continue;
        }
        idDue = false;
        if (field.isEmpty())
            continue;
        if (!haveMarker) {
            if (complete)
                *complete = false;
            break;
        }
        items.append({kind, field.toString()});
    }
    return items;
}
