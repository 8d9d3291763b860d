// The chat's display-free rules: colours of joined members, the participant list per event
// type, invitations within the member limit, the alone timer on a clock the test moves, log
// file names, and the settings as stored through the core.
#include "plugin/im/parlo/CParloDoc.h"
#include "plugin/im/parlo/CParloLogName.h"
#include "plugin/im/parlo/CParloSettings.h"
#include "plugin/im/parlo/CParloTone.h"
#include "tests/support/ScriptedCore.h"

#include "obrix/CIMSndData.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/ObrixApi.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

CParloDoc::MemberLookup Directory(QSet<QString> offline = {}) {
    return [offline](const QString& id) -> std::optional<CParloDoc::MemberInfo> {
        if (id == u"ghost")
            return std::nullopt;
        return CParloDoc::MemberInfo{QStringLiteral("Fam-") + id, offline.contains(id)};
    };
}

// A chat of the user "a" with the others joined in order.
CParloDoc Joined(const QStringList& others) {
    CParloDoc doc(QStringLiteral("a"));
    doc.Invite(QStringList{QStringLiteral("a")} + others, false, 99, Directory());
    doc.ApplyEvent(CParloDoc::Joined, QStringLiteral("a"), Directory());
    for (const QString& id : others)
        doc.ApplyEvent(CParloDoc::Joined, id, Directory());
    return doc;
}

TEST(ParloPalette, SixthMemberSharesTheFirstColourAndALeaverFreesItsColour) {
    CParloDoc doc = Joined({"b", "c", "d", "e"});
    const auto& p = doc.Participants();
    // Five joined members (the user included) hold each colour once.
    for (size_t i = 0; i < CParloPalette::kColors.size(); ++i)
        EXPECT_EQ(p.Items()[int(i)].color, CParloPalette::kColors[i]);
    doc.Invite({"f"}, false, 99, Directory());
    EXPECT_EQ(p.ColorOf("f"), CParloParticipants::kInvitedColor) << "grey until joined";
    doc.ApplyEvent(CParloDoc::Joined, "f", Directory());
    EXPECT_EQ(p.ColorOf("f"), 0x0DA080u);
    EXPECT_EQ(p.Palette().UseCount(0x0DA080), 2);

    // c leaves: its colour is the least used and goes to the next member to join.
    doc.ApplyEvent(4, "c", Directory());
    EXPECT_EQ(p.Palette().UseCount(0xA02C0D + 0), 1);
    EXPECT_EQ(p.Palette().UseCount(0x0D27A0), 0);
    doc.ApplyEvent(CParloDoc::Joined, "g", Directory());
    EXPECT_EQ(p.ColorOf("g"), 0x0D27A0u);

    CParloPalette palette;
    palette.Release(0x0DA080);
    EXPECT_EQ(palette.UseCount(0x0DA080), 0) << "never below zero";
    EXPECT_EQ(palette.Take(), 0x0DA080u);
}

TEST(ParloParticipants, ListFollowsEachEventType) {
    CParloDoc doc(QStringLiteral("a"));
    doc.Invite({"a", "b"}, false, 5, Directory());
    const auto& p = doc.Participants();
    EXPECT_EQ(p.Items()[0].color, 0u) << "the user's own entry starts in colour 0";

    // Talk and plain notices leave the list alone; unknown types are not even shown.
    EXPECT_TRUE(doc.ApplyEvent(0, "b", Directory()).append);
    EXPECT_FALSE(doc.ApplyEvent(1, "b", Directory()).listChanged);
    EXPECT_FALSE(doc.ApplyEvent(8, "b", Directory()).append);
    EXPECT_FALSE(doc.ApplyEvent(-1, "b", Directory()).append);

    // A member who joins without having been listed (invited by someone else) is added.
    auto out = doc.ApplyEvent(2, "c", Directory());
    EXPECT_TRUE(out.append && out.listChanged);
    EXPECT_EQ(p.Find("c")->name, "Fam-c");
    EXPECT_TRUE(p.Find("c")->joined);

    // Every type from 3 to 7 takes the member off the list, never the user.
    for (int type = 3; type <= 7; ++type) {
        const QString id = QStringLiteral("m%1").arg(type);
        doc.ApplyEvent(2, id, Directory());
        ASSERT_TRUE(p.Contains(id));
        out = doc.ApplyEvent(type, id, Directory());
        EXPECT_TRUE(out.append && out.listChanged) << type;
        EXPECT_FALSE(p.Contains(id)) << type;
    }
    EXPECT_FALSE(doc.ApplyEvent(3, "a", Directory()).listChanged);
    EXPECT_TRUE(p.Contains("a"));
    EXPECT_EQ(p.JoinedNames(),
              QStringList({"Fam-c", "Fam-m3", "Fam-m4", "Fam-m5", "Fam-m6", "Fam-m7"}))
        << "the names of members who left stay in the log's name";
}

