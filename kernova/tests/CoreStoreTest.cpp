// What the core keeps for the user beyond plain messages: attached files in both directions,
// export and import of stored messages, opening stored messages while logged off, and sealing
// small secrets with the user's key.
#include "kernova/CAuthorizeDlg.h"
#include "kernova/ObrixExports.h"
#include "kernova/service/AttachmentNames.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CLetrix.h"
#include "obrix/ObrixApi.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTimer>

using namespace kntest;

namespace {

const char16_t* U(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

QByteArray RandomBytes(int n) {
    QByteArray b(n, '\0');
    for (char& c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CoreStore : public CoreFixture {
protected:
    QString MessageDir() const { return host.userDir + "account/a/message/"; }
    QStringList Elements(const QString& body) const {
        QStringList texts;
        for (const auto& e : Svc::FindObjectElements(body))
            texts.append(e.text);
        return texts;
    }
    std::unique_ptr<CLetrix> Stored(int32_t box, const QString& id) {
        tagLETRIX* record = OBRIX_GetMessage(box, U(id));
        if (!record)
            return nullptr;
        auto copy = std::make_unique<CLetrix>(record);
        OBRIX_CleanupLetrix(record);
        return copy;
    }
    // Every file below the temporary home, relative to it.
    QStringList AllFiles() const {
        QStringList files;
        QDirIterator it(m_home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next().mid(m_home.path().size()));
        files.sort();
        return files;
    }
    // A new core for the same member in a home of its own.
    void FreshHome(QTemporaryDir& home) {
        core.reset();
        host.userDir = home.path() + "/user/";
        host.values.clear();
        core = std::make_unique<CKernovaCore>(host);
        CKernovaCore::SetInstance(core.get());
        AddRecordingPlugin(*core, 6);
    }
};

TEST_F(CoreStore, FilesFromAPeerArriveByteIdenticalUnderSafeNamesInsideTheFilesDirectory) {
    LogOnCore();
    auto peer = LogOn("b");
    SvcMessage m = svctest::MakeMessage("att-1", {"a"});
    const QByteArray report = RandomBytes(70000), evil = RandomBytes(10);
    m.attachments = {{"報告.bin", 0, report},
                     {"../../../../evil.txt", 0, evil},
                     {"/etc/passwd", 0, "x"},
                     {"報告.BIN", 0, "same name, other case"}};
    m.body = "<BODY>本文</BODY><OBJECT>報告.bin</OBJECT><OBJECT>../../evil.txt</OBJECT>"
             "<OBJECT>/etc/passwd</OBJECT><OBJECT>報告.BIN</OBJECT><OBJECT>../../../x</OBJECT>";
    ASSERT_TRUE(peer->SendMessage(m));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage att-1"));

    const auto stored = Stored(ObrixBox::Received, "att-1");
    ASSERT_NE(stored, nullptr);
    const QStringList names = Elements(stored->GetMessage());
    ASSERT_EQ(names.size(), 5);
    const QString files = QFileInfo(MessageDir() + "files/").absoluteFilePath();
    for (const QString& name : names) {
        EXPECT_FALSE(name.contains('/') || name.contains('\\') || name.startsWith('.'))
            << name.toStdString();
        // The path the receive window builds stays in the message's files directory.
        EXPECT_EQ(QFileInfo(MessageDir() + "files/att-1" + name).absolutePath() + '/', files);
    }
    EXPECT_EQ(ReadAll(MessageDir() + "files/att-1" + names[0]), report);
    EXPECT_EQ(ReadAll(MessageDir() + "files/att-1" + names[1]), evil);
    EXPECT_EQ(ReadAll(MessageDir() + "files/att-1" + names[3]), "same name, other case");
    EXPECT_NE(names[0].toLower(), names[3].toLower());
    for (const QString& f : AllFiles())
        EXPECT_TRUE(f.startsWith("/user/account/a/message/") || !f.contains("evil"))
            << f.toStdString();
}

TEST_F(CoreStore, AttachedFilesTravelToThePeerAndTheLimitRefusesTheWholeMessage) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    EXPECT_EQ(OBRIX_QueryMTS(), 50ull * 1024 * 1024);
    const QByteArray data = RandomBytes(3000);
    const QString path = m_home.path() + "/添付 資料.dat";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    CLetrix m;
    m.AddDst(CLetrix::DST_TO, "b");
    m.SetSubject("files");
    m.SetMessageID("out-1");
    m.SetMessage("<BODY>見てください</BODY><OBJECT>" + path + "</OBJECT>");
    ASSERT_EQ(OBRIX_SendMessage(m.Record()), 1);
    ASSERT_TRUE(peerLog.WaitFor("message out-1"));
    const SvcMessage& got = peerLog.messages.last();
    ASSERT_EQ(got.attachments.size(), 1);
    EXPECT_EQ(got.attachments[0].name, "添付 資料.dat");
    EXPECT_EQ(peer->GetAttachmentData("out-1", 0), std::optional(data));
    EXPECT_EQ(Elements(got.body), QStringList{"添付 資料.dat"}) << "no local path leaves";
    const auto sent = Stored(ObrixBox::Sent, "out-1");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(Elements(sent->GetMessage()), QStringList{"添付 資料.dat"});
    EXPECT_EQ(ReadAll(MessageDir() + "files/out-1添付 資料.dat"), data);

    // The limit is a 64-bit count, kept as the core's setting.
    core->SetAttachmentLimit(5LL << 30);
    EXPECT_EQ(OBRIX_QueryMTS(), 5ull << 30);
    core->SetAttachmentLimit(data.size() - 1);
    EXPECT_EQ(OBRIX_QueryMTS(), uint64_t(data.size() - 1));
    m.SetMessageID("out-2");
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    m.SetMessageID("out-3");
    m.SetMessage("<BODY>x</BODY><OBJECT>" + m_home.path() + "/missing.dat</OBJECT>");
    core->SetAttachmentLimit(1 << 20);
    EXPECT_EQ(OBRIX_SendMessage(m.Record()), 0);
    EXPECT_EQ(Stored(ObrixBox::Sent, "out-2"), nullptr);
    EXPECT_EQ(Stored(ObrixBox::Sent, "out-3"), nullptr);
    EXPECT_FALSE(peer->GetMessage("out-2").has_value());
    EXPECT_TRUE(CallsStartingWith("1 OnSendMessage out-2").isEmpty());
}

TEST_F(CoreStore, ExportThenImportIntoAFreshHomeYieldsTheSameMessagesAndDamageImportsNothing) {
    LogOnCore();
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("in-1", {"a"})));
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("in-2", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage in-2"));
    CLetrix out;
    out.AddDst(CLetrix::DST_TO, "b");
    out.SetSubject("送信済み");
    out.SetMessageID("out-1");
    ASSERT_EQ(OBRIX_SendMessage(out.Record()), 1);
    out.SetMessageID("");
    out.SetSubject("下書き");
    char16_t draftId[130];
    ASSERT_EQ(OBRIX_SaveDraftMessage(out.Record(), draftId, 130), 1);
    ASSERT_EQ(OBRIX_SetReadMessage(ObrixBox::Received, u"in-1"), 1);

    const QString file = m_home.path() + "/ExportFile.zdc";
    const char16_t* ids[] = {draftId, u"out-1", u"in-1", u"in-2", u"gone"};
    const tagIMEXPORTCOUNT counts{1, 1, 3};
    ASSERT_EQ(OBRIX_ExportMessage(U(file), &counts, ids), 1);
    const QString draft = QString::fromUtf16(draftId);
    const std::vector<std::pair<int32_t, QString>> all = {
        {0, draft}, {1, "out-1"}, {2, "in-1"}, {2, "in-2"}};
    std::vector<QByteArray> before;
    for (const auto& [box, id] : all)
        before.push_back(QFile(core->Messages().Files().PathOf(box, id)).exists()
                             ? ReadAll(core->Messages().Files().PathOf(box, id))
                             : QByteArray());

    QTemporaryDir fresh;
    FreshHome(fresh);
    LogOnCore();
    // Damaged and foreign files import nothing and hand nothing out.
    const QByteArray bytes = ReadAll(file);
    const QString cut = fresh.path() + "/cut.zdc", foreign = fresh.path() + "/foreign.zdc";
    {
        QFile c(cut), f(foreign);
        ASSERT_TRUE(c.open(QIODevice::WriteOnly) && f.open(QIODevice::WriteOnly));
        c.write(bytes.left(bytes.size() - 10));
        f.write("<html>not a collection</html>" + RandomBytes(200));
    }
    for (const QString& bad : {cut, foreign, fresh.path() + "/none.zdc"}) {
        char16_t** got = reinterpret_cast<char16_t**>(0x1);
        tagIMEXPORTCOUNT n{9, 9, 9};
        EXPECT_EQ(OBRIX_ImportMessage(U(bad), &got, &n), 0) << bad.toStdString();
        EXPECT_EQ(got, nullptr);
        EXPECT_EQ(n.nDraft + n.nSent + n.nRecv, 0u);
    }
    EXPECT_TRUE(QDir(core->MessageDir() + "recv").isEmpty());
    EXPECT_TRUE(QDir(core->MessageDir() + "draft").isEmpty());

    char16_t** got = nullptr;
    tagIMEXPORTCOUNT n{};
    ASSERT_EQ(OBRIX_ImportMessage(U(file), &got, &n), 1);
    ASSERT_EQ(n.nDraft, 1u);
    ASSERT_EQ(n.nSent, 1u);
    ASSERT_EQ(n.nRecv, 2u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(S16(got[i]), all[i].second);
        EXPECT_EQ(ReadAll(core->Messages().Files().PathOf(all[i].first, all[i].second)), before[i])
            << all[i].second.toStdString();
    }
    OBRIX_CleanupImport(got, 4);
    EXPECT_FALSE(Stored(ObrixBox::Received, "in-1")->IsUnRead()) << "flags travel as stored";

    // Importing again keeps what the user changed since.
    ASSERT_EQ(OBRIX_SetDogearMessage(ObrixBox::Received, u"in-2", 1), 1);
    ASSERT_EQ(OBRIX_ImportMessage(U(file), &got, &n), 1);
    OBRIX_CleanupImport(got, 4);
    EXPECT_TRUE(Stored(ObrixBox::Received, "in-2")->GetFlags() & LETRIX_FLAG_DOGEAR);
}

TEST_F(CoreStore, AnImportThatFailsPartWayRemovesWhatItWrote) {
    LogOnCore();
    CLetrix draft;
    draft.SetSubject("d");
    draft.SetMessageID("d-1");
    ASSERT_EQ(OBRIX_SaveDraftMessage(draft.Record(), nullptr, 0), 1);
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("in-1", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage in-1"));
    const QString file = m_home.path() + "/x.zdc";
    const char16_t* ids[] = {u"d-1", u"in-1"};
    const tagIMEXPORTCOUNT counts{1, 0, 1};
    ASSERT_EQ(OBRIX_ExportMessage(U(file), &counts, ids), 1);

    QTemporaryDir fresh;
    FreshHome(fresh);
    LogOnCore();
    // The received message cannot be written: a file stands where its folder would be.
    const QString recv = core->MessageDir() + "recv";
    ASSERT_TRUE(QDir(recv).removeRecursively());
    QFile blocker(recv);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    char16_t** got = nullptr;
    tagIMEXPORTCOUNT n{};
    EXPECT_EQ(OBRIX_ImportMessage(U(file), &got, &n), 0);
    EXPECT_EQ(got, nullptr);
    EXPECT_FALSE(QFile::exists(host.userDir + "account/a/message/draft/d-1.zmf"));
}

TEST_F(CoreStore, AuthorisationOpensStoredMessagesOnlyWithTheRightPasswordUntilTheNextLogOn) {
    AddRecordingPlugin(*core, 6);
    EXPECT_EQ(OBRIX_Authorize(), 0) << "no member has logged on here";
    LogOnCore();
    EXPECT_EQ(OBRIX_Authorize(), 1) << "logged on already";
    auto peer = LogOn("b");
    ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("in-1", {"a"})));
    ASSERT_TRUE(WaitForCall("1 OnRecvMessage in-1"));
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);

