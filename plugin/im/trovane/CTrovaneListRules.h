// How the message list and the folder tree present entries and folders: the mark image of a
// row, its colour and weight, the recipient text, the sort orders and where a new entry goes,
// and when a folder's node is bold. Display-free, so that the views stay thin.
#pragma once

#include <QList>
#include <QString>
#include <array>
#include <cstdint>

class CTrovaneMessage;
struct CTrovaneFolder;

namespace CTrovaneListRules {

inline constexpr int kColumns = 4;
inline constexpr int kMarkImages = 32;
// Row text colours as 0xRRGGBB.
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kRed = 0xFF0000;
inline constexpr uint32_t kGrey = 0x999999;
// Tree counts: unread "(n)" and drafts "[n]".
inline constexpr uint32_t kUnreadCountColor = 0x0000FF;
inline constexpr uint32_t kDraftCountColor = 0x009900;

// Mark sorts of the header's column 0 menu, in menu order.
enum MarkSort { PrioritySort, CheckSort, UnreadSort, ReplySort, ForwardSort, AttachSort, ReadSort };
inline constexpr int kMarkSorts = 7;

struct SortState {
    int column = 3;                                      // 0 to 3; 0 with a mark sort in force
    int markSort = -1;                                   // MarkSort, or -1 for none
    std::array<int, kColumns> direction{-1, -1, -1, -1}; // 1 ascending, -1 descending
};

// Image 0 to 31: priority, dog-ear, attachment and the read / forwarded / replied state.
int MarkImage(const CTrovaneMessage& entry);
// Grey for a sent message not yet received everywhere, else red with priority, else black.
uint32_t RowColor(const CTrovaneMessage& entry);
// Unread messages are drawn bold.
bool IsBold(const CTrovaneMessage& entry);
// Column 2 of a sent-style folder: To names, then " Cc:" and " Bcc:" parts when not empty.
QString RecipientText(const CTrovaneMessage& entry, const QString& ccLabel,
                      const QString& bccLabel);
// The text of column 2 for a folder of these flags.
QString PartyText(const CTrovaneMessage& entry, uint32_t folderFlags, const QString& ccLabel,
                  const QString& bccLabel);

// A click on the header of column 1 to 3: the direction flips when it is the sort column
// already; the mark sort is cleared.
void ClickColumn(SortState& state, int column);
// A mark sort chosen from the column 0 menu.
void ChooseMarkSort(SortState& state, MarkSort sort);
// Whether a sorts before b. Column 2 compares the party text of the folder's kind.
bool SortsBefore(const CTrovaneMessage& a, const CTrovaneMessage& b, const SortState& state,
                 uint32_t folderFlags);
void Sort(QList<CTrovaneMessage*>& rows, const SortState& state, uint32_t folderFlags);
// Where a new entry goes in rows sorted by state (binary search).
qsizetype InsertPosition(const QList<CTrovaneMessage*>& rows, const CTrovaneMessage& entry,
                         const SortState& state, uint32_t folderFlags);

// A node is bold with unread entries in its folder, when collapsed with unread entries below,
// and for the drafts folder holding drafts.
bool IsFolderBold(const CTrovaneFolder& folder, bool expanded, int entryCount);

} // namespace CTrovaneListRules
