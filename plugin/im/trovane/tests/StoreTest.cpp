// The message box's index: entries entering, moving and leaving folders, and the unread
// counts that the tree shows in bold.
#include "TrovaneTestSupport.h"

using namespace TrovaneBox;

TEST_F(TrovaneStoreTest, ReadingTheLastUnreadEntryOfANestedFolderClearsEveryAncestor) {
    AddFolder(16, ReceivedFolder);
    AddFolder(17, 16);
    AddReceived(u"deep"_qs, 17);
    EXPECT_EQ(Here(17), 1u);
    EXPECT_EQ(Below(16), 1u);
    EXPECT_EQ(Below(ReceivedFolder), 1u);
    EXPECT_EQ(Below(RootFolder), 1u);

    // A second unread entry one level up: folder 16 now counts twice in its parent.
    AddReceived(u"middle"_qs, 16);
    EXPECT_EQ(Below(ReceivedFolder), 2u);
    ExpectCountsConsistent();

    ASSERT_TRUE(store.ChangeFlags(u"deep"_qs, LETRIX_FLAG_READ, true));
    EXPECT_EQ(Here(17), 0u);
    EXPECT_EQ(Below(16), 0u);
    EXPECT_EQ(Below(ReceivedFolder), 1u);
    EXPECT_EQ(Below(RootFolder), 1u);

    ASSERT_TRUE(store.ChangeFlags(u"middle"_qs, LETRIX_FLAG_READ, true));
    EXPECT_EQ(Below(ReceivedFolder), 0u);
    EXPECT_EQ(Below(RootFolder), 0u);

    // Unread again and moved away: the counts follow without ever going below zero.
    ASSERT_TRUE(store.ChangeFlags(u"deep"_qs, 0, true));
    EXPECT_EQ(Below(RootFolder), 1u);
    ASSERT_TRUE(store.MoveEntry(SentFolder, store.FindEntry(u"deep"_qs, true)->LocalNumber()));
    EXPECT_EQ(Here(17), 0u);
    EXPECT_EQ(Here(SentFolder), 1u);
    ExpectCountsConsistent();

    // Flags of a sent entry never count, and a missing message is reported.
    EXPECT_FALSE(store.ChangeFlags(u"deep"_qs, 0, false));
    EXPECT_FALSE(store.ChangeFlags(u"nowhere"_qs, 0, true));
}

TEST_F(TrovaneStoreTest, AFolderMovedIntoTheTrashTakesItsSubtreeAndUnreadMarksAlong) {
    AddFolder(16, ReceivedFolder);
    AddFolder(17, 16);
    CTrovaneMessage* top = AddReceived(u"top"_qs, 16);
    CTrovaneMessage* deep = AddReceived(u"deep"_qs, 17);
    AddReceived(u"read"_qs, 17, true);
    ASSERT_TRUE(top && deep);
    EXPECT_EQ(Below(ReceivedFolder), 2u);

    ASSERT_TRUE(store.MoveFolder(TrashFolder, 16));
    EXPECT_EQ(store.FindFolder(16)->nPrevParentID, ReceivedFolder);
    EXPECT_EQ(store.FindFolder(16)->nFlags & HighHalf, InTrash);
    EXPECT_EQ(store.FindFolder(17)->nFlags & HighHalf, InTrash);
    for (const CTrovaneMessage* e : store.EntriesOf(17))
        EXPECT_EQ(e->BoxFlags(), InTrash | Received);
    EXPECT_EQ(top->BoxFlags(), InTrash | Received);
    EXPECT_EQ(Below(ReceivedFolder), 0u);
    EXPECT_EQ(Below(TrashFolder), 2u);
    EXPECT_EQ(Below(RootFolder), 1u);
    ExpectCountsConsistent();

    // Back out of the trash: the inherited half is handed down again.
    ASSERT_TRUE(store.MoveFolder(SentFolder, 16));
    EXPECT_EQ(deep->BoxFlags(), uint32_t(Received));
    EXPECT_EQ(store.FindFolder(17)->nFlags & HighHalf, 0u);
    ExpectCountsConsistent();
}

