// The directory under presence changes: patched where the change happened so that it equals a
// rebuild from the service, rebuilt when its shape changes, records handed out kept readable
// until the event loop runs again, and the events handed on in order a turn at a time.
#include "kernova/CEventPacer.h"
#include "kernova/ObrixExports.h"
#include "kernova/tests/DirectoryText.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CIMGroup.h"
#include "obrix/ObrixApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstring>

using namespace kntest;

namespace {

// A plug-in that reads the changed member's record in every presence callback, as the
// presence and notification plug-ins do: "<group> <member> <status it read in group g1>
// <status it read in group g2>".
QStringList g_readInCallback;

void ReaderInfo(tagMODULEINFO* info) {
    info->nType = 7;
}

void ReaderPresence(const char16_t* groupId, const char16_t* memberId, const char16_t*) {
    QStringList seen{S16(groupId), S16(memberId)};
    for (const char16_t* g : {u"g1", u"g2"}) {
        const tagIMGRPMEMBER* record = OBRIX_GetGroupMembers(g, memberId);
        seen.append(record ? S16(record->presence.pszStatus) : QStringLiteral("-"));
    }
    g_readInCallback.append(seen.join(u' '));
}

void* ReaderExport(const char* name) {
    if (!std::strcmp(name, "IMCBK_OnIMZpmInfo"))
        return reinterpret_cast<void*>(&ReaderInfo);
    if (!std::strcmp(name, "IMCBK_OnChangeMemPresence"))
        return reinterpret_cast<void*>(&ReaderPresence);
    return nullptr;
}

class CoreDirectory : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        core->Plugins().Add(CImPlugin::FromResolver(QStringLiteral("reader"), &ReaderExport));
        g_readInCallback.clear();
    }

    // The directory as the core holds it now, and as a rebuild from the service makes it.
    std::pair<QString, QString> NowAndRebuilt() {
        const QString now = DirectoryText(OBRIX_GetGroupAll());
        CMessagingService* s = core->Service();
        core->Directory().Rebuild(s->GetGroups(), s->GetMemberships(), s->GetMembers());
        return {now, DirectoryText(OBRIX_GetGroupAll())};
    }

    int PresenceCalls(const QString& prefix) {
        return int(CallsStartingWith(QStringLiteral("1 OnChangeMemPresence ") + prefix).size());
    }
};

TEST_F(CoreDirectory, PresenceChangesArePatchedInEveryGroupAndEqualARebuild) {
    LogOnCore();
    const tagIMGROUP* tree = OBRIX_GetGroupAll();
    auto c = LogOn("c"); // c belongs to g1 and to its sub-group g2
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all c off"));
    ASSERT_TRUE(c->SetPresence({"会議中", "2-1", 0x00CCFFFF}, {"g2"}));
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence g2 c on"));
    ASSERT_TRUE(c->SetPresence({"外出", {}, 0x00CCCCFF}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return PresenceCalls("all c") == 2; }, 5000));
    auto b = LogOn("b");
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all b off"));
    ASSERT_TRUE(b->SetPresence({"off", {}, 0x00CCCCFF}, {"g1"})); // "off" turns white
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all b on"));
    c->Logoff();
    ASSERT_TRUE(QTest::qWaitFor([&] { return PresenceCalls("all c") == 3; }, 5000));

    // Each callback read its group records with the change already in them.
    EXPECT_EQ(g_readInCallback, (QStringList{"all c on on", "g2 c on 会議中", "all c 外出 外出",
                                             "all b on -", "all b off -", "all c off off"}));
    EXPECT_EQ(OBRIX_GetGroupAll(), tree) << "patched where it changed, not rebuilt";
    const auto [patched, rebuilt] = NowAndRebuilt();
    EXPECT_EQ(patched, rebuilt);
    EXPECT_TRUE(patched.contains("member b Fam-b  Giv role=0 off||16777215"))
        << patched.toStdString();
}

TEST_F(CoreDirectory, ShapeChangesRebuildAndLaterPresenceChangesPatchTheNewTree) {
    LogOnCore();
    const tagIMGROUP* before = OBRIX_GetGroupAll();
    ASSERT_TRUE(admin->AddMembership("g2", "b", 1, "Bee"));
    ASSERT_TRUE(WaitForCall("1 OnAddGrpMember g2 b Bee"));
    EXPECT_NE(OBRIX_GetGroupAll(), before) << "a new membership is a new shape";
    ASSERT_TRUE(admin->RenameGroup("g2", "Renamed"));
    ASSERT_TRUE(WaitForCall("1 OnChangeGrpName g2"));
    // The rename leaves the directory to be rebuilt; the presence change after it reaches the
    // new tree, the new membership included.
    auto b = LogOn("b");
    ASSERT_TRUE(WaitForCall("1 OnChangeMemPresence all b off"));
    EXPECT_EQ(g_readInCallback.last(), "all b on on");
    const auto [patched, rebuilt] = NowAndRebuilt();
    EXPECT_EQ(patched, rebuilt);
    EXPECT_TRUE(patched.contains("group g2 Renamed")) << patched.toStdString();
}

