// The core's thin windows and helpers: option sheet messages, the tray's local server, the
// log-on dialog, the general page, the sealed password and damaged message files.
#include "host/TaskTrayWire.h"
#include "kernova/CGeneralPage.h"
#include "kernova/CLogonDlg.h"
#include "kernova/CMessageFiles.h"
#include "kernova/COptionSheet.h"
#include "kernova/CPasswordVault.h"
#include "kernova/CTaskTray.h"
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CIMOptionPageIF.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QSpinBox>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>
#include <algorithm>

using namespace kntest;

namespace {

// A page that records the sheet's messages and answers as told.
class CRecordingPage : public CIMOptionPageIF {
public:
    explicit CRecordingPage(QString name) : CIMOptionPageIF(1), m_name(std::move(name)) {
        CreatePage(m_name);
    }
    int answerOK = 1;
    int answerLeave = 1;
    static QStringList& Seen() {
        static QStringList seen;
        return seen;
    }

protected:
    int OnOptionOK() override {
        Seen().append(m_name + " ok");
        return answerOK;
    }
    void OnOptionDefault() override { Seen().append(m_name + " default"); }
    int OnOptionKillActive() override {
        Seen().append(m_name + " leave");
        return answerLeave;
    }

private:
    QString m_name;
};

TEST(OptionSheet, PagesGetOkDefaultAndLeaveAndARefusingPageKeepsItselfShown) {
    CRecordingPage::Seen().clear();
    COptionSheet sheet(nullptr);
    CRecordingPage one("one"), two("two");
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    sheet.AddPage(&one); // once only
    ASSERT_EQ(sheet.Pages().size(), 2);

    two.answerLeave = 1;
    one.answerLeave = 0;
    EXPECT_FALSE(sheet.SelectPage(1)) << "page one refuses to be left";
    EXPECT_EQ(sheet.CurrentPage(), &one);
    one.answerLeave = 1;
    EXPECT_TRUE(sheet.SelectPage(1));
    sheet.DefaultCurrent();
    EXPECT_EQ(CRecordingPage::Seen(), (QStringList{"one leave", "one leave", "two default"}));

    CRecordingPage::Seen().clear();
    two.answerOK = 0;
    sheet.SelectPage(0);
    CRecordingPage::Seen().clear();
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected) << "a refusing page keeps the sheet open";
    EXPECT_EQ(sheet.CurrentPage(), &two);
    EXPECT_EQ(CRecordingPage::Seen(), (QStringList{"one leave", "one ok", "two ok"}));

    // Only the current page is shown, also when a page had been shown before it came.
    CRecordingPage three("three");
    three.show();
    sheet.AddPage(&three);
    sheet.show();
    EXPECT_TRUE(two.isVisible());
    EXPECT_FALSE(one.isVisible());
    EXPECT_FALSE(three.isVisible());

    // Closing hands the pages back: they outlive the sheet.
    QPointer<CRecordingPage> alive(&one);
    sheet.reject();
    EXPECT_TRUE(alive);
    EXPECT_EQ(one.parent(), nullptr);
}

class CoreWindows : public CoreFixture {};

TEST_F(CoreWindows, OptionPagesAreAcceptedOnlyBetweenBeginAndKillOption) {
    CRecordingPage page("p");
    HWND pages[1] = {&page};
    EXPECT_EQ(OBRIX_AddOptionPage(pages, 1), 0) << "no sheet is open";
    ASSERT_EQ(OBRIX_ShowOption(), 1);
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnBeginOption", "4 OnBeginOption"}));
    ASSERT_NE(core->OptionSheet(), nullptr);
    core->OptionSheet()->reject();
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnKillOption", "4 OnKillOption"}));
    EXPECT_EQ(OBRIX_AddOptionPage(pages, 1), 0);
}

