#include "FrameTestSupport.h"
#include "imframe/CImFrame.h"
#include "imframe/ImCallbacks.h"

#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace FrameTest;

namespace {

using ProbeFrameState_t = int32_t (*)();
constexpr int32_t kObjectLibraryHeld = 1;
constexpr int32_t kCoreBound = 2;
constexpr int32_t kThemeLoaded = 4;

// Each test loads its own copy of a probe, so that its frame starts fresh and binds whatever
// core the test has loaded before.
class ProbePlugin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        logPath = dir.filePath(QStringLiteral("probe.log"));
        logEnv = std::make_unique<ScopedEnv>("ZELTA_PROBE_LOG", QFile::encodeName(logPath));
    }

    // Loads a copy of fixtures/im/<name>.zpm.
    std::unique_ptr<Library> LoadProbe(const QString& name = QStringLiteral("Probe")) {
        const QString copy =
            dir.filePath(name + QString::number(++copies) + QStringLiteral(".zpm"));
        EXPECT_TRUE(
            QFile::copy(FixturePath(QStringLiteral("im/") + name + QStringLiteral(".zpm")), copy));
        auto probe = std::make_unique<Library>(copy);
        EXPECT_TRUE(probe->Handle()) << probe->Error().toStdString();
        return probe;
    }

    std::unique_ptr<Library> LoadStandInCore() {
        auto core = std::make_unique<Library>(FixturePath(QStringLiteral("imframe/Kernova.so")));
        EXPECT_TRUE(core->Handle()) << core->Error().toStdString();
        return core;
    }

    QStringList Log() const { return ReadLines(logPath); }

    QTemporaryDir dir;
    QString logPath;
    std::unique_ptr<ScopedEnv> logEnv;
    int copies = 0;
};

#define IMCBK_NAME(name, result, params) "IMCBK_" #name,
const char* const kCommonNames[] = {IMCBK_FUNCTION_LIST(IMCBK_NAME)};
const char* const kChatNames[] = {IMCBK_CHAT_FUNCTION_LIST(IMCBK_NAME)};
#undef IMCBK_NAME

} // namespace

TEST_F(ProbePlugin, ModuleInfoIsFilledExactlyAndModuleNumberIsConfigurable) {
    auto probe = LoadProbe();
    auto info = probe->Symbol<IMCBK_OnIMZpmInfo_t>("IMCBK_OnIMZpmInfo");
    ASSERT_TRUE(info);

    tagMODULEINFO record{};
    info(&record);
    EXPECT_EQ(record.nType, 9);
    EXPECT_EQ(QString::fromUtf16(record.szFileName), u"Probe.zpm");
    EXPECT_EQ(QString::fromUtf16(record.szCompany), u"Tovar, Inc.");
    EXPECT_EQ(QString::fromUtf16(record.szName), u"IM Probe Module");
    EXPECT_EQ(QString::fromUtf16(record.szLocalName), u"IM 試験 モジュール");
    EXPECT_EQ(record.dwVersion, 0x10001u);
    EXPECT_EQ(record.nOrder, 0);
    EXPECT_EQ(record.bShowLoading, 0);

    ScopedEnv module("ZELTA_PROBE_MODULE", "7");
    info(&record);
    EXPECT_EQ(record.nType, 7);
    info(nullptr); // never reaches the plug-in
    EXPECT_EQ(Log(), QStringList({"OnIMZpmInfo", "OnIMZpmInfo"}));
}

TEST(ModuleInfo, LongestProductNamesFitWholeAndTerminated) {
    const ImModuleDescriptor all[] = {ImModules::Presence, ImModules::Message, ImModules::Chat,
                                      ImModules::MessageBox, ImModules::Notify};
    for (const ImModuleDescriptor& d : all) {
        tagMODULEINFO record;
        memset(&record, 0xEE, sizeof record);
        CImFrame::FillModuleInfo(&record, d);
        EXPECT_EQ(record.nType, d.nType);
        EXPECT_EQ(QString::fromUtf16(record.szFileName), QString::fromUtf16(d.szFileName));
        EXPECT_EQ(QString::fromUtf16(record.szName), QString::fromUtf16(d.szName));
        EXPECT_EQ(QString::fromUtf16(record.szLocalName), QString::fromUtf16(d.szLocalName));
    }
}

