#include "obrix/CArchive.h"
#include "obrix/CLetrix.h"
#include "obrix/ObrixTime.h"
#include "obrix/tests/MesTimeTestSupport.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

using D = CLetrix::eDest;
constexpr D TO = CLetrix::DST_TO, CC = CLetrix::DST_CC, BCC = CLetrix::DST_BCC;

struct CountedLetrix : CLetrix {
    static inline int alive = 0;
    CountedLetrix() { ++alive; }
    ~CountedLetrix() override { --alive; }
};

struct CountedEntry : CIMMesTime {
    static inline int alive = 0;
    CountedEntry() { ++alive; }
    ~CountedEntry() override { --alive; }
};

QString Str(const char16_t* s) {
    return s ? QString::fromUtf16(s) : u"<null>"_qs;
}

// Every pointer of every record of the chain points at this object's own data.
void ExpectRecordInvariant(CLetrix& head) {
    for (CLetrix* m = &head; m; m = m->GetBros()) {
        const tagLETRIX* r = *m;
        EXPECT_EQ(Str(r->pszFromID), m->GetFromID());
        EXPECT_EQ(Str(r->pszFromName), m->GetFromName());
        EXPECT_EQ(Str(r->pszReplyTo), m->GetReplyTo());
        EXPECT_EQ(Str(r->pszMessageID), m->GetMessageID());
        EXPECT_EQ(Str(r->pszReferenceID), m->GetReferenceID());
        EXPECT_EQ(Str(r->pszType), m->GetType());
        EXPECT_EQ(Str(r->pszTypeValue), m->GetTypeValue());
        EXPECT_EQ(Str(r->pszSubject), m->GetSubject());
        EXPECT_EQ(Str(r->pszMessage), m->GetMessage());
        EXPECT_EQ(r->pBros, m->GetBros() ? static_cast<tagLETRIX*>(*m->GetBros()) : nullptr);
        tagIMMESTIME* heads[3] = {r->pTo, r->pCc, r->pBcc};
        for (D d : {TO, CC, BCC}) {
            const tagIMMESTIME* p = heads[d];
            for (CIMMesTime* e : m->GetDstRef(d)) {
                ASSERT_EQ(p, static_cast<tagIMMESTIME*>(*e));
                EXPECT_EQ(Str(p->pszID), e->GetID());
                p = p->pBros;
            }
            EXPECT_EQ(p, nullptr);
        }
    }
}

// The stored form of the message that GoldenMessage builds, written out by hand.
QByteArray GoldenBytes() {
    return QByteArray::fromHex("fffeff02 75003100" // sender id "u1"
                               "fffeff02 0d544d52" // sender name "名前"
                               "01000000"          // one To destination
                               "fffeff01 6100"     //   "a"
                               "60b2994000000000"  //   received 12:34:56
                               "0000000000000000"  //   not read
                               "00000000"          // no Cc
                               "01000000"          // one Bcc destination
                               "fffeff01 6200 0000000000000000 0000000000000000"
                               "01000000"                            // reply mode
                               "fffeff01 7200"                       // reply-to "r"
                               "fffeff02 6d003100"                   // message id "m1"
                               "fffeff00"                            // no reference id
                               "02000000 09010000 03000000 04000000" // priority .. version
                               "ccffcc00"                            // background colour
                               "fffeff01 7400 fffeff00"              // type "t", no type value
                               "30aa994000000000"                    // sent 12:00:00
                               "fffeff01 7300"                       // subject "s"
                               "fffeff02 2c678765");                 // body "本文"
}

// Stored times are UTC fields; the archive reads them as local time (Asia/Tokyo here).
void FillGoldenMessage(CLetrix& m) {
    m.SetFromID(u"u1"_qs);
    m.SetFromName(u"名前"_qs);
    m.AddDst(TO, u"a"_qs);
    m.SetDstRecvTime(TO, u"a"_qs, MakeTime(2004, 5, 6, 12, 34, 56, 7, 4), 0);
    m.AddDst(BCC, u"b"_qs);
    m.SetReplyMode(1);
    m.SetReplyTo(u"r"_qs);
    m.SetMessageID(u"m1"_qs);
    m.SetPriority(2);
    m.SetFlags(0x109);
    m.SetPicNumber(3);
    m.SetPicVersion(4);
    m.SetBgColor(uint32_t(0x00CCFFCC));
    m.SetType(u"t"_qs);
    m.SetSendTime(MakeTime(2004, 5, 6, 12, 0, 0, 0, 4), 0);
    m.SetSubject(u"s"_qs);
    m.SetMessage(u"本文"_qs);
}