TEST_F(CoreWindows, TheGeneralPageKeepsTheServiceLocationAndLogOnChoices) {
    ASSERT_EQ(OBRIX_Option(0), 1);
    QPointer<COptionSheet> sheet = core->OptionSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(Calls().isEmpty()) << "the general page alone asks no plug-in";
    auto* page = qobject_cast<CGeneralPage*>(sheet->Pages().value(0));
    ASSERT_NE(page, nullptr);
    page->ServiceDirEdit()->setText("/srv/zelta");
    page->MemberIdEdit()->setText("b");
    page->RememberBox()->setChecked(true);
    sheet->accept();
    EXPECT_EQ(host.values.value(CFakeHost::Key(1, 0, "IM\\SERVICE", "Dir")).toString(),
              "/srv/zelta");
    EXPECT_EQ(core->RememberedID(), "b");
    EXPECT_TRUE(core->IsRememberID());
    EXPECT_FALSE(core->IsAutoLogon());
    // The environment still wins, so that tests and scripts choose their service.
    EXPECT_EQ(core->ServiceDir(), dir);
}

TEST_F(CoreWindows, TheGeneralPageChoosesANetworkServiceAndRefusesOneWithoutAServer) {
    host.appDir = qEnvironmentVariable("ZELTA_OUT_DIR") + "/";
    ASSERT_EQ(OBRIX_Option(0), 1);
    QPointer<COptionSheet> sheet = core->OptionSheet();
    auto* page = qobject_cast<CGeneralPage*>(sheet->Pages().value(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->KindBox()->currentIndex(), CGeneralPage::Local);
    EXPECT_FALSE(page->HostEdit()->isEnabled());
    page->KindBox()->setCurrentIndex(CGeneralPage::Network);
    EXPECT_TRUE(page->HostEdit()->isEnabled());
    EXPECT_FALSE(page->ServiceDirEdit()->isEnabled());
    // No server named: the sheet stays open and says why; nothing is stored.
    sheet->accept();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->result(), QDialog::Rejected) << "the page keeps the sheet open";
    EXPECT_FALSE(page->ErrorLabel()->isHidden());
    EXPECT_EQ(page->ErrorLabel()->text(), "サーバー名を正しく入力してください。");
    const QList<QLabel*> labels = page->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text() == "環境変数 ZELTA_SERVICE_DIR の指定がこの設定より優先されます。";
    })) << "the environment wins, and the page says so";
    EXPECT_FALSE(host.values.contains(CFakeHost::Key(1, 0, "IM\\SERVICE", "Kind")));

    // What a user sees, at 100 % and (in a child process) 200 %: every text whole.
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    for (QLabel* label : labels) {
        if (!label->isVisible())
            continue;
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
    }
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
    const QString artifacts = qEnvironmentVariable("ZELTA_TEST_DIR") + "/artifacts/";
    QDir().mkpath(artifacts);
    EXPECT_TRUE(sheet->grab().save(artifacts + "general-page-network-" +
                                   (scale == "2" ? "200" : "100") + ".png"));
    if (scale == "2")
        return; // the child process stops here
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", "2");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=CoreWindows.TheGeneralPageChoosesANetworkService*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }

    page->HostEdit()->setText(" chat.example.jp ");
    page->PortBox()->setValue(5223);
    page->DomainEdit()->setText("Example.JP");
    sheet->accept();
    EXPECT_TRUE(!sheet || sheet->result() == QDialog::Accepted);
    auto stored = [&](const char* key) {
        return host.values.value(CFakeHost::Key(1, 0, "IM\\SERVICE", key)).toString();
    };
    EXPECT_EQ(stored("Kind"), "network");
    EXPECT_EQ(stored("Host"), "chat.example.jp");
    EXPECT_EQ(stored("Port"), "5223");
    EXPECT_EQ(stored("Domain"), "example.jp");
    // The environment still wins; without it the settings name the server.
    EXPECT_EQ(core->ServiceDir(), dir);
    {
        const QByteArray saved = qgetenv("ZELTA_SERVICE_DIR");
        qunsetenv("ZELTA_SERVICE_DIR");
        const QString location = core->ServiceDir();
        qputenv("ZELTA_SERVICE_DIR", saved);
        EXPECT_TRUE(location.startsWith("xmpp://chat.example.jp:5223/example.jp"))
            << location.toStdString();
    }

    // Opened again, the page shows what was stored; Default goes back to the local service.
    ASSERT_EQ(OBRIX_Option(0), 1);
    sheet = core->OptionSheet();
    page = qobject_cast<CGeneralPage*>(sheet->Pages().value(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->KindBox()->currentIndex(), CGeneralPage::Network);
    EXPECT_EQ(page->HostEdit()->text(), "chat.example.jp");
    EXPECT_EQ(page->PortBox()->value(), 5223);
    sheet->reject();
}

