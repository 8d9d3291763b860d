#include "obrix/CAvalin.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/CIMPreset.h"

#include <gtest/gtest.h>

namespace {

QString text(const char16_t* p) {
    return p ? QString::fromUtf16(p) : QStringLiteral("<null>");
}

} // namespace

TEST(Presence, StatusOffForcesWhiteUntilTheStatusChanges) {
    CIMGrpMember m;
    tagAVALIN* rec = m.GetPresenceEntity();
    ASSERT_EQ(rec, &static_cast<tagIMGRPMEMBER*>(m)->presence);
    m.SetBkColor(255);
    m.SetStatus(QStringLiteral("off"));
    EXPECT_EQ(rec->dwBkColor, 0xFFFFFFu);
    EXPECT_EQ(m.GetBkColorStr(), QStringLiteral("16777215"));
    m.SetBkColor(255);
    m.SetBkColor(QStringLiteral("65280"));
    EXPECT_EQ(m.GetBkColor(), 0xFFFFFFu);
    EXPECT_EQ(text(rec->pszStatus), QStringLiteral("off"));

    m.SetStatus(QStringLiteral("Off")); // case matters
    m.SetBkColor(255);
    EXPECT_EQ(m.GetBkColor(), 255u);
    EXPECT_EQ(m.GetBkColorStr(), QStringLiteral("255"));
}

TEST(Presence, ColourTextIsReadAsItsLeadingInteger) {
    CAvalin a;
    tagAVALIN rec{};
    a.SetPresenceEntity(&rec);
    const std::pair<const char*, uint32_t> cases[] = {
        {"255abc", 255}, {"  42", 42}, {"-1", 0xFFFFFFFF},
        {"abc", 0},      {"", 0},      {"99999999999", 0x7FFFFFFF}};
    for (const auto& [t, v] : cases) {
        a.SetBkColor(QString::fromLatin1(t));
        EXPECT_EQ(a.GetBkColor(), v) << t;
        EXPECT_EQ(a.GetBkColorStr(), QString::fromLatin1(t));
    }
    a.SetBkColor(0xFFFFFFFFu);
    EXPECT_EQ(a.GetBkColorStr(), QStringLiteral("-1"));
    EXPECT_EQ(rec.dwBkColor, 0xFFFFFFFFu);
}

TEST(Presence, FreeStandingEntityWithoutRecordAndCopiesSharingOne) {
    CAvalin loose;
    loose.SetStatus(QStringLiteral("off"));
    loose.SetIcon(QStringLiteral("i"));
    EXPECT_EQ(loose.GetBkColor(), 0u); // no record: nothing to read, nothing written
    EXPECT_EQ(loose.GetBkColorStr(), QStringLiteral("16777215"));

    tagAVALIN rec{};
    CAvalin a;
    a.SetPresenceEntity(&rec);
    a.SetStatus(QStringLiteral("会議中"));
    CAvalin b(a);
    EXPECT_EQ(b.GetPresenceEntity(), &rec);
    b.SetIcon(QStringLiteral("busy"));
    EXPECT_EQ(text(rec.pszIcon), QStringLiteral("busy"));
    EXPECT_EQ(a.GetIcon(), QString());
    EXPECT_EQ(b.GetStatus(), QStringLiteral("会議中"));
}

TEST(Presence, AssigningIntoAMembershipKeepsItsOwnRecord) {
    tagAVALIN other{};
    CAvalin source;
    source.SetPresenceEntity(&other);
    source.SetStatus(QStringLiteral("on"));
    source.SetBkColor(0x00CCFFCCu);

    CIMGrpMember m;
    static_cast<CAvalin&>(m) = source;
    tagAVALIN* own = &static_cast<tagIMGRPMEMBER*>(m)->presence;
    EXPECT_EQ(m.GetPresenceEntity(), own);
    EXPECT_EQ(text(own->pszStatus), QStringLiteral("on"));
    EXPECT_EQ(own->dwBkColor, 0x00CCFFCCu);
    m.SetStatus(QStringLiteral("away"));
    EXPECT_EQ(text(other.pszStatus), QStringLiteral("on"));
}