    QStringList asked;
    std::optional<QString> answer = QString("wrong");
    core->SetPasswordPrompt([&](const QString& id) {
        asked.append(id);
        return answer;
    });
    EXPECT_EQ(OBRIX_Authorize(), 0);
    answer.reset();
    EXPECT_EQ(OBRIX_Authorize(), 0) << "cancelled";
    EXPECT_EQ(asked, (QStringList{"a", "a"}));
    EXPECT_FALSE(core->HasMessageAccess());

    answer = svctest::Password("a");
    EXPECT_EQ(OBRIX_Authorize(), 1);
    EXPECT_EQ(OBRIX_Authorize(), 1);
    EXPECT_EQ(asked.size(), 3) << "one question per access";
    EXPECT_NE(Stored(ObrixBox::Received, "in-1"), nullptr);
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::LoggedOff) << "no session was made";
    for (const SvcMembership& ms : peer->GetMemberships("g1"))
        if (ms.memberId == "a") {
            EXPECT_EQ(ms.presence.status, Svc::kStatusOff) << "nobody saw a come on line";
        }

    TakeCalls();
    LogOnCore();
    EXPECT_EQ(TakeCalls(), (QStringList{"1 OnEndAuthorize", "4 OnEndAuthorize", "6 OnEndAuthorize",
                                        "1 OnLogon 1", "4 OnLogon 1", "6 OnLogon 1"}));
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);
    ASSERT_EQ(OBRIX_Authorize(), 1);
    TakeCalls();
    core->Start();
    core->Shutdown();
    const QStringList calls = TakeCalls();
    ASSERT_TRUE(calls.contains("6 OnEndAuthorize"));
    EXPECT_LT(calls.indexOf("6 OnEndAuthorize"), calls.indexOf("6 OnKill"));
}