TEST(ParloInvite, OfflineAndUnknownMembersAreNeitherListedNorInvited) {
    CParloDoc doc(QStringLiteral("a"));
    const QStringList invited =
        doc.Invite({"a", "b", "c", "ghost", "b", "d"}, false, 2, Directory({"c"}));
    EXPECT_EQ(invited, QStringList({"b", "d"})) << "a start request is not held to the limit";
    EXPECT_EQ(doc.Participants().Count(), 3);
    EXPECT_FALSE(doc.Participants().Contains("c"));
}

TEST(ParloInvite, ADropPastTheMemberLimitIsRefusedWhole) {
    CParloDoc doc(QStringLiteral("a"));
    doc.Invite({"a", "b", "c", "d"}, false, 5, Directory());
    bool refused = false;
    EXPECT_TRUE(doc.Invite({"e", "f"}, true, 5, Directory(), &refused).isEmpty());
    EXPECT_TRUE(refused);
    EXPECT_EQ(doc.Participants().Count(), 4);
    // Duplicates and the user count as offered.
    EXPECT_TRUE(doc.Invite({"b", "a"}, true, 5, Directory(), &refused).isEmpty());
    EXPECT_TRUE(refused);
    EXPECT_EQ(doc.Invite({"e"}, true, 5, Directory(), &refused), QStringList({"e"}));
    EXPECT_FALSE(refused);
}

