// Shared set-up of the notification plug-in's tests: a fresh scripted core, an application
// object on a clock the test moves, and readers for the window's lines.
#pragma once

#include "tests/support/ScriptedCore.h"
#include "plugin/im/pingel/CPingelApp.h"
#include "plugin/im/pingel/CPingelWnd.h"

#include <QDateTime>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class PingelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptedCore::Reset();
        app = std::make_unique<CPingelApp>();
        app->SetClock([this] { return now; });
        app->OnLogon(1);
    }
    void TearDown() override {
        app->OnKill();
        app.reset();
        EXPECT_EQ(ScriptedCore::ForeignSettingCalls(), 0)
            << "settings are read and written only with scope 1 and module 7";
    }

    void* Resources() const { return app->Obrix().GetIMResHandle(); }

    // The window's lines, one per event line.
    QStringList Lines() const {
        QStringList lines;
        if (CPingelWnd* wnd = app->Window())
            for (QTextBlock b = wnd->TextControl()->document()->firstBlock(); b.isValid();
                 b = b.next())
                lines << b.text();
        return lines;
    }
    // The character format of a line's text.
    QTextCharFormat Format(int line) const {
        QTextBlock b = app->Window()->TextControl()->document()->findBlockByNumber(line);
        return b.begin().fragment().charFormat();
    }

    qint64 now =
        QDateTime(QDate(2026, 12, 7), QTime(9, 41, 27), QTimeZone::utc()).toMSecsSinceEpoch();
    std::unique_ptr<CPingelApp> app;
};
