// The chats of the logged-on user: requests of the chat plug-in passed to the service, and the
// service's chat events handed to the plug-ins through their IMCBK_OnChat* callbacks (only
// plug-ins that export them hear of chats). For every chat the user created or joined the desk
// remembers the last event delivered, so that each update brings only what is new.
#pragma once

#include "kernova/CImPluginSet.h"
#include "kernova/service/CMessagingService.h"

#include <QHash>

class CChatDesk {
public:
    // Chat number handed to IMCBK_OnChatCreate with result 0: no chat was assigned.
    static constexpr int32_t kNoChat = -1;

    explicit CChatDesk(const CImPluginSet& plugins) : m_plugins(plugins) {}

    // The service of the session; null while logged off (every chat is forgotten then).
    void SetService(CMessagingService* service);

    // Creates a chat and answers with IMCBK_OnChatCreate(chat, 1), or (kNoChat, 0) when the
    // service refuses (room limit, no session). The chat number, or 0.
    int32_t Create(int maxOpenChats);
    bool Invite(int32_t chat, const QString& memberId, const QString& text, int maxMembers);
    // Joining starts the chat's updates at its first event.
    bool Join(int32_t chat);
    bool Decline(int32_t chat, bool refused);
    bool Talk(int32_t chat, const QString& html);
    bool Close(int32_t chat);
    // One IMCBK_OnChatUpdate per event since the last update of the chat; false for a chat the
    // user has not created or joined.
    bool Update(int32_t chat);
    // The whole log through IMCBK_OnChatAllLog; the updates are not affected.
    bool ReplayLog(int32_t chat);

    // Service events.
    void OnInvited(int chat, const QString& inviterId, const QString& text);
    void OnChanged(int chat) { Update(chat); }

private:
    using Callback = IMCBK_OnChatUpdate_t CImPlugin::*;
    void Deliver(int32_t chat, const QList<SvcChatEvent>& events, Callback callback) const;

    const CImPluginSet& m_plugins;
    CMessagingService* m_service = nullptr;
    QHash<int32_t, qint64> m_lastSeq;
};
