#include "plugin/im/trovane/CTrovaneListRules.h"

#include "plugin/im/trovane/CTrovaneFolder.h"
#include "plugin/im/trovane/CTrovaneMessage.h"

#include <algorithm>
#include <tuple>

using namespace TrovaneBox;

namespace CTrovaneListRules {

namespace {

// Send times in field order, day of week left out.
auto TimeKey(const CTrovaneMessage& e) {
    const SYSTEMTIME t = e.GetSendTime(0);
    return std::tuple(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

int CompareTimes(const CTrovaneMessage& a, const CTrovaneMessage& b) {
    const auto ka = TimeKey(a), kb = TimeKey(b);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

bool HasMark(const CTrovaneMessage& e, int sort) {
    switch (sort) {
    case CheckSort:
        return e.IsDogear();
    case UnreadSort:
        return e.IsUnRead();
    case ReplySort:
        return e.IsReply();
    case ForwardSort:
        return e.IsForward();
    case AttachSort:
        return e.BoxFlags() & HasObject;
    case ReadSort:
        return !e.IsUnRead();
    default:
        return false;
    }
}

} // namespace

int MarkImage(const CTrovaneMessage& entry) {
    const bool priority = entry.GetPriority() != 0;
    int image = entry.IsDogear() ? (priority ? 3 : 2) : (priority ? 1 : 0);
    if (entry.BoxFlags() & HasObject)
        image += 4;
    if (entry.IsReply())
        image += 24;
    else if (entry.IsForward())
        image += 16;
    else if (!entry.IsUnRead())
        image += 8;
    return image;
}

uint32_t RowColor(const CTrovaneMessage& entry) {
    if ((entry.BoxFlags() & Sent) && !entry.IsRecieved())
        return kGrey;
    return entry.GetPriority() != 0 ? kRed : kBlack;
}

bool IsBold(const CTrovaneMessage& entry) {
    return entry.IsUnRead();
}

QString RecipientText(const CTrovaneMessage& entry, const QString& ccLabel,
                      const QString& bccLabel) {
    QString text = entry.ToNames();
    if (!entry.CcNames().isEmpty())
        text += u' ' + ccLabel + u':' + entry.CcNames();
    if (!entry.BccNames().isEmpty())
        text += u' ' + bccLabel + u':' + entry.BccNames();
    return text;
}

QString PartyText(const CTrovaneMessage& entry, uint32_t folderFlags, const QString& ccLabel,
                  const QString& bccLabel) {
    return (folderFlags & ListsReceived) ? entry.GetFromName()
                                         : RecipientText(entry, ccLabel, bccLabel);
}

void ClickColumn(SortState& state, int column) {
    if (column < 1 || column >= kColumns)
        return;
    if (state.column == column)
        state.direction[column] = state.direction[column] == -1 ? 1 : -1;
    state.column = column;
    state.markSort = -1;
}

void ChooseMarkSort(SortState& state, MarkSort sort) {
    state.column = 0;
    state.markSort = sort;
}

bool SortsBefore(const CTrovaneMessage& a, const CTrovaneMessage& b, const SortState& state,
                 uint32_t folderFlags) {
    const int newerFirst = -CompareTimes(a, b);
    if (state.column == 0 && state.markSort >= 0) {
        int keyFirst;
        if (state.markSort == PrioritySort)
            keyFirst = a.GetPriority() > b.GetPriority()   ? -1
                       : a.GetPriority() < b.GetPriority() ? 1
                                                           : 0;
        else
            keyFirst = int(HasMark(b, state.markSort)) - int(HasMark(a, state.markSort));
        return keyFirst != 0 ? keyFirst < 0 : newerFirst < 0;
    }
    const int direction = state.direction[size_t(std::clamp(state.column, 0, kColumns - 1))];
    int order = 0;
    switch (state.column) {
    case 1:
        order = a.GetSubject().compare(b.GetSubject(), Qt::CaseInsensitive);
        break;
    case 2:
        // The labels are the same for both rows, so plain ones order them alike.
        order = PartyText(a, folderFlags, {}, {})
                    .compare(PartyText(b, folderFlags, {}, {}), Qt::CaseInsensitive);
        break;
    default:
        return CompareTimes(a, b) * direction < 0;
    }
    order = (order > 0) - (order < 0);
    if (order != 0)
        return order * direction < 0;
    return newerFirst < 0;
}

void Sort(QList<CTrovaneMessage*>& rows, const SortState& state, uint32_t folderFlags) {
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const CTrovaneMessage* a, const CTrovaneMessage* b) {
                         return SortsBefore(*a, *b, state, folderFlags);
                     });
}

qsizetype InsertPosition(const QList<CTrovaneMessage*>& rows, const CTrovaneMessage& entry,
                         const SortState& state, uint32_t folderFlags) {
    auto it = std::upper_bound(rows.begin(), rows.end(), &entry,
                               [&](const CTrovaneMessage* a, const CTrovaneMessage* b) {
                                   return SortsBefore(*a, *b, state, folderFlags);
                               });
    return it - rows.begin();
}

bool IsFolderBold(const CTrovaneFolder& folder, bool expanded, int entryCount) {
    if (folder.nUnreadHere != 0)
        return true;
    if (!expanded && folder.nUnreadBelow != 0)
        return true;
    return folder.nID == DraftsFolder && entryCount > 0;
}

} // namespace CTrovaneListRules