TEST(ParloTimers, AloneTimerRunsOnlyWhileTheUserIsAloneAndFiresAfterTheTimeout) {
    CParloDoc doc = Joined({"b"});
    qint64 now = 1'000'000;
    doc.UpdateAloneTimer(now);
    EXPECT_FALSE(doc.AloneTimerRunning());
    doc.ApplyEvent(3, "b", Directory());
    doc.UpdateAloneTimer(now);
    ASSERT_TRUE(doc.AloneTimerRunning());
    EXPECT_FALSE(doc.AloneTimeoutReached(now + 299'999, 300));
    // Someone joins before the time is up: the timer stops and starts again from zero.
    doc.ApplyEvent(2, "c", Directory());
    doc.UpdateAloneTimer(now + 200'000);
    EXPECT_FALSE(doc.AloneTimerRunning());
    doc.ApplyEvent(5, "c", Directory());
    doc.UpdateAloneTimer(now + 250'000);
    EXPECT_FALSE(doc.AloneTimeoutReached(now + 549'999, 300));
    EXPECT_TRUE(doc.AloneTimeoutReached(now + 550'000, 300));
    EXPECT_FALSE(doc.AloneTimerRunning()) << "fires once";

    EXPECT_TRUE(doc.BeginClosing());
    EXPECT_FALSE(doc.BeginClosing()) << "the close path runs once";
}

TEST(ParloLogName, NamesAreCutToOneHundredCharactersWithoutATrailingSeparator) {
    const QDateTime start(QDate(2026, 12, 7), QTime(9, 5, 3));
    EXPECT_EQ(CParloLogName::Default(start, {"Fam-a", "Fam-b"}), "20261207_090503_Fam-a_Fam-b.doc");
    EXPECT_EQ(CParloLogName::Default(start, {}), "20261207_090503.doc");

    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << QStringLiteral("参加者%1").arg(i, 2, 10, QChar(u'0'));
    const QString name = CParloLogName::Default(start, many);
    EXPECT_LE(name.size(), 100);
    EXPECT_GT(name.size(), 90) << "as many names as fit";
    EXPECT_TRUE(name.chopped(4).endsWith(many[name.count(u"参加者") - 1]));
    EXPECT_FALSE(name.contains(u"_.doc"));
    EXPECT_TRUE(name.startsWith(u"20261207_090503_参加者00_参加者01"));

    // One name longer than the whole limit leaves only the time.
    EXPECT_EQ(CParloLogName::Default(start, {QString(120, u'x')}), "20261207_090503.doc");
    // A separator inside a name never makes a folder of it.
    EXPECT_EQ(CParloLogName::Default(start, {"a/b"}), "20261207_090503_a_b.doc");
}

TEST(ParloLogName, TakenNamesAreNumberedBeforeTheExtension) {
    QSet<QString> taken;
    const auto exists = [&](const QString& n) { return taken.contains(n); };
    EXPECT_EQ(CParloLogName::FreeName("log.doc", exists), "log.doc");
    taken << "log.doc";
    EXPECT_EQ(CParloLogName::FreeName("log.doc", exists), "log(1).doc");
    taken << "log(1).doc";
    EXPECT_EQ(CParloLogName::FreeName("log.doc", exists), "log(2).doc");
    taken << "plain";
    EXPECT_EQ(CParloLogName::FreeName("plain", exists), "plain(1)");
}

class ParloSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedCore::Reset(ObrixModule::Chat);
        core.Bind();
    }
    void TearDown() override { EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0); }
    CObrixTable core;
};

TEST_F(ParloSettingsTest, DefaultsWhenNothingIsStoredAndEveryValueRoundTrips) {
    CParloSettings s;
    s.Read(core);
    EXPECT_EQ(s, CParloSettings());
    EXPECT_EQ(s.fontName, QString::fromUtf16(u"ＭＳ Ｐゴシック"));
    EXPECT_EQ(s.timeout, 300);
    EXPECT_EQ(s.chatEntryTimeout, 90);
    EXPECT_EQ(s.logSave, 1);

    CParloSettings changed;
    changed.messagePosition = 4;
    changed.memberListPosition = 0;
    changed.fontName = "Noto Sans CJK JP";
    changed.fontSize = "18";
    changed.foreColor = 0x0000FF;
    changed.timeout = 9999;
    changed.chatEntryTimeout = 1;
    changed.entrySetType = 1;
    changed.entryRingTone = "/tmp/in.wav";
    changed.messageSetType = 2;
    changed.messageRingTone = "/tmp/talk.wav";
    changed.logSave = 0;
    changed.logSavePath = "/tmp/ログ";
    changed.Write(core);
    EXPECT_EQ(ScriptedCore::StoredInt("DefaultSetting", "ChatEntryTimeout"), 1);
    EXPECT_EQ(ScriptedCore::StoredString("DefaultSetting", "LogSavePath"), "/tmp/ログ");
    CParloSettings back;
    back.Read(core);
    EXPECT_EQ(back, changed);
    EXPECT_EQ(back.FontPoints(), 18);
    back.fontSize = "大";
    EXPECT_EQ(back.FontPoints(), 12);
}

TEST(ParloSettings, TimeoutsFromOneToNineThousandNineHundredNinetyNine) {
    EXPECT_FALSE(CParloSettings::IsValidTimeout(0));
    EXPECT_TRUE(CParloSettings::IsValidTimeout(1));
    EXPECT_TRUE(CParloSettings::IsValidTimeout(9999));
    EXPECT_FALSE(CParloSettings::IsValidTimeout(10000));
    EXPECT_FALSE(CParloSettings::IsValidTimeout(-5));
}

TEST(ParloTone, AMemberWithAPersonalToneHearsItWhateverTheToneTypesSay) {
    CIMSndInfo tones;
    CIMSndData own;
    own.SetMemberID("b");
    own.SetPath("/tones/b.wav");
    tones.AddIMSndData(own);
    CParloSettings s;
    s.entrySetType = CParloSettings::NoTone;
    s.messageSetType = CParloSettings::NoTone;
    EXPECT_EQ(CParloTone::PathFor(tones, "b", CParloTone::Invitation, s, "/app/"), "/tones/b.wav");
    EXPECT_EQ(CParloTone::PathFor(tones, "b", CParloTone::Talk, s, "/app/"), "/tones/b.wav");
    EXPECT_TRUE(CParloTone::PathFor(tones, "c", CParloTone::Talk, s, "/app/").isEmpty());

    s = CParloSettings();
    EXPECT_EQ(CParloTone::PathFor(tones, "c", CParloTone::Invitation, s, "/app/"),
              "/app/plugin/im/ChatArrival.wav");
    EXPECT_EQ(CParloTone::PathFor(tones, "c", CParloTone::Talk, s, "/app/"),
              "/app/plugin/im/ChatSpeak.wav");
    s.messageSetType = CParloSettings::FileTone;
    s.messageRingTone = "/my/talk.wav";
    EXPECT_EQ(CParloTone::PathFor(tones, "c", CParloTone::Talk, s, "/app/"), "/my/talk.wav");
}

} // namespace
