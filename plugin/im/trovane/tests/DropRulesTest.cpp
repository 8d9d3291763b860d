// Drag and drop onto the folder tree: which drops are taken, and the name a dropped folder
// takes beside its new siblings.
#include "TrovaneTestSupport.h"
#include "plugin/im/trovane/CTrovaneDropRules.h"

namespace {

using namespace TrovaneBox;
namespace Drop = CTrovaneDropRules;

TEST_F(TrovaneStoreTest, MessageDropsMoveButNotOntoTheirOwnFolderAndAskForTheTrash) {
    AddFolder(16, ReceivedFolder);
    EXPECT_EQ(Drop::MessageDragImage(1), 0);
    EXPECT_EQ(Drop::MessageDragImage(3), 1);
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, ReceivedFolder), Drop::Refused);
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, RootFolder), Drop::Refused);
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, 99), Drop::Refused);
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, 16), Drop::Move);
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, TrashFolder), Drop::MoveToTrash);
    ASSERT_TRUE(store.MoveFolder(TrashFolder, 16));
    EXPECT_EQ(Drop::MessageDrop(store, ReceivedFolder, 16), Drop::MoveToTrash);
}

TEST_F(TrovaneStoreTest, FolderDropsRefuseTheOwnSubtreeTheDraftsAndSystemFolders) {
    AddFolder(16, ReceivedFolder);
    AddFolder(17, 16);
    AddFolder(18, 17);
    AddFolder(19, SentFolder);
    EXPECT_FALSE(Drop::CanDragFolder(store, ReceivedFolder));
    EXPECT_TRUE(Drop::CanDragFolder(store, 16));
    EXPECT_FALSE(Drop::IsFolderCandidate(store, 16, 16));
    EXPECT_FALSE(Drop::IsFolderCandidate(store, 16, 18));
    EXPECT_TRUE(Drop::IsFolderCandidate(store, 18, 16));
    EXPECT_EQ(Drop::FolderDrop(store, 16, 18), Drop::Refused);
    EXPECT_EQ(Drop::FolderDrop(store, 16, DraftsFolder), Drop::Refused);
    EXPECT_EQ(Drop::FolderDrop(store, 17, 16), Drop::Refused); // where it lies already
    EXPECT_EQ(Drop::FolderDrop(store, ReceivedFolder, 19), Drop::Refused);
    EXPECT_EQ(Drop::FolderDrop(store, 17, 19), Drop::Move);
    EXPECT_EQ(Drop::FolderDrop(store, 17, TrashFolder), Drop::MoveToTrash);
    EXPECT_FALSE(Drop::MoveFolder(store, 16, 18));
    EXPECT_EQ(store.FindFolder(16)->nParentID, ReceivedFolder);
}

TEST_F(TrovaneStoreTest, AFolderDroppedBesideASiblingOfTheSameNameTakesTheNextFreeNumber) {
    AddFolder(16, ReceivedFolder, u"案件"_qs);
    AddFolder(17, ReceivedFolder, u"案件1"_qs);
    AddFolder(18, SentFolder, u"案件"_qs);
    AddFolder(19, SentFolder, u"メモ"_qs);
    AddFolder(20, 19, u"報告"_qs);
    ASSERT_TRUE(Drop::MoveFolder(store, 18, ReceivedFolder));
    EXPECT_EQ(store.FindFolder(18)->strName, u"案件2"_qs);
    EXPECT_EQ(store.FindFolder(18)->nParentID, ReceivedFolder);
    // Without a clash the name stays, and the subtree moves along.
    ASSERT_TRUE(Drop::MoveFolder(store, 19, 16));
    EXPECT_EQ(store.FindFolder(19)->strName, u"メモ"_qs);
    EXPECT_TRUE(store.IsInSubtree(20, 16));
}

TEST_F(TrovaneStoreTest, NamesClashRegardlessOfCaseWhenAFolderIsDropped) {
    AddFolder(16, ReceivedFolder, u"Work"_qs);
    AddFolder(17, SentFolder, u"WORK"_qs);
    ASSERT_TRUE(Drop::MoveFolder(store, 17, ReceivedFolder));
    EXPECT_EQ(store.FindFolder(17)->strName, u"WORK1"_qs);
}

TEST_F(TrovaneStoreTest, AFolderDroppedIntoTheTrashCarriesItsUnreadMarksThere) {
    AddFolder(16, ReceivedFolder);
    AddReceived(u"u"_qs, 16);
    ASSERT_EQ(Drop::FolderDrop(store, 16, TrashFolder), Drop::MoveToTrash);
    ASSERT_TRUE(Drop::MoveFolder(store, 16, TrashFolder));
    EXPECT_EQ(store.FindEntry(u"u"_qs, true)->BoxFlags() & HighHalf, InTrash);
    EXPECT_EQ(Below(ReceivedFolder), 0u);
    EXPECT_EQ(Below(TrashFolder), 1u);
    ExpectCountsConsistent();
}

} // namespace
