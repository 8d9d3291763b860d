// The real program on an X display with the messaging core, Pingel.zpm and the probe plug-in
// (as the presence module, sending a message at log-on); another member acts through
// zeltactl. A witness plug-in inside the program reports the notification window's lines and
// place; the test keeps a screenshot of the display in <test dir>/artifacts.
#include "kernova/service/CLocalServiceAdmin.h"
#include "obrix/CResourceLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString OutDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR") + u'/';
}
QString TestDir() {
    return qEnvironmentVariable("ZELTA_TEST_DIR") + u'/';
}
QString Password(const QString& id) {
    return QStringLiteral("pw-") + id;
}

class PingelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tmp.isValid());
        const QString root = m_tmp.path();
        m_prog = root + u"/prog/"_qs;
        for (const char* file :
             {"Zelta", "libObrix.so", "appdata.ini", "lang/Japanese.so", "plugin/Settings.so",
              "plugin/Kernova.so", "res/ZeltaRes.so", "plugin/im/Pingel.zpm"})
            ASSERT_TRUE(
                Copy(OutDir() + QString::fromLatin1(file), m_prog + QString::fromLatin1(file)))
                << file;
        ASSERT_TRUE(
            Copy(TestDir() + u"fixtures/im/Probe.zpm"_qs, m_prog + u"plugin/im/Probe.zpm"_qs));
        ASSERT_TRUE(Copy(TestDir() + u"fixtures/pingel/PingelWitness.zpm"_qs,
                         m_prog + u"plugin/im/PingelWitness.zpm"_qs));
        QFile::setPermissions(m_prog + u"Zelta"_qs, QFile::ReadOwner | QFile::ExeOwner);

        // Two groups with the user a and the peer b, who has another name in each.
        m_service = root + u"/service"_qs;
        CLocalServiceAdmin admin(m_service);
        ASSERT_TRUE(admin.Create());
        for (const auto& [id, family, first] :
             {std::tuple{u"a"_qs, u"青木"_qs, u"明"_qs}, {u"b"_qs, u"北村"_qs, u"健"_qs}}) {
            SvcMember m;
            m.id = id;
            m.familyName[1] = family;
            m.firstName[1] = first;
            ASSERT_TRUE(admin.AddMember(m, Password(id)));
        }
        ASSERT_TRUE(admin.AddGroup({u"g1"_qs, {}, u"営業部"_qs, 0, {}}));
        ASSERT_TRUE(admin.AddGroup({u"g2"_qs, {}, u"開発部"_qs, 1, {}}));
        ASSERT_TRUE(admin.AddMembership(u"g1"_qs, u"a"_qs, 0, u"青木"_qs));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"a"_qs, 0, u"青木"_qs));
        ASSERT_TRUE(admin.AddMembership(u"g1"_qs, u"b"_qs, 0, u"北村(営業)"_qs));
        ASSERT_TRUE(admin.AddMembership(u"g2"_qs, u"b"_qs, 0, u"北村(開発)"_qs));

        // The window stays open, so that every line of the run is in it for the screenshot.
        const QString settings = root + u"/data/Tovar/settings/IM/7.ini"_qs;
        QDir().mkpath(QFileInfo(settings).absolutePath());
        QFile ini(settings);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Close]\nEnable=0\n");
        ini.close();

        QDir().mkpath(root + u"/run"_qs);
        QFile::setPermissions(root + u"/run"_qs,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_probeLog = root + u"/probe.log"_qs;
        m_witnessLog = root + u"/witness.log"_qs;
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(u"HOME"_qs, root + u"/home"_qs);
        m_env.insert(u"XDG_DATA_HOME"_qs, root + u"/data"_qs);
        m_env.insert(u"XDG_CONFIG_HOME"_qs, root + u"/config"_qs);
        m_env.insert(u"XDG_RUNTIME_DIR"_qs, root + u"/run"_qs);
        m_env.insert(u"QT_QPA_PLATFORM"_qs, u"xcb"_qs);
        m_env.insert(u"ZELTA_SERVICE_DIR"_qs, m_service);
        m_env.insert(u"ZELTA_AUTOLOGON_ID"_qs, u"a"_qs);
        m_env.insert(u"ZELTA_AUTOLOGON_PASSWORD"_qs, Password(u"a"_qs));
        m_env.insert(u"ZELTA_PROBE_LOG"_qs, m_probeLog);
        m_env.insert(u"ZELTA_PROBE_MODULE"_qs, u"1"_qs);
        m_env.insert(u"ZELTA_PROBE_SEND"_qs, u"b|||お知らせ|本文"_qs);
        m_env.insert(u"ZELTA_WITNESS_LOG"_qs, m_witnessLog);

        m_res = CResourceLoader::OpenModule(CResourceLoader::ModulePath(OutDir()));
        ASSERT_NE(m_res, nullptr);
    }
    void TearDown() override {
        Stop();
        CResourceLoader::CloseModule(m_res);
    }

    static bool Copy(const QString& from, const QString& to) {
        QDir().mkpath(QFileInfo(to).absolutePath());
        return QFile::copy(from, to);
    }
    void Stop() {
        if (m_zelta.state() == QProcess::NotRunning)
            return;
        m_zelta.terminate();
        if (!m_zelta.waitForFinished(15000))
            m_zelta.kill();
        m_zelta.waitForFinished(5000);
    }
    static QStringList Lines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    // The first record starting with prefix, waiting for it.
    QString WaitFor(const QString& path, const QString& prefix, int ms = 30000) {
        QString found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& line : Lines(path))
                    if (line.startsWith(prefix)) {
                        found = line;
                        return true;
                    }
                return false;
            },
            ms);
        return found;
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
        const QString found = WaitFor(m_witnessLog, e.head);
        EXPECT_FALSE(found.isEmpty()) << "no line starting " << e.head.toStdString() << "\n"
                                      << Lines(m_witnessLog).join(u'\n').toStdString();
        EXPECT_TRUE(found.endsWith(e.tail)) << found.toStdString();
        EXPECT_GT(found.size(), e.head.size() + e.tail.size()) << "the time is missing";
        return found;
    }

    QTemporaryDir m_tmp;
    QString m_prog;
    QString m_service;
    QString m_probeLog;
    QString m_witnessLog;
    QProcessEnvironment m_env;
    QProcess m_zelta;
    void* m_res = nullptr;
};

