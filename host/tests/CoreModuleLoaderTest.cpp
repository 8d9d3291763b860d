// Loading, ordering, refusal and dispatch of core modules, with real fixture libraries.
#include "host/CCoreModuleList.h"
#include "host/CHostCore.h"
#include "host/CoreApi.h"
#include "host/tests/HostTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using N = CCoreModuleList::Notification;

QStringList fileNames(const CCoreModuleList& list) {
    QStringList names;
    for (const auto& m : list.Modules())
        names.append(QString::fromUtf16(m->m_info.szFileName));
    return names;
}

QStringList fixtureConfig(int type, int order = 0, const QStringList& more = {}) {
    return QStringList{QStringLiteral("type=%1").arg(type), QStringLiteral("order=%1").arg(order)} +
           more;
}

class CoreModuleLoader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.IsValid());
        m_core.SetModules(&m_list);
        TakeFixtureEvents();
    }
    void TearDown() override {
        m_list.Release();
        TakeFixtureEvents();
    }
    void Add(const QString& name, const QStringList& config,
             const QString& fixture = QStringLiteral("FixtureCore")) {
        ASSERT_TRUE(m_dir.AddFixture(fixture, name, config)) << name.toStdString();
    }

    CTestProgramDir m_dir;
    CHostCore m_core;
    CCoreModuleList m_list;
};

TEST_F(CoreModuleLoader, OrdersByTypeNotifiesInLoadOrderKillsInReverseAndFreesInLoadOrder) {
    Add(QStringLiteral("a.so"), fixtureConfig(4));
    Add(QStringLiteral("b.so"), fixtureConfig(2));
    Add(QStringLiteral("c.so"), fixtureConfig(3));
    QStringList loaded;
    m_list.SetLoadedSink([&](const QString& path) { loaded.append(path); });

    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    EXPECT_EQ(fileNames(m_list), (QStringList{"b.so", "c.so", "a.so"}));
    EXPECT_EQ(loaded, (QStringList{m_dir.PluginDir() + "a.so", m_dir.PluginDir() + "b.so",
                                   m_dir.PluginDir() + "c.so"}));
    EXPECT_TRUE(m_list.m_bHasSettingsModule);
    EXPECT_TRUE(m_list.m_bHasComModule);
    TakeFixtureEvents();

    EXPECT_EQ(m_list.Notify(ZeltaCoreType::All, N::Init), 1);
    EXPECT_EQ(m_list.Notify(ZeltaCoreType::All, N::Start), 1);
    EXPECT_EQ(m_list.Notify(ZeltaCoreType::All, N::Kill), 1);
    m_list.Release();
    EXPECT_EQ(TakeFixtureEvents(),
              (QStringList{"b.so init", "c.so init", "a.so init", "b.so start", "c.so start",
                           "a.so start", "a.so kill", "c.so kill", "b.so kill", "b.so unload",
                           "c.so unload", "a.so unload"}));
    EXPECT_FALSE(m_list.m_bHasSettingsModule);
}

TEST_F(CoreModuleLoader, OrderDecidesWithinATypeAndEqualModulesKeepDiscoveryOrder) {
    Add(QStringLiteral("m1.so"), fixtureConfig(5, 0));
    Add(QStringLiteral("m2.so"), fixtureConfig(5, 0));
    Add(QStringLiteral("m3.so"), fixtureConfig(2, 5));
    Add(QStringLiteral("m4.so"), fixtureConfig(2, 1));
    Add(QStringLiteral("m5.so"), fixtureConfig(5, -1));
    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    EXPECT_EQ(fileNames(m_list), (QStringList{"m4.so", "m3.so", "m5.so", "m1.so", "m2.so"}));

    // The first settings provider in load order serves the settings services.
    TakeFixtureEvents();
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 0, u"S", u"V", 9), 103);
    const QStringList events = TakeFixtureEvents();
    ASSERT_EQ(events.size(), 1);
    EXPECT_TRUE(events[0].startsWith(u"m4.so ReadRegInt")) << events[0].toStdString();
}

TEST_F(CoreModuleLoader, RefusesModulesLackingARequiredCallbackAndSkipsWhatIsNotALibrary) {
    Add(QStringLiteral("a_noinit.so"), fixtureConfig(4, 0, {"show=1"}),
        QStringLiteral("FixtureCoreNoOnInit"));
    Add(QStringLiteral("b_nobegin.so"), fixtureConfig(4), QStringLiteral("FixtureCoreNoOnBegin"));
    Add(QStringLiteral("c_nowrite.so"), fixtureConfig(2),
        QStringLiteral("FixtureCoreNoOnWriteFile"));
    // Settings callbacks are required of type 2 only.
    Add(QStringLiteral("d_nowrite_set.so"), fixtureConfig(4),
        QStringLiteral("FixtureCoreNoOnWriteFile"));
    QFile junk(m_dir.PluginDir() + "e_junk.so");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a shared object");
    junk.close();
    ASSERT_TRUE(QDir().mkpath(m_dir.PluginDir() + "f_dir.so"));
    Add(QStringLiteral("g_good.so"), fixtureConfig(3));
    QStringList status;
    m_list.SetStatusSink([&](const QString& text, int mode) {
        status.append(QStringLiteral("%1:%2").arg(mode).arg(text));
    });
    QStringList skipped;
    m_list.SetSkippedSink([&](const QString& path, const QString& reason) {
        EXPECT_FALSE(reason.isEmpty()) << path.toStdString();
        skipped.append(QFileInfo(path).fileName());
    });

    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    EXPECT_EQ(fileNames(m_list), (QStringList{"g_good.so", "d_nowrite_set.so"}));
    // Every file left out is named with its reason, so that the log tells why.
    EXPECT_EQ(skipped, (QStringList{"a_noinit.so", "b_nobegin.so", "c_nowrite.so", "e_junk.so"}));
    EXPECT_FALSE(m_list.m_bHasSettingsModule);
    // A module refused for lacking its init callback never gets the "loaded" line.
    EXPECT_EQ(status, (QStringList{"1:a_noinit.so", "2:b_nobegin.so", "2:c_nowrite.so",
                                   "2:d_nowrite_set.so", "2:g_good.so", "0:"}));
    // Refused libraries were unloaded at once.
    const QStringList unloads = EventsStartingWith(TakeFixtureEvents(), "unload");
    EXPECT_EQ(unloads,
              (QStringList{"a_noinit.so unload", "b_nobegin.so unload", "c_nowrite.so unload"}));
}

