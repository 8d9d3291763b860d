// The XMPP service against a real prosody: what only the network back end has (TLS and
// certificates, the stream's life, foreign stanzas). Behaviour both back ends share is in the
// contract suite.
#include "XmppTestSupport.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace xmpptest;
using svctest::EventLog;

namespace {

class XmppServiceTest : public XmppFixture {};

TEST_F(XmppServiceTest, LogsOnOverTlsWithScramAndReadsTheDirectory) {
    auto a = LogOn(QStringLiteral("a"));
    ASSERT_TRUE(a->IsLoggedOn());
    EXPECT_EQ(a->GetUserID(), QStringLiteral("a"));
    EXPECT_EQ(a->GetMembers().size(), 4);
    const QList<SvcGroup> groups = a->GetGroups();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].id, QStringLiteral("g1"));
    EXPECT_EQ(groups[1].parentId, QStringLiteral("g1"));
    EXPECT_EQ(a->GetMemberships(QStringLiteral("g2")).size(), 2);
    const QString log = server.Log();
    // The test server offers SCRAM alone, so the password never crossed in clear.
    EXPECT_TRUE(log.contains(QStringLiteral("Stream encrypted"))) << log.toStdString();
    a->Logoff();
    EXPECT_FALSE(a->IsLoggedOn());
}

} // namespace

namespace {

// Records what the service writes to its log category.
class LogCapture {
public:
    LogCapture() {
        s_lines.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& ctx, const QString& text) {
                if (ctx.category && QByteArray(ctx.category) == "zelta.xmpp")
                    s_lines.append(text);
            });
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    bool Contains(const QString& part) const {
        return std::any_of(s_lines.begin(), s_lines.end(),
                           [&](const QString& l) { return l.contains(part); });
    }

private:
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

// A client that speaks raw stanzas: another program on the same server.
class RawClient {
public:
    bool Open(const CXmppLocation& location, const QString& user, const QString& password) {
        m_link.Open(location, Xmpp::BareJid(user, location.domain), QStringLiteral("raw"),
                    password);
        return QTest::qWaitFor([&] { return m_link.IsOpen(); }, 10000);
    }
    void Send(const XmppNode& stanza) {
        m_link.Send(stanza);
        m_link.Pump();
    }

private:
    CXmppLink m_link;
};

SvcMessage Message(const QString& id, const QString& to) {
    return svctest::MakeMessage(id, {to});
}

} // namespace

TEST_F(XmppServiceTest, StrangersAndForgedReceiptsAreIgnoredWithALogRecord) {
    LogCapture log;
    ASSERT_TRUE(server.AddAccount(QStringLiteral("stranger"), QStringLiteral("pw-stranger")));
    auto a = LogOn(QStringLiteral("a"));
    auto b = LogOn(QStringLiteral("b"));
    EventLog aEvents(a.get());
    EventLog bEvents(b.get());
    ASSERT_TRUE(a->SendMessage(Message(QStringLiteral("m1"), QStringLiteral("b"))));
    ASSERT_TRUE(bEvents.WaitFor(QStringLiteral("message m1")));

    RawClient stranger;
    ASSERT_TRUE(stranger.Open(server.Location(), QStringLiteral("stranger"),
                              QStringLiteral("pw-stranger")));
    stranger.Send(Xmpp::EncodeMessage(Message(QStringLiteral("x1"), QStringLiteral("a")),
                                      QStringLiteral("a"), Svc::DST_TO, server.Location().domain));
    // c is a member, but m1 never went to c: its receipt is a forgery.
    RawClient c;
    ASSERT_TRUE(c.Open(server.Location(), QStringLiteral("c"), Password(QStringLiteral("c"))));
    c.Send(Xmpp::EncodeReceipt(Svc::RECEIPT_READ, QStringLiteral("m1"),
                               QStringLiteral("a@example.test"), QDateTime::currentDateTimeUtc(),
                               QStringLiteral("c@example.test")));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return log.Contains(QStringLiteral("did not reach")); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.Contains(QStringLiteral("outside the directory")); }, 5000));
    aEvents.Settle();
    EXPECT_EQ(aEvents.Count(QStringLiteral("message x1")), 0);
    EXPECT_EQ(aEvents.Count(QStringLiteral("receipt")), 0);
    EXPECT_FALSE(a->GetMessage(QStringLiteral("m1"))->dest[Svc::DST_TO][0].readTime.isValid());

    // A room of the stranger's, named like a chat, and an invitation into it: no invitation.
    int invitations = 0;
    QObject::connect(a.get(), &CMessagingService::ChatInvited, [&] { ++invitations; });
    const QString room = QStringLiteral("zelta-chat-4242@conference.example.test");
    XmppNode join(QStringLiteral("presence"));
    join.SetAttr(QStringLiteral("to"), room + QStringLiteral("/stranger"));
    join.Add(QStringLiteral("x"), QStringLiteral("http://jabber.org/protocol/muc"));
    stranger.Send(join);
    XmppNode unlock(QStringLiteral("iq"));
    unlock.SetAttr(QStringLiteral("type"), QStringLiteral("set"));
    unlock.SetAttr(QStringLiteral("to"), room);
    unlock.SetAttr(QStringLiteral("id"), QStringLiteral("unlock"));
    unlock.Add(QStringLiteral("query"), QStringLiteral("http://jabber.org/protocol/muc#owner"))
        .Add(QStringLiteral("x"), Xmpp::kNsDataForms)
        .SetAttr(QStringLiteral("type"), QStringLiteral("submit"));
    stranger.Send(unlock);
    QTest::qWait(300);
    XmppNode invite(QStringLiteral("message"));
    invite.SetAttr(QStringLiteral("to"), room);
    invite.Add(QStringLiteral("x"), QStringLiteral("http://jabber.org/protocol/muc#user"))
        .Add(QStringLiteral("invite"))
        .SetAttr(QStringLiteral("to"), QStringLiteral("a@example.test"))
        .Add(QStringLiteral("reason"))
        .SetText(QStringLiteral("come in"));
    stranger.Send(invite);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.Contains(QStringLiteral("Chat invitation from outside")); }, 5000));
    EXPECT_EQ(invitations, 0);
    EXPECT_EQ(a->GetChatEvents(4242).size(), 0);
    EXPECT_EQ(a->LastError().code(), CServiceError::UnknownChat);
}

