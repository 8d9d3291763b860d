// The three settings files: their exact bytes, the reading rules, and a box saved and loaded
// again through the loader.
#include "TrovaneTestSupport.h"

#include "obrix/CArchive.h"
#include "plugin/im/trovane/CTrovaneBoxLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace TrovaneBox;
namespace Files = CTrovaneSettingsFiles;

namespace {

// Bytes as spaced hexadecimal text, so that a difference shows where it is.
std::string Hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toStdString();
}
std::string Hex(const char* hex) {
    return Hex(QByteArray::fromHex(QByteArray(hex).replace(' ', "")));
}

// A tree file with these folder records (id, parent, name).
QByteArray TreeFile(const QList<std::tuple<uint32_t, uint32_t, QString>>& folders,
                    uint32_t endMark = Files::kEndMark) {
    CArchive ar;
    ar << uint32_t(0) << uint32_t(folders.size());
    for (const auto& [id, parent, name] : folders) {
        ar << id << uint32_t(ListsReceived) << uint32_t(0);
        for (uint32_t w : {39u, 128u, 96u, 120u})
            ar << w;
        ar << parent << name << uint32_t(0) << uint32_t(IconFolder);
    }
    ar << endMark;
    return ar.Bytes();
}

} // namespace

TEST_F(TrovaneStoreTest, TheTreeFileWritesParentsFirstInTheArchiveEncoding) {
    store.Clear();
    CTrovaneFolder root;
    root.nID = RootFolder;
    root.nFlags = 0x81;
    store.AddFolder(root);
    CTrovaneFolder received;
    received.nID = ReceivedFolder;
    received.nParentID = RootFolder;
    received.nFlags = 0x81;
    received.nExpanded = 1;
    received.strName = u"受信"_qs;
    received.aColumnWidth = {1, 2, 3, 0x1234};
    store.AddFolder(received);

    EXPECT_EQ(Hex(Files::WriteTree(store)),
              Hex("00000000 02000000"
                  // root: id, flags, expanded, widths, parent, empty name, previous, icon
                  "01000000 81000000 00000000 27000000 80000000 60000000 78000000"
                  " 00000000 fffeff00 00000000 01000000"
                  // received, named in UTF-16
                  "02000000 81000000 01000000 01000000 02000000 03000000 34120000"
                  " 01000000 fffeff02 d753e14f 00000000 01000000"
                  " 55555555"));

    // With user folders the order is root, trash, drafts, sent, received, then the rest;
    // every folder comes after its parent.
    Files::CreateSystemFolders(store);
    AddFolder(30, RootFolder);
    AddFolder(20, 30);
    AddFolder(16, TrashFolder);
    AddFolder(17, ReceivedFolder);
    AddFolder(18, 17);
    CArchive ar(Files::WriteTree(store));
    ar.ReadUInt32();
    ASSERT_EQ(ar.ReadUInt32(), 10u);
    QList<uint32_t> order;
    for (int i = 0; i < 10; ++i) {
        order << ar.ReadUInt32();
        for (int w = 0; w < 7; ++w)
            ar.ReadUInt32();
        ar.ReadString();
        ar.ReadUInt32();
        ar.ReadUInt32();
    }
    EXPECT_EQ(order, QList<uint32_t>({1, 5, 16, 4, 3, 2, 17, 18, 30, 20}));
    EXPECT_EQ(ar.ReadUInt32(), Files::kEndMark);
    EXPECT_TRUE(ar.AtEnd());
}

