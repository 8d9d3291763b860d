// The real program on an X display with the messaging core, Pingel.zpm and the probe plug-in
// (as the presence module, sending a message at log-on); another member acts through
// zeltactl. A witness plug-in inside the program reports the notification window's lines and
// place; the test keeps a screenshot of the display in <test dir>/artifacts.
#include "kernova/service/CLocalServiceAdmin.h"
#include "tests/support/CZeltaRun.h"
#include "obrix/CResourceLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}

class PingelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_run = std::make_unique<CZeltaRun>(OutDir(), TestDir() + u"fixtures/im/Probe.zpm"_qs);
        ASSERT_TRUE(m_run->SetupError().isEmpty()) << m_run->SetupError().toStdString();
        const QString plugins = m_run->Root() + u"/prog/plugin/im/"_qs;
        ASSERT_TRUE(QFile::copy(OutDir() + u"plugin/im/Pingel.zpm"_qs, plugins + u"Pingel.zpm"_qs));
        ASSERT_TRUE(QFile::copy(TestDir() + u"fixtures/pingel/PingelWitness.zpm"_qs,
                                plugins + u"PingelWitness.zpm"_qs));

        // A second group, in which the peer b has a name of its own (in g1 the core names
        // members by their display name).
        CLocalServiceAdmin admin(m_run->ServiceDir());
        ASSERT_TRUE(admin.Open());
        ASSERT_TRUE(admin.AddGroup({u"g2"_qs, {}, u"開発部"_qs, 1, {}}));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"a"_qs, 0, u"a"_qs));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"b"_qs, 0, u"北村(開発)"_qs));

        // The window stays open, so that every line of the run is in it for the screenshot.
        // The core keeps module 7's section S in the section "IM/S" of settings/Set/7.ini.
        const QString settings = m_run->UserDir() + u"settings/Set/7.ini"_qs;
        QDir().mkpath(QFileInfo(settings).absolutePath());
        QFile ini(settings);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[IM/Close]\nEnable=0\n");
        ini.close();

        m_witnessLog = m_run->Root() + u"/witness.log"_qs;
        QProcessEnvironment& env = m_run->Env();
        env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        env.insert(u"ZELTA_PROBE_SEND"_qs, u"b|||お知らせ|本文"_qs);
        env.insert(u"ZELTA_WITNESS_LOG"_qs, m_witnessLog);

        m_res = CResourceLoader::OpenModule(CResourceLoader::ModulePath(OutDir()));
        ASSERT_NE(m_res, nullptr);
    }
    void TearDown() override {
        m_run.reset();
        CResourceLoader::CloseModule(m_res);
    }

    static QStringList Lines(const QString& path) { return CZeltaRun::FileLines(path); }
    // The first witness record starting with prefix, waiting for it.
    QString WaitFor(const QString& prefix, int ms = 30000) {
        return CZeltaRun::WaitForLine(m_witnessLog, prefix, ms);
    }
    // A window line made from a numbered text whose last value is the time of the event,
    // which the test does not know to the minute.
    struct Expected {
        QString head;
        QString tail;
    };
    Expected Line(uint32_t text, QList<CFormatArg> args) const {
        args.append(QStringLiteral("\x01"));
        const QStringList parts =
            CResourceLoader::FormatText(CResourceLoader::LoadString(m_res, text), args)
                .split(u'\x01');
        return {QStringLiteral("line\t1\t") + parts.value(0), parts.value(1)};
    }
    // Waits for the window line and returns it without the record's fields.
    QString WaitForLine(const Expected& e) {
        const QString found = WaitFor(e.head);
        EXPECT_FALSE(found.isEmpty()) << "no line starting " << e.head.toStdString() << "\n"
                                      << Lines(m_witnessLog).join(u'\n').toStdString();
        EXPECT_TRUE(found.endsWith(e.tail)) << found.toStdString();
        EXPECT_GT(found.size(), e.head.size() + e.tail.size()) << "the time is missing";
        return found;
    }

    std::unique_ptr<CZeltaRun> m_run;
    QString m_witnessLog;
    void* m_res = nullptr;
};

TEST_F(PingelEndToEnd, APeersPresenceAndReceiptsShowAsLinesOfOnePopUp) {
    ASSERT_TRUE(m_run->Start());
    const QString sent = m_run->WaitForProbe({u"SendMessage"_qs, u"1"_qs});
    ASSERT_FALSE(sent.isEmpty()) << m_run->ProbeLines().join(u'\n').toStdString();
    const QString id = sent.section(u'\t', 2);

    // b logs on, reads the user's message, changes status and logs off again.
    int code = -1;
    m_run->Peer(
        u"b"_qs,
        {u"wait message --timeout 20"_qs, u"read "_qs + id, u"status 会議中"_qs, u"sleep 1"_qs},
        &code);
    ASSERT_EQ(code, 0);

    const QString on = CResourceLoader::LoadString(m_res, 717);
    const QString off = CResourceLoader::LoadString(m_res, 718);
    WaitForLine(Line(716, {u"Fam-b"_qs, on}));
    WaitForLine(Line(724, {u"Fam-b"_qs}));
    WaitForLine(Line(725, {u"Fam-b"_qs}));
    WaitForLine(Line(715, {u"Group 1"_qs, u"Fam-b"_qs, u"会議中"_qs}));
    WaitForLine(Line(715, {u"開発部"_qs, u"北村(開発)"_qs, u"会議中"_qs}));
    WaitForLine(Line(716, {u"Fam-b"_qs, off}));

    // One window, at the bottom-right of the display, never the active window. It grew with
    // its lines; the last place recorded is where it is now.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto lastPlace = [&] {
        QRect rect;
        for (const QString& record : Lines(m_witnessLog)) {
            const QStringList place = record.section(u'\t', 2, 2).split(u',');
            if (record.startsWith(u"window\t1\t"_qs) && place.size() == 4)
                rect =
                    QRect(place[0].toInt(), place[1].toInt(), place[2].toInt(), place[3].toInt());
        }
        return rect;
    };
    // The screenshot: the white pop-up with red (on line) and blue (off line) text in it,
    // taken again until the last line is painted.
    QImage shot;
    QRect rect;
    int white = 0, red = 0, blue = 0;
    (void)QTest::qWaitFor(
        [&] {
            rect = lastPlace();
            shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            white = red = blue = 0;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    white += c == Qt::white;
                    red += c.red() > 160 && c.green() < 100 && c.blue() < 100;
                    blue += c.blue() > 160 && c.red() < 100 && c.green() < 100;
                }
            return white > rect.width() * rect.height() / 2 && red > 0 && blue > 0;
        },
        10000);
    QDir().mkpath(TestDir() + u"artifacts"_qs);
    EXPECT_TRUE(shot.save(TestDir() + u"artifacts/pingel-e2e.png"_qs));
    ASSERT_TRUE(rect.isValid());
    EXPECT_EQ(rect.right(), screen.right());
    EXPECT_EQ(rect.bottom(), screen.bottom());
    EXPECT_EQ(rect.width(), 400);
    EXPECT_GT(white, rect.width() * rect.height() / 2);
    EXPECT_GT(red, 0);
    EXPECT_GT(blue, 0);
    for (const QString& record : Lines(m_witnessLog)) {
        EXPECT_FALSE(record.startsWith(u"line\t2"_qs)) << "a second window opened";
        EXPECT_FALSE(record.startsWith(u"window\t"_qs) && record.endsWith(u"\t1"_qs))
            << "the window took the focus: " << record.toStdString();
    }
}

} // namespace
