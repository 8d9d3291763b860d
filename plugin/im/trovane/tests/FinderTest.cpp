// Find: words and how they match (all, any, the whole text, whole words, letter case), short
// Japanese words, what of a body is searched, the send-date modes at the day's boundaries, and
// a search that is stopped.
#include "plugin/im/trovane/CTrovaneFinder.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

using Finder = CTrovaneFinder;

const QString kSeparators = u" \t\r\n\u3000、。，．,.!?！？「」『』（）()［］[]【】<>＜＞:;：；/／\\'\"・…‐-―"_qs;

Finder::Query Query(const QString& text, Finder::Match match = Finder::MatchAny) {
    Finder::Query q;
    q.text = text;
    q.match = match;
    q.separators = kSeparators;
    return q;
}

Finder::Candidate Candidate(uint32_t n, const QString& subject, const QString& body = {},
                            qint64 sendTime = 0) {
    return {n, sendTime, subject, Finder::PlainText(body)};
}

} // namespace

TEST(TrovaneFinder, AllNeedsEveryWordInAnyOrderAnyNeedsOneAndFullTheWholeText) {
    const QList<Finder::Candidate> entries{Candidate(1, u"会議 議事録 送付"_qs),
                                           Candidate(2, u"会議の日程"_qs),
                                           Candidate(3, u"議事録"_qs)};
    EXPECT_EQ(Finder::Search(entries, Query(u"議事録 会議"_qs, Finder::MatchAll)),
              QList<uint32_t>({1}));
    EXPECT_EQ(Finder::Search(entries, Query(u"議事録 会議"_qs, Finder::MatchAny)),
              QList<uint32_t>({1, 2, 3}));
    EXPECT_EQ(Finder::Search(entries, Query(u"会議 議事録"_qs, Finder::MatchFull)),
              QList<uint32_t>({1}));
    EXPECT_TRUE(Finder::Search(entries, Query(u"   "_qs)).isEmpty()) << "no words, no search";
    EXPECT_TRUE(Finder::Search({}, Query(u"会議"_qs)).isEmpty());
}

TEST(TrovaneFinder, TwoCharacterJapaneseWordsAndLetterCase) {
    // No tokeniser: a two-character word is found inside a longer run of kanji.
    EXPECT_TRUE(Finder::TextHits(u"来週の定例会議について"_qs, {u"会議"_qs}, Query({})));
    EXPECT_TRUE(Finder::TextHits(u"東京"_qs, {u"東京"_qs}, Query({})));
    Finder::Query q = Query({});
    EXPECT_TRUE(Finder::TextHits(u"release notes"_qs, {u"NOTES"_qs}, q));
    q.caseSensitive = true;
    EXPECT_FALSE(Finder::TextHits(u"release notes"_qs, {u"NOTES"_qs}, q));
    EXPECT_TRUE(Finder::TextHits(u"release NOTES"_qs, {u"NOTES"_qs}, q));
}

TEST(TrovaneFinder, WholeWordsNeedSeparatorsOnBothSidesOrTheEndsOfTheText) {
    Finder::Query q = Query({});
    q.wordByWord = true;
    EXPECT_FALSE(Finder::TextHits(u"category"_qs, {u"cat"_qs}, q)) << "inside a longer word";
    EXPECT_TRUE(Finder::TextHits(u"cat food"_qs, {u"cat"_qs}, q)) << "at the very start";
    EXPECT_TRUE(Finder::TextHits(u"the cat"_qs, {u"cat"_qs}, q)) << "at the very end";
    EXPECT_TRUE(Finder::TextHits(u"「会議」の件"_qs, {u"会議"_qs}, q));
    EXPECT_FALSE(Finder::TextHits(u"定例会議の件"_qs, {u"会議"_qs}, q));
    // A later whole occurrence counts even when the first one lies inside a word.
    EXPECT_TRUE(Finder::TextHits(u"concat cat"_qs, {u"cat"_qs}, q));
    q.separators = u" "_qs; // without the carriage return the ends are no boundary
    EXPECT_FALSE(Finder::TextHits(u"cat"_qs, {u"cat"_qs}, q));
}