TEST_F(XmppServiceTest, MalformedAndOversizedBodiesAreRefusedAndTheStreamStays) {
    LogCapture log;
    auto a = LogOn(QStringLiteral("a"));
    EventLog aEvents(a.get());
    RawClient c;
    ASSERT_TRUE(c.Open(server.Location(), QStringLiteral("c"), Password(QStringLiteral("c"))));
    XmppNode broken =
        Xmpp::EncodeMessage(Message(QStringLiteral("bad"), QStringLiteral("a")),
                            QStringLiteral("a"), Svc::DST_TO, server.Location().domain);
    for (XmppNode& child : broken.children)
        if (child.name == QStringLiteral("zelta"))
            child.children.clear(); // no formatted body at all
    c.Send(broken);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.Contains(QStringLiteral("refused")); }, 5000));
    EXPECT_EQ(aEvents.Count(QStringLiteral("message")), 0);

    ASSERT_TRUE(a->SendMessage(Message(QStringLiteral("small"), QStringLiteral("a"))));
    EXPECT_TRUE(aEvents.WaitFor(QStringLiteral("message small")));
    EXPECT_TRUE(a->IsLoggedOn());
}

TEST_F(XmppServiceTest, ACertificateThatCannotBeVerifiedIsRefusedUnlessTrusted) {
    CXmppLocation strict = server.Location();
    strict.tls = CXmppLocation::Tls::Verify;
    CXmppService s(strict, m_state.path());
    EXPECT_FALSE(s.Logon(QStringLiteral("a"), Password(QStringLiteral("a"))));
    EXPECT_EQ(s.LastError().code(), CServiceError::BadCertificate);
    EXPECT_EQ(s.LastError().argument(), server.Location().domain);

    // The organisation's own authority makes the same certificate good.
    strict.caFile = server.CertificateFile();
    CXmppService withCa(strict, m_state.path());
    EXPECT_TRUE(withCa.Logon(QStringLiteral("a"), Password(QStringLiteral("a"))))
        << withCa.LastError().EnglishText().toStdString();
}

