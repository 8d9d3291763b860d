// The new- and sent-message lists without a window: what enters, what leaves, where a row
// goes for each sort, and the date texts around midnight.
#include "obrix/CLetrix.h"
#include "obrix/ObrixTime.h"
#include "plugin/im/avalin/CMessageListModel.h"
#include "plugin/im/avalin/CSendPage.h"

#include <QFont>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A message sent at a local time, so that the tests read like the list does.
std::unique_ptr<CLetrix> Message(const QString& id, const QString& subject, const QDateTime& local,
                                 uint32_t flags = 0) {
    auto m = std::make_unique<CLetrix>();
    m->SetMessageID(id);
    m->SetSubject(subject);
    m->SetFlags(flags);
    SYSTEMTIME t{};
    t.wYear = uint16_t(local.date().year());
    t.wMonth = uint16_t(local.date().month());
    t.wDay = uint16_t(local.date().day());
    t.wHour = uint16_t(local.time().hour());
    t.wMinute = uint16_t(local.time().minute());
    t.wSecond = uint16_t(local.time().second());
    m->SetSendTime(t, 1);
    return m;
}

QDateTime At(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

QStringList Column(const CMessageListModel& model, int column) {
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts.append(model.index(r, column).data().toString());
    return texts;
}

class MessageListModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.SetYesterdayText(QStringLiteral("昨日"));
        model.SetClock([this] { return now; });
    }
    void Add(const char* id, const char* subject, const QDateTime& sent, const char* second = "",
             int limit = 10, uint32_t flags = 0) {
        model.Add(Message(QString::fromUtf8(id), QString::fromUtf8(subject), sent, flags),
                  QString::fromUtf8(second), limit);
    }
    QDateTime now = At(7, 15);
    CMessageListModel model;
};

TEST_F(MessageListModelTest, TheEleventhMessageDropsTheOldestWhateverTheSortShows) {
    model.Sort(CMessageListModel::SortByDate, false); // newest on top
    // Arrival order is not send order: m0 arrives first but was sent last.
    Add("m0", "first to arrive", At(7, 14, 59));
    for (int i = 1; i <= 9; ++i)
        Add(qPrintable(QStringLiteral("m%1").arg(i)), "x", At(7, 9, i));
    ASSERT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("first to arrive"));

    Add("m10", "eleventh", At(7, 8));
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_FALSE(model.Contains(QStringLiteral("m0")));
    EXPECT_EQ(model.ArrivalOrder().front(), QStringLiteral("m1"));
    // The new row stands where its send time puts it: at the bottom.
    EXPECT_EQ(model.index(9, 0).data().toString(), QStringLiteral("eleventh"));

    // The same id again (any case) is not listed twice.
    Add("M10", "again", At(7, 10));
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.Trim(3), 7);
    EXPECT_EQ(model.ArrivalOrder(), (QStringList{"m8", "m9", "m10"}));
}

TEST_F(MessageListModelTest, NewRowsGoWhereTheSortPutsThemAndSortingTurnsRound) {
    model.Sort(CMessageListModel::SortBySubject, true);
    Add("1", "b", At(7, 10), "Zed");
    Add("2", "d", At(7, 11), "alpha");
    Add("3", "a", At(7, 12), "Beta");
    Add("4", "c", At(7, 9), "beta");
    EXPECT_EQ(Column(model, 0), (QStringList{"a", "b", "c", "d"}));

    // The second column compares case-sensitively ("B" < "Z" < "a" < "b").
    model.SortByColumn(1);
    EXPECT_EQ(Column(model, 1), (QStringList{"Beta", "Zed", "alpha", "beta"}));
    EXPECT_TRUE(model.Ascending());
    model.SortByColumn(1);
    EXPECT_FALSE(model.Ascending());
    EXPECT_EQ(Column(model, 1), (QStringList{"beta", "alpha", "Zed", "Beta"}));
    // Descending inserts before the first smaller row.
    Add("5", "e", At(7, 8), "Yes");
    EXPECT_EQ(Column(model, 1), (QStringList{"beta", "alpha", "Zed", "Yes", "Beta"}));

    // Another column sorts ascending; dates compare as times, not as texts.
    model.SortByColumn(2);
    EXPECT_TRUE(model.Ascending());
    EXPECT_EQ(Column(model, 0), (QStringList{"e", "c", "b", "d", "a"}));
    EXPECT_EQ(model.SortWord(), 0x10002u);
    Add("6", "f", At(7, 10, 30));
    EXPECT_EQ(Column(model, 0), (QStringList{"e", "c", "b", "f", "d", "a"}));
}