TEST(Preset, GroupListCountsAndAllGroupFlag) {
    CIMPreset p;
    p.SetMaxGroup(2);
    EXPECT_EQ(p.AddGroup(QStringLiteral("A")), 1u);
    EXPECT_EQ(p.IsAllGroup(), 0);
    EXPECT_EQ(p.AddGroup(QStringLiteral("B")), 2u);
    EXPECT_EQ(p.GetGroup(), QStringLiteral("A,B"));
    EXPECT_EQ(p.IsAllGroup(), 1);
    EXPECT_EQ(p.IsGroup(QStringLiteral("b")), 1);
    EXPECT_EQ(p.IsGroup(QStringLiteral("A,B")), 0);
    EXPECT_EQ(p.IsGroup(QString()), 0);

    EXPECT_EQ(p.DeleteGroup(QStringLiteral("a")), 1u);
    EXPECT_EQ(p.GetGroup(), QStringLiteral("B"));
    EXPECT_EQ(p.IsAllGroup(), 0);
    EXPECT_EQ(text(static_cast<tagIMSTATUS*>(p)->pszGroup), QStringLiteral("B"));
    // Deleting a group that is not in the list keeps the count.
    EXPECT_EQ(p.DeleteGroup(QStringLiteral("Z")), 1u);
    EXPECT_EQ(p.GetGroupCount(), 1u);

    p.SetMaxGroup(1);
    EXPECT_EQ(p.IsAllGroup(), 1);
    p.ClearGroup();
    EXPECT_EQ(p.GetGroupCount(), 0u);
    EXPECT_EQ(p.IsAllGroup(), 0);
    EXPECT_EQ(static_cast<tagIMSTATUS*>(p)->pszGroup, nullptr);
}

TEST(Preset, SetBufferTakesTheRecordIntoOwnStrings) {
    QString status = QStringLiteral("外出");
    QString group = QStringLiteral("g1,g2");
    tagIMSTATUS r{};
    r.pszStatus = reinterpret_cast<const char16_t*>(status.utf16());
    r.pszGroup = reinterpret_cast<const char16_t*>(group.utf16());
    r.dwBkColor = 65280;
    r.bAllGroup = 1;
    r.nGroup = 2;
    r.nMaxGroup = 5;
    CIMPreset p;
    p.SetBuffer(&r);
    EXPECT_EQ(p.GetBkColorString(), QStringLiteral("65280"));
    EXPECT_EQ(p.GetBkColor(), 65280u);
    EXPECT_EQ(p.IsAllGroup(), 1); // taken as given, not recomputed
    status.fill(u'x');
    group.fill(u'x');
    const tagIMSTATUS* own = p;
    EXPECT_EQ(text(own->pszStatus), QStringLiteral("外出"));
    EXPECT_EQ(text(own->pszGroup), QStringLiteral("g1,g2"));
    EXPECT_EQ(text(own->pszIcon), QString());

    const char16_t colour[] = u"300px";
    r.pszBkColor = colour;
    r.dwBkColor = 1;
    p.SetBuffer(&r);
    EXPECT_EQ(p.GetBkColorString(), QStringLiteral("300px"));
    EXPECT_EQ(p.GetBkColor(), 300u);
    p.SetBuffer(nullptr);
    EXPECT_EQ(p.GetBkColor(), 300u);
}

namespace {

CIMPreset meeting() {
    CIMPreset p;
    p.SetStatus(QStringLiteral("会議"));
    p.SetIcon(QStringLiteral("i1"));
    p.SetBkColor(0x00CCFFCCu);
    p.SetMaxGroup(2);
    p.AddGroup(QStringLiteral("A"));
    p.AddGroup(QStringLiteral("B"));
    return p;
}

// The archived record of meeting(): four integers, then status, icon, colour text, groups.
const QByteArray meetingBytes =
    QByteArray::fromHex("CCFFCC00 01000000 02000000 02000000"
                        "FFFEFF02 1A4F 708B"
                        "FFFEFF02 6900 3100"
                        "FFFEFF08 3100 3300 3400 3300 3400 3800 3200 3800"
                        "FFFEFF03 4100 2C00 4200");

} // namespace