// Directory contents for the tree tests below: g1 with the sub-group g2, b in both.
struct Lists {
    QList<SvcGroup> groups{{"g1", {}, "One", 0, {}}, {"g2", "g1", "Two", 0, {}}};
    QList<SvcMembership> memberships;
    QList<SvcMember> members;
    Lists() {
        // Built here so that the texts belong to the tree alone once the lists are gone.
        for (const char* g : {"g1", "g2"})
            memberships.append({g, "b", "Bee", 0, 0, {QString("present").repeated(3), {}, 1}});
        SvcMember b;
        b.id = "b";
        members.append(b);
    }
};

TEST(DirectoryTree, RecordsHandedOutStayReadableUntilTheEventLoopRuns) {
    CDirectoryTree tree;
    tree.Rebuild(Lists().groups, Lists().memberships, Lists().members);
    const tagIMGRPMEMBER* held = tree.Members("g2", "b");
    ASSERT_NE(held, nullptr);
    const char16_t* heldStatus = held->presence.pszStatus;
    const tagIMGROUP* heldTree = tree.All();

    ASSERT_TRUE(tree.PatchPresence(Svc::kAllGroups, "b", {"away", {}, 2}));
    // Texts of the same length made now take the memory of any text the patch let go.
    QStringList reuse;
    for (int i = 0; i < 64; ++i)
        reuse.append(QString(21, QChar(u'#')));
    EXPECT_EQ(S16(heldStatus).toStdString(), "presentpresentpresent");
    EXPECT_EQ(S16(tree.Members("g2", "b")->presence.pszStatus), "away");
    EXPECT_FALSE(tree.PatchPresence("g3", "b", {"x", {}, 0})) << "no such membership";
    EXPECT_FALSE(tree.PatchPresence(Svc::kAllGroups, "nobody", {"x", {}, 0}));

    const QString patchedText = DirectoryText(heldTree);
    EXPECT_EQ(patchedText.count("away||2"), 2);
    tree.Clear();
    EXPECT_EQ(tree.All(), nullptr);
    EXPECT_EQ(DirectoryText(heldTree), patchedText) << "the cleared tree is kept until then";
    QCoreApplication::processEvents();
}

TEST(EventPacer, ALoneStepRunsAtOnceAndABurstIsSpreadOverTurnsInOrder) {
    using namespace std::chrono_literals;
    CEventPacer pacer(5ms);
    QStringList ran;
    pacer.Post([&] { ran.append("alone"); });
    EXPECT_EQ(ran, QStringList{"alone"});
    QCoreApplication::processEvents(); // a new turn

    const auto busy = [](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
        }
    };
    // A step that takes the whole budget leaves the ones posted after it for the next turn.
    pacer.Post([&] {
        busy(6);
        ran.append("long");
    });
    for (int i = 0; i < 10; ++i)
        pacer.Post([&, i] {
            busy(2);
            ran.append(QString::number(i));
            if (i == 0)
                pacer.Post([&] { ran.append("posted by 0"); }); // waits behind the others
        });
    EXPECT_EQ(ran.size(), 2);
    int turns = 0;
    while (!pacer.IsIdle() && turns < 100) {
        const qsizetype before = ran.size();
        QCoreApplication::processEvents();
        ++turns;
        EXPECT_LE(ran.size() - before, 3) << "a turn's steps stop once they have taken 5 ms";
    }
    EXPECT_GE(turns, 4);
    EXPECT_EQ(ran, (QStringList{"alone", "long", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                "posted by 0"}));

    // Flush runs what waits at once, whatever the budget.
    ran.clear();
    for (int i = 0; i < 5; ++i)
        pacer.Post([&, i] {
            busy(2);
            ran.append(QString::number(i));
        });
    pacer.Flush();
    EXPECT_EQ(ran, (QStringList{"0", "1", "2", "3", "4"}));
    EXPECT_TRUE(pacer.IsIdle());
}

} // namespace