TEST_F(PingelEndToEnd, APeersPresenceAndReceiptsShowAsLinesOfOnePopUp) {
    m_zelta.setProcessEnvironment(m_env);
    m_zelta.setStandardOutputFile(QProcess::nullDevice());
    m_zelta.setStandardErrorFile(m_tmp.path() + u"/zelta.err"_qs);
    m_zelta.start(m_prog + u"Zelta"_qs, {});
    ASSERT_TRUE(m_zelta.waitForStarted(10000));
    const QString sent = WaitFor(m_probeLog, u"SendMessage\t1\t"_qs);
    ASSERT_FALSE(sent.isEmpty())
        << Lines(m_probeLog).join(u'\n').toStdString() << "\n"
        << Lines(m_tmp.path() + u"/zelta.err"_qs).join(u'\n').toStdString();
    const QString id = sent.section(u'\t', 2);

    // b logs on, reads the user's message, changes status and logs off again.
    QProcess peer;
    peer.setProcessEnvironment(m_env);
    peer.start(OutDir() + u"zeltactl"_qs,
               {u"--service"_qs, m_service, u"peer"_qs, u"--id"_qs, u"b"_qs, u"--password"_qs,
                Password(u"b"_qs), u"wait message --timeout 20"_qs, u"read "_qs + id,
                u"status 会議中"_qs, u"sleep 1"_qs});
    ASSERT_TRUE(peer.waitForFinished(60000));
    ASSERT_EQ(peer.exitCode(), 0) << peer.readAllStandardError().toStdString();

    const QString on = CResourceLoader::LoadString(m_res, 717);
    const QString off = CResourceLoader::LoadString(m_res, 718);
    WaitForLine(Line(716, {u"北村(営業)"_qs, on}));
    WaitForLine(Line(724, {u"北村  健"_qs}));
    WaitForLine(Line(725, {u"北村  健"_qs}));
    WaitForLine(Line(715, {u"営業部"_qs, u"北村(営業)"_qs, u"会議中"_qs}));
    WaitForLine(Line(715, {u"開発部"_qs, u"北村(開発)"_qs, u"会議中"_qs}));
    WaitForLine(Line(716, {u"北村(営業)"_qs, off}));

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

    Stop();
}

} // namespace
