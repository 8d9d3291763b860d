#include "obrix/CArchive.h"
#include "obrix/CIMMesTime.h"
#include "obrix/ObrixTime.h"
#include "obrix/tests/MesTimeTestSupport.h"

#include <QDate>
#include <QDateTime>
#include <gtest/gtest.h>

using namespace ObrixTime;

namespace {

// Counts live entries, so that tests see what an owner destroyed.
struct CountedEntry : CIMMesTime {
    static inline int alive = 0;
    CountedEntry() { ++alive; }
    ~CountedEntry() override { --alive; }
};

void ExpectRecordMatches(CIMMesTime& e) {
    tagIMMESTIME* rec = e;
    ASSERT_NE(rec->pszID, nullptr);
    EXPECT_EQ(QString::fromUtf16(rec->pszID), e.GetID());
    EXPECT_EQ(rec->pBros, e.GetBros() ? static_cast<tagIMMESTIME*>(*e.GetBros()) : nullptr);
}

} // namespace

TEST(NormalTime, RangesAndTheDaysAroundCalendarSecondZero) {
    EXPECT_FALSE(IsNormalTime(SYSTEMTIME{}));
    EXPECT_TRUE(IsNormalTime(MakeTime(2004, 5, 6, 12, 34, 56, 7, 4)));
    EXPECT_TRUE(IsNormalTime(MakeTime(5, 12, 31, 23, 59, 59, 999, 6))); // year is not checked
    EXPECT_TRUE(IsNormalTime(MakeTime(1970, 1, 3)));
    EXPECT_TRUE(IsNormalTime(MakeTime(1969, 12, 30, 23)));
    EXPECT_FALSE(IsNormalTime(MakeTime(1970, 1, 1)));
    EXPECT_FALSE(IsNormalTime(MakeTime(1970, 1, 2, 23, 59, 59)));

    const SYSTEMTIME good = MakeTime(2004, 5, 6, 12, 34, 56, 7, 4);
    for (auto [field, bad] : {std::pair{&SYSTEMTIME::wMonth, 0},
                              {&SYSTEMTIME::wMonth, 13},
                              {&SYSTEMTIME::wDayOfWeek, 7},
                              {&SYSTEMTIME::wDay, 0},
                              {&SYSTEMTIME::wDay, 32},
                              {&SYSTEMTIME::wHour, 24},
                              {&SYSTEMTIME::wMinute, 60},
                              {&SYSTEMTIME::wSecond, 60},
                              {&SYSTEMTIME::wMilliseconds, 1000}}) {
        SYSTEMTIME t = good;
        t.*field = uint16_t(bad);
        EXPECT_FALSE(IsNormalTime(t)) << Text(t);
    }

    // "No time" must not turn into a time in any zone, east or west of UTC.
    for (const char* zone :
         {"UTC", "Asia/Tokyo", "America/New_York", "Pacific/Kiritimati", "Etc/GMT+12"}) {
        ScopedTimeZone tz(zone);
        EXPECT_FALSE(IsNormalTime(LocalFromSeconds(0))) << zone;
        EXPECT_FALSE(IsNormalTime(UtcToLocal(SYSTEMTIME{}))) << zone;
        EXPECT_FALSE(IsNormalTime(LocalToUtc(MakeTime(1899, 12, 31, 12)))) << zone;
    }
}

TEST(TimeConversion, LocalAndUtcInAZoneWithoutDaylightSaving) {
    ScopedTimeZone tz("Asia/Tokyo");
    EXPECT_EQ(Text(LocalToUtc(MakeTime(2004, 5, 6, 21, 34, 56, 500))),
              "2004-05-06 12:34:56.000 w4");
    EXPECT_EQ(Text(LocalToUtc(MakeTime(2004, 5, 7, 1, 2, 3))), "2004-05-06 16:02:03.000 w4");
    EXPECT_EQ(Text(UtcToLocal(MakeTime(2004, 5, 6, 16, 2, 3, 42))), "2004-05-07 01:02:03.042 w5");
    // Before 1900 a time counts as calendar second 0.
    EXPECT_EQ(Text(LocalToUtc(MakeTime(1899, 12, 31, 23, 59, 59))), "1970-01-01 00:00:00.000 w4");
    EXPECT_EQ(Text(UtcToLocal(SYSTEMTIME{})), "1970-01-01 09:00:00.000 w4");
}

