// The OBRIX_ services without a session: paths, settings, whole files, routing to plug-ins
// and the answers of functions that refuse until their support arrives.
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

using namespace kntest;

namespace {

class CoreServices : public CoreFixture {};

TEST_F(CoreServices, DirectoriesEndInASlashExistAndFollowTheAccount) {
    const QString user = host.userDir;
    EXPECT_EQ(S16(OBRIX_GetUserDir()), user);
    EXPECT_EQ(S16(OBRIX_GetAppDir()), host.appDir);
    const QString before = S16(OBRIX_GetAccountDir());
    EXPECT_TRUE(before.startsWith(user + "account/")) << before.toStdString();
    EXPECT_TRUE(before.endsWith('/'));

    LogOnCore();
    EXPECT_EQ(S16(OBRIX_GetAccountDir()), user + "account/a/");
    const QString moduleDir = S16(OBRIX_GetModuleDir(6));
    EXPECT_EQ(moduleDir, user + "account/a/im/6/");
    EXPECT_TRUE(QFileInfo(moduleDir).isDir());
    const QString messageDir = S16(OBRIX_GetMessageDir());
    EXPECT_EQ(messageDir, user + "account/a/message/");
    for (const char* box : {"recv", "send", "draft", "files"})
        EXPECT_TRUE(QFileInfo(messageDir + box).isDir()) << box;
    // Two modules asked one after the other keep their own strings.
    const char16_t* one = OBRIX_GetModuleDir(1);
    const char16_t* four = OBRIX_GetModuleDir(4);
    EXPECT_EQ(S16(one), user + "account/a/im/1/");
    EXPECT_EQ(S16(four), user + "account/a/im/4/");
    EXPECT_EQ(S16(OBRIX_GetUserID()), "a");
}

TEST_F(CoreServices, SettingsGoToTheModulesUnitBelowTheIMSectionAndBuffersAreCutSafely) {
    EXPECT_EQ(OBRIX_WriteRegInt(1, 7, u"PINGEL", u"Count", 12), 1);
    EXPECT_EQ(host.values.value(CFakeHost::Key(1, 7, "IM\\PINGEL", "Count")).toInt(), 12);
    EXPECT_EQ(OBRIX_ReadRegInt(1, 7, u"PINGEL", u"Count", 5), 12);
    EXPECT_EQ(OBRIX_ReadRegInt(1, 4, u"PINGEL", u"Count", 5), 5); // another module's unit
    EXPECT_EQ(OBRIX_ReadRegInt(3, 7, u"PINGEL", u"Count", 5), 5); // no such scope
    EXPECT_EQ(OBRIX_WriteRegInt(2, 7, u"PINGEL", u"Count", 1), 0);

    EXPECT_EQ(OBRIX_WriteRegString(1, 1, u"IMWINDOW", u"Cols", u"19:100:70"), 1);
    char16_t small[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(OBRIX_ReadRegString(1, 1, u"IMWINDOW", u"Cols", small, 4, u"def"), 9);
    EXPECT_EQ(S16(small), "19:");
    char16_t buffer[64];
    EXPECT_EQ(OBRIX_ReadRegString(1, 1, u"IMWINDOW", u"Missing", buffer, 64, u"def"), 3);
    EXPECT_EQ(S16(buffer), "def");
    EXPECT_EQ(OBRIX_ReadRegString(1, 1, u"IMWINDOW", u"Missing", buffer, 64, nullptr), 0);
    EXPECT_EQ(S16(buffer), "");

    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(OBRIX_WriteRegBinary(1, 6, u"MESBOX", u"Bin", bytes, 5), 1);
    uint8_t out[3] = {};
    EXPECT_EQ(OBRIX_ReadRegBinary(1, 6, u"MESBOX", u"Bin", out, 3), 5);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(OBRIX_WriteRegBinary(1, 6, u"MESBOX", u"Bin", nullptr, 5), 0);
}

TEST_F(CoreServices, WholeFilesAreReadIntoAFreeableBufferAndWrittenOnlyWhereAllowed) {
    const QString path = host.userDir + "account/x/im/1/data/Preset.zin";
    const auto p16 = reinterpret_cast<const char16_t*>(path.utf16());
    const uint8_t data[4] = {9, 8, 7, 6};
    EXPECT_EQ(OBRIX_WriteFile(p16, data, 4, 0), 0) << "missing folder without createDirs";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(OBRIX_WriteFile(p16, data, 4, 1), 1);

    uint8_t* buffer = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(OBRIX_ReadFile(p16, &buffer, &length), 1);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(buffer[3], 6);
    std::free(buffer);

    // An empty file is a successful read with a buffer to free.
    ASSERT_EQ(OBRIX_WriteFile(p16, nullptr, 0, 0), 1);
    ASSERT_EQ(OBRIX_ReadFile(p16, &buffer, &length), 1);
    EXPECT_EQ(length, 0u);
    EXPECT_NE(buffer, nullptr);
    std::free(buffer);

    EXPECT_EQ(OBRIX_ReadFile(u"/no/such/file", &buffer, &length), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(OBRIX_ReadFile(nullptr, &buffer, &length), 0);
    // A relative path lies below the user directory.
    ASSERT_EQ(OBRIX_WriteFile(u"rel/f.bin", data, 2, 1), 1);
    EXPECT_TRUE(QFile::exists(host.userDir + "rel/f.bin"));
}

TEST_F(CoreServices, ControlCallsReachTheNamedModuleAndPreTranslationStopsAtTheFirstTaker) {
    EXPECT_EQ(OBRIX_Begin(4, 3, 77), 1);
    EXPECT_EQ(OBRIX_Begin(5, 0, 0), 0) << "no chat plug-in is loaded";
    EXPECT_EQ(OBRIX_Option(1), 1);
    EXPECT_EQ(TakeCalls(), (QStringList{"4 OnBegin 3 77", "1 OnOption"}));

    EXPECT_EQ(OBRIX_IsExistModule(4, u""), 1);
    EXPECT_EQ(OBRIX_IsExistModule(4, u"REC4.ZPM"), 1);
    EXPECT_EQ(OBRIX_IsExistModule(4, u"Other.zpm"), 0);
    EXPECT_EQ(OBRIX_IsExistModule(5, u""), 0);

    QEvent event(QEvent::User);
    MSG msg{nullptr, &event};
    EXPECT_EQ(core->PreTranslate(&msg), 0);
    SetPreTranslateAnswer(4, 1);
    EXPECT_EQ(core->PreTranslate(&msg), 1);

    QString file, version, local, company;
    ASSERT_TRUE(core->EnumModule(1, &file, &version, &local, &company));
    EXPECT_EQ(file, "Rec4.zpm");
    EXPECT_EQ(version, "1.1");
    EXPECT_FALSE(core->EnumModule(2, &file, &version, &local, &company));

    OBRIX_Kill();
    OBRIX_Version();
    EXPECT_EQ(host.kills, 1);
    EXPECT_EQ(host.versions, 1);
    EXPECT_EQ(OBRIX_GetAppDataInt(u"PARLO", u"MAXMEMBERS", 5, 0), 7);
}

TEST_F(CoreServices, StartInitsEveryPluginStartsOnlyPresenceAndShutdownKillsInReverse) {
    core->Start();
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnInit", "4 OnInit", "1 OnStart"}));
    core->Shutdown();
    EXPECT_EQ(TakeCalls(), (QStringList{"4 OnKill", "1 OnKill"}));
}

TEST_F(CoreServices, WithoutASessionOrAuthorisationNothingIsCreatedImportedOrSent) {
    EXPECT_EQ(OBRIX_Authorize(), 0) << "nobody has logged on here yet";
    EXPECT_EQ(OBRIX_ChatCreate(), 0);
    char16_t** ids = reinterpret_cast<char16_t**>(0x1);
    tagIMEXPORTCOUNT counts{1, 2, 3};
    EXPECT_EQ(OBRIX_ImportMessage(u"/tmp/x.zdc", &ids, &counts), 0);
    EXPECT_EQ(ids, nullptr);
    EXPECT_EQ(counts.nDraft + counts.nSent + counts.nRecv, 0u);
    uint8_t out[8];
    EXPECT_EQ(OBRIX_Encrypt(out, 8, out, 8), 0) << "too small for the sealed bytes";
    // Without a session nothing is sent and no status is changed.
    CLetrix m;
    m.AddDst(CLetrix::DST_TO, "b");
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    EXPECT_EQ(OBRIX_GetGroupAll(), nullptr);
}

TEST(PluginSet, LoadsEveryZpmInNameOrderBindsItsCallbacksAndReportsTheRest) {
    QTemporaryDir dir;
    const QString probe = qEnvironmentVariable("ZELTA_TEST_DIR") + "/fixtures/im/Probe.zpm";
    ASSERT_TRUE(QFile::copy(probe, dir.filePath("B.zpm")));
    ASSERT_TRUE(QFile::copy(probe, dir.filePath("A.zpm")));
    ASSERT_TRUE(QFile::copy(probe, dir.filePath("A.so"))); // not a plug-in's name
    QFile junk(dir.filePath("C.zpm"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();

    qputenv("ZELTA_PROBE_MODULE", "6");
    CImPluginSet set;
    const QStringList problems = set.LoadDirectory(dir.path());
    qunsetenv("ZELTA_PROBE_MODULE");
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.first().contains("C.zpm"));
    ASSERT_EQ(set.Plugins().size(), 2u);
    EXPECT_TRUE(set.Plugins()[0]->Path().endsWith("A.zpm"));
    EXPECT_TRUE(set.Plugins()[1]->Path().endsWith("B.zpm"));
    EXPECT_EQ(set.Plugins()[0]->Module(), 6);
    EXPECT_EQ(set.Plugins()[0]->FileName(), "Probe.zpm");
    EXPECT_EQ(set.Plugins()[0]->VersionText(), "1.1");
    // The whole callback set is bound; the chat callbacks only in the chat plug-in.
    EXPECT_NE(set.Plugins()[0]->OnChangeMemRole, nullptr);
    EXPECT_NE(set.Plugins()[0]->OnBltSMenu, nullptr);
    EXPECT_EQ(set.Plugins()[0]->OnChatCreate, nullptr);
    EXPECT_EQ(set.Find(6), set.Plugins()[0].get());
    set.Clear();
    EXPECT_TRUE(set.Plugins().empty());
}

TEST(CoreResources, TheIMResourceModuleIsOpenedOnceFromTheProgramDirectory) {
    CFakeHost host;
    host.appDir = qEnvironmentVariable("ZELTA_OUT_DIR") + "/";
    CKernovaCore core(host);
    CKernovaCore::SetInstance(&core);
    void* res = OBRIX_GetIMResHandle();
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(OBRIX_GetIMResHandle(), res);
    EXPECT_EQ(CResourceLoader::LoadString(res, 123), "ログオン");
    EXPECT_FALSE(CResourceLoader::LoadString(res, 2000).isEmpty()) << "the core's own texts";
    CKernovaCore::SetInstance(nullptr);

    CFakeHost elsewhere;
    elsewhere.appDir = "/nonexistent/";
    CKernovaCore without(elsewhere);
    EXPECT_EQ(without.IMResHandle(), nullptr);
    EXPECT_EQ(elsewhere.log.size(), 1) << "the missing module is logged once";
    EXPECT_EQ(without.IMResHandle(), nullptr);
    EXPECT_EQ(elsewhere.log.size(), 1);
}

TEST(CoreWithoutInstance, ExportsAnswerEmptyWhenNoCoreRuns) {
    CKernovaCore::SetInstance(nullptr);
    EXPECT_EQ(S16(OBRIX_GetUserDir()), "");
    EXPECT_EQ(OBRIX_ReadRegInt(1, 1, u"S", u"K", 42), 42);
    char16_t buffer[8];
    EXPECT_EQ(OBRIX_ReadRegString(1, 1, u"S", u"K", buffer, 8, u"dflt"), 4);
    EXPECT_EQ(S16(buffer), "dflt");
    EXPECT_EQ(OBRIX_GetMessage(2, u"x"), nullptr);
    EXPECT_EQ(OBRIX_GetLogonState(), 0);
}

} // namespace
