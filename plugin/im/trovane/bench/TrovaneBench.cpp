// The message box's index at scale: filing N entries (transfer conditions consulted, as for
// arriving messages), saving the tree and entries files, and loading them again with each
// entry filled from the core's message; then 10,000 entries matched against 50 conditions.
// The core is held in memory, so the figures are the box's own cost.
//
//   trovane_bench [--all-sleeps | --match | --find]
// Find searches 10,000 and 100,000 bodies of 1 KB held in memory.
// The load is timed without its pauses; with them it is timed for 10,000 entries, and for
// 100,000 only with --all-sleeps (about 100 s), otherwise the pauses are added up.
#include "CMemoryCore.h"
#include "plugin/im/trovane/CTrovaneBoxLoader.h"
#include "plugin/im/trovane/CTrovaneFinder.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <ctime>

using namespace TrovaneBox;
namespace Files = CTrovaneSettingsFiles;

namespace {

double Ms(qint64 ns) {
    return ns / 1e6;
}

// Processor time since `start`: on a busy machine it shows the work apart from waiting.
double CpuMs(std::clock_t start) {
    return double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
}

QString BenchId(int i) {
    return QStringLiteral("20261207120000%1-bench").arg(i, 6, 10, QLatin1Char('0'));
}

CLetrix BenchMessage(int i) {
    CLetrix m = MakeMessage(BenchId(i), QStringLiteral("member%1").arg(i % 40),
                            QStringLiteral("me,all@g2"), QStringLiteral("打ち合わせの件 %1").arg(i),
                            QStringLiteral("<HTML><BODY><P><FONT SIZE=3>") + QString(300, u'文') +
                                QStringLiteral("</FONT></P></BODY></HTML>"),
                            i % 4 ? LETRIX_FLAG_READ : 0);
    m.CreateSendTime();
    return m;
}

void FillCore(CMemoryCore& core, int count) {
    for (int i = 0; i < 40; ++i)
        core.AddMember(QStringLiteral("member%1").arg(i), QStringLiteral("社員  %1").arg(i));
    core.AddMember(QStringLiteral("me"), QStringLiteral("自分"));
    core.AddGroup(QStringLiteral("g2"), QStringLiteral("開発部"));
    for (int i = 0; i < count; ++i)
        core.Store(KindReceived, BenchMessage(i));
}

// 50 conditions over every scope; none but the first few ever hold, so matching walks them all.
CTrovaneTransCondList Conditions() {
    CTrovaneTransCondList list;
    for (uint32_t i = 0; i < 50; ++i) {
        CTrovaneTransCond c;
        c.nScope = i % 4;
        c.nTarget = i % 3 == 0 ? 2 : 0;
        c.strKeyword =
            i < 2 ? QStringLiteral("社員  3%1").arg(i) : QStringLiteral("該当なし%1").arg(i);
        c.nMode = CTrovaneTransCond::ModeExists;
        c.nFolder = 16 + i % 4;
        list.Append(c);
    }
    return list;
}

void Box(int count, bool timeSleeps) {
    CMemoryCore core;
    FillCore(core, count);
    CTrovaneStore store;
    Files::CreateSystemFolders(store);
    for (uint32_t id = 16; id < 20; ++id) {
        CTrovaneFolder f;
        f.nID = id;
        f.nParentID = ReceivedFolder;
        store.AddFolder(f);
    }
    const CTrovaneTransCondList conditions = Conditions();

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        CTrovaneHeldMessage held(core, KindReceived, BenchId(i));
        CTrovaneMessage entry;
        entry.SetBoxFlags(Received);
        entry.Fill(held.Record(), core);
        const uint32_t folder = conditions.Match(entry);
        entry.SetFolder(folder ? folder : ReceivedFolder, nullptr);
        store.AddEntry(entry);
    }
    const qint64 filing = t.nsecsElapsed();

    t.restart();
    const QByteArray tree = Files::WriteTree(store);
    const QByteArray entries = Files::WriteEntries(store);
    const qint64 saving = t.nsecsElapsed();

    CTrovaneStore loaded;
    t.restart();
    const std::clock_t cpu = std::clock();
    Files::ReadTree(tree, loaded);
    CTrovaneBoxLoader loader(loaded, core, entries, QString());
    int pauses = 0;
    while (loader.Step())
        ++pauses;
    const qint64 loading = t.nsecsElapsed();
    const double loadingCpu = CpuMs(cpu);
    if (loaded.EntryCount() != count)
        std::printf("  loaded %d of %d entries!\n", loaded.EntryCount(), count);