TEST_F(TrovaneStoreTest, ReadingATreeDropsOrphansAndRefusesABadEndMark) {
    store.Clear();
    const QByteArray file = TreeFile({{1, 0, {}},
                                      {2, 1, u"受信箱"_qs},
                                      {17, 16, u"親より先"_qs}, // parent not added yet
                                      {16, 2, u"案件"_qs},
                                      {40, 99, u"迷子"_qs}});
    ASSERT_TRUE(Files::ReadTree(file, store));
    EXPECT_EQ(store.FolderCount(), 3);
    EXPECT_EQ(store.FindFolder(16)->strName, u"案件"_qs);
    EXPECT_EQ(store.FindFolder(17), nullptr);
    EXPECT_EQ(store.FindFolder(40), nullptr);

    store.Clear();
    EXPECT_FALSE(Files::ReadTree(TreeFile({{1, 0, {}}}, 0x55555554), store));
    store.Clear();
    EXPECT_FALSE(Files::ReadTree(TreeFile({{1, 0, {}}}).chopped(1), store));
    store.Clear();
    // A count far beyond the bytes is refused before anything is allocated for it.
    EXPECT_FALSE(Files::ReadTree(QByteArray::fromHex("00000000ffffff7f55555555"), store));

    // After a readable tree the system folders get their names and kinds back, and a missing
    // one is created again.
    store.Clear();
    ASSERT_TRUE(Files::ReadTree(TreeFile({{1, 0, {}}, {5, 1, u"古い名前"_qs}}), store));
    Files::ResetSystemFolders(store, nullptr);
    EXPECT_EQ(store.FolderCount(), 5);
    EXPECT_EQ(store.FindFolder(TrashFolder)->nFlags, 0x10089u);
    EXPECT_EQ(store.FindFolder(TrashFolder)->nIconKind, IconTrash);
    EXPECT_EQ(store.FindFolder(DraftsFolder)->nFlags, 0x20092u);
    EXPECT_NE(store.FindFolder(TrashFolder)->strName, u"古い名前"_qs);
}

TEST_F(TrovaneStoreTest, ConditionsAndEntriesFilesHoldTheirRecordsExactly) {
    CTrovaneTransCond c;
    c.nScope = 2;
    c.nTarget = 1;
    c.strKeyword = u"至急"_qs;
    c.nMode = 3;
    c.nFolder = 16;
    conditions.Append(c);
    EXPECT_EQ(Hex(Files::WriteConditions(conditions)),
              Hex("00000000 01000000 02000000 01000000 fffeff02 f3812560 03000000 10000000"
                  " 01000000 55555555"));

    CTrovaneTransCondList read;
    ASSERT_TRUE(Files::ReadConditions(Files::WriteConditions(conditions), read));
    EXPECT_EQ(read.Conditions(), conditions.Conditions());
    EXPECT_FALSE(Files::ReadConditions(Files::WriteConditions(conditions).chopped(4), read));
    EXPECT_EQ(read.Count(), 0);

    CTrovaneMessage* entry = AddReceived(u"m1"_qs, ReceivedFolder, true);
    ASSERT_TRUE(store.MoveEntry(TrashFolder, entry->LocalNumber()));
    EXPECT_EQ(Hex(Files::WriteEntries(store)),
              Hex("00000000 01000000 05000000 02000000 01000100 fffeff02 6d003100 55555555"));
}

TEST_F(TrovaneStoreTest, ABoxSavedAndLoadedAgainHoldsTheSameEntriesInTheSameFolders) {
    AddFolder(16, ReceivedFolder, u"案件"_qs);
    for (int i = 0; i < 25; ++i) {
        const QString id = QStringLiteral("r%1").arg(i);
        const CLetrix m = MakeMessage(id, u"sato"_qs, u"me"_qs, u"件名 "_qs + id, {},
                                      i % 3 ? 0 : LETRIX_FLAG_READ);
        core.Store(KindReceived, m);
        store.AddEntry(Entry(m, Received, i % 2 ? 16u : ReceivedFolder));
    }
    const CLetrix lost = MakeMessage(u"lost"_qs, u"me"_qs, u"sato"_qs, u"消えた"_qs);
    store.AddEntry(Entry(lost, Sent, SentFolder)); // the core does not have it
    const QByteArray tree = Files::WriteTree(store);
    const QByteArray entries = Files::WriteEntries(store);

    CTrovaneStore loaded;
    ASSERT_TRUE(Files::ReadTree(tree, loaded));
    CTrovaneBoxLoader loader(loaded, core, entries, QString());
    QList<std::pair<int, uint32_t>> events;
    loader.SetProgress([&](int event, uint32_t wParam, uint32_t lParam) {
        EXPECT_EQ(lParam, 10u);
        events << std::pair{event, wParam};
    });
    int slices = 1;
    while (loader.Step())
        ++slices;
    EXPECT_FALSE(loader.IsLoading());
    EXPECT_TRUE(loader.IsComplete());
    EXPECT_EQ(loader.Added(), 26u);
    // 26 entries: a pause after the first and after every tenth.
    EXPECT_EQ(slices, 4);
    // Progress every second entry (26 / 10), then the end.
    ASSERT_EQ(events.size(), 14);
    EXPECT_EQ(events.first(), std::pair(CTrovaneBoxLoader::kProgressEvent, 0u));
    EXPECT_EQ(events[12], std::pair(CTrovaneBoxLoader::kProgressEvent, 12u));
    EXPECT_EQ(events.last(), std::pair(CTrovaneBoxLoader::kDoneEvent, 13u));

    ASSERT_EQ(loaded.EntryCount(), store.EntryCount());
    for (const CTrovaneMessage* before : store.Entries()) {
        const CTrovaneMessage* after =
            loaded.FindEntry(before->GetMessageID(), before->IsReceivedEntry());
        ASSERT_NE(after, nullptr) << before->GetMessageID().toStdString();
        EXPECT_EQ(after->FolderID(), before->FolderID());
        EXPECT_EQ(after->BoxFlags(), before->BoxFlags());
        EXPECT_EQ(after->IsUnreadEntry(), before->IsUnreadEntry());
    }
    EXPECT_EQ(loaded.FindEntry(u"r3"_qs, true)->GetSubject(), u"件名 r3"_qs);
    // The message the core lost stays, with its ID alone.
    const CTrovaneMessage* kept = loaded.FindEntry(u"lost"_qs, false);
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->GetSubject().isEmpty());
    EXPECT_EQ(loaded.FindFolder(16)->nUnreadHere, store.FindFolder(16)->nUnreadHere);
    EXPECT_TRUE(core.handedOut.empty());
}