QByteArray Store(CLetrix& m) {
    CArchive out;
    m.Serialize(out);
    return out.Bytes();
}

} // namespace

TEST(Letrix, AddDstTrimsSplitsAndSkipsDuplicates) {
    CLetrix m;
    m.AddDst(TO, u" a,b,a, "_qs);
    EXPECT_EQ(m.GetDstString(TO), u"a,b"_qs);
    m.AddDst(TO, u"A,b"_qs); // ids compare case-sensitively
    EXPECT_EQ(m.GetDstString(TO), u"a,b,A"_qs);
    m.AddDst(CC, u"x,,y"_qs);
    EXPECT_EQ(m.GetDstCount(CC), 3);
    EXPECT_EQ(m.GetDstNumber(CC, QString()), 1);
    m.AddDst(BCC, QString());
    m.AddDst(D(3), u"z"_qs);
    EXPECT_EQ(m.GetDstCount(BCC), 0);
    EXPECT_EQ(m.GetDstHeadData(BCC), nullptr);
    EXPECT_EQ(static_cast<tagLETRIX*>(m)->pBcc, nullptr);

    m.AddDst(BCC, u"b,a"_qs);
    EXPECT_EQ(m.GetDstNumber(BCC, u"a"_qs), 1);
    EXPECT_EQ(m.GetDstNumber(BCC, u"q"_qs), -1);
    EXPECT_EQ(m.GetDstHeadData(BCC)->GetID(), u"b"_qs);
    EXPECT_EQ(m.GetDstCount(D(7)), 0);
    EXPECT_EQ(m.GetDstString(D(-1)), QString());
    EXPECT_EQ(m.GetDstHeadData(D(3)), nullptr);
    EXPECT_EQ(&m.GetDstRef(D(5)), &m.GetDstRef(TO));
    ExpectRecordInvariant(m);
}

TEST(Letrix, FlagQueriesAndFoldingOfDestinationTimes) {
    CLetrix m;
    EXPECT_EQ(m.IsUnRead(), 1);
    m.SetFlags(0x1);
    EXPECT_EQ(m.IsUnRead(), 0);
    m.SetFlags(0x100);
    EXPECT_EQ(m.IsDogear(), 1);
    EXPECT_EQ(m.IsReply() + m.IsForward() + m.IsRecieved(), 0);
    m.SetFlags(0x2 | 0x4 | 0x8);
    EXPECT_EQ(m.IsReply() + m.IsForward() + m.IsRecieved(), 3);

    m.SetFlags(0x8000);
    EXPECT_EQ(m.TestAllReceived(), 1); // no destinations at all
    EXPECT_EQ(m.GetFlags(), 0x8008u);

    m.AddDst(TO, u"a"_qs);
    m.AddDst(BCC, u"b"_qs);
    const SYSTEMTIME t = MakeTime(2004, 5, 6, 1, 2, 3);
    EXPECT_EQ(m.SetDstRecvTime(TO, u"a"_qs, t, 0), 1);
    EXPECT_EQ(m.SetDstRecvTime(TO, u"b"_qs, t, 0), 0);             // not in that list
    EXPECT_EQ(m.SetDstRecvTime(BCC, u"b"_qs, SYSTEMTIME{}, 0), 0); // not a time
    EXPECT_EQ(m.TestAllReceived(), 0);
    EXPECT_EQ(m.GetFlags(), 0x8000u);
    EXPECT_EQ(m.SetDstRecvTime(BCC, u"b"_qs, t, 0), 1);
    EXPECT_EQ(m.TestAllReceived(), 1);
    EXPECT_EQ(m.TestAllRead(), 0);
    m.SetDstReadTime(TO, u"a"_qs, t, 0);
    m.SetDstReadTime(BCC, u"b"_qs, t, 0);
    EXPECT_EQ(m.TestAllRead(), 1);
    EXPECT_EQ(m.GetFlags(), 0x8009u);

    SYSTEMTIME out = MakeTime(1999, 9, 9);
    EXPECT_EQ(m.GetDstRecvTime(CC, u"a"_qs, out, 0), 0);
    EXPECT_EQ(Text(out), Text(MakeTime(1999, 9, 9)));
    EXPECT_EQ(m.GetDstReadTime(BCC, u"b"_qs, out, 0), 1);
    EXPECT_EQ(Text(out), Text(t));
    QString text = u"x"_qs;
    EXPECT_EQ(m.GetDstRecvTimeString(CC, u"a"_qs, text, 0), 0);
    EXPECT_EQ(text, u"----/--/-- --:--:--"_qs);
    m.AddDst(CC, u"c"_qs);
    EXPECT_EQ(m.GetDstRecvTime(CC, u"c"_qs, out, 0), 0);
    EXPECT_EQ(m.GetDstReadTimeString(CC, u"c"_qs, text, 0), 1);
    EXPECT_EQ(text, u"----/--/-- --:--:--"_qs);
}