TEST(Preset, ACopyThroughItsRecordKeepsTheGroupLimitForTheAllGroupsFlag) {
    const CIMPreset original = meeting();
    CIMPreset copy;
    copy.SetBuffer(original);
    EXPECT_EQ(static_cast<const tagIMSTATUS*>(copy)->nMaxGroup, 2);
    EXPECT_EQ(copy.DeleteGroup(QStringLiteral("b")), 1u);
    EXPECT_EQ(copy.IsAllGroup(), 0);
    EXPECT_EQ(copy.AddGroup(QStringLiteral("C")), 2u);
    EXPECT_EQ(copy.IsAllGroup(), 1) << "two groups of two again";
}

TEST(Preset, ArchivedRecordMatchesTheFileFormat) {
    CArchive out;
    CIMPreset p = meeting();
    p.Serialize(out);
    EXPECT_EQ(out.Bytes().toHex(), meetingBytes.toHex());

    // A colour value that disagrees with its text is kept as stored.
    QByteArray odd = meetingBytes;
    odd[0] = char(0x01);
    CArchive in(odd);
    CIMPreset loaded;
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(loaded.GetBkColor(), 0x00CCFF01u);
    EXPECT_EQ(loaded.GetBkColorString(), QStringLiteral("13434828"));
    EXPECT_EQ(loaded.GetStatus(), QStringLiteral("会議"));
    EXPECT_EQ(loaded.GetGroup(), QStringLiteral("A,B"));
    EXPECT_EQ(loaded.GetGroupCount(), 2u);
    EXPECT_EQ(loaded.IsAllGroup(), 1);
    const tagIMSTATUS* r = loaded;
    EXPECT_EQ(text(r->pszIcon), QStringLiteral("i1"));
    EXPECT_EQ(text(r->pszBkColor), QStringLiteral("13434828"));
}

TEST(Preset, ListImageHoldsThePresetsBackToBack) {
    CIMPreset second;
    second.SetStatus(QStringLiteral("off"));
    const QList<CIMPreset> list{meeting(), second, meeting()};
    const QByteArray image = CIMPreset::StoreAll(list);
    ASSERT_TRUE(image.startsWith(meetingBytes));
    ASSERT_TRUE(image.endsWith(meetingBytes));

    QList<CIMPreset> read;
    ASSERT_TRUE(CIMPreset::LoadAll(image, read));
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[1].GetStatus(), QStringLiteral("off"));
    EXPECT_EQ(read[2].GetGroup(), QStringLiteral("A,B"));

    EXPECT_TRUE(CIMPreset::LoadAll(QByteArray(), read));
    EXPECT_TRUE(read.isEmpty());
}

TEST(Preset, DamagedListImageIsReportedWithThePresetsBeforeIt) {
    const QByteArray image = CIMPreset::StoreAll({meeting(), meeting()});
    const qsizetype one = meetingBytes.size();
    for (qsizetype cut = 1; cut < image.size(); ++cut) {
        if (cut == one)
            continue;
        QList<CIMPreset> read;
        EXPECT_FALSE(CIMPreset::LoadAll(image.left(cut), read)) << cut;
        EXPECT_EQ(read.size(), cut < one ? 0 : 1) << cut;
    }
    // A status announcing two billion characters after one good preset.
    QList<CIMPreset> read;
    EXPECT_FALSE(
        CIMPreset::LoadAll(meetingBytes + QByteArray::fromHex("00000000 00000000 00000000 00000000"
                                                              "FFFEFFFF FFFF FFFFFF7F 4100"),
                           read));
    EXPECT_EQ(read.size(), 1);
}