TEST(TrovaneFinder, TheBodyIsSearchedWithoutTagsAndObjectsAndTheTargetChoosesTheTexts) {
    const QList<Finder::Candidate> entries{
        Candidate(1, u"件名"_qs, u"<BODY><A HREF=\"http://tovar.example\">社内</A></BODY>"_qs),
        Candidate(2, u"件名"_qs, u"<BODY>資料<OBJECT>tovar.pdf</OBJECT></BODY>"_qs),
        Candidate(3, u"tovar"_qs, u"<BODY>本文 TOVAR</BODY>"_qs)};
    Finder::Query q = Query(u"tovar"_qs);
    q.target = Finder::BodyOnly;
    EXPECT_EQ(Finder::Search(entries, q), QList<uint32_t>({3}))
        << "neither a tag's attribute nor an object's file name is text";
    q.target = Finder::SubjectOnly;
    EXPECT_EQ(Finder::Search(entries, q), QList<uint32_t>({3}));
    q.text = u"社内"_qs;
    q.target = Finder::BodyAndSubject;
    EXPECT_EQ(Finder::Search(entries, q), QList<uint32_t>({1}));
    EXPECT_EQ(Finder::PlainText(u"<P>a<OBJECT x>f.txt</OBJECT>b</P>"_qs), u"ab"_qs);
}

TEST(TrovaneFinder, DateModesMeetAtTheDaysBoundaries) {
    const QDate day(2026, 12, 7);
    auto at = [](int d, int h, int m, int s) {
        return QDateTime(QDate(2026, 12, d), QTime(h, m, s)).toMSecsSinceEpoch();
    };
    Finder::Query q = Query(u"x"_qs);
    q.useDate = true;
    q.day = day;
    q.dateMode = Finder::OnTheDay;
    EXPECT_TRUE(Finder::InDateRange(at(7, 0, 0, 0), q));
    EXPECT_TRUE(Finder::InDateRange(at(7, 23, 59, 0), q)) << "23:59 that day";
    EXPECT_FALSE(Finder::InDateRange(at(8, 0, 0, 0), q)) << "00:00 the next day";
    EXPECT_FALSE(Finder::InDateRange(at(6, 23, 59, 59), q));
    q.dateMode = Finder::OnOrBefore;
    EXPECT_TRUE(Finder::InDateRange(at(1, 8, 0, 0), q));
    EXPECT_TRUE(Finder::InDateRange(at(7, 23, 59, 59), q));
    EXPECT_FALSE(Finder::InDateRange(at(8, 0, 0, 0), q)) << "the next day is not on or before";
    q.dateMode = Finder::OnOrAfter;
    EXPECT_TRUE(Finder::InDateRange(at(7, 0, 0, 0), q)) << "the day's first second is on it";
    EXPECT_FALSE(Finder::InDateRange(at(6, 23, 59, 59), q));
    q.useDate = false;
    EXPECT_TRUE(Finder::InDateRange(at(1, 0, 0, 0), q));

    const QList<Finder::Candidate> entries{Candidate(1, u"x"_qs, {}, at(7, 23, 59, 0)),
                                           Candidate(2, u"x"_qs, {}, at(8, 0, 0, 0))};
    q.useDate = true;
    q.dateMode = Finder::OnTheDay;
    EXPECT_EQ(Finder::Search(entries, q), QList<uint32_t>({1}));
}

TEST(TrovaneFinder, AStoppedSearchEndsAndReportsProgress) {
    QList<Finder::Candidate> entries;
    for (uint32_t n = 1; n <= 1000; ++n)
        entries << Candidate(n, u"会議"_qs);
    std::atomic_bool stop = false;
    int calls = 0;
    const QList<uint32_t> hits =
        Finder::Search(entries, Query(u"会議"_qs), &stop, [&](int done, int) {
            ++calls;
            if (done >= 500)
                stop = true;
        });
    EXPECT_GE(hits.size(), 500);
    EXPECT_LT(hits.size(), 1000);
    EXPECT_GT(calls, 5);
}
