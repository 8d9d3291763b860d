// Attached files over HTTP file upload (XEP-0363): the sender asks the server's upload service
// for a slot per file and puts the bytes there; the message carries each file's name, size and
// download address instead of the bytes. The receiver fetches every file before the message is
// stored and announced: only from the server it is connected to, never more bytes than
// announced, all or nothing. A fetch that fails is tried again after a pause, and at the next
// log-on (the message waits in the client's store), the message staying unannounced meanwhile.
#include "kernova/service/xmpp/CXmppService.h"

#include "kernova/service/ServiceRules.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

const QString kNsUpload = QStringLiteral("urn:xmpp:http:upload:0");
constexpr int kRetryMs = 30000;

// Redirects are not followed: they could lead anywhere.
QNetworkRequest Request(const QUrl& url) {
    QNetworkRequest r(url);
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return r;
}

} // namespace

struct CXmppService::Fetch {
    SvcMessage message;
    Svc::DestList list = Svc::DST_TO;
    QStringList urls;
    QList<QByteArray> data;
    QList<QPointer<QNetworkReply>> replies;
    int open = 0;
    bool failed = false;
};

void CXmppService::OnUploadServiceInfo(const XmppNode& answer) {
    m_upload = Upload::Absent;
    if (answer.Attr(QStringLiteral("type")) == QStringLiteral("result"))
        if (const XmppNode* q = answer.Child(QStringLiteral("query"))) {
            for (const XmppNode& c : q->children) {
                if (c.name == QStringLiteral("feature") &&
                    c.Attr(QStringLiteral("var")) == kNsUpload)
                    m_upload = Upload::Available;
                if (c.name == QStringLiteral("x"))
                    for (const XmppNode& f : c.children)
                        if (f.Attr(QStringLiteral("var")) == QStringLiteral("max-file-size"))
                            m_uploadMax = f.ChildText(QStringLiteral("value")).toLongLong();
            }
        }
    if (m_upload == Upload::Absent)
        qCInfo(lcXmpp) << "No upload service at" << m_location.uploadJid
                       << ": attached files cannot be sent";
    m_uploadChecked = true;
    FinishLoading();
}