TEST_F(TrovaneStoreTest, FoldersRefuseMovesThatWouldBreakTheTree) {
    AddFolder(16, ReceivedFolder);
    AddFolder(17, 16);
    EXPECT_FALSE(store.MoveFolder(17, 16)) << "below its own child";
    EXPECT_FALSE(store.MoveFolder(16, 16)) << "below itself";
    EXPECT_FALSE(store.MoveFolder(TrashFolder, ReceivedFolder)) << "a system folder";
    EXPECT_FALSE(store.MoveFolder(99, 16)) << "a missing parent";
    EXPECT_FALSE(store.DeleteFolder(TrashFolder));
    EXPECT_FALSE(store.DeleteFolder(RootFolder));
    EXPECT_EQ(AddFolder(16, SentFolder), nullptr) << "an id in use";
    EXPECT_EQ(AddFolder(40, 99), nullptr) << "a missing parent";
    EXPECT_EQ(store.NewFolderID(), 18u);
    EXPECT_TRUE(store.IsInSubtree(17, ReceivedFolder));
    EXPECT_FALSE(store.IsInSubtree(17, SentFolder));

    // A user folder below the drafts inherits the drafts half whatever its template says.
    CTrovaneFolder f;
    f.nID = 20;
    f.nParentID = DraftsFolder;
    f.nFlags = InTrash | ListsSent;
    EXPECT_EQ(store.AddFolder(f)->nFlags, InDrafts | ListsSent);
}

TEST_F(TrovaneStoreTest, DeletingAFolderDropsItsEntriesConditionsAndCountsButNotTheCoreCopies) {
    AddFolder(16, ReceivedFolder);
    AddFolder(17, 16);
    AddReceived(u"a"_qs, 16);
    CLetrix reply = MakeMessage(u"b"_qs, u"sato"_qs, u"me"_qs);
    reply.SetReferenceID(u"a"_qs);
    store.AddEntry(Entry(reply, Received, 17));
    EXPECT_EQ(store.Replies(u"a"_qs).size(), 1);
    conditions.Append({CTrovaneTransCond::ScopeSubject, 0, u"x"_qs, 2, 17, 1, -1});
    conditions.Append({CTrovaneTransCond::ScopeSubject, 0, u"y"_qs, 2, SentFolder, 1, -1});

    ASSERT_TRUE(store.DeleteFolder(16));
    EXPECT_EQ(store.FindFolder(16), nullptr);
    EXPECT_EQ(store.FindFolder(17), nullptr);
    EXPECT_EQ(store.EntryCount(), 0);
    EXPECT_EQ(store.FindEntry(u"b"_qs, true), nullptr);
    EXPECT_TRUE(store.Replies(u"a"_qs).isEmpty());
    ASSERT_EQ(conditions.Count(), 1);
    EXPECT_EQ(conditions.Conditions()[0].nFolder, SentFolder);
    EXPECT_EQ(Below(ReceivedFolder), 0u);
    EXPECT_EQ(Below(RootFolder), 0u);

    // The same message can enter again afterwards.
    EXPECT_NE(AddReceived(u"b"_qs, ReceivedFolder), nullptr);

    // Emptying the trash keeps the trash itself.
    AddFolder(18, TrashFolder);
    AddReceived(u"t"_qs, 18);
    AddReceived(u"u"_qs, TrashFolder);
    ASSERT_TRUE(store.DeleteFolderContents(TrashFolder));
    EXPECT_NE(store.FindFolder(TrashFolder), nullptr);
    EXPECT_EQ(store.FindFolder(18), nullptr);
    EXPECT_EQ(store.EntryCount(), 1);
    ExpectCountsConsistent();
}

TEST_F(TrovaneStoreTest, AMessageEntersOnceForEachDirection) {
    CLetrix message = MakeMessage(u"m1"_qs, u"sato"_qs, u"me"_qs);
    EXPECT_NE(store.AddEntry(Entry(message, Received)), nullptr);
    EXPECT_EQ(store.AddEntry(Entry(message, Received)), nullptr);
    // Sent to oneself: the sent copy is a different entry.
    EXPECT_NE(store.AddEntry(Entry(message, Sent)), nullptr);
    // A draft saved twice under one ID stays one entry.
    CLetrix draft = MakeMessage(u"d1"_qs, u"me"_qs, u"sato"_qs);
    EXPECT_NE(store.AddEntry(Entry(draft, Draft, DraftsFolder)), nullptr);
    EXPECT_EQ(store.AddEntry(Entry(draft, Draft, DraftsFolder)), nullptr);
    EXPECT_EQ(store.EntryCount(), 3);
    EXPECT_EQ(store.EntriesOf(DraftsFolder).first()->BoxFlags(), InDrafts | Draft);
}