TEST_F(CoreWindows, TheTrayServerTurnsWireMessagesIntoPresenceRequests) {
    core->Start();
    TakeCalls();
    CTaskTray tray([this](CTaskTray::Request r) { core->Begin(ObrixModule::Presence, r, 0); });
    const QString path = m_home.path() + "/tray.sock";
    ASSERT_TRUE(tray.Listen(path));
    for (int32_t lParam : {0x201, 0x204, 0x999}) {
        QLocalSocket socket;
        socket.connectToServer(path);
        ASSERT_TRUE(socket.waitForConnected(2000));
        // Split in two, as a slow writer might deliver it.
        const QByteArray wire = ZeltaTaskTray::encode(ZeltaMsg::TaskTray, lParam);
        socket.write(wire.left(3));
        socket.flush();
        QTest::qWait(20);
        socket.write(wire.mid(3));
        socket.flush();
        QTest::qWait(100);
    }
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnBegin 0 0", "1 OnBegin 1 0"}));
}

TEST_F(CoreWindows, TheTrayServerClosesSilentConnectionsAndServesFewAtOnce) {
    int restores = 0;
    CTaskTray tray([&](CTaskTray::Request r) { restores += r == CTaskTray::Restore; });
    tray.SetClientTimeout(300);
    const QString path = m_home.path() + "/tray.sock";
    ASSERT_TRUE(tray.Listen(path));
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < 40; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(path);
        ASSERT_TRUE(silent.back()->waitForConnected(2000));
    }
    QTest::qWait(50);
    EXPECT_LE(tray.OpenClients(), CTaskTray::kMaxClients);
    // The oldest made room for the newer ones.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return silent.front()->state() == QLocalSocket::UnconnectedState; }, 1000));

    // A request still gets through, and after the time-out nobody is held.
    QLocalSocket caller;
    caller.connectToServer(path);
    ASSERT_TRUE(caller.waitForConnected(2000));
    caller.write(ZeltaTaskTray::encode(ZeltaMsg::TaskTray, ZeltaMsg::LButtonDown));
    caller.flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return restores == 1; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.OpenClients() == 0; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(silent.begin(), silent.end(), [](const auto& socket) {
                return socket->state() == QLocalSocket::UnconnectedState;
            });
        },
        2000));
}