TEST(TimeConversion, LocalAndUtcAcrossDaylightSavingChanges) {
    {
        ScopedTimeZone tz("Europe/Berlin");
        EXPECT_EQ(Seconds(LocalToUtc(MakeTime(2021, 1, 15, 12))), "2021-01-15 11:00:00");
        EXPECT_EQ(Seconds(LocalToUtc(MakeTime(2021, 7, 15, 12))), "2021-07-15 10:00:00");
        EXPECT_EQ(Seconds(UtcToLocal(MakeTime(2021, 3, 28, 0, 59, 59))), "2021-03-28 01:59:59");
        EXPECT_EQ(Seconds(UtcToLocal(MakeTime(2021, 3, 28, 1, 0, 0))), "2021-03-28 03:00:00");
        EXPECT_EQ(Seconds(UtcToLocal(MakeTime(2021, 10, 31, 0, 30))), "2021-10-31 02:30:00");
        EXPECT_EQ(Seconds(UtcToLocal(MakeTime(2021, 10, 31, 1, 30))), "2021-10-31 02:30:00");
        EXPECT_EQ(ArchiveSeconds(MakeTime(2021, 3, 28, 3, 0, 0)), 1616893200);
        EXPECT_EQ(ArchiveSeconds(MakeTime(2021, 3, 28, 1, 59, 59)), 1616893200 - 1);
    }
    {
        ScopedTimeZone tz("America/New_York");
        EXPECT_EQ(Seconds(LocalToUtc(MakeTime(2021, 3, 14, 1, 59, 59))), "2021-03-14 06:59:59");
        EXPECT_EQ(Seconds(LocalToUtc(MakeTime(2021, 3, 14, 3, 0, 0))), "2021-03-14 07:00:00");
        EXPECT_EQ(Seconds(UtcToLocal(MakeTime(2021, 11, 7, 6, 0, 0))), "2021-11-07 01:00:00");
        EXPECT_EQ(ArchiveSeconds(MakeTime(2021, 11, 7, 3, 0, 0)), 1636264800 + 2 * 3600);
    }
}

TEST(ArchiveTime, FieldsSurviveWriteAndReadAroundDaylightSavingChanges) {
    for (const char* zone : {"Asia/Tokyo", "Europe/Berlin", "America/New_York"}) {
        ScopedTimeZone tz(zone);
        for (const SYSTEMTIME& t :
             {MakeTime(2021, 3, 28, 1, 59, 59), MakeTime(2021, 3, 28, 3, 0, 0),
              MakeTime(2021, 10, 31, 2, 30, 0), MakeTime(2021, 10, 31, 3, 0, 1),
              MakeTime(2021, 3, 14, 1, 59, 59), MakeTime(2021, 11, 7, 1, 30, 0),
              MakeTime(1900, 1, 1, 0, 0, 0), MakeTime(2004, 5, 6, 12, 34, 56, 999)}) {
            CArchive out;
            WriteTime(out, t);
            ASSERT_EQ(out.Bytes().size(), 8);
            CArchive in(out.Bytes());
            const SYSTEMTIME back = ReadTime(in);
            EXPECT_EQ(Seconds(back), Seconds(t)) << zone;
            EXPECT_EQ(back.wMilliseconds, 0);
            EXPECT_EQ(back.wDayOfWeek, QDate(t.wYear, t.wMonth, t.wDay).dayOfWeek() % 7);
        }
    }
}

TEST(ArchiveTime, TheSecondBeforeTheEpochInUtcIsStoredAndLoaded) {
    // Its count of seconds is -1, which the C library also returns for a failure.
    ScopedTimeZone tz("UTC");
    const SYSTEMTIME edge = MakeTime(1969, 12, 31, 23, 59, 59, 0, 3);
    EXPECT_EQ(ArchiveSeconds(edge), -1);
    CArchive out;
    WriteTime(out, edge);
    CArchive in(out.Bytes());
    EXPECT_EQ(Text(ReadTime(in)), Text(edge));
}

