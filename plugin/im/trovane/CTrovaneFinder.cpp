#include "plugin/im/trovane/CTrovaneFinder.h"

#include "obrix/CHtmlTagString.h"
#include "plugin/im/trovane/CTrovaneMessage.h"

#include <QDateTime>
#include <QStringMatcher>
#include <QTimeZone>
#include <memory>
#include <vector>

namespace {

qint64 SendTimeMs(const CTrovaneMessage& entry) {
    const SYSTEMTIME t = entry.GetSendTime(0);
    if (t.wYear == 0)
        return 0;
    const QDateTime at(QDate(t.wYear, t.wMonth, t.wDay),
                       QTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds), QTimeZone::utc());
    return at.isValid() ? at.toMSecsSinceEpoch() : 0;
}

bool IsSeparator(QStringView text, qsizetype at, const QString& separators) {
    // The text counts as framed by carriage returns, which belong to the separators.
    if (at < 0 || at >= text.size())
        return separators.contains(u'\r');
    return separators.contains(text[at]);
}

// Whether a word occurs in the text; with whole words, an occurrence whose neighbours are
// both separators. Every occurrence is tried, so that "ab ab" finds the whole word "ab" even
// when it first appears inside "xab".
bool Occurs(QStringView text, const QStringMatcher& word, qsizetype length, bool whole,
            const QString& separators) {
    for (qsizetype at = word.indexIn(text, 0); at >= 0; at = word.indexIn(text, at + 1)) {
        if (!whole)
            return true;
        if (IsSeparator(text, at - 1, separators) && IsSeparator(text, at + length, separators))
            return true;
    }
    return false;
}

// The words of a search, prepared once.
struct Prepared {
    std::vector<QStringMatcher> matchers;
    std::vector<qsizetype> lengths;
    Prepared(const QStringList& words, Qt::CaseSensitivity cs) {
        for (const QString& word : words) {
            matchers.emplace_back(word, cs);
            lengths.push_back(word.size());
        }
    }
    bool Hits(QStringView text, const CTrovaneFinder::Query& query) const {
        const bool all = query.match == CTrovaneFinder::MatchAll;
        for (size_t i = 0; i < matchers.size(); ++i) {
            const bool found =
                Occurs(text, matchers[i], lengths[i], query.wordByWord, query.separators);
            if (found && !all)
                return true;
            if (!found && all)
                return false;
        }
        return all && !matchers.empty();
    }
};

} // namespace

CTrovaneFinder::Candidate CTrovaneFinder::Snapshot(const CTrovaneMessage& entry,
                                                   const QString& body) {
    return {entry.LocalNumber(), SendTimeMs(entry), entry.GetSubject(), PlainText(body)};
}

CTrovaneFinder::Candidate CTrovaneFinder::RawSnapshot(const CTrovaneMessage& entry,
                                                      const QString& body) {
    return {entry.LocalNumber(), SendTimeMs(entry), entry.GetSubject(), body};
}

void CTrovaneFinder::Prepare(QList<Candidate>& candidates, const std::atomic_bool* stop) {
    for (Candidate& c : candidates) {
        if (stop && stop->load(std::memory_order_relaxed))
            return;
        c.text = PlainText(c.text);
    }
}

QStringList CTrovaneFinder::Words(const Query& query) {
    if (query.match == MatchFull)
        return query.text.isEmpty() ? QStringList() : QStringList{query.text};
    return query.text.split(u' ', Qt::SkipEmptyParts);
}

QString CTrovaneFinder::PlainText(const QString& body) {
    CHtmlTagString html(body);
    html.DeleteSplitTag(u"<OBJECT", u"</OBJECT>");
    html.DeleteAllTag();
    return html.GetString();
}

bool CTrovaneFinder::InDateRange(qint64 sendTime, const Query& query) {
    if (!query.useDate || !query.day.isValid())
        return true;
    const qint64 start = QDateTime(query.day, QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 end = QDateTime(query.day.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
    switch (query.dateMode) {
    case OnOrBefore:
        return sendTime < end;
    case OnTheDay:
        return sendTime >= start && sendTime < end;
    case OnOrAfter:
        return sendTime >= start;
    }
    return true;
}

bool CTrovaneFinder::TextHits(QStringView text, const QStringList& words, const Query& query) {
    const Prepared prepared(words, query.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return prepared.Hits(text, query);
}

QList<uint32_t> CTrovaneFinder::Search(const QList<Candidate>& candidates, const Query& query,
                                       const std::atomic_bool* stop, const Progress& progress) {
    QList<uint32_t> hits;
    const QStringList words = Words(query);
    if (words.isEmpty())
        return hits;
    const Prepared prepared(words, query.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const int total = int(candidates.size());
    const int step = qMax(1, total / 100);
    for (int i = 0; i < total; ++i) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        if (progress && i % step == 0)
            progress(i, total);
        const Candidate& c = candidates[i];
        if (!InDateRange(c.sendTime, query))
            continue;
        if (query.target != BodyOnly && prepared.Hits(c.subject, query)) {
            hits.append(c.localNumber);
            continue;
        }
        if (query.target != SubjectOnly && prepared.Hits(c.text, query))
            hits.append(c.localNumber);
    }
    if (progress)
        progress(total, total);
    return hits;
}
