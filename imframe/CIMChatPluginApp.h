// The application object of the chat plug-in: a plug-in whose application object is of this
// class also exports the chat callbacks (and only such a plug-in does).
#pragma once

#include "imframe/CIMPluginApp.h"

class CIMChatPluginApp : public CIMPluginApp {
public:
    explicit CIMChatPluginApp(const ImModuleDescriptor& descriptor);
    ~CIMChatPluginApp() override;

    virtual void OnChatCreate(int32_t /*chat*/, int32_t /*result*/) {}
    virtual void OnChatUpdate(int32_t /*chat*/, const tagCHATEVENT* /*event*/) {}
    virtual void OnChatAllLog(int32_t /*chat*/, const tagCHATEVENT* /*event*/) {}
    virtual void OnChatInvite(int32_t /*chat*/, const char16_t* /*inviterId*/,
                              const char16_t* /*text*/) {}
};
