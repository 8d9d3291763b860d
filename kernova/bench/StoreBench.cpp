// Export and import of 10,000 stored messages (or COUNT) as the core does them: from the
// ".zmf" files of a message directory into an export collection, and from it into the message
// directory of a fresh home, every file written atomically.
//
//   kernova_store_bench [COUNT]
#include "kernova/CMessagePorter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void Report(const char* what, int count, qint64 ns) {
    std::printf("%-34s %6d messages  %8.1f ms  %9.0f messages/s\n", what, count, ns / 1e6,
                ns > 0 ? count * 1e9 / double(ns) : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    QTemporaryDir from, to;
    CMessageFiles source, target;
    source.SetDirectory(from.path() + QStringLiteral("/message/"));
    target.SetDirectory(to.path() + QStringLiteral("/message/"));
    CMessagePorter::Groups ids;
    for (int i = 0; i < count; ++i) {
        CLetrix m;
        m.SetMessageID(QStringLiteral("20261207120000%1-bench").arg(i, 6, 10, QLatin1Char('0')));
        m.SetFromID(QStringLiteral("bench"));
        m.SetFromName(QStringLiteral("ベンチ  太郎"));
        m.AddDst(CLetrix::DST_TO, QStringLiteral("sato,suzuki"));
        m.CreateSendTime();
        m.SetSubject(QStringLiteral("打ち合わせの件 %1").arg(i));
        m.SetMessage(QStringLiteral("<HTML><BODY><P>") + QString(400, u'文') +
                     QStringLiteral("</P></BODY></HTML>"));
        if (!source.Save(i % 3, m)) {
            std::fprintf(stderr, "message %d not stored\n", i);
            return 1;
        }
        ids[size_t(i % 3)].append(m.GetMessageID());
    }
    const QString file = from.filePath(QStringLiteral("bench.zdc"));
    QString error;
    QElapsedTimer t;
    t.start();
    if (!CMessagePorter(source).Export(file, ids, &error)) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
        return 1;
    }
    Report("export (files -> .zdc)", count, t.nsecsElapsed());
    CMessagePorter::Groups back;
    t.restart();
    if (!CMessagePorter(target).Import(file, &back, &error)) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
        return 1;
    }
    Report("import (.zdc -> files)", count, t.nsecsElapsed());
    t.restart();
    CMessagePorter(target).Import(file, &back, &error);
    Report("import again (all present)", count, t.nsecsElapsed());
    return back == ids ? 0 : 1;
}
