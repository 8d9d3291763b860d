// The lines that presence and receipt events put into the notification window.
#include "PingelTestSupport.h"

#include "obrix/CIMMember.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixTime.h"

namespace {

const char16_t* u16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

SYSTEMTIME Utc(int day, int hour, int minute, int second) {
    return SYSTEMTIME{
        2026, 12, 0, uint16_t(day), uint16_t(hour), uint16_t(minute), uint16_t(second), 0};
}

class PresenceLines : public PingelTest {
protected:
    void SetUp() override {
        PingelTest::SetUp();
        // Sales has a sub-group; the member belongs to three groups in tree order
        // Sales, Sales/East, Board, with a different name and status in each.
        ScriptedCore::AddGroup(u"sales"_qs, u"営業部"_qs);
        ScriptedCore::AddGroup(u"east"_qs, u"東日本"_qs, u"sales"_qs);
        ScriptedCore::AddGroup(u"dev"_qs, u"開発部"_qs);
        ScriptedCore::AddGroup(u"board"_qs, u"役員会"_qs);
        ScriptedCore::AddMembership(u"sales"_qs, u"taro"_qs, u"山田 太郎"_qs, u"会議中"_qs);
        ScriptedCore::AddMembership(u"east"_qs, u"taro"_qs, u"山田(東)"_qs, u"on"_qs);
        ScriptedCore::AddMembership(u"dev"_qs, u"hana"_qs, u"鈴木 花子"_qs, u""_qs);
        ScriptedCore::AddMembership(u"board"_qs, u"taro"_qs, u""_qs, u"外出"_qs);
    }

