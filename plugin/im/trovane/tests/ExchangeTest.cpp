// Export and import: which messages an export hands to the core, and how the messages of an
// import file are filed.
#include "TrovaneTestSupport.h"
#include "plugin/im/trovane/CTrovaneExchange.h"

namespace {

using namespace TrovaneBox;

class ExchangeTest : public TrovaneStoreTest {
protected:
    // A message the core stores under a kind, and its entry in the box.
    CTrovaneMessage* Keep(int32_t kind, const QString& id, uint32_t boxFlags,
                          const QString& subject = u"件名"_qs) {
        const CLetrix m = MakeMessage(id, u"sato"_qs, u"me"_qs, subject);
        core.Store(kind, m);
        return store.AddEntry(Entry(m, boxFlags));
    }
    CTrovaneTransCond SubjectTo(const QString& keyword, uint32_t folder, uint32_t target) {
        CTrovaneTransCond c;
        c.nScope = CTrovaneTransCond::ScopeSubject;
        c.nTarget = target;
        c.strKeyword = keyword;
        c.nFolder = folder;
        return c;
    }
};

TEST_F(ExchangeTest, ExportGroupsDraftsSentAndReceivedAndLeavesTheTrashOut) {
    Keep(KindReceived, u"r1"_qs, Received);
    Keep(KindSent, u"s1"_qs, Sent);
    Keep(KindDraft, u"d1"_qs, Draft);
    CTrovaneMessage* trashed = Keep(KindReceived, u"r2"_qs, Received);
    store.MoveEntry(TrashFolder, trashed->LocalNumber());
    const CTrovaneExchange::Groups groups = CTrovaneExchange::ExportGroups(store);
    EXPECT_EQ(groups.drafts, QStringList{u"d1"_qs});
    EXPECT_EQ(groups.sent, QStringList{u"s1"_qs});
    EXPECT_EQ(groups.received, QStringList{u"r1"_qs});
    EXPECT_EQ(groups.All(), (QStringList{u"d1"_qs, u"s1"_qs, u"r1"_qs}));
}

TEST_F(ExchangeTest, ABoxWithMessagesOnlyInTheTrashHasNothingToExport) {
    CTrovaneMessage* r = Keep(KindReceived, u"r"_qs, Received);
    CTrovaneMessage* s = Keep(KindSent, u"s"_qs, Sent);
    AddFolder(16, ReceivedFolder);
    store.MoveEntry(16, r->LocalNumber());
    store.MoveEntry(TrashFolder, s->LocalNumber());
    ASSERT_TRUE(store.MoveFolder(TrashFolder, 16));
    EXPECT_TRUE(CTrovaneExchange::ExportGroups(store).IsEmpty());
}

TEST_F(ExchangeTest, ImportOfAFileMadeFromTheSameBoxAddsNothing) {
    Keep(KindReceived, u"r"_qs, Received);
    Keep(KindSent, u"s"_qs, Sent);
    Keep(KindDraft, u"d"_qs, Draft);
    const int before = store.EntryCount();
    const CTrovaneExchange::Groups exported = CTrovaneExchange::ExportGroups(store);
    core.getCalls = 0;
    const CTrovaneExchange::ImportResult result =
        CTrovaneExchange::Import(exported, store, conditions, core);
    EXPECT_TRUE(result.added.isEmpty());
    EXPECT_EQ(result.duplicates, 3);
    EXPECT_EQ(store.EntryCount(), before);
    EXPECT_EQ(core.getCalls, 0);
}

TEST_F(ExchangeTest, ImportFilesDraftsToTheDraftsAndTheRestByTheConditions) {
    AddFolder(16, ReceivedFolder, u"週報"_qs);
    AddFolder(17, SentFolder, u"送信分"_qs);
    conditions.Append(SubjectTo(u"週報"_qs, 16, 2)); // every message with the word
    conditions.Append(SubjectTo(u"送"_qs, 17, CTrovaneTransCond::TargetSent));
    for (const auto& [kind, id] :
         {std::pair{KindDraft, u"d"_qs}, std::pair{KindSent, u"s"_qs},
          std::pair{KindReceived, u"r"_qs}, std::pair{KindReceived, u"plain"_qs}})
        core.Store(kind, MakeMessage(id, u"sato"_qs, u"me"_qs,
                                     id == u"plain"_qs ? u"こんにちは"_qs : u"週報 送付"_qs));
    CTrovaneExchange::Groups ids;
    ids.drafts = {u"d"_qs};
    ids.sent = {u"s"_qs};
    ids.received = {u"r"_qs, u"plain"_qs, u"unknown"_qs};
    QList<qsizetype> steps;
    const CTrovaneExchange::ImportResult result =
        CTrovaneExchange::Import(ids, store, conditions, core, [&steps](qsizetype done) {
            steps << done;
            return true;
        });
    ASSERT_EQ(result.added.size(), 4);
    EXPECT_EQ(result.missing, 1);
    EXPECT_EQ(steps.last(), 5);

    const CTrovaneMessage* draft = store.FindEntry(u"d"_qs, false);
    ASSERT_NE(draft, nullptr);
    EXPECT_EQ(draft->FolderID(), DraftsFolder); // regardless of the conditions
    EXPECT_EQ(draft->BoxFlags() & LowHalf, Draft);
    EXPECT_EQ(store.FindEntry(u"s"_qs, false)->FolderID(), 17u);
    EXPECT_EQ(store.FindEntry(u"s"_qs, false)->BoxFlags() & LowHalf, Sent);
    EXPECT_EQ(store.FindEntry(u"r"_qs, true)->FolderID(), 16u);
    EXPECT_EQ(store.FindEntry(u"plain"_qs, true)->FolderID(), ReceivedFolder);
    EXPECT_TRUE(core.handedOut.empty()); // every record went back to the core
    ExpectCountsConsistent();
}

TEST_F(ExchangeTest, ImportStopsWhenTheProgressSaysSo) {
    core.Store(KindReceived, MakeMessage(u"a"_qs, u"sato"_qs, u"me"_qs));
    core.Store(KindReceived, MakeMessage(u"b"_qs, u"sato"_qs, u"me"_qs));
    CTrovaneExchange::Groups ids;
    ids.received = {u"a"_qs, u"b"_qs};
    const CTrovaneExchange::ImportResult result = CTrovaneExchange::Import(
        ids, store, conditions, core, [](qsizetype done) { return done < 1; });
    EXPECT_EQ(result.added.size(), 1);
    EXPECT_EQ(store.EntryCount(), 1);
}

} // namespace
