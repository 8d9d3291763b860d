#include "kernova/CMessageDesk.h"

#include "host/CoreApi.h"
#include "kernova/MessageConvert.h"
#include "kernova/PrivateFiles.h"
#include "kernova/service/AttachmentNames.h"
#include "obrix/ObrixApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}
} // namespace

CMessageDesk::CMessageDesk(const CImPluginSet& plugins, Logger log)
    : m_plugins(plugins), m_log(std::move(log)) {}

CMessageDesk::~CMessageDesk() = default;

void CMessageDesk::SetService(CMessagingService* service) {
    m_service = service;
    if (m_service)
        m_service->SetAttachmentLimit(m_attachmentLimit);
    FlushReads();
}

void CMessageDesk::SetAttachmentLimit(qint64 bytes) {
    m_attachmentLimit = qMax<qint64>(0, bytes);
    if (m_service)
        m_service->SetAttachmentLimit(m_attachmentLimit);
}

QString CMessageDesk::AttachmentPath(const QString& messageId, const QString& safeName) const {
    return m_files.Directory() + QStringLiteral("files/") + CMessageFiles::FileStem(messageId) +
           safeName;
}

bool CMessageDesk::WriteAttachments(
    const QString& messageId, const QStringList& safeNames,
    const std::function<std::optional<QByteArray>(int)>& data) const {
    const QString dir = QFileInfo(AttachmentPath(messageId, {})).absolutePath();
    QStringList written;
    bool ok = PrivateFiles::MakeDir(dir);
    for (int i = 0; ok && i < safeNames.size(); ++i) {
        const QString path = AttachmentPath(messageId, safeNames[i]);
        // Safe names hold no separator; a file outside the directory is refused all the same.
        if (QFileInfo(path).absolutePath() != dir) {
            ok = false;
            break;
        }
        const std::optional<QByteArray> bytes = data(i);
        QSaveFile file(path);
        ok = bytes && file.open(QIODevice::WriteOnly) && PrivateFiles::Restrict(file) &&
             file.write(*bytes) == bytes->size() && file.commit();
        if (ok)
            written.append(path);
        else
            Log(ZeltaLogLevel::Error,
                QStringLiteral("Attached file %1 not stored: %2")
                    .arg(path, bytes ? file.errorString() : QStringLiteral("no data")));
    }
    if (!ok)
        for (const QString& path : written)
            QFile::remove(path);
    return ok;
}

void CMessageDesk::OnMessageArrived(const SvcMessage& message) {
    if (message.messageId.isEmpty()) {
        // Nothing could ever find it again; taken off the service so that it does not return
        // at every log-on.
        Log(ZeltaLogLevel::Error,
            QStringLiteral("Message without an id from %1 dropped").arg(message.fromId.left(200)));
        if (m_service)
            m_service->MarkReceived({message.messageId});
        return;
    }
    // A message delivered again after a restart keeps what the user did with it.
    if (!m_files.Exists(ObrixBox::Received, message.messageId)) {
        QStringList names;
        for (const SvcAttachment& a : message.attachments)
            names.append(a.name);
        // The body names the files as the receiver stores them; a name is never trusted, nor
        // an element beyond the files that came.
        const QStringList safeNames = Svc::SafeAttachmentNames(names);
        if (!message.attachments.isEmpty()) {
            CMessagingService* service = m_service;
            const QString id = message.messageId;
            if (!service || !WriteAttachments(id, safeNames, [&](int i) {
                    return service->GetAttachmentData(id, i);
                })) {
                Log(ZeltaLogLevel::Error,
                    QStringLiteral("Received message %1 left pending: its files were not stored")
                        .arg(id));
                if (m_onStoreFailure)
                    m_onStoreFailure();
                return;
            }
        }
        auto letrix = MessageConvert::ToLetrix(message);
        letrix->SetMessage(Svc::RewriteReceivedBody(message.body, safeNames));
        QString error;
        if (!m_files.Save(ObrixBox::Received, *letrix, &error)) {
            // Left pending at the service: it comes again at the next log-on.
            Log(ZeltaLogLevel::Error, QStringLiteral("Received message not stored: ") + error);
            if (m_onStoreFailure)
                m_onStoreFailure();
            return;
        }
    }
    if (m_service && !m_service->MarkReceived({message.messageId}))
        Log(ZeltaLogLevel::Warning,
            QStringLiteral("MarkReceived failed: ") + m_service->LastError().EnglishText());
    m_plugins.Broadcast(&CImPlugin::OnRecvMessage, Utf16(message.messageId));
}

