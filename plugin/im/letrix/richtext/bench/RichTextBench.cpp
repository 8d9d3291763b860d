// The message body writer and reader on a long body: 10,000 characters (or CHARS) in 100 runs
// of different face, size and colour, with a line end every 50 characters.
//
//   letrix_richtext_bench [CHARS] [RUNS]
#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"
#include "plugin/im/letrix/richtext/CMessageBodyLoader.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kRepeats = 20;

void Report(const char* what, int chars, const QList<qint64>& ns) {
    const qint64 best = *std::min_element(ns.begin(), ns.end());
    qint64 sum = 0;
    for (qint64 n : ns)
        sum += n;
    std::printf("%-28s %6d chars  best %7.2f ms  mean %7.2f ms\n", what, chars, best / 1e6,
                sum / 1e6 / double(ns.size()));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int chars = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 100;

    QTextDocument doc;
    QTextCursor cursor(&doc);
    const QString faces[] = {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("ＭＳ 明朝"),
                             QStringLiteral("Noto Sans CJK JP")};
    int written = 0;
    for (int r = 0; r < runs; ++r) {
        CRichCharFormat f;
        f.face = faces[r % 3];
        f.heightTwips = (8 + 2 * (r % 6)) * 20;
        f.textColor = ZRGB(uint8_t(r * 37), uint8_t(r * 11), uint8_t(r * 5));
        QString text;
        const int length = (chars - written) / (runs - r);
        for (int i = 0; i < length; ++i, ++written)
            text += (written + 1) % 50 == 0 ? QChar(u'\n') : QChar(u'あ' + written % 40);
        cursor.insertText(text, f.ToQt());
    }

    QString html;
    QList<qint64> writes, reads;
    QElapsedTimer t;
    for (int k = 0; k < kRepeats; ++k) {
        html.clear();
        t.start();
        CHtmlBodyWriter::AppendMessageBody(doc, 0xFFFFFF, html);
        writes << t.nsecsElapsed();
    }
    for (int k = 0; k < kRepeats; ++k) {
        QTextDocument read;
        t.start();
        CMessageBodyLoader::Load(read, html, {FillMode::Read, false, {}},
                                 CRichCharFormat::FromFont(read.defaultFont()));
        reads << t.nsecsElapsed();
        if (k == 0 && read.toPlainText() != doc.toPlainText()) {
            std::fprintf(stderr, "the body read back differs from the one written\n");
            return 1;
        }
    }
    std::printf("body: %d characters, %d format runs, %lld bytes of HTML\n", chars, runs,
                static_cast<long long>(html.size()));
    Report("message body writer", chars, writes);
    Report("body loader (read mode)", chars, reads);
    return 0;
}
