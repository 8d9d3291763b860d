// A plug-in for the end-to-end run: loaded by the messaging core next to Parlo.zpm, it acts
// as the user. Once logged on it shortens the alone time-out, has logs saved into the folder
// named by ZELTA_WITNESS_LOGDIR, and starts a chat with member b through the chat module;
// when b has joined it types two formatted lines and presses Enter; when b's answer shows it
// keeps a picture of the window; after the window has closed by itself it waits for an
// invitation, keeps its picture and declines it, opens the chat options for a picture, and
// last accepts a second invitation and leaves that chat once its creator has spoken. Each step goes
// to the file named by ZELTA_WITNESS_LOG, one line per step; pictures go to ZELTA_WITNESS_SHOTS
// with the suffix ZELTA_WITNESS_SCALE.
#include "imframe/CIMPluginApp.h"
#include "imframe/ChatRequests.h"
#include "tests/support/Witness.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {

using Witness::Record;

constexpr ImModuleDescriptor kWitness{9, u"ParloWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};

QWidget* TopLevel(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(objectName))
            return w;
    return nullptr;
}

void Shot(QWidget* w, const QString& name) {
    Witness::Shot(w, QStringLiteral("parlo-e2e-%1-%2x.png")
                         .arg(name, qEnvironmentVariable("ZELTA_WITNESS_SCALE", "1")));
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
}

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnLogon(int32_t flag) override {
        if (!flag || m_started)
            return;
        m_started = true;
        QTimer::singleShot(500, qApp, [this] { Begin(); });
    }
    void OnKill() override { delete m_poll; }

private:
    void Begin() {
        const CObrixTable& core = Obrix();
        core.WriteRegInt(1, 5, u"DefaultSetting", u"Timeout", 3);
        core.WriteRegInt(1, 5, u"DefaultSetting", u"LogSave", 0);
        const QString dir = qEnvironmentVariable("ZELTA_WITNESS_LOGDIR");
        core.WriteRegString(1, 5, u"DefaultSetting", u"LogSavePath",
                            reinterpret_cast<const char16_t*>(dir.utf16()));
        const char16_t* members[] = {u"b"};
        tagCHATBEGINMEMBERS request{members, 1};
        core.Begin(5, ChatBegin::StartChat, intptr_t(&request));
        QWidget* chat = TopLevel("chatWindow");
        Record(QStringLiteral("opened\t") + QString::number(chat != nullptr));
        if (!chat)
            return;
        m_poll = new QTimer;
        m_poll->setInterval(200);
        QObject::connect(m_poll, &QTimer::timeout, [this] { Step(); });
        m_poll->start();
    }

    void Step() {
        QWidget* chat = TopLevel("chatWindow");
        auto* log = chat ? chat->findChild<QTextEdit*>(QStringLiteral("log")) : nullptr;
        const QString text = log ? log->toPlainText() : QString();
        switch (m_stage) {
        case 0: // b joins
            if (!text.contains(QStringLiteral("Fam-bさんが参加しました")))
                return;
            Talk(chat);
            m_stage = 1;
            return;
        case 1: // b answers
            if (!text.contains(QStringLiteral("日本語の返事")))
                return;
            Shot(chat, QStringLiteral("chat"));
            Record(QStringLiteral("answered\t") +
                   QString::number(
                       chat->findChild<QListWidget*>(QStringLiteral("participants"))->count()));
            m_stage = 2;
            return;
        case 2: // b leaves, and the window closes itself
            if (chat)
                return;
            Record(QStringLiteral("closed"));
            m_stage = 3;
            return;
        case 3: // someone invites the user
            if (QWidget* invitation = TopLevel("chatInvitation")) {
                Shot(invitation, QStringLiteral("invitation"));
                Record(QStringLiteral("invited\t") + QString::number(invitation->width()));
                invitation->findChild<QPushButton*>(QStringLiteral("no"))->click();
                Record(QStringLiteral("declined"));
                Obrix().Option(5);
                m_stage = 4;
            }
            return;
        case 4:
            if (QWidget* options = TopLevel("chatOptions")) {
                Shot(options, QStringLiteral("options"));
                options->close();
                Record(QStringLiteral("options"));
                m_stage = 5;
            }
            return;
        case 5: // d invites the user, who joins this time
            if (QWidget* invitation = TopLevel("chatInvitation")) {
                invitation->findChild<QPushButton*>(QStringLiteral("yes"))->click();
                Record(QStringLiteral("accepted\t") +
                       QString::number(TopLevel("chatWindow") != nullptr));
                m_stage = 6;
            }
            return;
        case 6: // d talks; the user leaves by closing the window
            if (!text.contains(QStringLiteral("dからの発言")))
                return;
            Record(QStringLiteral("joined\t") +
                   QString::number(
                       chat->findChild<QListWidget*>(QStringLiteral("participants"))->count()));
            chat->close();
            Record(QStringLiteral("left\t") + QString::number(TopLevel("chatWindow") == nullptr));
            m_stage = 7;
            m_poll->stop();
            return;
        default:
            return;
        }
    }

    void Talk(QWidget* chat) {
        auto* input = chat->findChild<QTextEdit*>(QStringLiteral("input"));
        input->setFocus();
        QTextCharFormat red;
        red.setForeground(QColor(Qt::red));
        red.setFontPointSize(18);
        input->mergeCurrentCharFormat(red);
        input->insertPlainText(QStringLiteral("こんにちは、<皆さん>"));
        Key(input, Qt::Key_Return, Qt::ShiftModifier);
        QTextCharFormat plain;
        plain.setForeground(QColor(Qt::black));
        plain.setFontPointSize(12);
        input->mergeCurrentCharFormat(plain);
        input->insertPlainText(QStringLiteral("二行目です"));
        Shot(chat, QStringLiteral("typing"));
        Key(input, Qt::Key_Return);
        Record(QStringLiteral("sent\t") + QString::number(input->document()->isEmpty()));
    }

    bool m_started = false;
    int m_stage = 0;
    QTimer* m_poll = nullptr;
};

CWitnessApp theApp;

} // namespace
