// A plug-in for the end-to-end runs, loaded by the messaging core next to Letrix.zpm. What it
// did goes to the file named by ZELTA_WITNESS_LOG, one line per step; pictures of the windows
// go to ZELTA_WITNESS_SHOTS.
// Sending (the default): once the user is logged on, it asks the message module for a new
// message to member b with the file named by ZELTA_WITNESS_FILE, fills in Cc (c), Bcc (d),
// subject and body as a user would and presses Send.
// Reading (ZELTA_WITNESS_MODE=read): when a message arrives, it finds the arrival notice,
// clicks it as a user would, and reports the receive window that opens, then closes it.
#include "imframe/CIMPluginApp.h"
#include "imframe/MessageRequests.h"
#include "tests/support/Witness.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {

using Witness::Record;

constexpr ImModuleDescriptor kWitness{9, u"LetrixWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};

QWidget* ComposeWindow() {
    return Witness::TopLevelOfClass("CIMMesEditFrame");
}

void Shoot(QWidget* window, const QString& name) {
    const int scale =
        qRound(qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    Witness::Shot(window, QStringLiteral("letrix-e2e-%1-%2x.png").arg(name).arg(scale));
}

bool Reading() {
    return qEnvironmentVariable("ZELTA_WITNESS_MODE") == QStringLiteral("read");
}

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnLogon(int32_t flag) override {
        if (flag && !Reading())
            QTimer::singleShot(300, qApp, [this] { Compose(); });
    }

    int32_t OnRecvMessage(const char16_t*) override {
        // The message module raises its notice in its own handler; look once it is up.
        if (Reading())
            QTimer::singleShot(300, qApp, [] { OpenFromNotice(); });
        return 0;
    }

private:
    static void OpenFromNotice() {
        QWidget* notice = Witness::TopLevelOfClass("CIMMesNoticeWnd");
        if (!notice) {
            Record(QStringLiteral("error\tno notice"));
            return;
        }
        QStringList texts;
        for (QLabel* label : notice->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        Record(QStringLiteral("notice\t") + notice->windowTitle() + u'\t' + texts.join(u'|') +
               u'\t' + QString::number(notice->isActiveWindow()));
        Shoot(notice, QStringLiteral("notice"));
        // A click as the user's: press and release inside the notice.
        const QPointF at(notice->width() / 2.0, notice->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, notice->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, notice->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(notice, &press);
        QApplication::sendEvent(notice, &release);
        QTimer::singleShot(300, qApp, [] {
            QWidget* frame = Witness::TopLevelOfClass("CIMMesRecvFrame");
            if (!frame) {
                Record(QStringLiteral("error\tno receive window"));
                return;
            }
            auto* from = frame->findChild<QLabel*>(QStringLiteral("from"));
            auto* body = frame->findChild<QTextEdit*>(QStringLiteral("body"));
            Record(QStringLiteral("opened\t") + frame->windowTitle() + u'\t' +
                   (from ? from->text() : QString()) + u'\t' +
                   (body ? body->toPlainText() : QString()) + u'\t' +
                   QString::number(Witness::TopLevelOfClass("CIMMesNoticeWnd") != nullptr));
            Shoot(frame, QStringLiteral("receive"));
            frame->close();
            Record(QStringLiteral("closed\t") +
                   QString::number(Witness::TopLevelOfClass("CIMMesRecvFrame") == nullptr));
        });
    }

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
        Witness::Shot(frame, QStringLiteral("letrix-e2e-compose.png"));
        auto* send = frame->findChild<QPushButton*>(QStringLiteral("send"));
        Record(QStringLiteral("send\t") + QString::number(send && send->isEnabled()));
        if (send)
            send->click();
        Record(QStringLiteral("closed\t") + QString::number(ComposeWindow() == nullptr));
    }
};

CWitnessApp theApp;

} // namespace
