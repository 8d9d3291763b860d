// Zelta installed as a desktop program. One `cmake --install` with DESTDIR lays the tree out
// under a staging directory, which is then moved elsewhere: the tree must hold the build's
// program directory, the commands, the desktop entry, icons and AppStream metadata that the
// desktop's own validators accept, and must run from where it was moved to. The Debian package
// made by CPack must hold the same files, name its run-time dependencies and pass lintian.
#include "packaging/tests/PackagingTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

namespace {

using namespace PackagingTest;

class InstalledZelta : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_tmp = new QTemporaryDir;
        const QString stage = s_tmp->path() + QStringLiteral("/stage");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), stage);
        const ToolRun install = RunTool(Setting("ZELTA_CMAKE"),
                                        {QStringLiteral("--install"), Setting("ZELTA_BUILD_DIR"),
                                         QStringLiteral("--prefix"), QStringLiteral("/opt/zelta")},
                                        env);
        s_prefix = s_tmp->path() + QStringLiteral("/moved/zelta");
        if (install.code != 0)
            s_error = QStringLiteral("install failed: ") + install.Output();
        else if (!QDir().mkpath(s_tmp->path() + QStringLiteral("/moved")) ||
                 !QDir().rename(stage + QStringLiteral("/opt/zelta"), s_prefix))
            s_error = QStringLiteral("cannot move the installed tree");
    }
    static void TearDownTestSuite() {
        delete s_tmp;
        s_tmp = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString(); }

    static QString Prefix() { return s_prefix + u'/'; }
    static QString ProgramDir() { return Prefix() + QStringLiteral("lib/zelta/"); }
    static QString AppId() { return Setting("ZELTA_APP_ID"); }
    static QString DesktopEntry() {
        return Prefix() + QStringLiteral("share/applications/") + AppId() +
               QStringLiteral(".desktop");
    }
    static QString Metainfo() {
        return Prefix() + QStringLiteral("share/metainfo/") + AppId() +
               QStringLiteral(".metainfo.xml");
    }

    static inline QTemporaryDir* s_tmp = nullptr;
    static inline QString s_prefix;
    static inline QString s_error;
};

TEST_F(InstalledZelta, HoldsTheBuildsProgramDirectoryCommandsIconsAndDocumentation) {
    // Everything the build puts into its program directory is installed, and nothing else.
    const QStringList built = FilesBelow(Setting("ZELTA_OUT_DIR"));
    const QStringList installed = FilesBelow(ProgramDir());
    EXPECT_TRUE(built.contains(QStringLiteral("plugin/Kernova.so")));
    EXPECT_EQ(installed, built) << "only in the build (no install rule, or a stale file): "
                                << Missing(built, installed).join(u' ').toStdString()
                                << "\nonly installed: "
                                << Missing(installed, built).join(u' ').toStdString();

    // The commands are relative links, so that the tree can move.
    for (const auto& [command, program] :
         {std::pair{"zelta", "Zelta"}, std::pair{"zeltactl", "zeltactl"}}) {
        const QString link = Prefix() + QStringLiteral("bin/") + QLatin1String(command);
        EXPECT_EQ(LinkText(link), QStringLiteral("../lib/zelta/") + QLatin1String(program));
        const QFileInfo target(QFileInfo(link).canonicalFilePath());
        EXPECT_EQ(target.filePath(), ProgramDir() + QLatin1String(program));
        EXPECT_TRUE(target.isExecutable()) << command;
    }

    // The icon at each size of the theme: that size exactly, the mark drawn inside a
    // transparent margin.
    const QString theme = Prefix() + QStringLiteral("share/icons/hicolor/");
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(theme + QStringLiteral("%1x%1/apps/%2.png").arg(side).arg(AppId()));
        ASSERT_EQ(icon.size(), QSize(side, side)) << side;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << side;
        EXPECT_EQ(qAlpha(icon.pixel(side / 2, side / 2)), 255) << side;
    }
    QFile svg(theme + QStringLiteral("scalable/apps/") + AppId() + QStringLiteral(".svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    int shapes = 0;
    QString root;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (root.isEmpty())
                root = xml.name().toString();
            shapes += xml.name() == u"path" || xml.name() == u"polyline";
        }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(root, QStringLiteral("svg"));
    EXPECT_GE(shapes, 3);

    for (const char* doc : {"share/man/man1/zelta.1.gz", "share/man/man1/zeltactl.1.gz",
                            "share/doc/zelta/copyright", "share/doc/zelta/changelog.gz"})
        EXPECT_GT(QFileInfo(Prefix() + QLatin1String(doc)).size(), 0) << doc;
}