bool CXmppService::UploadFiles(const QList<SvcAttachment>& files, QStringList* urls) {
    if (!m_http)
        m_http = new QNetworkAccessManager(this);
    struct State {
        QList<QString> put, get;
        QList<QList<std::pair<QByteArray, QByteArray>>> headers;
        int open = 0;
        QString error;
        QEventLoop* loop = nullptr;
        void Done(const QString& why = {}) {
            if (!why.isEmpty() && error.isEmpty())
                error = why;
            if (--open <= 0 && loop)
                loop->quit();
        }
    };
    auto state = std::make_shared<State>();
    const int n = int(files.size());
    state->put.resize(n);
    state->get.resize(n);
    state->headers.resize(n);
    QEventLoop loop;
    state->loop = &loop;
    qint64 total = 0;
    for (const SvcAttachment& f : files)
        total += f.data.size();
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Time enough for a slow network: 30 s, and a second per 256 KiB.
    limit.start(30000 + int(total / (256 * 1024)) * 1000);

    // First a slot for each file...
    state->open = n;
    for (int i = 0; i < n; ++i) {
        XmppNode iq(QStringLiteral("iq"));
        iq.SetAttr(QStringLiteral("type"), QStringLiteral("get"));
        iq.SetAttr(QStringLiteral("to"), m_location.uploadJid);
        iq.Add(QStringLiteral("request"), kNsUpload)
            .SetAttr(QStringLiteral("filename"), files[i].name)
            .SetAttr(QStringLiteral("size"), QString::number(files[i].data.size()))
            .SetAttr(QStringLiteral("content-type"), QStringLiteral("application/octet-stream"));
        m_link.Request(iq, [state, i](const XmppNode& a) {
            const XmppNode* slot = a.Child(QStringLiteral("slot"), kNsUpload);
            const XmppNode* put = slot ? slot->Child(QStringLiteral("put")) : nullptr;
            const XmppNode* get = slot ? slot->Child(QStringLiteral("get")) : nullptr;
            if (!put || !get) {
                state->Done(QStringLiteral("no upload slot"));
                return;
            }
            state->put[i] = put->Attr(QStringLiteral("url"));
            state->get[i] = get->Attr(QStringLiteral("url"));
            for (const XmppNode& h : put->children)
                if (h.name == QStringLiteral("header"))
                    state->headers[i].append(
                        {h.Attr(QStringLiteral("name")).toUtf8(), h.text.toUtf8()});
            state->Done();
        });
    }
    if (state->open > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // ...then every file to its slot at once.
    if (state->open <= 0 && state->error.isEmpty() && IsLoggedOn()) {
        state->open = n;
        QList<QPointer<QNetworkReply>> replies;
        for (int i = 0; i < n; ++i) {
            QNetworkRequest r = Request(QUrl(state->put[i]));
            r.setHeader(QNetworkRequest::ContentTypeHeader,
                        QStringLiteral("application/octet-stream"));
            for (const auto& [name, value] : state->headers[i])
                if (name == "Authorization" || name == "Cookie" || name == "Expires")
                    r.setRawHeader(name, value);
            QNetworkReply* reply = m_http->put(r, files[i].data);
            replies.append(reply);
            connect(reply, &QNetworkReply::finished, this, [state, reply] {
                const int status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                reply->deleteLater();
                if (reply->error() != QNetworkReply::NoError || status / 100 != 2)
                    state->Done(QStringLiteral("upload refused (%1)").arg(status));
                else
                    state->Done();
            });
        }
        if (state->open > 0)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        for (const auto& r : replies)
            if (r && r->isRunning())
                r->abort();
    }
    state->loop = nullptr;
    if (!IsLoggedOn())
        return Fail(CServiceError(CServiceError::NotLoggedOn));
    if (state->open > 0 && state->error.isEmpty())
        state->error = QStringLiteral("no answer in time");
    if (!state->error.isEmpty())
        return Fail(
            CServiceError(CServiceError::NoService,
                          QStringLiteral("%1: %2").arg(m_location.uploadJid, state->error)));
    *urls = state->get;
    return true;
}

void CXmppService::FetchFiles(const SvcMessage& message, Svc::DestList myList,
                              const QStringList& urls) {
    if (m_fetches.contains(message.messageId))
        return; // already on its way
    // Only from the server this client talks to: a peer must not make it fetch from anywhere.
    qint64 total = 0;
    for (int i = 0; i < urls.size(); ++i) {
        const QUrl url(urls[i]);
        if (!url.isValid() ||
            (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https")) ||
            url.host().compare(m_location.host, Qt::CaseInsensitive) != 0) {
            qCWarning(lcXmpp) << "Message" << message.messageId
                              << "refused: a download address not on the server:" << urls[i];
            return;
        }
        total += message.attachments[i].size;
    }
    if (Svc::CheckAttachments(message.attachments, Svc::kMaxAttachmentBytes).IsError() ||
        total > Svc::kMaxAttachmentBytes) {
        qCWarning(lcXmpp) << "Message" << message.messageId << "refused: files too large";
        return;
    }
    if (!m_http)
        m_http = new QNetworkAccessManager(this);
    // Kept until fetched: a failure, a log-off or a crash before then loses nothing.
    m_store.AddUnfetched(message, myList, urls);
    auto fetch = std::make_shared<Fetch>();
    fetch->message = message;
    fetch->list = myList;
    fetch->urls = urls;
    fetch->data.resize(urls.size());
    fetch->open = int(urls.size());
    m_fetches.insert(message.messageId, fetch);
    const QString id = message.messageId;
    auto finish = [this, fetch, id] {
        if (--fetch->open > 0)
            return;
        if (m_fetches.value(id) != fetch)
            return; // the session ended meanwhile
        m_fetches.remove(id);
        if (fetch->failed) {
            // All or nothing: nothing is kept; the message comes again after a pause.
            qCWarning(lcXmpp) << "Files of message" << id << "not fetched; trying again in"
                              << kRetryMs / 1000 << "s";
            QTimer::singleShot(kRetryMs, this, [this, fetch] {
                if (IsLoggedOn() && !m_store.HasIncoming(fetch->message.messageId))
                    FetchFiles(fetch->message, fetch->list, fetch->urls);
            });
            return;
        }
        SvcMessage m = fetch->message;
        for (int i = 0; i < m.attachments.size(); ++i) {
            m.attachments[i].data = fetch->data[i];
            m.attachments[i].size = fetch->data[i].size();
        }
        if (!m_store.AddIncoming(m, fetch->list) && !m_store.HasIncoming(id)) {
            qCWarning(lcXmpp) << "Received message not kept:" << m_store.LastError().EnglishText();
            return;
        }
        m_store.RemoveUnfetched(id);
        m_announced.insert(id);
        if (const auto stored = LoadForUser(id))
            emit MessageArrived(*stored);
    };
    for (int i = 0; i < urls.size(); ++i) {
        const qint64 announced = message.attachments[i].size;
        QNetworkReply* reply = m_http->get(Request(QUrl(urls[i])));
        fetch->replies.append(reply);
        // Never more than announced: a larger file is cut off and refused.
        connect(reply, &QNetworkReply::readyRead, this, [fetch, reply, i, announced] {
            fetch->data[i] += reply->readAll();
            if (fetch->data[i].size() > announced) {
                fetch->failed = true;
                reply->abort();
            }
        });
        connect(reply, &QNetworkReply::finished, this, [fetch, reply, i, announced, finish] {
            fetch->data[i] += reply->readAll();
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (reply->error() != QNetworkReply::NoError || status != 200 ||
                fetch->data[i].size() != announced)
                fetch->failed = true;
            reply->deleteLater();
            finish();
        });
    }
}

void CXmppService::StopTransfers() {
    const auto fetches = std::exchange(m_fetches, {});
    for (const auto& f : fetches)
        for (const auto& r : f->replies)
            if (r)
                r->abort();
}

void CXmppService::ResumeFetches() {
    for (const CXmppStore::Unfetched& u : m_store.AllUnfetched()) {
        if (m_store.HasIncoming(u.message.messageId))
            m_store.RemoveUnfetched(u.message.messageId);
        else
            FetchFiles(u.message, u.myList, u.urls);
    }
}