TEST(Letrix, SendTimeTextsAndParsingFromMessageId) {
    ScopedTimeZone tz("America/New_York");
    CLetrix m;
    EXPECT_EQ(m.GetSendTimeString(0), u"--/--/-- --:--:--"_qs);
    m.SetSendTime(MakeTime(1970, 1, 1), 0);
    EXPECT_EQ(m.GetSendTimeString(1), u"--/--/-- --:--:--"_qs);
    // The test is made on the stored UTC time; the text shows the local time.
    m.SetSendTime(MakeTime(1970, 1, 3, 2, 0, 0, 0, 6), 0);
    EXPECT_EQ(m.GetSendTimeString(1), u"1970/01/02 21:00:00"_qs);

    m.SetSendTime(u"2004050612345607-u1"_qs, 0);
    EXPECT_EQ(Text(m.GetSendTime(0)), "2004-05-06 12:34:56.000 w0");
    m.SetSendTime(u"2004050612345607-u1"_qs, 1);
    EXPECT_EQ(Text(m.GetSendTime(0)), "2004-05-06 16:34:56.000 w4");
    m.SetSendTime(u"20x40506"_qs, 0);
    EXPECT_EQ(Text(m.GetSendTime(0)), "0020-05-06 00:00:00.000 w0");
    m.SetSendTime(MakeTime(2004, 1, 15, 12), 1);
    EXPECT_EQ(Seconds(m.GetSendTime(0)), "2004-01-15 17:00:00");
}

TEST(Letrix, MessageIdCarriesTheSendTime) {
    EXPECT_EQ(CLetrix::FormatMessageID(MakeTime(2004, 5, 6, 12, 34, 56, 7), u"u1"_qs),
              u"2004050612345607-u1"_qs);
    EXPECT_EQ(CLetrix::FormatMessageID(MakeTime(2004, 5, 6, 12, 34, 56, 123), u"u1"_qs),
              u"20040506123456123-u1"_qs);

    CLetrix m;
    m.SetFromID(u"u1"_qs);
    const QString id = m.CreateMessageID();
    EXPECT_EQ(m.GetMessageID(), id);
    const SYSTEMTIME sent = m.GetSendTime(0);
    EXPECT_EQ(id, CLetrix::FormatMessageID(sent, u"u1"_qs));
    EXPECT_TRUE(ObrixTime::IsNormalTime(sent));
    CLetrix parsed;
    parsed.SetSendTime(id, 0);
    EXPECT_EQ(Seconds(parsed.GetSendTime(0)), Seconds(sent));
}