TEST_F(TrovaneStoreTest, ALoadKeepsWhatItReadBeforeDamageAndFilesTheDraftsOfTheCore) {
    for (int i = 0; i < 3; ++i)
        AddReceived(QStringLiteral("r%1").arg(i), ReceivedFolder);
    const QByteArray entries = Files::WriteEntries(store);
    QTemporaryDir drafts;
    for (const char* id : {"20261207101010101-me", "old.draft-me"}) {
        QFile f(drafts.filePath(QString::fromLatin1(id) + u".zmf"_qs));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        core.Store(KindDraft, MakeMessage(QString::fromLatin1(id), u"me"_qs, u"sato"_qs));
    }
    QFile(drafts.filePath(u"notes.txt"_qs)).open(QIODevice::WriteOnly);

    CTrovaneStore loaded;
    Files::CreateSystemFolders(loaded);
    // Cut inside the third record: two entries survive and the load is not complete.
    CTrovaneBoxLoader loader(loaded, core, entries.left(entries.size() - 10), drafts.path());
    loader.Finish();
    EXPECT_FALSE(loader.IsComplete());
    EXPECT_EQ(loaded.EntriesOf(ReceivedFolder).size(), 2);
    const QList<CTrovaneMessage*> draftEntries = loaded.EntriesOf(DraftsFolder);
    ASSERT_EQ(draftEntries.size(), 2);
    EXPECT_EQ(draftEntries[1]->GetMessageID(), u"old.draft-me"_qs);
    EXPECT_EQ(draftEntries[1]->BoxFlags(), InDrafts | Draft);

    // A second scan finds nothing new.
    CTrovaneBoxLoader again(loaded, core, QByteArray(), drafts.path());
    again.Finish();
    EXPECT_EQ(again.Added(), 0u);
}

TEST_F(TrovaneStoreTest, ASaveCutOffAfterTheTreeStillLoadsEveryEntryOfThePreviousBox) {
    // The previous box: entries in a user folder.
    AddFolder(16, ReceivedFolder);
    for (const char* id : {"a", "b", "c"}) {
        const CLetrix m = MakeMessage(QString::fromLatin1(id), u"sato"_qs, u"me"_qs);
        core.Store(KindReceived, m);
        store.AddEntry(Entry(m, Received, 16));
    }
    const QByteArray previousEntries = Files::WriteEntries(store);
    // The new box deleted that folder and made another; only its tree reached the disk.
    ASSERT_TRUE(store.DeleteFolder(16));
    AddFolder(17, SentFolder);
    const QByteArray newTree = Files::WriteTree(store);

    CTrovaneStore loaded;
    ASSERT_TRUE(Files::ReadTree(newTree, loaded));
    CTrovaneBoxLoader loader(loaded, core, previousEntries, QString());
    loader.Finish();
    EXPECT_TRUE(loader.IsComplete());
    EXPECT_EQ(loaded.EntriesOf(ReceivedFolder).size(), 3);
    EXPECT_NE(loaded.FindFolder(17), nullptr);
}