    QString Time() const {
        return CPingelLineBuilder::LineTime(QDateTime::fromMSecsSinceEpoch(now));
    }
    QString StatusLine(const QString& group, const QString& member, const QString& status) {
        return CResourceLoader::Format(Resources(), 715, {group, member, status, Time()});
    }
    QString OnOffLine(const QString& member, uint32_t word) {
        return CResourceLoader::Format(
            Resources(), 716, {member, CResourceLoader::LoadString(Resources(), word), Time()});
    }
    void Presence(const QString& group, const QString& member, const QString& previous) {
        app->OnChangeMemPresence(u16(group), u16(member), u16(previous));
    }
};

TEST_F(PresenceLines, StatusChangeInAllGroupsGivesOneLinePerGroupInTreeOrder) {
    ASSERT_NE(Resources(), nullptr);
    Presence(u"all"_qs, u"taro"_qs, u"on"_qs);
    // The name in each group; a membership without a name shows the member id; "on" is
    // shown as "OnNet".
    EXPECT_EQ(Lines(), QStringList({StatusLine(u"営業部"_qs, u"山田 太郎"_qs, u"会議中"_qs),
                                    StatusLine(u"東日本"_qs, u"山田(東)"_qs, u"OnNet"_qs),
                                    StatusLine(u"役員会"_qs, u"taro"_qs, u"外出"_qs)}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Format(i).foreground().color(), QColor(0, 255, 0)) << i; // 0x0000FF00
        EXPECT_EQ(Format(i).fontPointSize(), 9);
        EXPECT_EQ(Format(i).fontFamilies().toStringList(), QStringList{u"MS UI Gothic"_qs});
    }
}

TEST_F(PresenceLines, GoingOffLineInAllGroupsGivesExactlyOneOffNetLine) {
    for (const char16_t* g : {u"sales", u"east", u"board"})
        ScriptedCore::SetStatus(QString::fromUtf16(g), u"taro"_qs, u"OFF"_qs);
    ScriptedCore::SetInt(u"OffNet"_qs, u"Color"_qs, 0x00123456);
    ScriptedCore::SetInt(u"OffNet"_qs, u"FontSize"_qs, 14);
    ScriptedCore::SetString(u"OffNet"_qs, u"FontName"_qs, u"Noto Sans CJK JP"_qs);
    Presence(u"all"_qs, u"taro"_qs, u"会議中"_qs);
    ASSERT_EQ(Lines(), QStringList{OnOffLine(u"山田 太郎"_qs, 718)});
    EXPECT_EQ(Format(0).foreground().color(), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(Format(0).fontPointSize(), 14);
    EXPECT_EQ(Format(0).fontFamilies().toStringList(), QStringList{u"Noto Sans CJK JP"_qs});
}

TEST_F(PresenceLines, ComingOnLineAfterOffGivesOneOnNetLineAndLinesAccumulateInOrder) {
    Presence(u"all"_qs, u"hana"_qs, u"off"_qs);
    Presence(u"ALL"_qs, u"taro"_qs, u"Off"_qs);
    Presence(u"dev"_qs, u"hana"_qs, u"会議中"_qs);
    EXPECT_EQ(Lines(),
              QStringList({OnOffLine(u"鈴木 花子"_qs, 717), OnOffLine(u"山田 太郎"_qs, 717),
                           StatusLine(u"開発部"_qs, u"鈴木 花子"_qs, u"OnNet"_qs)}));
    EXPECT_EQ(Format(0).foreground().color(), QColor(255, 0, 0)); // 0x000000FF
    EXPECT_EQ(Format(2).foreground().color(), QColor(0, 255, 0));
}

TEST_F(PresenceLines, OneGroupGivesAStatusLineForThatGroupOnly) {
    Presence(u"east"_qs, u"taro"_qs, u"off"_qs);
    EXPECT_EQ(Lines(), QStringList{StatusLine(u"東日本"_qs, u"山田(東)"_qs, u"OnNet"_qs)});
}

TEST_F(PresenceLines, UnknownGroupsMembersAndSwitchedOffKindsOpenNoWindow) {
    Presence(u"nowhere"_qs, u"taro"_qs, u""_qs);
    Presence(u"dev"_qs, u"taro"_qs, u""_qs); // a group the member is not in
    Presence(u"all"_qs, u"ghost"_qs, u"off"_qs);
    app->OnChangeMemPresence(nullptr, u"taro", u"");
    app->OnChangeMemPresence(u"all", nullptr, u"");
    EXPECT_EQ(app->Window(), nullptr);

    ScriptedCore::SetInt(u"OnNet"_qs, u"Visible"_qs, 0);
    Presence(u"all"_qs, u"hana"_qs, u"off"_qs);
    ScriptedCore::SetInt(u"Status"_qs, u"Visible"_qs, 0);
    Presence(u"all"_qs, u"taro"_qs, u"on"_qs);
    Presence(u"sales"_qs, u"taro"_qs, u"on"_qs);
    EXPECT_EQ(app->Window(), nullptr);

    ScriptedCore::SetInt(u"Status"_qs, u"Visible"_qs, 1);
    ScriptedCore::SetInt(u"PINGEL"_qs, u"Visible"_qs, 0);
    Presence(u"sales"_qs, u"taro"_qs, u"on"_qs);
    EXPECT_EQ(app->Window(), nullptr);
}

TEST(PingelLineText, TheTimeOfALineIsJapaneseWithoutSeconds) {
    EXPECT_EQ(CPingelLineBuilder::LineTime(QDateTime(QDate(2026, 3, 4), QTime(21, 7, 53))),
              u"2026/03/04 21:07"_qs);
}

class ReceiptLines : public PingelTest {
protected:
    void SetUp() override {
        PingelTest::SetUp();
        CLetrix m;
        m.SetMessageID(u"20261207090000000-user"_qs);
        m.SetFromID(u"user"_qs);
        m.SetSendTime(Utc(7, 9, 0, 1), 0);
        m.AddDst(CLetrix::DST_TO, u"taro"_qs);
        m.AddDst(CLetrix::DST_CC, u"hana"_qs);
        m.AddDst(CLetrix::DST_BCC, u"ken"_qs);
        m.SetDstRecvTime(CLetrix::DST_TO, u"taro"_qs, Utc(7, 9, 5, 11), 0);
        m.SetDstReadTime(CLetrix::DST_TO, u"taro"_qs, Utc(7, 9, 30, 22), 0);
        m.SetDstRecvTime(CLetrix::DST_CC, u"hana"_qs, Utc(7, 10, 1, 33), 0);
        m.SetDstReadTime(CLetrix::DST_BCC, u"ken"_qs, Utc(7, 11, 2, 44), 0);
        ScriptedCore::AddSentMessage(m);
        ScriptedCore::AddMember(u"taro"_qs, u"山田"_qs, u""_qs, u"太郎"_qs);
        ScriptedCore::AddMember(u"hana"_qs, u"鈴木"_qs, u"M"_qs, u"花子"_qs);
        ScriptedCore::AddMember(u"ken"_qs, u"佐藤"_qs, u""_qs, u""_qs);
    }
    QString Line(uint32_t text, const QString& name, const SYSTEMTIME& utc) {
        // The test runs in UTC, so the local time text is that of the UTC fields.
        return CResourceLoader::Format(Resources(), text, {name, ObrixTime::TimeText(utc)});
    }
    void Receipt(int kind, const char16_t* member) {
        app->OnRecvNotify(kind, u"20261207090000000-user", member);
    }
};

TEST_F(ReceiptLines, KindsTakeTheirTextAndTheDestinationsTimeFromToCcAndBcc) {
    Receipt(0, u"taro");
    Receipt(1, u"taro");
    Receipt(0, u"hana");
    Receipt(1, u"ken");
    Receipt(3, u"taro");
    Receipt(4, u"hana");
    EXPECT_EQ(Lines(), QStringList({Line(724, u"山田  太郎"_qs, Utc(7, 9, 5, 11)),
                                    Line(725, u"山田  太郎"_qs, Utc(7, 9, 30, 22)),
                                    Line(724, u"鈴木  M  花子"_qs, Utc(7, 10, 1, 33)),
                                    Line(725, u"佐藤"_qs, Utc(7, 11, 2, 44)),
                                    Line(726, u"山田  太郎"_qs, Utc(7, 9, 0, 1)),
                                    Line(727, u"鈴木  M  花子"_qs, Utc(7, 9, 0, 1))}));
    EXPECT_EQ(Format(0).foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0) << "every message record is given back";
}

TEST_F(ReceiptLines, IgnoredKindsUnknownMessagesAndNonDestinationsOpenNoWindow) {
    Receipt(2, u"taro");
    Receipt(5, u"taro");
    Receipt(-1, u"taro");
    Receipt(0, u"nobody");
    Receipt(0, nullptr);
    app->OnRecvNotify(0, u"no-such-message", u"taro");
    app->OnRecvNotify(1, nullptr, u"taro");
    EXPECT_EQ(app->Window(), nullptr);
    EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0);

    ScriptedCore::SetInt(u"Message"_qs, u"Visible"_qs, 0);
    Receipt(0, u"taro");
    EXPECT_EQ(app->Window(), nullptr);
}

TEST_F(ReceiptLines, ADestinationTheDirectoryDoesNotKnowIsNamedByItsId) {
    CLetrix m;
    m.SetMessageID(u"m2"_qs);
    m.AddDst(CLetrix::DST_TO, u"gone"_qs);
    m.SetDstRecvTime(CLetrix::DST_TO, u"gone"_qs, Utc(7, 8, 0, 0), 0);
    ScriptedCore::AddSentMessage(m);
    app->OnRecvNotify(0, u"m2", u"gone");
    EXPECT_EQ(Lines(), QStringList{Line(724, u"gone"_qs, Utc(7, 8, 0, 0))});
}

} // namespace
