#include "kernova/CChatDesk.h"

#include "kernova/MessageConvert.h"

#include <algorithm>

namespace {
const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}
} // namespace

void CChatDesk::SetService(CMessagingService* service) {
    m_service = service;
    m_lastSeq.clear();
}

int32_t CChatDesk::Create(int maxOpenChats) {
    const int chat = m_service ? m_service->CreateChat(maxOpenChats) : 0;
    if (chat <= 0) {
        m_plugins.Broadcast(&CImPlugin::OnChatCreate, kNoChat, int32_t(0));
        return 0;
    }
    m_lastSeq.insert(chat, 0);
    m_plugins.Broadcast(&CImPlugin::OnChatCreate, int32_t(chat), int32_t(1));
    return chat;
}

bool CChatDesk::Invite(int32_t chat, const QString& memberId, const QString& text, int maxMembers) {
    return m_service && m_service->InviteToChat(chat, memberId, text, maxMembers);
}

bool CChatDesk::Join(int32_t chat) {
    if (!m_service || !m_service->JoinChat(chat))
        return false;
    m_lastSeq.insert(chat, 0);
    return true;
}

bool CChatDesk::Decline(int32_t chat, bool refused) {
    return m_service && m_service->DeclineChat(chat, refused);
}

bool CChatDesk::Talk(int32_t chat, const QString& html) {
    return m_service && m_service->TalkInChat(chat, html);
}

bool CChatDesk::Close(int32_t chat) {
    // Forgotten first: the events that leaving brings belong to nobody's window.
    m_lastSeq.remove(chat);
    return m_service && m_service->LeaveChat(chat);
}

bool CChatDesk::Update(int32_t chat) {
    const auto it = m_lastSeq.constFind(chat);
    if (!m_service || it == m_lastSeq.constEnd())
        return false;
    const QList<SvcChatEvent> events = m_service->GetChatEvents(chat, *it);
    if (!events.isEmpty())
        m_lastSeq.insert(chat, events.last().seq);
    // Recorded before the calls: a plug-in that asks again from inside one gets nothing twice.
    Deliver(chat, events, &CImPlugin::OnChatUpdate);
    return true;
}

bool CChatDesk::ReplayLog(int32_t chat) {
    if (!m_service)
        return false;
    Deliver(chat, m_service->GetChatEvents(chat, 0), &CImPlugin::OnChatAllLog);
    return true;
}

void CChatDesk::OnInvited(int chat, const QString& inviterId, const QString& text) {
    const auto& plugins = m_plugins.Plugins();
    const bool answered = std::any_of(plugins.begin(), plugins.end(),
                                      [](const auto& plugin) { return plugin->OnChatInvite; });
    if (!answered) {
        // Nobody here could ever accept it; the inviter hears so at once instead of waiting.
        if (m_service)
            m_service->DeclineChat(chat, false);
        return;
    }
    m_plugins.Broadcast(&CImPlugin::OnChatInvite, int32_t(chat), Utf16(inviterId), Utf16(text));
}

void CChatDesk::Deliver(int32_t chat, const QList<SvcChatEvent>& events, Callback callback) const {
    for (const SvcChatEvent& e : events) {
        tagCHATEVENT event{};
        event.nType = e.type;
        event.pszMemberID = Utf16(e.memberId);
        event.pszText = Utf16(e.text);
        event.stTime = MessageConvert::ToSystemTime(e.time);
        m_plugins.Broadcast(callback, chat, static_cast<const tagCHATEVENT*>(&event));
    }
}
