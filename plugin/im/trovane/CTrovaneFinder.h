// The find window's search without the window: the words of a search text, whether a text
// holds them (anywhere or as whole words, all or any of them, in any letter case or not), the
// send-date restriction, and the search over a snapshot of a folder's entries. The snapshot
// holds copies of the texts, so the search may run on another thread while the box changes;
// it can be stopped and reports its progress.
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>

class CTrovaneMessage;

class CTrovaneFinder {
public:
    enum Target { BodyAndSubject = 0, BodyOnly = 1, SubjectOnly = 2 };
    enum Match { MatchFull = 0, MatchAll = 1, MatchAny = 2 };
    enum DateMode { OnOrBefore = 0, OnTheDay = 1, OnOrAfter = 2 };

    struct Query {
        QString text;
        Target target = SubjectOnly;
        Match match = MatchAny;
        bool wordByWord = false;
        bool caseSensitive = false;
        bool useDate = false;
        DateMode dateMode = OnOrBefore;
        QDate day; // in local time
        QString separators; // characters around a whole word; the carriage return among them
    };

    // One entry as the search sees it: the body is kept as plain text (objects and tags
    // removed), prepared once and searched by every later search.
    struct Candidate {
        uint32_t localNumber = 0;
        qint64 sendTime = 0; // milliseconds since the epoch (UTC)
        QString subject;
        QString text; // the body's plain text
    };
    static Candidate Snapshot(const CTrovaneMessage& entry, const QString& body);
    // The same with the body as it stands; Prepare turns it into plain text (on any thread).
    static Candidate RawSnapshot(const CTrovaneMessage& entry, const QString& body);
    static void Prepare(QList<Candidate>& candidates, const std::atomic_bool* stop = nullptr);

    // The words: the whole text with "Match Full", else the pieces between spaces. Letter case
    // is folded later, when the texts are compared.
    static QStringList Words(const Query& query);
    // The body without its objects and tags.
    static QString PlainText(const QString& body);
    // Whether a send time lies in the query's date range (always true without a date).
    static bool InDateRange(qint64 sendTime, const Query& query);
    // Whether one text is a hit for the words.
    static bool TextHits(QStringView text, const QStringList& words, const Query& query);

    // Local numbers of the hits, in the order of the candidates. Stops early (returning what
    // it found) when stop becomes true; progress(done, total) is called now and then.
    using Progress = std::function<void(int done, int total)>;
    static QList<uint32_t> Search(const QList<Candidate>& candidates, const Query& query,
                                  const std::atomic_bool* stop = nullptr,
                                  const Progress& progress = {});
};
