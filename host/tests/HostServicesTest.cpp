// Paths, main window registration, command line, OS version word and the forwarding of
// settings services to the settings provider.
#include "host/CCoreModuleList.h"
#include "host/CHostCore.h"
#include "host/COSVersion.h"
#include "host/CoreApi.h"
#include "host/tests/HostTestSupport.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(HostPaths, DirectoriesEndWithASlashAndTheUserDirectoryIsCreatedBelowXdgDataHome) {
    QTemporaryDir tmp;
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", tmp.path().toUtf8());
    CHostCore core;
    core.ComputePaths();
    if (wasSet)
        qputenv("XDG_DATA_HOME", saved);
    else
        qunsetenv("XDG_DATA_HOME");

    EXPECT_EQ(core.UserDir(), tmp.path() + "/Tovar/");
    EXPECT_TRUE(QDir(core.UserDir()).exists());
    EXPECT_TRUE(core.AppDir().endsWith(u'/'));
    EXPECT_EQ(core.PluginDir(), core.AppDir() + "plugin/");
    EXPECT_EQ(QString::fromUtf16(COREAPI_GetUserDir()), core.UserDir());
    EXPECT_EQ(QString::fromUtf16(COREAPI_GetAppDir()), core.AppDir());

    core.SetPaths("/opt/zelta", "");
    EXPECT_EQ(QString::fromUtf16(COREAPI_GetAppDir()), "/opt/zelta/");
    EXPECT_EQ(QString::fromUtf16(COREAPI_GetUserDir()), "");
}

TEST(HostMainWindow, SetMainWndReportsWhetherAWindowWasRegisteredBefore) {
    CHostCore core;
    QWidget a, b;
    EXPECT_EQ(COREAPI_SetMainWnd(&a), 0);
    EXPECT_EQ(COREAPI_GetMainWnd(), &a);
    EXPECT_EQ(COREAPI_SetMainWnd(&b), 1);
    EXPECT_EQ(COREAPI_SetMainWnd(nullptr), 1);
    EXPECT_EQ(COREAPI_SetMainWnd(&a), 0);
}

TEST(HostCommandLine, SwitchesAreFoundAnywhereIgnoringCase) {
    EXPECT_EQ(CHostCore::ParseDebugFlags("/D2"), 0x2u);
    EXPECT_EQ(CHostCore::ParseDebugFlags("/d3/d1"), 0x5u);
    EXPECT_EQ(CHostCore::ParseDebugFlags("-x /d1 /D2 /d3"), 0x7u);
    EXPECT_EQ(CHostCore::ParseDebugFlags("/d4 d1 /e2"), 0x0u);
}

COSVersion::Record nt(uint32_t major, uint32_t minor, int product, uint32_t suite = 0) {
    COSVersion::Record r;
    r.extendedQueryOk = true;
    r.platform = COSVersion::NT;
    r.major = major;
    r.minor = minor;
    r.productType = product;
    r.suiteMask = suite;
    return r;
}

COSVersion::Record win9x(uint32_t minor, const char* sp) {
    COSVersion::Record r;
    r.basicQueryOk = true;
    r.platform = COSVersion::Windows;
    r.major = 4;
    r.minor = minor;
    r.servicePack = QString::fromLatin1(sp);
    return r;
}