    std::printf("%7d entries: file %8.1f ms   save %7.1f ms (%.1f MB)   load %8.1f ms "
                "(cpu %.1f ms)",
                count, Ms(filing), Ms(saving), (tree.size() + entries.size()) / 1e6, Ms(loading),
                loadingCpu);
    if (timeSleeps) {
        CTrovaneStore again;
        Files::ReadTree(tree, again);
        CTrovaneBoxLoader paced(again, core, entries, QString());
        t.restart();
        while (paced.Step())
            QThread::msleep(10);
        std::printf("   load with pauses %8.1f ms\n", Ms(t.nsecsElapsed()));
    } else {
        std::printf("   load with pauses ~%.1f s (%d pauses of 10 ms added)\n",
                    (Ms(loading) + pauses * 10.0) / 1000.0, pauses);
    }
}

void Matching() {
    CMemoryCore core;
    const int count = 10000;
    FillCore(core, count);
    QList<CTrovaneMessage> entries(count);
    for (int i = 0; i < count; ++i) {
        CTrovaneHeldMessage held(core, KindReceived, BenchId(i));
        entries[i].SetBoxFlags(Received);
        entries[i].Fill(held.Record(), core);
    }
    const CTrovaneTransCondList conditions = Conditions();
    QElapsedTimer t;
    t.start();
    const std::clock_t cpu = std::clock();
    int matched = 0;
    for (const CTrovaneMessage& entry : std::as_const(entries))
        matched += conditions.Match(entry) ? 1 : 0;
    std::printf("match %d entries against %d conditions: %.1f ms (cpu %.1f ms; %d filed by a "
                "condition)\n",
                count, conditions.Count(), Ms(t.nsecsElapsed()), CpuMs(cpu), matched);
}

// A body of about 1 KB: Japanese and Latin text in the composer's markup, with a word that
// only some messages carry.
QString FindBody(int i) {
    QString text;
    const QString japanese = QStringLiteral("来週の定例会議では、見積書と日程の確認を行います。");
    const QString latin = QStringLiteral("Please review the attached schedule before Friday. ");
    while (text.size() < 480)
        text += (text.size() / 40) % 2 ? latin : japanese;
    if (i % 97 == 0)
        text += QStringLiteral("議事録");
    return QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\"><P>") + text + QStringLiteral("</P></BODY>");
}

void Find(int count) {
    QList<CTrovaneFinder::Candidate> candidates;
    candidates.reserve(count);
    QElapsedTimer prepare;
    prepare.start();
    for (int i = 0; i < count; ++i)
        candidates.append({uint32_t(i + 1), 0, QStringLiteral("件名 %1").arg(i),
                           CTrovaneFinder::PlainText(FindBody(i))});
    std::printf("prepare the plain text of %6d bodies (once per find window): %7.1f ms\n", count,
                Ms(prepare.nsecsElapsed()));
    CTrovaneFinder::Query query;
    query.text = QStringLiteral("議事録");
    query.target = CTrovaneFinder::BodyAndSubject;
    query.separators = QStringLiteral(" \r\n.,、。");
    for (bool caseSensitive : {false, true}) {
        query.caseSensitive = caseSensitive;
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        const QList<uint32_t> hits = CTrovaneFinder::Search(candidates, query);
        std::printf("find \"議事録\" in %6d bodies of 1 KB%s: %7.1f ms (cpu %.1f ms; %d hits)\n",
                    count, caseSensitive ? " (case sensitive)" : "", Ms(t.nsecsElapsed()),
                    CpuMs(cpu), int(hits.size()));
    }
    query.text = QStringLiteral("review FRIDAY");
    query.match = CTrovaneFinder::MatchAll;
    query.caseSensitive = false;
    query.wordByWord = true;
    QElapsedTimer t;
    t.start();
    const QList<uint32_t> hits = CTrovaneFinder::Search(candidates, query);
    std::printf("find two Latin words, whole words, all of them, in %6d bodies: %7.1f ms (%d "
                "hits)\n",
                count, Ms(t.nsecsElapsed()), int(hits.size()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool allSleeps = argc > 1 && std::strcmp(argv[1], "--all-sleeps") == 0;
    const bool matchOnly = argc > 1 && std::strcmp(argv[1], "--match") == 0;
    const bool findOnly = argc > 1 && std::strcmp(argv[1], "--find") == 0;
    if (findOnly || !matchOnly) {
        Find(10000);
        Find(100000);
    }
    if (findOnly)
        return 0;
    if (!matchOnly) {
        Box(10000, true);
        Box(100000, allSleeps);
    }
    Matching();
    return 0;
}