TEST_F(ProbePlugin, ExportSetsMatchTheKindOfPlugin) {
    auto plain = LoadProbe();
    auto chat = LoadProbe(QStringLiteral("ProbeChat"));
    for (const char* name : kCommonNames) {
        EXPECT_TRUE(plain->Symbol<void*>(name)) << name;
        EXPECT_TRUE(chat->Symbol<void*>(name)) << name;
    }
    for (const char* name : kChatNames) {
        EXPECT_FALSE(plain->Symbol<void*>(name)) << name << " only in the chat plug-in";
        EXPECT_TRUE(chat->Symbol<void*>(name)) << name;
    }
    // The frame's own classes stay inside the plug-in.
    EXPECT_FALSE(plain->Symbol<void*>("_ZN8CImFrame8InstanceEv"));
}

TEST_F(ProbePlugin, InitTakesAndKillReleasesTheObjectLibraryReference) {
    auto probe = LoadProbe();
    auto init = probe->Symbol<IMCBK_OnInit_t>("IMCBK_OnInit");
    auto kill = probe->Symbol<IMCBK_OnKill_t>("IMCBK_OnKill");
    auto state = probe->Symbol<ProbeFrameState_t>("Probe_FrameState");
    ASSERT_TRUE(init && kill && state);

    EXPECT_EQ(state(), 0) << "no core, no reference before OnInit";
    init();
    EXPECT_EQ(state(), kObjectLibraryHeld);
    init(); // a repeated init keeps one reference
    kill();
    EXPECT_EQ(state(), 0);
    kill();
    EXPECT_EQ(Log(), QStringList({"OnInit", "OnInit", "OnKill", "OnKill"}));
}

TEST_F(ProbePlugin, CallsWithoutCoreAreRecordedWithTheirArguments) {
    ScopedEnv send("ZELTA_PROBE_SEND", "bob|||subject|body"); // needs the core: nothing is sent
    auto probe = LoadProbe();
    auto chat = LoadProbe(QStringLiteral("ProbeChat"));

    probe->Symbol<IMCBK_OnBegin_t>("IMCBK_OnBegin")(3, 77);
    probe->Symbol<IMCBK_OnLogon_t>("IMCBK_OnLogon")(1);
    EXPECT_EQ(probe->Symbol<IMCBK_OnRecvMessage_t>("IMCBK_OnRecvMessage")(u"20261207-m1"), 0);
    EXPECT_EQ(probe->Symbol<IMCBK_OnSendMessage_t>("IMCBK_OnSendMessage")(nullptr), 0);
    probe->Symbol<IMCBK_OnRecvNotify_t>("IMCBK_OnRecvNotify")(1, u"m1", u"bob");
    probe->Symbol<IMCBK_OnChangeMemPresence_t>("IMCBK_OnChangeMemPresence")(u"all", u"bob", u"on");
    probe->Symbol<IMCBK_OnAddGrp_t>("IMCBK_OnAddGrp")(u"g1", u"", u"営業\t一課\n");
    probe->Symbol<IMCBK_OnChangeMessageFlags_t>("IMCBK_OnChangeMessageFlags")(2, u"m1", 0x109u);

    QEvent paint(QEvent::Paint);
    QEvent tray(QEvent::Type(0x9000));
    MSG msg{nullptr, &paint};
    auto pre = probe->Symbol<IMCBK_OnPreTranslateMessage_t>("IMCBK_OnPreTranslateMessage");
    EXPECT_EQ(pre(&msg), 0);
    msg.event = &tray;
    EXPECT_EQ(pre(&msg), 0);
    EXPECT_EQ(pre(nullptr), 0); // not a window message: not recorded

    const tagCHATEVENT talk{0, u"bob", u"<b>hi</b>", {}};
    chat->Symbol<IMCBK_OnChatUpdate_t>("IMCBK_OnChatUpdate")(4, &talk);
    chat->Symbol<IMCBK_OnChatAllLog_t>("IMCBK_OnChatAllLog")(4, nullptr);

    EXPECT_EQ(Log(), QStringList({
                         "OnBegin\t3\t77",
                         "OnLogon\t1",
                         "OnRecvMessage\t20261207-m1",
                         "OnSendMessage\t(null)",
                         "OnRecvNotify\t1\tm1\tbob",
                         "OnChangeMemPresence\tall\tbob\ton",
                         "OnAddGrp\tg1\t\t営業\\t一課\\n",
                         "OnChangeMessageFlags\t2\tm1\t265",
                         "OnPreTranslateMessage\t36864",
                         "OnChatUpdate\t4\t0\tbob\t<b>hi</b>",
                         "OnChatAllLog\t4\t(null)",
                     }));
}

