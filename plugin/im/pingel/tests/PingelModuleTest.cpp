// Pingel.zpm as the messaging core sees it: its identity, its exports, and a session driven
// only through them.
#include "PingelTestSupport.h"

#include "imframe/ImCallbacks.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <dlfcn.h>

namespace {

#define PINGEL_NAME(name, result, params) "IMCBK_" #name,
const char* const kExports[] = {IMCBK_FUNCTION_LIST(PINGEL_NAME)};
const char* const kChatExports[] = {IMCBK_CHAT_FUNCTION_LIST(PINGEL_NAME)};
#undef PINGEL_NAME

// Top-level widgets of the loaded plug-in, found by class name: its classes are not the
// test program's own copies.
QList<QWidget*> Shown(const char* className) {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qstrcmp(w->metaObject()->className(), className) == 0)
            found << w;
    return found;
}

class PingelModule : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedCore::Reset();
        ASSERT_TRUE(dir.isValid());
        const QString copy = dir.filePath(u"Pingel.zpm"_qs);
        ASSERT_TRUE(
            QFile::copy(qEnvironmentVariable("ZELTA_OUT_DIR") + u"/plugin/im/Pingel.zpm"_qs, copy));
        handle = dlopen(QFile::encodeName(copy).constData(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle)
            dlclose(handle);
    }
    template <typename T> T Export(const char* name) {
        return reinterpret_cast<T>(dlsym(handle, name));
    }

    QTemporaryDir dir;
    void* handle = nullptr;
};

TEST_F(PingelModule, ReportsItselfAsTheNotifyModuleAndExportsTheWholeCallbackSet) {
    tagMODULEINFO info{};
    Export<IMCBK_OnIMZpmInfo_t>("IMCBK_OnIMZpmInfo")(&info);
    EXPECT_EQ(info.nType, 7);
    EXPECT_EQ(QString::fromUtf16(info.szFileName), u"Pingel.zpm"_qs);
    EXPECT_EQ(QString::fromUtf16(info.szName), u"IM Notify Module"_qs);
    EXPECT_EQ(QString::fromUtf16(info.szLocalName), u"IM デスクトップ通知 モジュール"_qs);
    EXPECT_EQ(QString::fromUtf16(info.szCompany), u"Tovar, Inc."_qs);
    EXPECT_EQ(info.dwVersion, 0x10001u);

    for (const char* name : kExports)
        EXPECT_NE(dlsym(handle, name), nullptr) << name;
    for (const char* name : kChatExports)
        EXPECT_EQ(dlsym(handle, name), nullptr) << name;
}

TEST_F(PingelModule, ASessionThroughTheExportsShowsLinesAndKillLeavesNoWindow) {
    ScriptedCore::AddGroup(u"g"_qs, u"総務"_qs);
    ScriptedCore::AddMembership(u"g"_qs, u"m"_qs, u"田中"_qs, u"off"_qs);
    Export<IMCBK_OnInit_t>("IMCBK_OnInit")();
    Export<IMCBK_OnLogon_t>("IMCBK_OnLogon")(1);
    Export<IMCBK_OnChangeMemPresence_t>("IMCBK_OnChangeMemPresence")(u"all", u"m", u"on");

    const QList<QWidget*> windows = Shown("CPingelWnd");
    ASSERT_EQ(windows.size(), 1);
    auto* text = windows.first()->findChild<QTextEdit*>(u"text100"_qs);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(u"田中"_qs)) << text->toPlainText().toStdString();

    const auto option = Export<IMCBK_OnOption_t>("IMCBK_OnOption");
    option();
    option();
    const QList<QWidget*> dialogs = Shown("CPingelOptionDlg");
    ASSERT_EQ(dialogs.size(), 1);

    // Tab while the dialog is active is the plug-in's; other events are not.
    dialogs.first()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialogs.first()));
    const auto pre = Export<IMCBK_OnPreTranslateMessage_t>("IMCBK_OnPreTranslateMessage");
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, {});
    QEvent other(QEvent::Enter);
    MSG tabMsg{dialogs.first(), &tab};
    MSG otherMsg{dialogs.first(), &other};
    EXPECT_NE(pre(&tabMsg), 0);
    EXPECT_EQ(pre(&otherMsg), 0);
    EXPECT_EQ(pre(nullptr), 0);

    Export<IMCBK_OnKill_t>("IMCBK_OnKill")();
    EXPECT_TRUE(Shown("CPingelWnd").isEmpty());
    EXPECT_TRUE(Shown("CPingelOptionDlg").isEmpty());
    int left = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        left += QByteArray(w->metaObject()->className()).startsWith("CPingel");
    EXPECT_EQ(left, 0) << "every window of the plug-in is deleted before it is unloaded";
}

} // namespace
