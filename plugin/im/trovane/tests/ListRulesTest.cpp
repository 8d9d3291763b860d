// How rows and folders look and sort, and the preview page of an entry.
#include "TrovaneTestSupport.h"

#include "plugin/im/trovane/CTrovaneListRules.h"
#include "plugin/im/trovane/CTrovanePreviewPage.h"

using namespace TrovaneBox;
namespace Rules = CTrovaneListRules;
namespace Page = CTrovanePreviewPage;

namespace {

CLetrix Timed(const QString& id, const QString& subject, int minute, uint32_t flags = 0) {
    CLetrix m = MakeMessage(id, u"sato"_qs, u"me"_qs, subject, {}, flags);
    m.SetSendTime(QStringLiteral("202612071200%1").arg(minute, 2, 10, QLatin1Char('0')), 0);
    return m;
}

QStringList Ids(const QList<CTrovaneMessage*>& rows) {
    QStringList ids;
    for (const CTrovaneMessage* e : rows)
        ids << e->GetMessageID();
    return ids;
}

} // namespace

TEST_F(TrovaneStoreTest, MarkImagesColoursAndWeightFollowTheFlags) {
    CLetrix m = MakeMessage(u"m"_qs, u"a"_qs, u"b"_qs, {}, u"<OBJECT>f.txt</OBJECT>"_qs,
                            LETRIX_FLAG_READ | LETRIX_FLAG_REPLY | LETRIX_FLAG_DOGEAR);
    m.SetPriority(1);
    EXPECT_EQ(Rules::MarkImage(Entry(m, Received)), 31);
    m.SetFlags(LETRIX_FLAG_FORWARD | LETRIX_FLAG_READ);
    m.SetMessage(QString());
    EXPECT_EQ(Rules::MarkImage(Entry(m, Received)), 17);
    m.SetFlags(LETRIX_FLAG_READ);
    m.SetPriority(0);
    EXPECT_EQ(Rules::MarkImage(Entry(m, Received)), 8);
    m.SetFlags(0);
    EXPECT_EQ(Rules::MarkImage(Entry(m, Received)), 0);
    EXPECT_TRUE(Rules::IsBold(Entry(m, Received)));

    m.SetPriority(2);
    EXPECT_EQ(Rules::RowColor(Entry(m, Received)), Rules::kRed);
    // Sent and not yet received everywhere: grey even with priority.
    EXPECT_EQ(Rules::RowColor(Entry(m, Sent)), Rules::kGrey);
    m.SetFlags(LETRIX_FLAG_RECEIVED | LETRIX_FLAG_READ);
    EXPECT_EQ(Rules::RowColor(Entry(m, Sent)), Rules::kRed);
    m.SetPriority(0);
    EXPECT_EQ(Rules::RowColor(Entry(m, Sent)), Rules::kBlack);
    EXPECT_FALSE(Rules::IsBold(Entry(m, Sent)));

    core.AddMember(u"b"_qs, u"鈴木"_qs);
    core.AddMember(u"c"_qs, u"高橋"_qs);
    m.AddDst(CLetrix::DST_BCC, u"c"_qs);
    EXPECT_EQ(Rules::PartyText(Entry(m, Sent), ListsSent, u"Cc"_qs, u"Bcc"_qs),
              u"鈴木 Bcc:高橋"_qs);
    EXPECT_EQ(Rules::PartyText(Entry(m, Received), ListsReceived, u"Cc"_qs, u"Bcc"_qs), u"A"_qs);
}

TEST_F(TrovaneStoreTest, ColumnsSortWithNewerFirstOnTiesAndMarkSortsPutMarkedRowsFirst) {
    QList<CTrovaneMessage*> rows;
    rows << store.AddEntry(Entry(Timed(u"old"_qs, u"beta"_qs, 1), Received));
    rows << store.AddEntry(Entry(Timed(u"mid"_qs, u"Alpha"_qs, 2, LETRIX_FLAG_READ), Received));
    rows << store.AddEntry(Entry(Timed(u"new"_qs, u"alpha"_qs, 3, LETRIX_FLAG_READ), Received));

    Rules::SortState state;
    Rules::Sort(rows, state, ListsReceived);
    EXPECT_EQ(Ids(rows), QStringList({u"new"_qs, u"mid"_qs, u"old"_qs}));
    // The Date header clicked twice: oldest first, then newest first again.
    Rules::ClickColumn(state, 3);
    Rules::Sort(rows, state, ListsReceived);
    EXPECT_EQ(Ids(rows), QStringList({u"old"_qs, u"mid"_qs, u"new"_qs}));
    Rules::ClickColumn(state, 3);
    Rules::Sort(rows, state, ListsReceived);
    EXPECT_EQ(Ids(rows).first(), u"new"_qs);

    // Subjects without regard to case; equal ones newer first, whatever the direction.
    Rules::ClickColumn(state, 1);
    EXPECT_EQ(state.direction[1], -1) << "a column keeps its direction when it becomes current";
    Rules::ClickColumn(state, 1);
    Rules::Sort(rows, state, ListsReceived);
    EXPECT_EQ(Ids(rows), QStringList({u"new"_qs, u"mid"_qs, u"old"_qs}));

    Rules::ChooseMarkSort(state, Rules::UnreadSort);
    Rules::Sort(rows, state, ListsReceived);
    EXPECT_EQ(Ids(rows), QStringList({u"old"_qs, u"new"_qs, u"mid"_qs}));
    Rules::ClickColumn(state, 2);
    EXPECT_EQ(state.markSort, -1);

    // A new entry goes where the order puts it.
    Rules::ChooseMarkSort(state, Rules::UnreadSort);
    const CTrovaneMessage late = Entry(Timed(u"late"_qs, u"x"_qs, 9, LETRIX_FLAG_READ), Received);
    EXPECT_EQ(Rules::InsertPosition(rows, late, state, ListsReceived), 1);
    const CTrovaneMessage early = Entry(Timed(u"early"_qs, u"x"_qs, 0), Received);
    EXPECT_EQ(Rules::InsertPosition(rows, early, state, ListsReceived), 1);
}