TEST_F(CoreWindows, TheLogOnDialogShowsEveryLineOfItsErrorAt100And200PercentScale) {
    host.appDir = qEnvironmentVariable("ZELTA_OUT_DIR") + "/";
    void* res = core->IMResHandle();
    ASSERT_NE(res, nullptr);
    CLogonDlg dlg(res, {"a", {}, true, false}, [&](const CLogonDlg::Values& v, QString* reason) {
        if (core->LogonWith(v.memberId, v.password))
            return true;
        *reason = CResourceLoader::Format(res, 2005, {core->LastLogonError()});
        return false;
    });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.findChildren<QLineEdit*>().value(1)->setText("wrong");
    dlg.accept();
    QCoreApplication::processEvents();
    ASSERT_EQ(dlg.ShownError(),
              "ログオンできませんでした。\nメンバー ID またはパスワードが違います");

    QLabel* error = nullptr;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->text() == dlg.ShownError())
            error = label;
    ASSERT_NE(error, nullptr);
    const auto* buttons = dlg.findChild<QDialogButtonBox*>();
    EXPECT_GE(error->height(), error->heightForWidth(error->width())) << "no line is cut off";
    EXPECT_LE(error->geometry().bottom(), buttons->geometry().top());
    EXPECT_LE(buttons->geometry().bottom(), dlg.height());

    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
    const QString dir = qEnvironmentVariable("ZELTA_TEST_DIR") + "/artifacts/";
    QDir().mkpath(dir);
    EXPECT_TRUE(dlg.grab().save(dir + "logon-error-" + (scale == "2" ? "200" : "100") + ".png"));

    // The same at twice the scale, which a process sets before it starts.
    if (scale != "2") {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", "2");
        child.setProcessEnvironment(env);
        child.start(
            QCoreApplication::applicationFilePath(),
            {"--gtest_filter=CoreWindows.TheLogOnDialogShowsEveryLineOfItsErrorAt100And200*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
}

TEST_F(CoreWindows, TheLogOnDialogStaysOpenWithTheReasonUntilTheLogOnSucceeds) {
    int submitted = 0;
    CLogonDlg dlg(nullptr, {"a", {}, true, false},
                  [&](const CLogonDlg::Values& v, QString* reason) {
                      ++submitted;
                      if (core->LogonWith(v.memberId, v.password))
                          return true;
                      *reason = core->LastLogonError();
                      return false;
                  });
    dlg.show();
    ASSERT_TRUE(dlg.isVisible());
    dlg.accept();
    EXPECT_EQ(submitted, 0) << "an empty password is not sent";
    EXPECT_TRUE(dlg.isVisible());
    dlg.findChildren<QLineEdit*>().value(1)->setText("wrong");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.ShownError().isEmpty());
    dlg.findChildren<QLineEdit*>().value(1)->setText(svctest::Password("a"));
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(core->LogonState(), ObrixLogon::LoggedOn);
}

TEST_F(CoreWindows, AutomaticLogOnKeepsOnlyASealedPasswordThatOpensWithTheUsersKey) {
    core->SetLogonPreferences("a", true, true, svctest::Password("a"));
    const QByteArray sealed =
        host.values.value(CFakeHost::Key(1, 0, "IM\\LOGON", "Password")).toByteArray();
    ASSERT_FALSE(sealed.isEmpty());
    EXPECT_FALSE(sealed.contains(svctest::Password("a").toUtf8()));
    CPasswordVault vault(host.userDir + "account/logon.key");
    EXPECT_EQ(vault.Open(sealed), svctest::Password("a"));
    QByteArray altered = sealed;
    altered[20] = char(altered[20] ^ 1);
    EXPECT_FALSE(vault.Open(altered).has_value());
    EXPECT_FALSE(CPasswordVault(m_home.path() + "/other.key").Open(sealed).has_value());
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFile::permissions(host.userDir + "account/logon.key") & others);

    core->Start(); // logs on by itself from the stored choice
    EXPECT_TRUE(QTest::qWaitFor([&] { return core->LogonState() == ObrixLogon::LoggedOn; }, 3000));
    // Turning automatic log-on off forgets the password.
    core->SetLogonPreferences("a", true, false, {});
    EXPECT_FALSE(host.values.contains(CFakeHost::Key(1, 0, "IM\\LOGON", "Password")));
}

TEST_F(CoreWindows, DamagedOrForeignMessageFilesAreSkippedWithALogRecord) {
    LogOnCore();
    const QString recv = host.userDir + "account/a/message/recv/";
    QFile bad(recv + "bad.zmf");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("\xFF\xFF\xFF\x7F garbage", 12));
    bad.close();
    host.log.clear();
    EXPECT_EQ(OBRIX_GetMessage(ObrixBox::Received, u"bad"), nullptr);
    ASSERT_EQ(host.log.size(), 1);
    EXPECT_TRUE(host.log.first().contains("bad.zmf"));
    EXPECT_EQ(OBRIX_GetMessage(ObrixBox::Received, u"../send/x"), nullptr);
    EXPECT_EQ(OBRIX_GetMessage(7, u"bad"), nullptr);
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"bad"), 0);

    for (const QString& id : {QString(), QString("."), QString(".hidden"), QString("a/b"),
                              QString("a\\b"), QString("x\ny"), QString(200, u'x')})
        EXPECT_FALSE(CMessageFiles::IsSafeId(id)) << id.toStdString();
    EXPECT_TRUE(CMessageFiles::IsSafeId("20261207103000123-a"));

    // A peer's message with an id that cannot name a file is refused, and the core goes on.
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("ok-1", {"a"})));
    EXPECT_TRUE(WaitForCall("1 OnRecvMessage ok-1"));
}

} // namespace