TEST_F(XmppServiceTest, AServerRestartEndsTheSessionAndNothingIsLostOrDoubled) {
    auto a = LogOn(QStringLiteral("a"));
    auto b = LogOn(QStringLiteral("b"));
    EventLog aEvents(a.get());
    server.Stop();
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_EXPIRED)));
    EXPECT_FALSE(a->IsLoggedOn());
    EXPECT_FALSE(a->Heartbeat());
    EXPECT_FALSE(a->Logon(QStringLiteral("a"), Password(QStringLiteral("a"))));
    EXPECT_EQ(a->LastError().code(), CServiceError::Unreachable);

    ASSERT_TRUE(server.Resume()) << server.Error().toStdString();
    ASSERT_TRUE(b->Logon(QStringLiteral("b"), Password(QStringLiteral("b"))));
    ASSERT_TRUE(b->SendMessage(Message(QStringLiteral("while-away"), QStringLiteral("a"))));
    QTest::qWait(200);
    ASSERT_TRUE(a->Logon(QStringLiteral("a"), Password(QStringLiteral("a"))))
        << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("message while-away")));
    // Both back on line see each other again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->GetMember(QStringLiteral("a"))->online; }, 5000));
    aEvents.Settle();
    EXPECT_EQ(aEvents.Count(QStringLiteral("message while-away")), 1)
        << aEvents.lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(XmppServiceTest, ALostConnectionEndsTheSessionAsExpired) {
    auto a = LogOn(QStringLiteral("a"));
    EventLog aEvents(a.get());
    a->DropConnection();
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_EXPIRED)));
    EXPECT_TRUE(a->Logon(QStringLiteral("a"), Password(QStringLiteral("a"))));
}

TEST_F(XmppServiceTest, AServerThatStopsAnsweringIsNoticedByTheKeepAlive) {
    auto a = LogOn(QStringLiteral("a"));
    // Pings often; a generous time for the answer, so that a busy test machine is no dead server.
    a->SetKeepAlive(300, 2000);
    EventLog aEvents(a.get());
    // An idle stream to a live server stays: the pings are answered.
    QTest::qWait(1500);
    EXPECT_TRUE(a->IsLoggedOn());
    EXPECT_EQ(aEvents.Count(QStringLiteral("session-ended")), 0);
    // A hung server keeps the connection open but answers nothing.
    ASSERT_TRUE(server.Freeze());
    const bool ended =
        aEvents.WaitFor(QStringLiteral("session-ended %1").arg(Svc::END_EXPIRED), 1, 10000);
    server.Thaw();
    ASSERT_TRUE(ended);
    EXPECT_FALSE(a->IsLoggedOn());

    // Log-on to a server that accepts the connection but never answers fails in time, told
    // apart from an unreachable one.
    ASSERT_TRUE(server.Freeze());
    CXmppService s(server.Location(), m_state.path());
    s.SetLogonTimeout(1000);
    EXPECT_FALSE(s.Logon(QStringLiteral("b"), Password(QStringLiteral("b"))));
    server.Thaw();
    EXPECT_EQ(s.LastError().code(), CServiceError::NoAnswer);
    EXPECT_TRUE(a->Logon(QStringLiteral("a"), Password(QStringLiteral("a"))));
}

// A message whose files lie at the given addresses with the given announced sizes.
XmppNode MessageWithFiles(const QString& id, const QList<std::pair<QString, qint64>>& files) {
    SvcMessage m = svctest::MakeMessage(id, {QStringLiteral("a")});
    QStringList urls;
    for (const auto& [url, size] : files) {
        m.attachments.append({QStringLiteral("f.bin"), size, {}});
        urls.append(url);
    }
    XmppNode s =
        Xmpp::EncodeMessage(m, QStringLiteral("a"), Svc::DST_TO, QStringLiteral("example.test"));
    Xmpp::SetFileUrls(s, urls);
    return s;
}

TEST_F(XmppServiceTest, FilesAreFetchedOnlyFromTheServerAndNeverBeyondTheirAnnouncedSize) {
    LogCapture log;
    auto a = LogOn(QStringLiteral("a"));
    EventLog aEvents(a.get());
    RawClient c;
    ASSERT_TRUE(c.Open(server.Location(), QStringLiteral("c"), Password(QStringLiteral("c"))));
    // An address elsewhere is never fetched.
    c.Send(MessageWithFiles(QStringLiteral("elsewhere"),
                            {{QStringLiteral("http://files.example.invalid/x.bin"), 10}}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.Contains(QStringLiteral("download address not on the server")); }, 5000));

    // On the server's host, but the file is longer than announced: cut off and refused.
    QTcpServer http;
    ASSERT_TRUE(http.listen(QHostAddress::LocalHost, 0));
    int requests = 0;
    QObject::connect(&http, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = http.nextPendingConnection();
        ++requests;
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n");
            s->write(QByteArray(5000, 'x'));
            s->disconnectFromHost();
        });
    });
    c.Send(MessageWithFiles(
        QStringLiteral("longer"),
        {{QStringLiteral("http://127.0.0.1:%1/f.bin").arg(http.serverPort()), 10}}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.Contains(QStringLiteral("Files of message \"longer\" not fetched")); },
        5000));
    EXPECT_EQ(requests, 1);
    aEvents.Settle();
    EXPECT_EQ(aEvents.Count(QStringLiteral("message")), 0);
    EXPECT_FALSE(a->GetMessage(QStringLiteral("longer")));
    EXPECT_TRUE(a->GetPendingMessages().isEmpty());
}

