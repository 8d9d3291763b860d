// Stored messages and presets as a damaged disk or another program may hand them over: what
// one message can expand to is bounded, and what reading gives survives writing unchanged.
#include "obrix/CArchive.h"
#include "obrix/CIMPreset.h"
#include "obrix/CLetrix.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

// A stored message whose lists hold exactly the given stored ids, without times.
QByteArray StoredWith(const QStringList (&lists)[3]) {
    CArchive ar;
    ar << S("sato") << S("佐藤");
    for (const QStringList& ids : lists) {
        ar << int32_t(ids.size());
        for (const QString& id : ids)
            ar << id << int64_t(0) << int64_t(0);
    }
    ar << uint32_t(0) << QString() << S("20261207103000123-sato") << QString();
    for (int i = 0; i < 5; ++i)
        ar << uint32_t(0);
    ar << QString() << QString() << int64_t(0) << S("件名") << S("本文");
    return ar.Bytes();
}

QByteArray Write(CLetrix& m) {
    CArchive ar;
    m.Serialize(ar);
    return ar.Bytes();
}

std::unique_ptr<CLetrix> Read(const QByteArray& bytes) {
    auto m = std::make_unique<CLetrix>();
    CArchive ar(bytes);
    m->Serialize(ar);
    return m;
}

QStringList Ids(const CLetrix& m, CLetrix::eDest d) {
    QStringList ids;
    for (const CIMMesTime* e : m.GetDstRef(d))
        ids.append(e->GetID());
    return ids;
}

} // namespace

TEST(StoredMessage, ReadingThenWritingThenReadingGivesTheSameMessage) {
    const QStringList lists[3] = {
        {S(" a"), S("x,,y"), S("b , c ,"), S(""), S(" "), S("a")},
        {S(","), S(",,d"), S("\te\t")},
        {S("all@g1, all@OnNetters")},
    };
    const auto first = Read(StoredWith(lists));
    EXPECT_EQ(Ids(*first, CLetrix::DST_TO), (QStringList{S("a"), S("x"), S("y"), S("b"), S("c")}));
    EXPECT_EQ(Ids(*first, CLetrix::DST_CC), (QStringList{S("d"), S("e")}));
    EXPECT_EQ(Ids(*first, CLetrix::DST_BCC), (QStringList{S("all@g1"), S("all@OnNetters")}));
    const QByteArray written = Write(*first);
    const auto second = Read(written);
    EXPECT_EQ(Write(*second), written);
    for (int d = CLetrix::DST_TO; d <= CLetrix::DST_BCC; ++d)
        EXPECT_EQ(Ids(*second, CLetrix::eDest(d)), Ids(*first, CLetrix::eDest(d)));

    // The times of a stored id with blanks around it belong to that destination.
    CLetrix timed;
    timed.AddDst(CLetrix::DST_TO, S("a"));
    const SYSTEMTIME t{2026, 12, 1, 7, 10, 30, 0, 0};
    timed.SetDstRecvTime(CLetrix::DST_TO, S("a"), t, 0);
    QByteArray bytes = Write(timed);
    const QByteArray plain = QByteArray("\xFF\xFE\xFF\x01"
                                        "a\0",
                                        6);
    const QByteArray padded = QByteArray("\xFF\xFE\xFF\x03"
                                         " \0a\0 \0",
                                         10);
    ASSERT_TRUE(bytes.contains(plain));
    bytes.replace(bytes.indexOf(plain), plain.size(), padded);
    SYSTEMTIME recv{};
    EXPECT_EQ(Read(bytes)->GetDstRecvTime(CLetrix::DST_TO, S("a"), recv, 0), 1);
}

TEST(StoredMessage, WhatOneMessageExpandsToIsBounded) {
    // One stored id of commas names as many destinations as it has pieces.
    QStringList many;
    for (int i = 0; i <= CLetrix::kMaxStoredDestinations; ++i)
        many.append(QString::number(i));
    const QString joined = many.join(u',');
    EXPECT_THROW(Read(StoredWith({{joined}, {}, {}})), CArchiveException);
    // The bound holds over the three lists together, repeated ids included.
    const QString half = QStringList(many.mid(0, CLetrix::kMaxStoredDestinations / 2)).join(u',');
    EXPECT_THROW(Read(StoredWith({{half}, {half}, {S("z")}})), CArchiveException);
    EXPECT_THROW(Read(StoredWith({{QString(CLetrix::kMaxStoredDestinations + 1, u'a')
                                       .replace(u'a', QStringLiteral("a,"))},
                                  {},
                                  {}})),
                 CArchiveException);

    const auto most = Read(StoredWith({{half}, {half}, {}}));
    EXPECT_EQ(most->GetDstCount(CLetrix::DST_TO) + most->GetDstCount(CLetrix::DST_CC),
              CLetrix::kMaxStoredDestinations);
    // Commas alone name nobody, and cost nothing.
    EXPECT_EQ(Read(StoredWith({{QString(1 << 20, u',')}, {}, {}}))->GetDstCount(CLetrix::DST_TO),
              0);
}

TEST(StoredPreset, GroupCountsOutsideTheirRangeAreDamage) {
    auto image = [](int32_t groups, int32_t maxGroups) {
        CArchive ar;
        ar << uint32_t(0x00CCFFCC) << int32_t(0) << groups << maxGroups;
        ar << S("会議中") << S("busy") << S("13434828") << S("g1");
        return ar.Bytes();
    };
    QList<CIMPreset> presets;
    ASSERT_TRUE(CIMPreset::LoadAll(image(1, 3), presets));
    ASSERT_EQ(presets.size(), 1);
    EXPECT_EQ(presets[0].AddGroup(S("g2")), 2u);
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    for (const auto& [groups, maxGroups] :
         {std::pair{kMax, 1}, std::pair{kMin, 1}, std::pair{-1, 0}, std::pair{1, kMin},
          std::pair{1, CIMPreset::kMaxGroupCount + 1}}) {
        EXPECT_FALSE(CIMPreset::LoadAll(image(groups, maxGroups), presets)) << groups;
        EXPECT_TRUE(presets.isEmpty());
    }

    // Counts handed over in a record saturate instead of overflowing.
    const QString group = S("g");
    tagIMSTATUS r{};
    r.pszGroup = reinterpret_cast<const char16_t*>(group.utf16());
    r.nGroup = kMax;
    CIMPreset p;
    p.SetBuffer(&r);
    EXPECT_EQ(p.AddGroup(S("g")), unsigned(kMax));
    r.nGroup = kMin;
    p.SetBuffer(&r);
    EXPECT_EQ(p.DeleteGroup(S("g")), 0u);
}