TEST_F(CoreModuleLoader, LoadReportsZeroWithoutModules) {
    EXPECT_EQ(m_list.Load(m_dir.PluginDir()), 0);
    EXPECT_EQ(m_list.Load(m_dir.Root() + "missing/"), 0);
    EXPECT_EQ(m_list.FindByType(2), nullptr);
}

TEST(CoreModuleBinding, EachRequiredCallbackIsNeededForCompleteness) {
    for (int32_t type : {0, 1, 2, 3, 4, 5}) {
        const QList<const char*> required = CCoreModule::RequiredCallbacks(type);
        EXPECT_EQ(required.size(), type == 2 ? 20 : type == 3 ? 9 : 8) << type;
        static int dummy;
        CCoreModule all;
        all.m_info.nType = type;
        EXPECT_TRUE(all.BindCallbacks([](const char*) -> void* { return &dummy; }));
        for (const char* missing : required) {
            CCoreModule module;
            module.m_info.nType = type;
            EXPECT_FALSE(module.BindCallbacks([missing](const char* name) -> void* {
                return qstrcmp(name, missing) == 0 ? nullptr : &dummy;
            })) << type
                << " " << missing;
        }
    }
}

TEST_F(CoreModuleLoader, RoutingExportsReachTheModulesOfTheirTarget) {
    EXPECT_EQ(COREAPI_SendToCom(5), -1); // nothing loaded at all

    Add(QStringLiteral("a.so"), fixtureConfig(4));
    Add(QStringLiteral("b.so"), fixtureConfig(2));
    Add(QStringLiteral("c.so"), fixtureConfig(5));
    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    TakeFixtureEvents();
    EXPECT_EQ(COREAPI_SendToCom(5), -1); // no type 3 module
    EXPECT_EQ(COREAPI_SendMsg(7, 1), 0);
    EXPECT_EQ(COREAPI_SendMsg(255, 2), 1);
    EXPECT_EQ(COREAPI_RecvFromCom(3, 4), 1);
    EXPECT_EQ(COREAPI_Begin(5, 6), 1);
    EXPECT_EQ(COREAPI_Begin(3, 7), 0);
    EXPECT_EQ(TakeFixtureEvents(),
              (QStringList{"b.so recvmsg 2", "a.so recvmsg 2", "c.so recvmsg 2",
                           "a.so recvmessage 3 4", "c.so begin 6"}));
}

TEST_F(CoreModuleLoader, SendToComAndBeginTargetTheCommunicationModules) {
    Add(QStringLiteral("a.so"), fixtureConfig(3, 2, {"sendToCom=22"}));
    Add(QStringLiteral("b.so"), fixtureConfig(3, 1, {"sendToCom=11"}));
    Add(QStringLiteral("c.so"), fixtureConfig(4));
    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    TakeFixtureEvents();
    EXPECT_EQ(COREAPI_SendToCom(8), 11);
    EXPECT_EQ(COREAPI_Begin(3, 9), 1);
    EXPECT_EQ(TakeFixtureEvents(),
              (QStringList{"b.so sendtocom 8", "b.so begin 9", "a.so begin 9"}));
}

TEST_F(CoreModuleLoader, PreTranslationStopsAtTheFirstModuleThatHandlesTheMessage) {
    Add(QStringLiteral("a.so"), fixtureConfig(2, 0, {"preTranslate=0"}));
    Add(QStringLiteral("b.so"), fixtureConfig(3, 0, {"preTranslate=1"}));
    Add(QStringLiteral("c.so"), fixtureConfig(4, 0, {"preTranslate=1"}));
    ASSERT_EQ(m_list.Load(m_dir.PluginDir()), 1);
    TakeFixtureEvents();

    QEvent event(QEvent::Type(ZeltaMsg::TaskTray));
    MSG msg{nullptr, &event};
    EXPECT_EQ(m_list.Notify(255, N::PreTranslate, reinterpret_cast<intptr_t>(&msg)), 1);
    EXPECT_EQ(TakeFixtureEvents(), (QStringList{"a.so pretranslate", "b.so pretranslate"}));
    // Targeted at a type nobody handles: everybody of that type sees it, the result is 0.
    EXPECT_EQ(m_list.Notify(2, N::PreTranslate, reinterpret_cast<intptr_t>(&msg)), 0);
    EXPECT_EQ(TakeFixtureEvents(), (QStringList{"a.so pretranslate"}));
}

} // namespace
