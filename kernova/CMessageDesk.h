// The messages of the logged-on account: storing what the service delivers, sending, receipts,
// drafts, the flag setters, and the records handed out to the plug-ins. Every change is told
// to the plug-ins through their IMCBK_ callbacks.
#pragma once

#include "kernova/CImPluginSet.h"
#include "kernova/CMessageFiles.h"
#include "kernova/service/CMessagingService.h"

#include <QSet>
#include <functional>
#include <map>
#include <memory>

class CMessageDesk {
public:
    using Logger = std::function<void(int32_t level, const QString& text)>;

    CMessageDesk(const CImPluginSet& plugins, Logger log);
    ~CMessageDesk();

    void SetDirectory(const QString& messageDir) { m_files.SetDirectory(messageDir); }
    const CMessageFiles& Files() const { return m_files; }
    // The service of the session; null while logged off. Reads made off line are passed on
    // once a service is set again.
    void SetService(CMessagingService* service);

    // The most bytes the files of one message may hold together (handed to the service too).
    void SetAttachmentLimit(qint64 bytes);
    qint64 AttachmentLimit() const { return m_attachmentLimit; }
    // Where a received or sent file of a message lies: <message dir>files/<id><safe name>.
    QString AttachmentPath(const QString& messageId, const QString& safeName) const;

    // Called when a received message could not be stored (it stays pending at the service).
    void SetStoreFailureHandler(std::function<void()> handler) {
        m_onStoreFailure = std::move(handler);
    }

    // Service events.
    void OnMessageArrived(const SvcMessage& message);
    void OnReceipt(const SvcReceipt& receipt);

    // Sends the message (sender and id already filled in), stores it as sent and tells the
    // plug-ins. The files its "<OBJECT>" elements name travel with it, the elements rewritten
    // to the names under which the receivers find them. False when a file cannot be read,
    // the files exceed the limit or the service refused it; nothing is stored then.
    bool Send(const CLetrix& message);
    // Stores a draft; an empty id gets a new one. The id, or empty on failure.
    QString SaveDraft(const CLetrix& message, const QString& userId);

    // Records handed out; each stays valid until Cleanup (or the desk goes).
    tagLETRIX* Get(int32_t box, const QString& messageId);
    tagLETRIX* Duplicate(const tagLETRIX* record);
    void Cleanup(tagLETRIX* record);
    tagIMMESTIME* DuplicateMesTime(const tagIMMESTIME* record);
    void CleanupMesTime(tagIMMESTIME* record);

    bool Remove(int32_t box, const QString& messageId);
    // Received messages only: marks read here and at the sender.
    bool SetRead(int32_t box, const QString& messageId);
    bool SetFlag(int32_t box, const QString& messageId, uint32_t flag, bool on);

private:
    // Reads the files the body names into out and rewrites the elements in both bodies.
    bool TakeAttachments(SvcMessage* out, CLetrix* stored) const;
    // Writes the files of a message under their safe names; on failure none stays.
    bool WriteAttachments(const QString& messageId, const QStringList& safeNames,
                          const std::function<std::optional<QByteArray>(int)>& data) const;
    void Log(int32_t level, const QString& text) const { m_log(level, text); }
    tagLETRIX* HandOut(std::unique_ptr<CLetrix> message);
    void TellFlags(int32_t box, const QString& messageId, uint32_t flags) const;
    void FlushReads();

    const CImPluginSet& m_plugins;
    Logger m_log;
    std::function<void()> m_onStoreFailure;
    CMessageFiles m_files;
    CMessagingService* m_service = nullptr;
    qint64 m_attachmentLimit = Svc::kDefaultAttachmentLimit;
    QSet<QString> m_unsentReads;
    std::map<const tagLETRIX*, std::unique_ptr<CLetrix>> m_handedOut;
    std::map<const tagIMMESTIME*, std::unique_ptr<CIMMesTime>> m_handedOutTimes;
};
