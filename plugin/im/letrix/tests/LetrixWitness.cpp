// A plug-in for the end-to-end run: loaded by the messaging core next to Letrix.zpm, it asks
// the message module for a new message to member b with the file named by ZELTA_WITNESS_FILE
// once the user is logged on, fills in Cc (c), Bcc (d), subject and body as a user would, keeps
// a picture of the window in ZELTA_WITNESS_SHOTS and presses Send. What it did goes to the file
// named by ZELTA_WITNESS_LOG, one line per step.
#include "imframe/CIMPluginApp.h"
#include "imframe/MessageRequests.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr ImModuleDescriptor kWitness{9, u"LetrixWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};

void Record(const QString& record) {
    QFile file(qEnvironmentVariable("ZELTA_WITNESS_LOG"));
    if (file.open(QIODevice::Append))
        file.write((record + u'\n').toUtf8());
}

QWidget* ComposeWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qstrcmp(w->metaObject()->className(), "CIMMesEditFrame") == 0)
            return w;
    return nullptr;
}

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnLogon(int32_t flag) override {
        if (flag)
            QTimer::singleShot(300, qApp, [this] { Compose(); });
    }

private:
    void Compose() {
        const QString file = qEnvironmentVariable("ZELTA_WITNESS_FILE");
        const char16_t* files[] = {reinterpret_cast<const char16_t*>(file.utf16())};
        const tagMESBEGINMEMBER request{u"b", files, 1};
        Obrix().Begin(4, 7, intptr_t(&request));
        QWidget* frame = ComposeWindow();
        if (!frame) {
            Record(QStringLiteral("error\tno compose window"));
            return;
        }
        auto* to = frame->findChild<QLineEdit*>(QStringLiteral("to"));
        auto* attachments = frame->findChild<QListWidget*>(QStringLiteral("attachments"));
        Record(QStringLiteral("opened\t") + (to ? to->text() : QString()) + u'\t' +
               QString::number(attachments ? attachments->count() : -1));
        // What a user's drops of members c and d would leave in the fields.
        frame->findChild<QLineEdit*>(QStringLiteral("cc"))->setText(QStringLiteral("Fam-c [c]"));
        frame->findChild<QLineEdit*>(QStringLiteral("bcc"))->setText(QStringLiteral("Fam-d [d]"));
        frame->findChild<QLineEdit*>(QStringLiteral("subject"))
            ->setText(QStringLiteral("資料の送付"));
        auto* body = frame->findChild<QTextEdit*>(QStringLiteral("body"));
        body->setFocus();
        body->insertPlainText(QStringLiteral("お疲れさまです。\n資料 <最新版> を送ります。"));
        frame->findChild<QCheckBox*>(QStringLiteral("important"))->setChecked(true);
        const QString shots = qEnvironmentVariable("ZELTA_WITNESS_SHOTS");
        if (!shots.isEmpty())
            frame->grab().save(shots + QStringLiteral("/letrix-e2e-compose.png"));
        auto* send = frame->findChild<QPushButton*>(QStringLiteral("send"));
        Record(QStringLiteral("send\t") + QString::number(send && send->isEnabled()));
        if (send)
            send->click();
        Record(QStringLiteral("closed\t") + QString::number(ComposeWindow() == nullptr));
    }
};

CWitnessApp theApp;

} // namespace
