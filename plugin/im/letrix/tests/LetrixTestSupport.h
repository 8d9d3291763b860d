// Shared set-up of the message plug-in's tests: a fresh scripted core that knows a few
// members and groups, and a table of the core's functions bound to it.
#pragma once

#include "obrix/ObrixApi.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CLetrixApp.h"
#include "tests/support/ScriptedCore.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline const char16_t* u16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// Writes a file of the given content below dir and returns its path (empty on failure).
inline QString WriteTestFile(const QTemporaryDir& dir, const QString& name,
                             const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return QString();
    return path;
}

class LetrixTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedCore::Reset(4);
        ScriptedCore::SetUserId(QStringLiteral("me"));
        ScriptedCore::SetLogonState(2);
        ScriptedCore::AddMember(QStringLiteral("me"), QStringLiteral("自分"), QString(),
                                QStringLiteral("一郎"));
        ScriptedCore::AddMember(QStringLiteral("taro"), QStringLiteral("山田"), QStringLiteral("M"),
                                QStringLiteral("太郎"));
        ScriptedCore::AddMember(QStringLiteral("hana"), QStringLiteral("鈴木"), QString(),
                                QStringLiteral("花子"));
        ScriptedCore::AddGroup(QStringLiteral("sales"), QStringLiteral("営業部"));
        core.Bind();
        ASSERT_TRUE(core.IsBound());
    }
    void TearDown() override {
        EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0)
            << "settings are read and written only with scope 1 and module 4";
    }

    void* Resources() const { return core.GetIMResHandle ? core.GetIMResHandle() : nullptr; }

    CObrixTable core;
    static inline const QString kMe = QStringLiteral("自分一郎 [me]");
    static inline const QString kTaro = QStringLiteral("山田太郎 [taro]");
    static inline const QString kHana = QStringLiteral("鈴木花子 [hana]");
    static inline const QString kSales = QStringLiteral("営業部 [sales]");
    static inline const QString kOnNet = QStringLiteral("OnNetMembers [OnNetters]");
};

// The plug-in's application object, logged on, over that core. Message boxes do not open: each
// is recorded by its text number and answered with answer.
class LetrixAppTest : public LetrixTest {
protected:
    void SetUp() override {
        LetrixTest::SetUp();
        CIMMesPrompt::SetHandler([this](const CIMMesPrompt::Request& r) {
            prompts << r.text;
            if (promptCaption) {
                EXPECT_EQ(r.caption, promptCaption);
            }
            EXPECT_FALSE(r.shownText.isEmpty()) << "text " << r.text << " is in the table";
            return answer;
        });
        app = std::make_unique<CLetrixApp>();
        BeforeLogon();
        app->OnLogon(1);
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        CIMMesPrompt::SetHandler(nullptr);
        LetrixTest::TearDown();
    }
    // What a suite sets on the application object before it logs on.
    virtual void BeforeLogon() {}

    std::unique_ptr<CLetrixApp> app;
    QList<uint32_t> prompts;
    uint32_t promptCaption = 0; // when set, every box must carry this caption
    QMessageBox::StandardButton answer = QMessageBox::Ok;
};