TEST_F(CoreStore, TheAuthorisationDialogTakesThePasswordTypedIntoIt) {
    LogOnCore();
    ASSERT_EQ(OBRIX_Logoff(0, 0), 1);
    const auto typeInto = [](const QString& password, bool ok) {
        QTimer::singleShot(50, [=] {
            auto* dlg = qobject_cast<CAuthorizeDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            dlg->findChild<QLineEdit*>()->setText(password);
            ok ? dlg->accept() : dlg->reject();
        });
    };
    typeInto("pw-b", true);
    EXPECT_EQ(OBRIX_Authorize(), 0);
    typeInto(svctest::Password("a"), false);
    EXPECT_EQ(OBRIX_Authorize(), 0);
    typeInto(svctest::Password("a"), true);
    EXPECT_EQ(OBRIX_Authorize(), 1);
}

TEST_F(CoreStore, SealedBytesOpenOnlyUnalteredAndWithTheSameUsersKey) {
    const QByteArray secret = "自動ログオンのパスワード";
    const auto* in = reinterpret_cast<const uint8_t*>(secret.constData());
    const int32_t size = OBRIX_Encrypt(in, int32_t(secret.size()), nullptr, 0);
    ASSERT_EQ(size, secret.size() + 48);
    std::vector<uint8_t> sealed(static_cast<size_t>(size)), again(static_cast<size_t>(size));
    EXPECT_EQ(OBRIX_Encrypt(in, int32_t(secret.size()), sealed.data(), size - 1), 0);
    ASSERT_EQ(OBRIX_Encrypt(in, int32_t(secret.size()), sealed.data(), size), size);
    ASSERT_EQ(OBRIX_Encrypt(in, int32_t(secret.size()), again.data(), size), size);
    EXPECT_NE(sealed, again) << "each seal has its own nonce";
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(sealed.data()), size).indexOf(secret), -1);

    std::vector<uint8_t> plain(secret.size());
    ASSERT_EQ(OBRIX_Decrypt(sealed.data(), size, plain.data(), int32_t(plain.size())),
              secret.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(plain.data()), secret.size()), secret);
    EXPECT_EQ(OBRIX_Decrypt(sealed.data(), size, plain.data(), int32_t(plain.size()) - 1), 0);
    for (size_t at : {size_t(0), size_t(20), size_t(size - 1)}) {
        std::vector<uint8_t> altered = sealed;
        altered[at] ^= 1;
        EXPECT_EQ(OBRIX_Decrypt(altered.data(), size, plain.data(), int32_t(plain.size())), 0);
    }
    EXPECT_EQ(OBRIX_Decrypt(sealed.data(), 47, plain.data(), int32_t(plain.size())), 0);

    QTemporaryDir other;
    FreshHome(other);
    EXPECT_EQ(OBRIX_Decrypt(sealed.data(), size, plain.data(), int32_t(plain.size())), 0)
        << "another user's key";
}

} // namespace
