// Shared set-up of the tests that drive the application object: a scripted core with its
// directories in a temporary folder, logged on as "me", and an application object whose
// loads run without pauses and whose abnormal-end question the test answers.
#pragma once

#include "plugin/im/trovane/CTrovaneApp.h"
#include "tests/support/ScriptedCore.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class TrovaneAppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The attachments' folder lies below the temporary folder: one of this test's own, so
        // that test processes running side by side do not empty each other's.
        m_savedTmp = qgetenv("TMPDIR");
        QDir(dir.path()).mkpath(QStringLiteral("tmp"));
        qputenv("TMPDIR", QFile::encodeName(dir.filePath(QStringLiteral("tmp"))));
        ScriptedCore::Reset(ObrixModule::MessageBox);
        ScriptedCore::SetRoot(dir.path());
        ScriptedCore::SetUserId(QStringLiteral("me"));
        ScriptedCore::SetLogonState(ObrixLogon::LoggedOn);
        app = std::make_unique<CTrovaneApp>();
        app->SetLoadPause(0);
        app->SetQuestion([this](const QString& title, const QString& text) {
            questions << title + u'|' + text;
            return answer;
        });
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        EXPECT_EQ(ScriptedCore::OutstandingMessages(), 0);
        EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0);
        if (m_savedTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_savedTmp);
    }

    void LogOn() {
        app->OnLogon(1);
        app->FinishLoading();
    }

    QTemporaryDir dir;
    std::unique_ptr<CTrovaneApp> app;
    QStringList questions;
    bool answer = true;

private:
    QByteArray m_savedTmp;
};
