// The application object of an IM plug-in: one static instance per plug-in, created when the
// library is loaded. The frame exports every IMCBK_ callback and forwards each to the handler
// of the same name here; a plug-in overrides the handlers it needs, the others do nothing.
// Arguments are as in imframe/ImCallbacks.h. The application object owns the plug-in's
// windows and destroys them in OnKill.
//
//   class CPingelApp : public CIMPluginApp {
//   public:
//       CPingelApp() : CIMPluginApp(ImModules::Notify) {}
//       void OnLogoff(int32_t flag) override;
//   };
//   static CPingelApp theApp;
#pragma once

#include "imframe/ImCallbacks.h"
#include "imframe/ImModules.h"
#include "obrix/ObrixApi.h"

#include <cstdint>

class CIMPluginApp {
public:
    // Registers the object with the plug-in's frame, which binds the core's functions.
    explicit CIMPluginApp(const ImModuleDescriptor& descriptor);
    CIMPluginApp(const CIMPluginApp&) = delete;
    CIMPluginApp& operator=(const CIMPluginApp&) = delete;
    virtual ~CIMPluginApp();

    const ImModuleDescriptor& Descriptor() const { return m_descriptor; }
    // The core's functions as this plug-in bound them; entries are null without the core.
    const CObrixTable& Obrix() const;

    // Identification and life cycle. OnIMZpmInfo fills the record from the descriptor; the
    // frame takes the object library reference before OnInit and gives it back after OnKill.
    virtual void OnIMZpmInfo(tagMODULEINFO* info);
    virtual void OnInit() {}
    virtual void OnStart() {}
    virtual void OnKill() {}
    // Non-zero when the plug-in consumed the event.
    virtual int32_t OnPreTranslateMessage(MSG*) { return 0; }

    // Control and options.
    virtual void OnBegin(int32_t /*kind*/, intptr_t /*data*/) {}
    virtual void OnOption() {}
    virtual void OnBeginOption() {}
    virtual void OnKillOption() {}

    // Log-on; act only when the flag is non-zero.
    virtual void OnLogon(int32_t /*flag*/) {}
    virtual void OnLogoff(int32_t /*flag*/) {}
    virtual void OnEndAuthorize() {}

    // Messages.
    virtual int32_t OnRecvMessage(const char16_t* /*messageId*/) { return 0; }
    virtual intptr_t OnSendMessage(const char16_t* /*messageId*/) { return 0; }
    virtual void OnRemoveMessage(int32_t /*box*/, const char16_t* /*messageId*/) {}
    virtual void OnChangeMessageFlags(int32_t /*box*/, const char16_t* /*messageId*/,
                                      uint32_t /*flags*/) {}
    virtual void OnRecvNotify(int32_t /*kind*/, const char16_t* /*messageId*/,
                              const char16_t* /*memberId*/) {}

    // Presence and the directory.
    virtual void OnChangeMemPresence(const char16_t* /*groupId*/, const char16_t* /*memberId*/,
                                     const char16_t* /*previousStatus*/) {}
    virtual void OnAddGrp(const char16_t* /*groupId*/, const char16_t* /*parentId*/,
                          const char16_t* /*name*/) {}
    virtual void OnAddGrpMember(const char16_t* /*groupId*/, const char16_t* /*memberId*/,
                                const char16_t* /*name*/) {}
    virtual int32_t OnRemoveGrp(const char16_t* /*groupId*/) { return 0; }
    virtual void OnRemoveGrpMember(const char16_t* /*groupId*/, const char16_t* /*memberId*/) {}
    virtual void OnChangeGrpName(const char16_t* /*groupId*/) {}
    virtual void OnChangeGrpPresence(const char16_t* /*groupId*/) {}
    virtual void OnChangeAlias(const char16_t* /*memberId*/) {}
    virtual void OnChangeBirth(const char16_t* /*memberId*/) {}
    virtual void OnChangeEmail(const char16_t* /*memberId*/) {}
    virtual void OnChangeFamilyName(const char16_t* /*memberId*/) {}
    virtual void OnChangeFirstName(const char16_t* /*memberId*/) {}
    virtual void OnChangeMemo(const char16_t* /*memberId*/) {}
    virtual void OnChangeSex(const char16_t* /*memberId*/) {}
    virtual void OnChangeTelephone(const char16_t* /*memberId*/) {}
    virtual void OnChangeMiddleName(const char16_t* /*memberId*/, int32_t /*nameSet*/) {}
    virtual void OnChangeMemRole(const char16_t* /*groupId*/, const char16_t* /*memberId*/) {}

    virtual void OnBltDMenu() {}
    virtual void OnBltSMenu() {}

private:
    ImModuleDescriptor m_descriptor;
};