TEST(ArchiveTime, NoTimeOutOfRangeFieldsAndDamagedValues) {
    ScopedTimeZone tz("Asia/Tokyo");
    EXPECT_EQ(ArchiveSeconds(SYSTEMTIME{}), 0);
    EXPECT_EQ(ArchiveSeconds(MakeTime(1899, 12, 31, 23, 59, 59)), 0);
    EXPECT_EQ(ArchiveSeconds(MakeTime(1970, 1, 1, 9)), 0);
    EXPECT_EQ(ArchiveSeconds(MakeTime(2004, 5, 6, 21, 34, 56)), 1083846896);

    for (const SYSTEMTIME& bad : {MakeTime(2000, 13, 1), MakeTime(2000, 0, 1), MakeTime(2000, 1, 0),
                                  MakeTime(2000, 1, 1, 24)}) {
        EXPECT_FALSE(ArchiveSeconds(bad).has_value()) << Text(bad);
        CArchive out;
        try {
            WriteTime(out, bad);
            ADD_FAILURE() << "written: " << Text(bad);
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::badValue);
        }
    }

    CArchive huge;
    huge << int64_t(INT64_MAX / 2);
    CArchive in(huge.Bytes());
    try {
        ReadTime(in);
        ADD_FAILURE() << "an unrepresentable time was read";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.cause(), CArchiveException::badValue);
    }
}

TEST(TimeText, JapaneseDateAnd24HourTimeWhateverTheProcessLocale) {
    // Whatever locale the process runs under (the C locale writes "6 May 2004").
    EXPECT_EQ(FormatTime(MakeTime(2004, 5, 6, 13, 4, 5, 0, 4), u"-"_qs), u"2004/05/06 13:04:05"_qs);
    EXPECT_EQ(DateTimeText(QDate(2026, 12, 7), QTime(9, 5, 59), false), u"2026/12/07 09:05"_qs);
    EXPECT_EQ(DateText(QDate(812, 1, 2)), u"0812/01/02"_qs);
    EXPECT_EQ(FormatTime(SYSTEMTIME{}, u"-"_qs), u"-"_qs);
    EXPECT_EQ(FormatTime(MakeTime(2004, 2, 31, 1), u"-"_qs), u"-"_qs);
    EXPECT_EQ(SendTimePlaceholder(), u"--/--/-- --:--:--"_qs);
    EXPECT_EQ(DestinationTimePlaceholder(), u"----/--/-- --:--:--"_qs);
}

TEST(TimeNow, CurrentUtcMatchesTheClockWithMilliseconds) {
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const SYSTEMTIME now = CurrentUtc();
    const QDateTime after = QDateTime::currentDateTimeUtc();
    const QDateTime got(QDate(now.wYear, now.wMonth, now.wDay),
                        QTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds), Qt::UTC);
    EXPECT_GE(got, before.addMSecs(-1));
    EXPECT_LE(got, after.addMSecs(1));
    EXPECT_EQ(now.wDayOfWeek, got.date().dayOfWeek() % 7);
}

TEST(MesTime, SettersConvertLocalTimeOnlyWhileNoTimeIsSet) {
    ScopedTimeZone tz("Asia/Tokyo");
    CIMMesTime e;
    EXPECT_EQ(e.GetRecvTimeString(0), u"----/--/-- --:--:--"_qs);
    EXPECT_EQ(e.GetReadTimeString(1), u"----/--/-- --:--:--"_qs);

    e.SetRecvTime(MakeTime(2004, 5, 6, 21, 34, 56), 1);
    EXPECT_EQ(Text(e.GetRecvTime(0)), "2004-05-06 12:34:56.000 w4");
    EXPECT_EQ(Seconds(e.GetRecvTime(1)), "2004-05-06 21:34:56");
    e.SetRecvTime(MakeTime(2010, 1, 1, 10), 1); // a time is already there: kept
    EXPECT_EQ(Seconds(e.GetRecvTime(0)), "2004-05-06 12:34:56");
    e.SetRecvTime(MakeTime(2010, 1, 1, 10), 0); // as given, no test
    EXPECT_EQ(Seconds(e.GetRecvTime(0)), "2010-01-01 10:00:00");

    e.SetReadTime(MakeTime(2004, 5, 6, 12, 0, 0, 0, 4), 0);
    EXPECT_EQ(e.GetReadTimeString(0), u"2004/05/06 12:00:00"_qs);
    EXPECT_EQ(e.GetReadTimeString(1), u"2004/05/06 21:00:00"_qs);
    EXPECT_EQ(Seconds(e.GetRecvTime(0)), "2010-01-01 10:00:00");
}