TEST(Letrix, BackgroundColourTextAndValue) {
    CLetrix m;
    m.SetBgColor(uint32_t(0x00CCFFCC));
    EXPECT_EQ(m.GetBgColorStr(), u"13434828"_qs);
    for (auto [text, value] : {std::pair{u"255abc", 255u},
                               {u" 17", 17u},
                               {u"x1", 0u},
                               {u"-1", 0xFFFFFFFFu},
                               {u"4294967295", 0xFFFFFFFFu},
                               {u"99999999999999", 0xFFFFFFFFu}}) {
        m.SetBgColor(QString::fromUtf16(text));
        EXPECT_EQ(m.GetBgColor(), value) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(m.GetBgColorStr(), QString::fromUtf16(text));
    }
    m.SetFromName(u"名前"_qs);
    m.SetFromID(u"u1"_qs);
    EXPECT_EQ(m.GetFromNameAndID(), u"名前 [u1]"_qs);
}

TEST(Letrix, RecordAssignmentCopiesWhatTheRecordHolds) {
    std::u16string s[] = {u"u1", u"名前", u"t1", u"t2", u"b1", u"u2", u"件名", u"本文", u"m1"};
    tagIMMESTIME to[2] = {}, bcc = {};
    to[0] = {&to[1], s[2].c_str(), MakeTime(2004, 5, 6), {}};
    to[1] = {nullptr, s[3].c_str(), {}, MakeTime(2004, 5, 7)};
    bcc.pszID = s[4].c_str();
    tagLETRIX second{}, first{};
    second.pszFromID = s[5].c_str();
    first = {&second,
             s[0].c_str(),
             s[1].c_str(),
             to,
             nullptr,
             &bcc,
             7,
             nullptr,
             s[8].c_str(),
             nullptr,
             2,
             0x109,
             3,
             4,
             0xCCFFCC,
             nullptr,
             nullptr,
             MakeTime(2004, 5, 6, 1),
             s[6].c_str(),
             s[7].c_str()};

    CLetrix m;
    m.AddDst(TO, u"gone"_qs);
    m.AddDst(CC, u"keep"_qs);
    m.CreateBros()->AddDst(TO, u"x"_qs);
    m.GetBros()->CreateBros()->SetSubject(u"third"_qs);
    m = &first;
    for (auto& str : s)
        str.assign(u"zzzz");
    bcc.pszID = nullptr;

    ExpectRecordInvariant(m);
    EXPECT_EQ(m.GetFromNameAndID(), u"名前 [u1]"_qs);
    EXPECT_EQ(m.GetDstString(TO), u"t1,t2"_qs);
    EXPECT_EQ(m.GetDstString(CC), u"keep"_qs); // a null list leaves the own one
    EXPECT_EQ(m.GetDstString(BCC), u"b1"_qs);
    EXPECT_EQ(Text(m.GetDstRef(TO)[1]->GetReadTime(0)), Text(MakeTime(2004, 5, 7)));
    EXPECT_EQ(m.GetReplyMode(), 7u);
    EXPECT_EQ(m.GetReplyTo(), QString());
    EXPECT_EQ(m.GetMessageID(), u"m1"_qs);
    EXPECT_EQ(m.GetFlags(), 0x109u);
    EXPECT_EQ(m.GetPicNumber() * 10 + m.GetPicVersion(), 34u);
    EXPECT_EQ(m.GetBgColorStr(), u"13434828"_qs);
    EXPECT_EQ(m.GetSubject() + m.GetMessage(), u"件名本文"_qs);
    EXPECT_EQ(Text(m.GetSendTime(0)), Text(MakeTime(2004, 5, 6, 1)));
    ASSERT_NE(m.GetBros(), nullptr);
    EXPECT_EQ(m.GetBros()->GetFromID(), u"u2"_qs);
    EXPECT_EQ(m.GetBros()->GetDstString(TO), u"x"_qs);
    ASSERT_NE(m.GetBros()->GetBros(), nullptr);
    EXPECT_EQ(m.GetBros()->GetBros()->GetSubject(), u"third"_qs);

    // Null records, and records of the object itself, change nothing.
    m = static_cast<const tagLETRIX*>(nullptr);
    m = static_cast<tagLETRIX*>(m);
    EXPECT_EQ(m.GetDstString(TO), u"t1,t2"_qs);
    ExpectRecordInvariant(m);

    // A chain that loops back ends where it repeats.
    second.pBros = &first;
    first.pTo = nullptr;
    CLetrix looped(&first);
    EXPECT_NE(looped.GetBros(), nullptr);
    EXPECT_EQ(looped.GetBros()->GetBros(), nullptr);
}