TEST_F(ProbePlugin, ExceptionStopsAtTheExportAndIsLoggedThroughTheCore) {
    auto core = LoadStandInCore();
    auto probe = LoadProbe();
    auto logCount = core->Symbol<int32_t (*)()>("StandIn_LogCount");
    auto lastLog = core->Symbol<const char* (*)()>("StandIn_LastLog");
    auto state = probe->Symbol<ProbeFrameState_t>("Probe_FrameState");
    ASSERT_TRUE(logCount && lastLog && state);
    EXPECT_EQ(state() & kCoreBound, kCoreBound) << "bound from the loaded core by its soname";

    ScopedEnv fail("ZELTA_PROBE_THROW", "OnRemoveGrp");
    auto removeGrp = probe->Symbol<IMCBK_OnRemoveGrp_t>("IMCBK_OnRemoveGrp");
    const int32_t before = logCount();
    EXPECT_EQ(removeGrp(u"g1"), 0);
    EXPECT_EQ(logCount(), before + 1);
    EXPECT_STREQ(lastLog(), "IMCBK_OnRemoveGrp: exception: probe asked to fail in OnRemoveGrp");

    // A failing clean-up still gives the object library reference back.
    ScopedEnv failKill("ZELTA_PROBE_THROW", "OnKill");
    probe->Symbol<IMCBK_OnInit_t>("IMCBK_OnInit")();
    EXPECT_EQ(state() & kObjectLibraryHeld, kObjectLibraryHeld);
    probe->Symbol<IMCBK_OnKill_t>("IMCBK_OnKill")();
    EXPECT_EQ(state() & kObjectLibraryHeld, 0);
    EXPECT_STREQ(lastLog(), "IMCBK_OnKill: exception: probe asked to fail in OnKill");
    EXPECT_EQ(Log(), QStringList({"OnRemoveGrp\tg1", "OnInit", "OnKill"}));
}

TEST_F(ProbePlugin, ThemeIsLoadedOnlyWhenTheOSVersionAsksForIt) {
    auto core = LoadStandInCore();
    for (const auto& [version, themed] :
         {std::pair{"0x80000", true}, {"0x100000", true}, {"0x20000", false}, {"0", false}}) {
        ScopedEnv os("ZELTA_STANDIN_OSVERSION", version);
        auto probe = LoadProbe();
        auto state = probe->Symbol<ProbeFrameState_t>("Probe_FrameState");
        probe->Symbol<IMCBK_OnInit_t>("IMCBK_OnInit")();
        EXPECT_EQ((state() & kThemeLoaded) != 0, themed) << version;
        probe->Symbol<IMCBK_OnKill_t>("IMCBK_OnKill")();
        EXPECT_EQ(state() & kThemeLoaded, 0) << version;
    }
}
