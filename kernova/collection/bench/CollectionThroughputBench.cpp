// Export and import throughput of a collection of 10,000 messages (or COUNT), through a file.
//
//   kernova_collection_throughput [COUNT]
#include "kernova/collection/CMessageCollection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    CMessageCollection out;
    for (int i = 0; i < count; ++i) {
        auto m = std::make_unique<CLetrix>();
        m->SetMessageID(QStringLiteral("20261207110000%1-bench").arg(i, 6, 10, QLatin1Char('0')));
        m->SetFromID(QStringLiteral("bench"));
        m->SetFromName(QStringLiteral("ベンチ  太郎"));
        m->AddDst(CLetrix::DST_TO, QStringLiteral("sato,suzuki,all@eigyo"));
        m->CreateSendTime();
        m->SetSubject(QStringLiteral("打ち合わせの件 %1").arg(i));
        m->SetMessage(QStringLiteral("<HTML><BODY><P>") + QString(400, u'文') +
                      QStringLiteral("</P></BODY></HTML>"));
        out.Add(CMessageCollection::Group(i % 3), std::move(m));
    }
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("bench.zdc"));

    QElapsedTimer t;
    t.start();
    if (!out.Save(path)) {
        std::fprintf(stderr, "%s\n", qPrintable(out.ErrorText()));
        return 1;
    }
    const double exportMs = std::max<qint64>(1, t.nsecsElapsed() / 1000) / 1000.0;
    const qint64 size = QFileInfo(path).size();

    CMessageCollection in;
    t.restart();
    if (!in.Load(path) || in.Total() != count) {
        std::fprintf(stderr, "%s\n", qPrintable(in.ErrorText()));
        return 1;
    }
    const double importMs = std::max<qint64>(1, t.nsecsElapsed() / 1000) / 1000.0;

    std::printf("collection of %d messages, %.1f MB\n", count, size / 1e6);
    std::printf("export  %8.1f ms  %10.0f messages/s\n", exportMs, count / exportMs * 1000);
    std::printf("import  %8.1f ms  %10.0f messages/s\n", importMs, count / importMs * 1000);
    return 0;
}