TEST(OSVersionWord, EveryPlatformOfTheDetectionTable) {
    using V = COSVersion;
    EXPECT_EQ(V::Word(V::Record{}), 0x8000000u);
    V::Record win32s;
    win32s.basicQueryOk = true;
    win32s.platform = V::Win32s;
    EXPECT_EQ(V::Word(win32s), 0x1000000u);

    EXPECT_EQ(V::Word(win9x(90, "")), 0x800000u);
    EXPECT_EQ(V::Word(win9x(10, "")), 0x400001u);
    EXPECT_EQ(V::Word(win9x(10, " A ")), 0x400002u);
    EXPECT_EQ(V::Word(win9x(0, "")), 0x200001u);
    EXPECT_EQ(V::Word(win9x(0, " B")), 0x200002u);
    EXPECT_EQ(V::Word(win9x(0, " C")), 0x200002u);
    EXPECT_EQ(V::Word(win9x(0, "B")), 0x200001u); // the second character decides
    EXPECT_EQ(V::Word(win9x(20, "")), 0u);
    V::Record win5 = win9x(0, "");
    win5.major = 5;
    EXPECT_EQ(V::Word(win5), 0u);

    EXPECT_EQ(V::Word(nt(5, 1, V::Workstation, 0x200)), 0x100002u);
    EXPECT_EQ(V::Word(nt(5, 1, V::Workstation)), 0x100001u);
    EXPECT_EQ(V::Word(nt(5, 2, V::Server, 0x80 | 0x2)), 0x80002u);
    EXPECT_EQ(V::Word(nt(5, 2, V::Server, 0x2)), 0x80004u);
    EXPECT_EQ(V::Word(nt(5, 0, V::Server, 0x400)), 0x40008u);
    EXPECT_EQ(V::Word(nt(5, 0, V::Server, 0x400 | 0x10)), 0x40010u);
    EXPECT_EQ(V::Word(nt(5, 0, V::DomainController, 0x80)), 0x40000u);
    EXPECT_EQ(V::Word(nt(4, 0, V::Workstation, 0x200)), 0x20001u);
    EXPECT_EQ(V::Word(nt(3, 51, V::Workstation)), 0x20001u);
    EXPECT_EQ(V::Word(nt(6, 0, V::Workstation)), 0x1u);
    EXPECT_EQ(V::Word(nt(5, 3, V::NoProduct)), 0u);

    V::Record sp6 = nt(4, 0, V::Workstation);
    sp6.servicePack = "service pack 6";
    EXPECT_EQ(V::Word(sp6), 0x20000u + 0x1u + 0x40u);
    sp6.hotfixQ246009 = true;
    EXPECT_EQ(V::Word(sp6), 0x20000u + 0x1u + 0x20u);
    sp6.servicePack = "Service Pack 5";
    EXPECT_EQ(V::Word(sp6), 0x20001u);

    // Only the basic query: the product options text gives the detail bit.
    V::Record basic = nt(4, 0, V::NoProduct);
    basic.extendedQueryOk = false;
    basic.basicQueryOk = true;
    basic.servicePack = "Service Pack 6";
    EXPECT_EQ(V::Word(basic), 0x20000u); // no product options: detection ends there
    basic.productOptions = "lanmanNT";
    EXPECT_EQ(V::Word(basic), 0x20000u + 0x10u + 0x40u);
    basic.productOptions = "ServerNT";
    EXPECT_EQ(V::Word(basic), 0x20000u + 0x4u + 0x40u);
    basic.productOptions = "WinNT";
    basic.major = 5;
    EXPECT_EQ(V::Word(basic), 0x40001u);

    // The running system: a newer NT family, so no themed drawing.
    EXPECT_EQ(V::Word(V::Query()), 0u);
    CHostCore core;
    core.DetermineOSVersion();
    EXPECT_EQ(COREAPI_GetOSVersion(), 0u);
}

class SettingsForwarding : public ::testing::Test {
protected:
    void SetUp() override {
        m_core.SetModules(&m_list);
        TakeFixtureEvents();
    }
    void LoadProvider() {
        ASSERT_TRUE(m_dir.AddFixture("FixtureCore", "provider.so", {"type=2"}));
        ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
        TakeFixtureEvents();
    }
    QStringList Calls() { return TakeFixtureEvents(); }

    CTestProgramDir m_dir;
    CHostCore m_core;
    CCoreModuleList m_list;
};

TEST_F(SettingsForwarding, WithoutAProviderEverythingIsZeroButReadRegIntGivesItsDefault) {
    char16_t buffer[8] = {};
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 0, u"A", u"V", 7), 7);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 9, 0, u"A", u"V", 7), 0);
    EXPECT_EQ(COREAPI_GetRegPath(1, 4, u"A", intptr_t(buffer), 8), 0);
    EXPECT_EQ(COREAPI_ReadRegString(1, 4, 0, u"A", u"V", 0, intptr_t(buffer), 8), 0);
    EXPECT_EQ(COREAPI_WriteRegInt(1, 4, 0, u"A", intptr_t(u"V"), 3, 0), 0);
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"f"), intptr_t(buffer), 8, 0), 0);
    EXPECT_EQ(COREAPI_GetAppDataInt(u"GENERAL", u"VERSION_H", 1, 5), 0);
    EXPECT_EQ(COREAPI_Encrypt(1, 2, 3, 4), 0);
    EXPECT_EQ(COREAPI_Decrypt(1, 2, 3), 0);
}

