#include "imframe/CIMChatPluginApp.h"

#include "imframe/ImExport.h"

// As with the common exports, the chat exports share this unit with the constructor, so only
// a plug-in whose application object is a chat application exports them.

CIMChatPluginApp::CIMChatPluginApp(const ImModuleDescriptor& descriptor)
    : CIMPluginApp(descriptor) {}

CIMChatPluginApp::~CIMChatPluginApp() = default;

IMFRAME_EXPORT(CIMChatPluginApp, void, OnChatCreate, (int32_t chat, int32_t result), (chat, result))
IMFRAME_EXPORT(CIMChatPluginApp, void, OnChatUpdate, (int32_t chat, const tagCHATEVENT* event),
               (chat, event))
IMFRAME_EXPORT(CIMChatPluginApp, void, OnChatAllLog, (int32_t chat, const tagCHATEVENT* event),
               (chat, event))
IMFRAME_EXPORT(CIMChatPluginApp, void, OnChatInvite,
               (int32_t chat, const char16_t* inviterId, const char16_t* text),
               (chat, inviterId, text))

IMCBK_CHAT_FUNCTION_LIST(IMFRAME_CHECK_SIGNATURE)