TEST(Letrix, CopiesAreDeepAndKeepTheirOwnSuccessor) {
    auto source = std::make_unique<CLetrix>();
    FillGoldenMessage(*source);
    source->AddDst(CC, u"c1,c2"_qs);
    source->CreateBros()->SetSubject(u"next"_qs);

    CLetrix copy(*source);
    source->SetSubject(u"changed"_qs);
    source->GetDstHeadData(CC)->SetID(u"changed"_qs);
    source.reset();
    ExpectRecordInvariant(copy);
    EXPECT_EQ(copy.GetSubject(), u"s"_qs);
    EXPECT_EQ(copy.GetDstString(CC), u"c1,c2"_qs);
    EXPECT_EQ(copy.GetBgColorStr(), u"13434828"_qs);
    ASSERT_NE(copy.GetBros(), nullptr);
    EXPECT_EQ(copy.GetBros()->GetSubject(), u"next"_qs);

    CLetrix target;
    target.CreateBros()->SetSubject(u"own"_qs);
    CLetrix single;
    single.SetSubject(u"single"_qs);
    target = single;
    EXPECT_EQ(target.GetSubject(), u"single"_qs);
    EXPECT_EQ(target.GetBros()->GetSubject(), u"own"_qs);

    // From its own successor: the chain moves up by one, the last message stays.
    copy = *copy.GetBros();
    EXPECT_EQ(copy.GetSubject(), u"next"_qs);
    EXPECT_EQ(copy.GetDstCount(TO), 0);
    EXPECT_EQ(copy.GetBros()->GetSubject(), u"next"_qs);
    copy = copy;
    copy = static_cast<CLetrix*>(nullptr);
    ExpectRecordInvariant(copy);
    EXPECT_EQ(copy.GetSubject(), u"next"_qs);
}

TEST(Letrix, ChainOwnershipAndLoopRefusal) {
    CountedLetrix::alive = 0;
    {
        CLetrix head;
        auto* p = new CountedLetrix;
        EXPECT_EQ(head.SetBros(p), p);
        auto* other = new CountedLetrix;
        EXPECT_EQ(head.SetBros(other), nullptr);
        EXPECT_EQ(head.CreateBros(), nullptr);
        EXPECT_EQ(p->SetBros(&head), nullptr); // would close a loop
        EXPECT_EQ(other->SetBros(other), nullptr);
        delete other;
        EXPECT_EQ(static_cast<tagLETRIX*>(head)->pBros, static_cast<tagLETRIX*>(*p));
        p->CreateBros();
        head.ClearBros();
        EXPECT_EQ(CountedLetrix::alive, 0);
        EXPECT_EQ(static_cast<tagLETRIX*>(head)->pBros, nullptr);
        head.SetBros(new CountedLetrix);
    }
    EXPECT_EQ(CountedLetrix::alive, 0);

    auto head = std::make_unique<CLetrix>();
    CLetrix* tail = head.get();
    for (int i = 0; i < 200000; ++i)
        tail = tail->CreateBros();
    head.reset(); // no recursion along the chain
}