TEST_F(MessageListModelTest, DateTextIsTheTimeTodayYesterdayThenTheDateAndFollowsMidnight) {
    Add("today", "t", At(7, 9, 5));
    Add("yesterday", "y", At(6, 23, 59));
    Add("older", "o", At(5, 12));
    model.Sort(CMessageListModel::SortByDate, true);
    EXPECT_EQ(Column(model, 2), (QStringList{"2026/12/05", "昨日", "09:05"}));

    // Nothing changes until the list looks at the clock again after midnight.
    now = At(8, 0, 1);
    EXPECT_EQ(Column(model, 2), (QStringList{"2026/12/05", "昨日", "09:05"}));
    EXPECT_TRUE(model.RefreshDates());
    EXPECT_EQ(Column(model, 2), (QStringList{"2026/12/05", "2026/12/06", "昨日"}));
    EXPECT_FALSE(model.RefreshDates());

    // Across a month's end.
    EXPECT_EQ(CMessageListModel::DateText(QDateTime(QDate(2026, 11, 30), QTime(8, 0)),
                                          QDate(2026, 12, 1), QStringLiteral("昨日")),
              QStringLiteral("昨日"));
    EXPECT_EQ(CMessageListModel::DateText(QDateTime(), QDate(2026, 12, 1), QStringLiteral("昨日")),
              ObrixTime::SendTimePlaceholder());
}

TEST_F(MessageListModelTest, UnreadRowsAreBoldPriorityRedAndReadOnesCanLeave) {
    Add("unread", "u", At(7, 9));
    Add("read", "r", At(7, 10), "", 10, LETRIX_FLAG_READ);
    model.At(model.RowOf(QStringLiteral("read")))->SetPriority(1);
    const QModelIndex unread = model.index(model.RowOf(QStringLiteral("unread")), 0);
    const QModelIndex read = model.index(model.RowOf(QStringLiteral("read")), 0);
    EXPECT_TRUE(unread.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(read.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(unread.data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(read.data(Qt::ForegroundRole).isValid());

    EXPECT_TRUE(model.SetFlags(QStringLiteral("UNREAD"), LETRIX_FLAG_READ));
    EXPECT_FALSE(model.SetFlags(QStringLiteral("unknown"), LETRIX_FLAG_READ));
    EXPECT_EQ(model.RemoveRead(), 2);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(SentDestinations, MembersByNameGroupsByNameAndTheOnlineMembersAsOnNetMembers) {
    CLetrix m;
    m.AddDst(CLetrix::DST_TO, QStringLiteral("aoki,all@sales"));
    m.AddDst(CLetrix::DST_CC, QStringLiteral("all@onnetters"));
    m.AddDst(CLetrix::DST_BCC, QStringLiteral("ghost,baba"));
    CSendPage::Names names;
    names.member = [](const QString& id) {
        return id == u"aoki"_qs ? u"青木  太郎"_qs : id == u"baba"_qs ? u"馬場"_qs : QString();
    };
    names.group = [](const QString& id) { return id == u"sales"_qs ? u"営業部"_qs : QString(); };
    EXPECT_EQ(CSendPage::Destinations(m, names, u"Cc:"_qs, u"Bcc:"_qs),
              u"青木  太郎,営業部,Cc:OnNetMembers,Bcc:馬場"_qs);

    CLetrix toOnly;
    toOnly.AddDst(CLetrix::DST_TO, QStringLiteral("all@sales"));
    EXPECT_EQ(CSendPage::Destinations(toOnly, names, u"Cc:"_qs, u"Bcc:"_qs), u"営業部"_qs);
}

} // namespace