TEST_F(XmppServiceTest, AFetchThatFailedIsTriedAgainAtTheNextLogOnAndTheMessageArrivesOnce) {
    LogCapture log;
    auto a = LogOn(QStringLiteral("a"));
    RawClient c;
    ASSERT_TRUE(c.Open(server.Location(), QStringLiteral("c"), Password(QStringLiteral("c"))));
    QTcpServer http;
    ASSERT_TRUE(http.listen(QHostAddress::LocalHost, 0));
    bool healthy = false;
    QObject::connect(&http, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = http.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &healthy] {
            s->readAll();
            s->write(healthy ? "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nConnection: close\r\n"
                               "\r\n0123456789"
                             : "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n"
                               "Connection: close\r\n\r\n");
            s->disconnectFromHost();
        });
    });
    c.Send(MessageWithFiles(
        QStringLiteral("later"),
        {{QStringLiteral("http://127.0.0.1:%1/later.bin").arg(http.serverPort()), 10}}));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return log.Contains(QStringLiteral("Files of message \"later\" not fetched")); },
        5000));
    EXPECT_FALSE(a->GetMessage(QStringLiteral("later")));
    a->Logoff();

    healthy = true;
    EventLog aEvents(a.get());
    ASSERT_TRUE(a->Logon(QStringLiteral("a"), Password(QStringLiteral("a"))));
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("message later")));
    EXPECT_EQ(a->GetAttachmentData(QStringLiteral("later"), 0), QByteArray("0123456789"));
    aEvents.Settle();
    EXPECT_EQ(aEvents.Count(QStringLiteral("message later")), 1);
}

class XmppNoUploadTest : public XmppFixture {
protected:
    void SetUp() override {
        options.upload = false;
        XmppFixture::SetUp();
    }
};

TEST_F(XmppNoUploadTest, WithoutAnUploadServiceFilesAreRefusedAndTextStillGoes) {
    auto a = LogOn(QStringLiteral("a"));
    auto b = LogOn(QStringLiteral("b"));
    EventLog bEvents(b.get());
    SvcMessage m = svctest::MakeMessage(QStringLiteral("with-file"), {QStringLiteral("b")});
    m.attachments.append({QStringLiteral("表.csv"), 3, QByteArray("a,b")});
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::NoUpload);
    EXPECT_TRUE(a->LastError().Text().contains(QStringLiteral("添付ファイルは送れません")))
        << a->LastError().Text().toStdString();
    EXPECT_FALSE(a->GetMessage(QStringLiteral("with-file")));
    ASSERT_TRUE(
        a->SendMessage(svctest::MakeMessage(QStringLiteral("text"), {QStringLiteral("b")})));
    EXPECT_TRUE(bEvents.WaitFor(QStringLiteral("message text")));
}

class XmppSmallUploadTest : public XmppFixture {
protected:
    void SetUp() override {
        options.uploadLimit = 100000;
        XmppFixture::SetUp();
    }
};

TEST_F(XmppSmallUploadTest, AFileLargerThanTheServerTakesIsRefusedBeforeAnythingGoesOut) {
    auto a = LogOn(QStringLiteral("a"));
    auto b = LogOn(QStringLiteral("b"));
    EventLog bEvents(b.get());
    a->SetAttachmentLimit(Svc::kMaxAttachmentBytes);
    SvcMessage big = svctest::MakeMessage(QStringLiteral("big"), {QStringLiteral("b")});
    big.attachments.append({QStringLiteral("big.bin"), 0, QByteArray(200000, 'x')});
    EXPECT_FALSE(a->SendMessage(big));
    EXPECT_EQ(a->LastError().code(), CServiceError::AttachmentsTooLarge);
    EXPECT_EQ(a->LastError().argument(), QStringLiteral("100000")) << "the server's maximum";
    EXPECT_EQ(a->ServiceAttachmentMaximum(), 100000) << "what the core reports to plug-ins";
    EXPECT_FALSE(a->GetMessage(QStringLiteral("big")));
    // Within it, the file is uploaded and fetched byte for byte.
    SvcMessage fits = svctest::MakeMessage(QStringLiteral("fits"), {QStringLiteral("b")});
    QByteArray bytes(90000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 251);
    fits.attachments.append({QStringLiteral("fits.bin"), 0, bytes});
    ASSERT_TRUE(a->SendMessage(fits)) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(bEvents.WaitFor(QStringLiteral("message fits")));
    EXPECT_EQ(b->GetAttachmentData(QStringLiteral("fits"), 0), bytes);
    bEvents.Settle();
    EXPECT_EQ(bEvents.Count(QStringLiteral("message big")), 0);
}