TEST(Letrix, SetDstArrayTakesEntriesOverOrCopiesRecords) {
    CountedEntry::alive = 0;
    {
        CLetrix m;
        auto* a = new CountedEntry;
        a->SetID(u"a"_qs);
        CIMMesTime* own = a->CreateBros(); // owned by a, not wanted in the list
        own->SetID(u"own"_qs);
        auto* b = new CountedEntry;
        b->SetID(u"b"_qs);
        m.AddDst(TO, u"old"_qs);
        m.SetDstArray(TO, QList<CIMMesTime*>{b, a, b, nullptr});
        EXPECT_EQ(m.GetDstString(TO), u"b,a"_qs);
        ExpectRecordInvariant(m);

        m.SetDstArray(TO, m.GetDstRef(TO));       // its own list: nothing is lost
        m.SetDstArray(CC, QList<CIMMesTime*>{a}); // moves from To to Cc
        EXPECT_EQ(m.GetDstString(TO), u"b"_qs);
        EXPECT_EQ(m.GetDstString(CC), u"a"_qs);
        EXPECT_EQ(CountedEntry::alive, 2);

        auto* stray = new CountedEntry;
        m.SetDstArray(D(3), QList<CIMMesTime*>{stray}); // no such list: stays the caller's
        delete stray;

        m.SetDstArray(BCC, static_cast<const tagIMMESTIME*>(nullptr));
        m.SetDstArray(BCC, static_cast<tagIMMESTIME*>(*m.GetDstHeadData(TO)));
        m.SetDstArray(TO, static_cast<tagIMMESTIME*>(*m.GetDstHeadData(TO)));
        EXPECT_EQ(m.GetDstString(BCC), u"b"_qs);
        EXPECT_EQ(m.GetDstString(TO), u"b"_qs);
        EXPECT_EQ(CountedEntry::alive, 1); // b was replaced by a copy of itself
        ExpectRecordInvariant(m);
    }
    EXPECT_EQ(CountedEntry::alive, 0);
}

TEST(LetrixArchive, GoldenMessageBytes) {
    ScopedTimeZone tz("Asia/Tokyo");
    CLetrix m;
    FillGoldenMessage(m);
    EXPECT_EQ(Store(m).toHex(' '), GoldenBytes().toHex(' '));

    CLetrix back;
    CArchive in(GoldenBytes());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    ExpectRecordInvariant(back);
    EXPECT_EQ(back.GetFromNameAndID(), u"名前 [u1]"_qs);
    EXPECT_EQ(back.GetDstString(TO) + u'|' + back.GetDstString(CC) + u'|' + back.GetDstString(BCC),
              u"a||b"_qs);
    SYSTEMTIME t{};
    EXPECT_EQ(back.GetDstRecvTime(TO, u"a"_qs, t, 0), 1);
    EXPECT_EQ(Text(t), "2004-05-06 12:34:56.000 w4");
    EXPECT_EQ(back.GetDstReadTime(TO, u"a"_qs, t, 0), 0);
    EXPECT_EQ(Text(t), Text(SYSTEMTIME{})); // a stored 0 leaves the time unset
    EXPECT_EQ(back.GetDstRecvTime(BCC, u"b"_qs, t, 0), 0);
    EXPECT_EQ(Text(t), Text(SYSTEMTIME{}));
    EXPECT_EQ(back.TestAllReceived(), 0); // b was never received
    EXPECT_EQ(back.GetFlags(), 0x101u);
    back.SetFlags(0x109);
    EXPECT_EQ(Store(back), GoldenBytes());

    // Reading appends to the lists of the object.
    CLetrix existing;
    existing.AddDst(TO, u"x,a"_qs);
    CArchive again(GoldenBytes());
    existing.Serialize(again);
    EXPECT_EQ(existing.GetDstString(TO), u"x,a"_qs);
    EXPECT_EQ(existing.GetDstRecvTime(TO, u"a"_qs, t, 0), 1);
}

