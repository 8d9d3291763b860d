// The screenshot that the AppStream metadata shows: the IM window a user lives in, with the
// member tree of a small organisation and their live presence, drawn by the real program
// (Zelta with the messaging core and the presence plug-in) on a local service with members
// acting through zeltactl. The picture is taken from inside the program by the presence
// plug-in's witness. The test writes it to <test dir>/artifacts/appstream/;
// scripts/screenshot.sh copies it into the project.
#include "kernova/service/CLocalServiceAdmin.h"
#include "packaging/tests/PackagingTestSupport.h"
#include "tests/support/CZeltaRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using PackagingTest::Setting;

// A member's display name in the demo organisation.
SvcMember Person(const char* id, const char* family, const char* first) {
    SvcMember m;
    m.id = QString::fromLatin1(id);
    m.familyName[1] = QString::fromUtf8(family);
    m.firstName[1] = QString::fromUtf8(first);
    return m;
}

TEST(AppStreamScreenshot, ShowsTheIMWindowWithLivePresenceAtTheSizeOfTheProjectsCopy) {
    const QString out = Setting("ZELTA_OUT_DIR") + u'/';
    const QString tests = Setting("ZELTA_TEST_DIR") + u'/';
    CZeltaRun run(out, tests + QStringLiteral("fixtures/im/Probe.zpm"));
    ASSERT_TRUE(run.SetupError().isEmpty()) << run.SetupError().toStdString();
    const QString plugins = run.Root() + QStringLiteral("/prog/plugin/im/");
    for (const char* file : {"Avalin.zpm", "Preset.zin", "status.bmp", "status@2x.bmp"})
        ASSERT_TRUE(QFile::copy(out + QStringLiteral("plugin/im/") + QLatin1String(file),
                                plugins + QLatin1String(file)))
            << file;
    ASSERT_TRUE(QFile::copy(tests + QStringLiteral("fixtures/avalin/AvalinWitness.zpm"),
                            plugins + QStringLiteral("AvalinWitness.zpm")));

    {
        CLocalServiceAdmin admin(run.ServiceDir());
        ASSERT_TRUE(admin.Open());
        for (const SvcMember& m : {Person("a", "山田", "太郎"), Person("b", "佐藤", "花子"),
                                   Person("c", "鈴木", "一郎"), Person("d", "高橋", "美咲")}) {
            ASSERT_TRUE(admin.UpdateMember(m));
            // The group shows the name the membership was made with.
            ASSERT_TRUE(admin.SetMembership(QStringLiteral("g1"), m.id, 0, m.DisplayName()));
        }
        ASSERT_TRUE(admin.RenameGroup(QStringLiteral("g1"), QStringLiteral("営業部")));
        ASSERT_TRUE(admin.AddGroup({QStringLiteral("g2"), {}, QStringLiteral("開発部"), 1, {}}));
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g2"), QStringLiteral("a"), 0));
        ASSERT_TRUE(admin.AddMembership(QStringLiteral("g2"), QStringLiteral("b"), 0));
    }

    const QString witnessLog = run.Root() + QStringLiteral("/witness.log");
    const QString shots = run.Root() + QStringLiteral("/shots");
    const QString trigger = run.Root() + QStringLiteral("/shoot");
    ASSERT_TRUE(QDir().mkpath(shots));
    QProcessEnvironment& env = run.Env();
    env.insert(QStringLiteral("ZELTA_PROBE_MODULE"), QStringLiteral("9"));
    env.insert(QStringLiteral("ZELTA_WITNESS_LOG"), witnessLog);
    env.insert(QStringLiteral("ZELTA_WITNESS_SHOTS"), shots);
    env.insert(QStringLiteral("ZELTA_WITNESS_TRIGGER"), trigger);
    // Twice the scale: large and sharp enough for a software centre's page.
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    ASSERT_TRUE(run.Start());

    // Two colleagues on line, one with a status of her own.
    QProcess c, d;
    ASSERT_TRUE(run.StartPeer(c, QStringLiteral("c")));
    ASSERT_TRUE(run.StartPeer(d, QStringLiteral("d")));
    d.write("status 外出中（15時戻り）\n");
    const bool listed = QTest::qWaitFor(
        [&] {
            for (const QString& line : CZeltaRun::FileLines(witnessLog)) {
                if (line.startsWith(QStringLiteral("rows\t")) &&
                    line.contains(QStringLiteral("鈴木  一郎,OnNet")) &&
                    line.contains(QStringLiteral("高橋  美咲,外出中（15時戻り）")))
                    return true;
            }
            return false;
        },
        30000);
    QFile(trigger).open(QIODevice::WriteOnly);
    const bool drawn =
        listed &&
        !CZeltaRun::WaitForLine(witnessLog, QStringLiteral("shot\tavalin-window@2x.png"), 30000)
             .isEmpty();
    for (QProcess* peer : {&c, &d}) {
        peer->closeWriteChannel();
        if (!peer->waitForFinished(10000))
            peer->kill();
    }
    run.Stop();
    ASSERT_TRUE(listed) << CZeltaRun::FileLines(witnessLog).join(u'\n').toStdString();
    ASSERT_TRUE(drawn) << CZeltaRun::FileLines(witnessLog).join(u'\n').toStdString();
    const QImage shot(shots + QStringLiteral("/avalin-window@2x.png"));
    ASSERT_FALSE(shot.isNull());

    const QString dir = tests + QStringLiteral("artifacts/appstream/");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString copy = Setting("ZELTA_SCREENSHOT_FILE");
    ASSERT_TRUE(shot.save(dir + QFileInfo(copy).fileName()));
    // A window large enough to read, drawn (not one flat colour).
    EXPECT_GE(shot.width(), 600);
    EXPECT_GE(shot.height(), 800);
    EXPECT_NE(shot.pixel(shot.width() / 2, 8), shot.pixel(shot.width() / 2, shot.height() / 3));

    // The project's copy is what this test draws; when the window changes, the copy is
    // refreshed with scripts/screenshot.sh.
    const QImage projects(copy);
    ASSERT_FALSE(projects.isNull()) << "no screenshot at " << copy.toStdString();
    EXPECT_EQ(projects.size(), shot.size()) << "the project's screenshot is out of date";
}

} // namespace