void CMessageDesk::OnReceipt(const SvcReceipt& receipt) {
    const QString& id = receipt.messageId;
    if (receipt.kind == Svc::RECEIPT_RECEIVED || receipt.kind == Svc::RECEIPT_READ) {
        std::unique_ptr<CLetrix> sent = m_files.Load(ObrixBox::Sent, id);
        const std::optional<SvcMessage> current =
            m_service ? m_service->GetMessage(id) : std::nullopt;
        // A message sent from another session of the same member is stored from the service.
        if (!sent && current)
            sent = MessageConvert::ToLetrix(*current);
        if (sent) {
            if (current)
                MessageConvert::TakeDestinationTimes(*sent, *current);
            sent->TestAllReceived();
            sent->TestAllRead();
            QString error;
            if (!m_files.Save(ObrixBox::Sent, *sent, &error))
                Log(ZeltaLogLevel::Error, QStringLiteral("Sent message not updated: ") + error);
        }
        m_plugins.Broadcast(&CImPlugin::OnRecvNotify, int32_t(receipt.kind), Utf16(id),
                            Utf16(receipt.memberId));
        if (sent)
            TellFlags(ObrixBox::Sent, id, sent->GetFlags());
        return;
    }
    m_plugins.Broadcast(&CImPlugin::OnRecvNotify, int32_t(receipt.kind), Utf16(id),
                        Utf16(receipt.memberId));
}

bool CMessageDesk::Send(const CLetrix& message) {
    if (!m_service)
        return false;
    if (!CMessageFiles::IsSafeId(message.GetMessageID())) {
        Log(ZeltaLogLevel::Warning, QStringLiteral("Message with an unusable id not sent"));
        return false;
    }
    SvcMessage out = MessageConvert::ToService(message);
    CLetrix stored(message);
    if (!TakeAttachments(&out, &stored))
        return false;
    QStringList unknown;
    if (!m_service->SendMessage(out, &unknown)) {
        Log(ZeltaLogLevel::Warning,
            QStringLiteral("SendMessage refused: ") + m_service->LastError().EnglishText());
        return false;
    }
    // The sender keeps its copies where its own elements now point.
    if (!out.attachments.isEmpty()) {
        QStringList safe;
        for (const Svc::ObjectElement& e : Svc::FindObjectElements(out.body))
            safe.append(e.text);
        WriteAttachments(message.GetMessageID(), safe.mid(0, out.attachments.size()),
                         [&](int i) { return std::optional(out.attachments[i].data); });
    }
    stored.SetFlags(stored.GetFlags() &
                    ~(LETRIX_FLAG_READ | LETRIX_FLAG_RECEIVED | LETRIX_FLAG_DOGEAR));
    QString error;
    if (!m_files.Save(ObrixBox::Sent, stored, &error))
        Log(ZeltaLogLevel::Error, QStringLiteral("Sent message not stored: ") + error);
    m_plugins.Broadcast(&CImPlugin::OnSendMessage, Utf16(message.GetMessageID()));
    return true;
}

bool CMessageDesk::TakeAttachments(SvcMessage* out, CLetrix* stored) const {
    const QList<Svc::ObjectElement> elements = Svc::FindObjectElements(out->body);
    if (elements.isEmpty())
        return true;
    // Sizes first, so that nothing is read for a message that cannot go.
    qint64 total = 0;
    QStringList names;
    for (const Svc::ObjectElement& e : elements) {
        const QFileInfo info(e.text.trimmed());
        if (!info.isFile()) {
            Log(ZeltaLogLevel::Warning, QStringLiteral("Attached file missing: ") + e.text);
            return false;
        }
        total += info.size();
        if (total > m_attachmentLimit) {
            Log(ZeltaLogLevel::Warning,
                QStringLiteral("Attached files exceed %1 bytes").arg(m_attachmentLimit));
            return false;
        }
        names.append(info.fileName());
    }
    for (const Svc::ObjectElement& e : elements) {
        QFile file(e.text.trimmed());
        const qint64 size = QFileInfo(file).size();
        if (!file.open(QIODevice::ReadOnly)) {
            Log(ZeltaLogLevel::Warning, QStringLiteral("Attached file unreadable: ") + e.text);
            return false;
        }
        // A file that grew since it was measured is taken as measured.
        QByteArray data = file.read(size);
        out->attachments.append({QFileInfo(file).fileName(), data.size(), data});
    }
    out->body = Svc::ReplaceObjectElements(out->body, Svc::SafeAttachmentNames(names));
    stored->SetMessage(out->body);
    return true;
}