TEST(LetrixArchive, CutStreamThrowsAndKeepsWhatWasRead) {
    ScopedTimeZone tz("Asia/Tokyo");
    const QByteArray whole = GoldenBytes();
    const qsizetype fromEnd = 8, toEnd = 16 + 4 + 22, flagsEnd = whole.indexOf("\x09\x01") + 4,
                    subjectEnd = whole.size() - 8;
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        CLetrix m;
        CArchive in(whole.left(cut));
        EXPECT_THROW(m.Serialize(in), CArchiveException) << cut;
        EXPECT_EQ(m.GetFromID() == u"u1"_qs, cut >= fromEnd) << cut;
        // A count that the bytes left cannot hold is refused before its entries are read.
        EXPECT_EQ(m.GetDstCount(TO), cut >= 16 + 4 + 17 ? 1 : 0) << cut;
        SYSTEMTIME t{};
        EXPECT_EQ(m.GetDstRecvTime(TO, u"a"_qs, t, 0), cut >= 16 + 4 + 17 ? 1 : 0) << cut;
        EXPECT_EQ(m.GetDstCount(BCC), cut >= toEnd + 4 + 4 + 17 ? 1 : 0) << cut;
        EXPECT_EQ(m.GetFlags() == 0x109u, cut >= flagsEnd) << cut;
        EXPECT_EQ(m.GetSubject() == u"s"_qs, cut >= subjectEnd) << cut;
        EXPECT_EQ(m.GetMessage(), QString());
        ExpectRecordInvariant(m);
    }
}

TEST(LetrixArchive, DamagedCountsAndTimesAreRefused) {
    auto header = [](int32_t toCount) {
        CArchive out;
        out << u"u1"_qs << u"n"_qs << toCount;
        for (int i = 0; i < 40; ++i)
            out << int32_t(0);
        return out.Bytes();
    };
    for (int32_t count : {0x7FFFFFFF, 1000, -1}) {
        CLetrix m;
        CArchive in(header(count));
        try {
            m.Serialize(in);
            ADD_FAILURE() << count;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::badCount) << count;
        }
        EXPECT_EQ(m.GetFromID(), u"u1"_qs);
        EXPECT_EQ(m.GetDstCount(TO), 0);
    }

    CLetrix bad;
    bad.SetSendTime(MakeTime(2000, 13, 1), 0);
    CArchive out;
    try {
        bad.Serialize(out);
        ADD_FAILURE() << "a send time in month 13 was stored";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.cause(), CArchiveException::badValue);
    }
}

TEST(LetrixArchive, RoundTripInDaylightSavingZonesAndSpecialValues) {
    for (const char* zone : {"Europe/Berlin", "America/New_York"}) {
        ScopedTimeZone tz(zone);
        CLetrix m;
        FillGoldenMessage(m);
        m.SetSendTime(MakeTime(2021, 10, 31, 2, 30, 0, 0, 0), 0);
        m.AddDst(CC, u"c"_qs);
        m.SetDstRecvTime(CC, u"c"_qs, MakeTime(2021, 3, 28, 1, 59, 59, 0, 0), 0);
        m.SetDstReadTime(CC, u"c"_qs, MakeTime(2021, 11, 7, 1, 30, 0, 0, 0), 0);
        CLetrix back;
        CArchive in(Store(m));
        back.Serialize(in);
        EXPECT_EQ(Seconds(back.GetSendTime(0)), "2021-10-31 02:30:00") << zone;
        SYSTEMTIME t{};
        back.GetDstRecvTime(CC, u"c"_qs, t, 0);
        EXPECT_EQ(Seconds(t), "2021-03-28 01:59:59") << zone;
        back.GetDstReadTime(CC, u"c"_qs, t, 0);
        EXPECT_EQ(Seconds(t), "2021-11-07 01:30:00") << zone;
        EXPECT_EQ(back.GetMessage(), u"本文"_qs);
    }

    // A send time before 1900 is stored as no time; an id holding commas becomes several
    // destinations, none of which gets the times stored with the whole id.
    CLetrix m;
    m.SetSendTime(MakeTime(1899, 6, 1), 0);
    m.AddDst(TO, u"x"_qs);
    m.GetDstHeadData(TO)->SetID(u"a,b"_qs);
    m.SetDstRecvTime(TO, u"a,b"_qs, MakeTime(2004, 5, 6), 0);
    const QByteArray stored = Store(m);
    EXPECT_EQ(stored.mid(stored.size() - 16, 8), QByteArray(8, '\0'));
    CLetrix back;
    CArchive in(stored);
    back.Serialize(in);
    EXPECT_EQ(back.GetDstString(TO), u"a,b"_qs);
    EXPECT_EQ(back.GetDstCount(TO), 2);
    EXPECT_EQ(back.TestAllReceived(), 0);
}