class XmppPlainTextTest : public XmppFixture {
protected:
    void SetUp() override {
        options.allowPlainText = true;
        XmppFixture::SetUp();
    }
};

TEST_F(XmppPlainTextTest, PlainStreamsWorkOnLoopbackWhenTheLocationSaysSo) {
    ASSERT_EQ(server.Location().tls, CXmppLocation::Tls::Off);
    auto a = LogOn(QStringLiteral("a"));
    EXPECT_TRUE(a->IsLoggedOn());
    EXPECT_FALSE(server.Log().contains(QStringLiteral("Stream encrypted")));
}

TEST_F(XmppServiceTest, AStandardClientSeesZeltaAndTheyExchangeMessages) {
    const QString python = QStringLiteral("/usr/bin/python3");
    ASSERT_TRUE(QFile::exists(python)) << "scripts/bootstrap.sh installs python3-slixmpp";
    auto a = LogOn(QStringLiteral("a"));
    EventLog aEvents(a.get());
    QProcess other;
    other.setProcessChannelMode(QProcess::MergedChannels);
    other.start(python, {qEnvironmentVariable("ZELTA_SOURCE_DIR") +
                             QStringLiteral("/kernova/service/xmpp/tests/interop_slixmpp.py"),
                         QStringLiteral("c@example.test"), Password(QStringLiteral("c")),
                         server.Location().host, QString::number(server.Location().port),
                         QStringLiteral("a@example.test"), QStringLiteral("from-slixmpp"),
                         QStringLiteral("chat")});
    QByteArray out;
    auto saw = [&](const char* text) {
        return QTest::qWaitFor(
            [&] {
                out += other.readAll();
                return out.contains(text);
            },
            20000);
    };
    ASSERT_TRUE(saw("ready")) << out.toStdString();
    // The other client's member comes on line for Zelta, and Zelta's presence reaches it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return a->GetMember(QStringLiteral("c"))->online; }, 10000))
        << out.toStdString();
    EXPECT_TRUE(saw("presence a@example.test/zelta on")) << out.toStdString();

    SvcMessage m = svctest::MakeMessage(QStringLiteral("to-slixmpp"), {QStringLiteral("c")});
    m.body = QStringLiteral("<P>こんにちは<BR>二行目</P>");
    ASSERT_TRUE(a->SendMessage(m));
    EXPECT_TRUE(saw("message 件名 to-slixmpp|こんにちは\n二行目")) << out.toStdString();
    ASSERT_TRUE(aEvents.WaitFor(QStringLiteral("message from-slixmpp"), 1, 10000))
        << out.toStdString();
    const SvcMessage reply = aEvents.messages.last();
    EXPECT_EQ(reply.fromId, QStringLiteral("c"));
    EXPECT_EQ(reply.subject, QStringLiteral("re: 件名 to-slixmpp"));
    EXPECT_EQ(reply.body, QStringLiteral("<P>hello from slixmpp<BR>line 2</P>"));
    EXPECT_TRUE(a->GetPendingMessages().size() == 1);

    // A Zelta chat is a chat room the other client joins after an invitation and talks in.
    const int chat = a->CreateChat(5);
    ASSERT_GT(chat, 0) << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(a->InviteToChat(chat, QStringLiteral("c"), QStringLiteral("会議へどうぞ"), 5));
    EXPECT_TRUE(saw(QStringLiteral("invited zelta-chat-%1@conference.example.test")
                        .arg(chat)
                        .toUtf8()
                        .constData()))
        << out.toStdString();
    auto talks = [&] {
        QStringList t;
        for (const SvcChatEvent& e : a->GetChatEvents(chat))
            if (e.type == Svc::CHAT_TALK)
                t.append(e.memberId + QLatin1Char('|') + e.text);
        return t;
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return talks().contains(QStringLiteral("c|hello room from slixmpp")); }, 10000))
        << talks().join(QLatin1Char(',')).toStdString() << out.toStdString();
    ASSERT_TRUE(a->TalkInChat(chat, QStringLiteral("<P>ようこそ<BR>二行目</P>")));
    EXPECT_TRUE(saw("room-talk a|ようこそ\n二行目")) << out.toStdString();
    EXPECT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.exitCode(), 0) << out.toStdString();
}