TEST_F(TrovaneStoreTest, EntriesOfAMissingFolderGoToTheDefaultFolderOfTheirKind) {
    CLetrix m = MakeMessage(u"r"_qs, u"sato"_qs, u"me"_qs);
    EXPECT_EQ(store.AddEntry(Entry(m, Received, 77))->FolderID(), ReceivedFolder);
    EXPECT_EQ(store.AddEntry(Entry(m, Sent, 77))->FolderID(), SentFolder);
    CLetrix d = MakeMessage(u"d"_qs, u"me"_qs, u"sato"_qs);
    EXPECT_EQ(store.AddEntry(Entry(d, Draft, 0))->FolderID(), DraftsFolder);
    // An entry of no kind has no default folder and is refused rather than lost from view.
    CLetrix x = MakeMessage(u"x"_qs, u"me"_qs, u"sato"_qs);
    EXPECT_EQ(store.AddEntry(Entry(x, 0, 77)), nullptr);
    EXPECT_EQ(store.EntryCount(), 3);

    // Local numbers are never 0; a deleted entry leaves every map.
    const uint32_t first = store.FindEntry(u"r"_qs, true)->LocalNumber();
    EXPECT_NE(first, 0u);
    ASSERT_TRUE(store.DeleteEntry(first));
    EXPECT_EQ(store.FindEntry(first), nullptr);
    EXPECT_EQ(store.FindEntry(u"r"_qs, true), nullptr);
    EXPECT_NE(store.FindEntry(u"r"_qs, false), nullptr);
    EXPECT_EQ(store.FindEntry(store.NewLocalNumber()), nullptr);
}

TEST_F(TrovaneStoreTest, DisplayStringsNameMembersGroupsAndEveryoneOnLine) {
    core.AddMember(u"sato"_qs, u"佐藤  太郎"_qs);
    core.AddGroup(u"g1"_qs, u"総務部"_qs);
    CLetrix m = MakeMessage(u"m"_qs, u"me"_qs, u"sato,all@g1,all@OnNetters,ghost"_qs);
    m.AddDst(CLetrix::DST_CC, u"sato"_qs);
    m.AddDst(CLetrix::DST_BCC, u"all@g1"_qs);

    const CTrovaneMessage sent = Entry(m, Sent);
    EXPECT_EQ(sent.ToList(), u"佐藤  太郎 [sato], 総務部 [g1], OnNetMembers [OnNetters], ghost"_qs);
    EXPECT_EQ(sent.ToNames(), u"佐藤  太郎, 総務部, OnNetMembers, ghost"_qs);
    EXPECT_EQ(sent.CcList(), u"佐藤  太郎 [sato]"_qs);
    EXPECT_EQ(sent.BccNames(), u"総務部"_qs);

    // A received message never shows blind copies.
    const CTrovaneMessage received = Entry(m, Received);
    EXPECT_TRUE(received.BccList().isEmpty());
    EXPECT_EQ(received.CcNames(), u"佐藤  太郎"_qs);

    // An empty destination is skipped without a stray separator.
    CLetrix gaps = MakeMessage(u"g"_qs, u"me"_qs, u"x,,y"_qs);
    EXPECT_EQ(Entry(gaps, Sent).ToList(), u"x, y"_qs);
}

TEST_F(TrovaneStoreTest, FillingMarksObjectsAndResetsTheInheritedHalf) {
    CLetrix plain = MakeMessage(u"p"_qs, u"a"_qs, u"b"_qs, {}, u"<P>本文</P>"_qs);
    CLetrix attached =
        MakeMessage(u"o"_qs, u"a"_qs, u"b"_qs, {}, u"<p>x</p><object data=\"f.txt\"></Object>"_qs);
    EXPECT_EQ(Entry(plain, InTrash | Received).BoxFlags(), uint32_t(Received));
    EXPECT_EQ(Entry(attached, Received).BoxFlags(), Received | HasObject);
    EXPECT_EQ(Entry(plain, Draft).Kind(), KindDraft);
    EXPECT_EQ(Entry(plain, Sent).Kind(), KindSent);
    EXPECT_EQ(Entry(plain, Received).Kind(), KindReceived);
    EXPECT_EQ(Entry(plain, 0).Kind(), KindOther);
}

TEST_F(TrovaneStoreTest, AnEntryWithoutItsBodyFetchesItOnce) {
    core.Store(KindReceived, MakeMessage(u"b"_qs, u"a"_qs, u"me"_qs, {}, u"遅れて届く本文"_qs));
    CTrovaneMessage entry;
    entry.SetMessageID(u"b"_qs);
    entry.SetBoxFlags(Received | BodyNotHeld);
    EXPECT_EQ(entry.Body(core), u"遅れて届く本文"_qs);
    EXPECT_EQ(entry.BoxFlags(), uint32_t(Received));
    EXPECT_EQ(entry.Body(core), u"遅れて届く本文"_qs);
    EXPECT_EQ(core.getCalls, 1);
    EXPECT_TRUE(core.handedOut.empty());
}