QString CMessageDesk::SaveDraft(const CLetrix& message, const QString& userId) {
    CLetrix draft(message);
    if (draft.GetMessageID().isEmpty()) {
        if (draft.GetFromID().isEmpty())
            draft.SetFromID(userId);
        draft.CreateMessageID();
    }
    QString error;
    if (!m_files.Save(ObrixBox::Draft, draft, &error)) {
        Log(ZeltaLogLevel::Error, QStringLiteral("Draft not stored: ") + error);
        return {};
    }
    return draft.GetMessageID();
}

tagLETRIX* CMessageDesk::HandOut(std::unique_ptr<CLetrix> message) {
    tagLETRIX* record = *message;
    m_handedOut[record] = std::move(message);
    return record;
}

tagLETRIX* CMessageDesk::Get(int32_t box, const QString& messageId) {
    QString error;
    auto message = m_files.Load(box, messageId, &error);
    if (!message) {
        // A missing file is an ordinary answer; a damaged one is worth a log line.
        if (m_files.Exists(box, messageId))
            Log(ZeltaLogLevel::Warning, QStringLiteral("Message skipped: ") + error);
        return nullptr;
    }
    return HandOut(std::move(message));
}

tagLETRIX* CMessageDesk::Duplicate(const tagLETRIX* record) {
    if (!record)
        return nullptr;
    return HandOut(std::make_unique<CLetrix>(record));
}

void CMessageDesk::Cleanup(tagLETRIX* record) {
    m_handedOut.erase(record);
}

tagIMMESTIME* CMessageDesk::DuplicateMesTime(const tagIMMESTIME* record) {
    if (!record)
        return nullptr;
    auto copy = std::make_unique<CIMMesTime>();
    *copy = record;
    tagIMMESTIME* out = *copy;
    m_handedOutTimes[out] = std::move(copy);
    return out;
}

void CMessageDesk::CleanupMesTime(tagIMMESTIME* record) {
    m_handedOutTimes.erase(record);
}

bool CMessageDesk::Remove(int32_t box, const QString& messageId) {
    // A read not yet reported stays pending: the sender learns it even when the message is
    // deleted before the next log-on.
    if (!m_files.Remove(box, messageId))
        return false;
    m_plugins.Broadcast(&CImPlugin::OnRemoveMessage, box, Utf16(messageId));
    return true;
}

bool CMessageDesk::SetRead(int32_t box, const QString& messageId) {
    if (box != ObrixBox::Received)
        return false;
    auto message = m_files.Load(box, messageId);
    if (!message)
        return false;
    if (!message->IsUnRead())
        return true;
    message->SetFlags(message->GetFlags() | LETRIX_FLAG_READ);
    if (!m_files.Save(box, *message))
        return false;
    m_unsentReads.insert(messageId);
    FlushReads();
    TellFlags(box, messageId, message->GetFlags());
    return true;
}

bool CMessageDesk::SetFlag(int32_t box, const QString& messageId, uint32_t flag, bool on) {
    auto message = m_files.Load(box, messageId);
    if (!message)
        return false;
    const uint32_t flags = on ? (message->GetFlags() | flag) : (message->GetFlags() & ~flag);
    if (flags == message->GetFlags())
        return true;
    message->SetFlags(flags);
    if (!m_files.Save(box, *message))
        return false;
    TellFlags(box, messageId, flags);
    return true;
}

void CMessageDesk::TellFlags(int32_t box, const QString& messageId, uint32_t flags) const {
    m_plugins.Broadcast(&CImPlugin::OnChangeMessageFlags, box, Utf16(messageId), flags);
}

void CMessageDesk::FlushReads() {
    if (!m_service || !m_service->IsLoggedOn())
        return;
    const QSet<QString> ids = std::exchange(m_unsentReads, {});
    for (const QString& id : ids) {
        if (m_service->MarkRead(id))
            continue;
        const CServiceError::Code code = m_service->LastError().code();
        Log(ZeltaLogLevel::Warning, QStringLiteral("MarkRead %1 failed: %2")
                                        .arg(id, m_service->LastError().EnglishText()));
        // A busy or failing service is asked again at the next read or log-on; only a message
        // the service does not know is given up, as no later call could succeed.
        if (code != CServiceError::UnknownMessage && code != CServiceError::BadId)
            m_unsentReads.insert(id);
    }
}