TEST(MesTime, RecordAssignmentCopiesTheChainAndKeepsPointersInside) {
    std::u16string ids[3] = {u"a", u"b", u"c"};
    tagIMMESTIME recs[3] = {};
    for (int i = 0; i < 3; ++i) {
        recs[i].pszID = ids[i].c_str();
        recs[i].stRecvTime = MakeTime(2004, 5, 6 + i);
        recs[i].pBros = i < 2 ? &recs[i + 1] : nullptr;
    }
    recs[1].pszID = nullptr; // read as an empty id

    CIMMesTime e;
    e.CreateBros()->SetID(u"old"_qs);
    e = &recs[0];
    for (auto& s : ids)
        s.assign(u"zz");
    QStringList got;
    for (CIMMesTime* p = &e; p; p = p->GetBros()) {
        ExpectRecordMatches(*p);
        got << p->GetID() + u'@' + QString::number(p->GetRecvTime(0).wDay);
    }
    EXPECT_EQ(got, QStringList({u"a@6"_qs, u"@7"_qs, u"c@8"_qs}));

    e = static_cast<const tagIMMESTIME*>(nullptr);
    EXPECT_EQ(e.GetID(), u"a"_qs);

    // From an entry of its own chain: copied as it was before anything changed.
    e = static_cast<tagIMMESTIME*>(*e.GetBros());
    ASSERT_NE(e.GetBros(), nullptr);
    EXPECT_EQ(e.GetID(), QString());
    EXPECT_EQ(e.GetBros()->GetID(), u"c"_qs);
    EXPECT_EQ(e.GetBros()->GetBros(), nullptr);

    // A record chain that loops back ends where it repeats.
    recs[2].pBros = &recs[0];
    e = &recs[0];
    int n = 0;
    for (CIMMesTime* p = &e; p; p = p->GetBros())
        ++n;
    EXPECT_EQ(n, 3);

    // A copy is deep: changing or destroying the source leaves it intact.
    auto source = std::make_unique<CIMMesTime>(e);
    CIMMesTime copy(*source);
    source->GetBros()->GetBros()->SetID(u"changed"_qs);
    source.reset();
    EXPECT_EQ(copy.GetBros()->GetBros()->GetID(), u"zz"_qs);
    ExpectRecordMatches(*copy.GetBros()->GetBros());
}

TEST(MesTime, OwnedSuccessorsAreDestroyedLinkedOnesAreNot) {
    CountedEntry::alive = 0;
    auto linked = std::make_unique<CountedEntry>();
    {
        CIMMesTime head;
        head.SetBros(linked.get());
        EXPECT_EQ(static_cast<tagIMMESTIME*>(head)->pBros, static_cast<tagIMMESTIME*>(*linked));
        head.CreateBros(); // replaces the link
        EXPECT_NE(head.GetBros(), linked.get());
        head.SetBros(linked.get());
    }
    EXPECT_EQ(CountedEntry::alive, 1);
    linked.reset();

    // A long chain is destroyed without exhausting the stack.
    auto head = std::make_unique<CIMMesTime>();
    CIMMesTime* tail = head.get();
    for (int i = 0; i < 300000; ++i)
        tail = tail->CreateBros();
    head.reset();
}

TEST(MesTime, SerializeWritesIdAndTimesAndReadsThemBack) {
    ScopedTimeZone tz("Asia/Tokyo");
    CIMMesTime e;
    e.SetID(u"u1"_qs);
    e.SetRecvTime(MakeTime(2004, 5, 6, 12, 34, 56, 7, 4), 0);
    CArchive out;
    e.Serialize(out);
    const QByteArray expected = QByteArray::fromHex("fffeff02"
                                                    "75003100"
                                                    "60b2994000000000"
                                                    "0000000000000000");
    EXPECT_EQ(out.Bytes().toHex(), expected.toHex());

    CIMMesTime back;
    back.SetReadTime(MakeTime(2010, 1, 1), 0);
    CArchive in(out.Bytes());
    back.Serialize(in);
    EXPECT_EQ(back.GetID(), u"u1"_qs);
    EXPECT_EQ(Text(back.GetRecvTime(0)), "2004-05-06 12:34:56.000 w4");
    EXPECT_FALSE(IsNormalTime(back.GetReadTime(0))); // 0 reads as calendar second 0
    ExpectRecordMatches(back);
}