TEST_F(SettingsForwarding, NullValueNameAndInvalidCategoryNeverReachTheProvider) {
    LoadProvider();
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 0, u"Sub", nullptr, 7), 7);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 9, 0, u"Sub", u"V", 7), 0);
    EXPECT_EQ(COREAPI_ReadRegInt(1, -1, 0, u"Sub", u"V", 7), 0);
    EXPECT_EQ(COREAPI_ReadRegString(1, 4, 0, u"Sub", nullptr, 0, 0, 0), 0);
    EXPECT_EQ(COREAPI_GetRegPath(1, 5, u"Sub", 0, 0), 0);
    EXPECT_EQ(COREAPI_WriteRegString(1, 7, 0, u"Sub", 1, 2, 0), 0);
    EXPECT_EQ(Calls(), QStringList());
}

TEST_F(SettingsForwarding, PathsFollowTheCategoryRuleAndOtherArgumentsPassUnchanged) {
    LoadProvider();
    EXPECT_EQ(COREAPI_GetRegPath(1, 3, u"A\\B", 55, 66), 101);
    EXPECT_EQ(COREAPI_GetRegPath(0, 0, u"X", 1, 2), 101);
    EXPECT_EQ(COREAPI_GetRegPath(1, 2, nullptr, 1, 2), 101);
    EXPECT_EQ(COREAPI_GetRegPath(1, 1, u"", 1, 2), 101);
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 6, u"S", 11, 12, 13), 102);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 6, u"S", u"Name", -5), 103);
    EXPECT_EQ(COREAPI_ReadRegString(0, 4, 6, u"S", u"Name", 21, 22, 23), 104);
    EXPECT_EQ(COREAPI_WriteRegBinary(1, 4, 6, u"S", 31, 32, 33, 34), 105);
    EXPECT_EQ(COREAPI_WriteRegInt(1, 4, 6, u"S", 41, 42, 43), 106);
    EXPECT_EQ(COREAPI_WriteRegString(1, 4, 6, u"S", 51, 52, 53), 107);
    EXPECT_EQ(COREAPI_ReadFile(61, 62, 63, 64), 108);
    EXPECT_EQ(COREAPI_WriteFile(71, 72, 73, 74, 75), 109);
    EXPECT_EQ(COREAPI_GetAppDataInt(u"PARLO", u"MAXMEMBERS", 1, 81), 110);
    EXPECT_EQ(COREAPI_GetAppDataBool(intptr_t(u"G"), intptr_t(u"K"), 0, 91), 111);
    EXPECT_EQ(COREAPI_GetAppDataString(intptr_t(u"G"), intptr_t(u"K"), 1, 0, 95, 96), 112);
    EXPECT_EQ(Calls(), (QStringList{
                           "provider.so GetRegPath 1 Wirel\\A\\B 55 66",
                           "provider.so GetRegPath 0 \\X 1 2",
                           "provider.so GetRegPath 1 Stream 1 2",
                           "provider.so GetRegPath 1 Update\\ 1 2",
                           "provider.so ReadRegBinary 1 6 Set\\S 11 12 13",
                           "provider.so ReadRegInt 1 6 Set\\S Name -5",
                           "provider.so ReadRegString 0 6 Set\\S Name 21 22 23",
                           "provider.so WriteRegBinary 1 6 Set\\S 31 32 33 34",
                           "provider.so WriteRegInt 1 6 Set\\S 41 42 43",
                           "provider.so WriteRegString 1 6 Set\\S 51 52 53",
                           "provider.so ReadFile 61 62 63 64",
                           "provider.so WriteFile 71 72 73 74 75",
                           "provider.so GetAppDataInt PARLO MAXMEMBERS 1 81",
                           "provider.so GetAppDataBool G K 0 91",
                           "provider.so GetAppDataString G K 1 0 95 96",
                       }));
}

} // namespace