TEST_F(TrovaneStoreTest, ACollapsedFolderIsBoldForUnreadBelowAndTheDraftsForDrafts) {
    AddFolder(16, ReceivedFolder);
    AddReceived(u"r"_qs, 16);
    const CTrovaneFolder& received = *store.FindFolder(ReceivedFolder);
    EXPECT_TRUE(Rules::IsFolderBold(received, false, 0));
    EXPECT_FALSE(Rules::IsFolderBold(received, true, 0));
    EXPECT_TRUE(Rules::IsFolderBold(*store.FindFolder(16), true, 1));
    EXPECT_TRUE(Rules::IsFolderBold(*store.FindFolder(DraftsFolder), true, 2));
    EXPECT_FALSE(Rules::IsFolderBold(*store.FindFolder(DraftsFolder), true, 0));
}

TEST(TrovanePreviewPage, ThePageKeepsTheTextPreformattedAndDropsObjects) {
    EXPECT_TRUE(Page::BuildPage(QString()).startsWith(u"<HEAD><meta"_qs));

    const QString composed = Page::BuildPage(
        u"<BODY BGCOLOR=\"#FFFFFF\"><A HREF=\"http://x\">x</A><OBJECT>a.txt</OBJECT></BODY>"_qs);
    EXPECT_TRUE(composed.contains(u"<BODY BGCOLOR=\"#FFFFFF\"><PRE><A HREF=\"http://x\">"_qs));
    EXPECT_TRUE(composed.contains(u"</A></PRE></BODY>"_qs));
    EXPECT_FALSE(composed.contains(u"a.txt"_qs));
    EXPECT_FALSE(composed.contains(u"TARGET"_qs)) << "links get a target only with <BODY>";

    const QString plain = Page::BuildPage(u"<BODY><a href=x>y</a></BODY>"_qs);
    EXPECT_TRUE(plain.contains(u"<BODY><PRE><a href=x TARGET=_blank>y</a></PRE></BODY>"_qs));
    // Without an end tag nothing is preformatted; old-form marks are converted.
    EXPECT_FALSE(Page::BuildPage(u"<BODY>x"_qs).contains(u"<PRE>"_qs));
    EXPECT_TRUE(Page::BuildPage(u"1[EQ]2"_qs).contains(u"<DT>1=2</DT>"_qs));
}

TEST_F(TrovaneStoreTest, TheHeaderPutsTheSenderFirstForReceivedMessagesOnly) {
    core.AddMember(u"b"_qs, u"鈴木"_qs);
    CLetrix m = MakeMessage(u"m"_qs, u"a"_qs, u"b"_qs, u"件名"_qs);
    m.AddDst(CLetrix::DST_CC, u"b"_qs);
    const Page::Labels labels{u"差出人"_qs, u"件名"_qs,  u"日時"_qs, u"宛先"_qs,
                              u"S件名"_qs,  u"S日時"_qs, u"Cc"_qs,   u"Bcc"_qs};
    const QStringList received = Page::HeaderText(Entry(m, Received), labels).split(u'\n');
    ASSERT_EQ(received.size(), 3);
    EXPECT_TRUE(received[0].startsWith(u"件名: 件名\t\t日時: "_qs));
    EXPECT_EQ(received[1], u"差出人: A"_qs);
    EXPECT_EQ(received[2], u"宛先: 鈴木 Cc: 鈴木 "_qs);
    const QStringList sent = Page::HeaderText(Entry(m, Sent), labels).split(u'\n');
    EXPECT_TRUE(sent[0].startsWith(u"S件名: 件名\t\tS日時: "_qs));
    EXPECT_EQ(sent[2], u"差出人: A"_qs);

    const QList<Page::Attachment> files = Page::Attachments(
        u"<OBJECT>b.pdf</OBJECT>x<object data=1>a.txt</object><OBJECT>../../etc/passwd</OBJECT>"_qs,
        u"/m/"_qs, u"id1"_qs);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].name, u"b.pdf"_qs);
    EXPECT_EQ(files[1].path, u"/m/files/id1a.txt"_qs);
}