TEST_F(InstalledZelta, DesktopEntryNamesTheProgramInJapaneseAndPassesTheValidator) {
    const ToolRun check = RunTool(QStringLiteral("desktop-file-validate"), {DesktopEntry()});
    EXPECT_EQ(check.code, 0);
    EXPECT_EQ(check.Output(), QString()) << "warnings count as faults";

    const QHash<QString, QString> entry = DesktopEntryKeys(DesktopEntry());
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]"));
    EXPECT_FALSE(entry.value(QStringLiteral("Name[ja]")).isEmpty());
    EXPECT_TRUE(entry.value(QStringLiteral("Comment[ja]")).contains(japanese));
    EXPECT_FALSE(entry.value(QStringLiteral("Comment")).contains(japanese)) << "English fallback";
    EXPECT_TRUE(entry.value(QStringLiteral("Categories"))
                    .split(u';')
                    .contains(QStringLiteral("InstantMessaging")));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")), AppId());
    const QString command = entry.value(QStringLiteral("Exec")).section(u' ', 0, 0);
    EXPECT_TRUE(QFileInfo(Prefix() + QStringLiteral("bin/") + command).isExecutable()) << "Exec";
}

TEST_F(InstalledZelta, MetadataDescribesItInBothLanguagesAndPassesAppStream) {
    const ToolRun check =
        RunTool(QStringLiteral("appstreamcli"),
                {QStringLiteral("validate"), QStringLiteral("--no-net"),
                 QStringLiteral("--pedantic"), QStringLiteral("--explain"), Metainfo()});
    EXPECT_EQ(check.code, 0) << check.Output().toStdString();
    // Notes (I:) and pedantic advice (P:) are fine; a warning or error is not.
    for (const QString& line : check.out.split(u'\n'))
        EXPECT_FALSE(line.startsWith(u"W:") || line.startsWith(u"E:")) << line.toStdString();

    const QHash<QString, QStringList> meta = MetainfoTexts(Metainfo());
    EXPECT_EQ(meta.value(QStringLiteral("id")), QStringList{AppId()});
    EXPECT_EQ(meta.value(QStringLiteral("launchable")),
              QStringList{AppId() + QStringLiteral(".desktop")});
    EXPECT_FALSE(meta.value(QStringLiteral("p")).isEmpty());
    EXPECT_FALSE(meta.value(QStringLiteral("p@ja")).isEmpty());
    EXPECT_FALSE(meta.value(QStringLiteral("summary@ja")).isEmpty());
    // The screenshot named is the project's file that the screenshot test refreshes.
    const QStringList images = meta.value(QStringLiteral("image"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(images[0].startsWith(u"https://"));
    EXPECT_TRUE(images[0].endsWith(u'/' + QFileInfo(Setting("ZELTA_SCREENSHOT_FILE")).fileName()));
}

TEST_F(InstalledZelta, StartsFromTheMovedTreeLoadsEveryModuleAndEndsCleanly) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = IsolatedEnvironment(home.path());
    const QString service = home.path() + QStringLiteral("/service");
    env.insert(QStringLiteral("ZELTA_SERVICE_DIR"), service);

    // The installed administration tool prepares the service.
    const QString zeltactl = Prefix() + QStringLiteral("bin/zeltactl");
    for (const QStringList& command :
         {QStringList{"create"},
          QStringList{"member", "add", "yamada", "--password", "pw", "--family", "山田"},
          QStringList{"group", "add", "dev", "--name", "開発部"},
          QStringList{"membership", "add", "dev", "yamada"}}) {
        const ToolRun step = RunTool(zeltactl, command, env);
        ASSERT_EQ(step.code, 0) << command.join(u' ').toStdString() << ": "
                                << step.Output().toStdString();
    }
    env.insert(QStringLiteral("ZELTA_AUTOLOGON_ID"), QStringLiteral("yamada"));
    env.insert(QStringLiteral("ZELTA_AUTOLOGON_PASSWORD"), QStringLiteral("pw"));

    // Every module of the program directory but the activity hook, which serves X displays
    // and is not expected on the offscreen platform.
    QStringList expected;
    for (const QString& file : FilesBelow(ProgramDir()))
        if ((file.endsWith(u".so") || file.endsWith(u".zpm")) &&
            file != QStringLiteral("plugin/im/AvalinH.so"))
            expected << ProgramDir() + file;

    QProcess zelta;
    zelta.setProcessEnvironment(env);
    zelta.start(Prefix() + QStringLiteral("bin/zelta"), {});
    ASSERT_TRUE(zelta.waitForStarted(10000));
    QStringList mapped;
    const bool allLoaded = WaitUntil(
        [&] {
            mapped = MappedFiles(zelta.processId());
            return Missing(expected, mapped).isEmpty();
        },
        30000);
    EXPECT_TRUE(allLoaded) << "not loaded: " << Missing(expected, mapped).join(u' ').toStdString();
    // Nothing comes from the build or from where the tree was installed before it moved.
    const QString buildDir = Setting("ZELTA_BUILD_DIR");
    for (const QString& file : mapped)
        EXPECT_FALSE(file.startsWith(buildDir) || file.contains(u"/stage/")) << file.toStdString();

    zelta.terminate();
    ASSERT_TRUE(zelta.waitForFinished(20000));
    EXPECT_EQ(zelta.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(zelta.exitCode(), 0) << zelta.readAllStandardError().toStdString();

    const QString logDir = home.path() + QStringLiteral("/data/Tovar/log");
    const QStringList core = LogRecords(logDir, QStringLiteral("*_core.log"));
    ASSERT_FALSE(core.isEmpty());
    EXPECT_EQ(core.first(), QStringLiteral("NOTICE    :Starting Zelta"));
    EXPECT_EQ(core.last(), QStringLiteral("NOTICE    :Zelta is terminated."));
    EXPECT_TRUE(core.contains(QStringLiteral("NOTICE    :") + ProgramDir() +
                              QStringLiteral("plugin/Kernova.so Loaded.")))
        << core.join(u'\n').toStdString();
    for (const QString& record : LogRecords(logDir, QStringLiteral("*.log")))
        EXPECT_FALSE(record.startsWith(u"ERROR") || record.startsWith(u"FATALERROR"))
            << record.toStdString();
}

TEST_F(InstalledZelta, DebianPackageHoldsTheInstalledFilesNamesItsDependenciesAndPassesLintian) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const ToolRun cpack = RunTool(
        Setting("ZELTA_CPACK"), {QStringLiteral("--config"),
                                 Setting("ZELTA_BUILD_DIR") + QStringLiteral("/CPackConfig.cmake"),
                                 QStringLiteral("-B"), out.path()});
    ASSERT_EQ(cpack.code, 0) << cpack.Output().toStdString();
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("zelta_*.deb")});
    ASSERT_EQ(debs.size(), 1);
    const QString deb = out.path() + u'/' + debs[0];

    // The same files as the installation below /usr, with the program's modes.
    const ToolRun list = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
    ASSERT_EQ(list.code, 0);
    const PackageListing listing = ParsePackageListing(list.out, QStringLiteral("usr/"));
    EXPECT_EQ(listing.files, FilesBelow(Prefix()))
        << "only installed: "
        << Missing(FilesBelow(Prefix()), listing.files).join(u' ').toStdString();
    EXPECT_EQ(listing.links.value(QStringLiteral("bin/zelta")),
              QStringLiteral("../lib/zelta/Zelta"));
    EXPECT_EQ(listing.modes.value(QStringLiteral("lib/zelta/Zelta")), QStringLiteral("-rwxr-xr-x"));
    EXPECT_EQ(listing.modes.value(QStringLiteral("lib/zelta/appdata.ini")),
              QStringLiteral("-rw-r--r--"));

    const ToolRun depends =
        RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    for (const char* package : {"libqt6widgets6", "libqt6sql6-sqlite", "qt6-qpa-plugins",
                                "qt6-translations-l10n", "fonts-noto-cjk", "libxcb-xinput0"})
        EXPECT_TRUE(depends.out.contains(
            QRegularExpression(QStringLiteral("(^|, )%1( |,|$)").arg(QLatin1String(package)))))
            << package << " missing from: " << depends.out.toStdString();

    // Every dependency is one the Debian archive known to apt provides.
    if (!QDir(QStringLiteral("/var/lib/apt/lists"))
             .entryList({QStringLiteral("*Packages*")})
             .isEmpty()) {
        const ToolRun apt = RunTool(QStringLiteral("apt-get"),
                                    {QStringLiteral("install"), QStringLiteral("--simulate"),
                                     QStringLiteral("--no-install-recommends"), deb});
        EXPECT_EQ(apt.code, 0) << apt.Output().toStdString();
    }

    const ToolRun lintian = RunTool(QStringLiteral("lintian"),
                                    {QStringLiteral("--no-tag-display-limit"), deb}, {}, 240000);
    EXPECT_TRUE(lintian.code == 0 || lintian.code == 1) << lintian.Output().toStdString();
    for (const QString& line : lintian.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QString tag = line.section(u' ', 2, 2);
        EXPECT_FALSE(line.startsWith(u"E:")) << line.toStdString();
        EXPECT_FALSE(line.startsWith(u"W:") && !AcceptedLintianWarnings().contains(tag))
            << line.toStdString();
    }
}

} // namespace
