#include "imframe/CIMPluginApp.h"

#include "imframe/CImFrame.h"
#include "imframe/ImExport.h"

// The exports are defined in this unit, next to the constructor: every plug-in constructs
// an application object, so linking the frame's static library always brings them along.

CIMPluginApp::CIMPluginApp(const ImModuleDescriptor& descriptor) : m_descriptor(descriptor) {
    CImFrame::Instance().SetApp(this);
}

CIMPluginApp::~CIMPluginApp() {
    CImFrame& frame = CImFrame::Instance();
    if (frame.App() == this)
        frame.SetApp(nullptr);
}

const CObrixTable& CIMPluginApp::Obrix() const {
    return CImFrame::Instance().Obrix();
}

void CIMPluginApp::OnIMZpmInfo(tagMODULEINFO* info) {
    CImFrame::FillModuleInfo(info, m_descriptor);
}

ZELTA_C_EXPORT void IMCBK_OnIMZpmInfo(tagMODULEINFO* info) {
    CImFrame::Instance().Dispatch<void>("IMCBK_OnIMZpmInfo", [&](CIMPluginApp& app) {
        if (info)
            app.OnIMZpmInfo(info);
    });
}

ZELTA_C_EXPORT void IMCBK_OnInit() {
    CImFrame& frame = CImFrame::Instance();
    frame.Dispatch<void>("IMCBK_OnInit", [&](CIMPluginApp& app) {
        frame.Init();
        app.OnInit();
    });
}

ZELTA_C_EXPORT void IMCBK_OnKill() {
    CImFrame& frame = CImFrame::Instance();
    frame.Dispatch<void>("IMCBK_OnKill", [](CIMPluginApp& app) { app.OnKill(); });
    // Given back even when the plug-in's own clean-up failed.
    frame.Kill();
}

IMFRAME_EXPORT(CIMPluginApp, void, OnStart, (), ())
IMFRAME_EXPORT(CIMPluginApp, int32_t, OnPreTranslateMessage, (MSG * msg), (msg))
IMFRAME_EXPORT(CIMPluginApp, void, OnBegin, (int32_t kind, intptr_t data), (kind, data))
IMFRAME_EXPORT(CIMPluginApp, void, OnOption, (), ())
IMFRAME_EXPORT(CIMPluginApp, void, OnBeginOption, (), ())
IMFRAME_EXPORT(CIMPluginApp, void, OnKillOption, (), ())
IMFRAME_EXPORT(CIMPluginApp, void, OnLogon, (int32_t flag), (flag))
IMFRAME_EXPORT(CIMPluginApp, void, OnLogoff, (int32_t flag), (flag))
IMFRAME_EXPORT(CIMPluginApp, void, OnEndAuthorize, (), ())
IMFRAME_EXPORT(CIMPluginApp, int32_t, OnRecvMessage, (const char16_t* messageId), (messageId))
IMFRAME_EXPORT(CIMPluginApp, intptr_t, OnSendMessage, (const char16_t* messageId), (messageId))
IMFRAME_EXPORT(CIMPluginApp, void, OnRemoveMessage, (int32_t box, const char16_t* messageId),
               (box, messageId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeMessageFlags,
               (int32_t box, const char16_t* messageId, uint32_t flags), (box, messageId, flags))
IMFRAME_EXPORT(CIMPluginApp, void, OnRecvNotify,
               (int32_t kind, const char16_t* messageId, const char16_t* memberId),
               (kind, messageId, memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeMemPresence,
               (const char16_t* groupId, const char16_t* memberId, const char16_t* previousStatus),
               (groupId, memberId, previousStatus))
IMFRAME_EXPORT(CIMPluginApp, void, OnAddGrp,
               (const char16_t* groupId, const char16_t* parentId, const char16_t* name),
               (groupId, parentId, name))
IMFRAME_EXPORT(CIMPluginApp, void, OnAddGrpMember,
               (const char16_t* groupId, const char16_t* memberId, const char16_t* name),
               (groupId, memberId, name))
IMFRAME_EXPORT(CIMPluginApp, int32_t, OnRemoveGrp, (const char16_t* groupId), (groupId))
IMFRAME_EXPORT(CIMPluginApp, void, OnRemoveGrpMember,
               (const char16_t* groupId, const char16_t* memberId), (groupId, memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeGrpName, (const char16_t* groupId), (groupId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeGrpPresence, (const char16_t* groupId), (groupId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeAlias, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeBirth, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeEmail, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeFamilyName, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeFirstName, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeMemo, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeSex, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeTelephone, (const char16_t* memberId), (memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeMiddleName, (const char16_t* memberId, int32_t nameSet),
               (memberId, nameSet))
IMFRAME_EXPORT(CIMPluginApp, void, OnChangeMemRole,
               (const char16_t* groupId, const char16_t* memberId), (groupId, memberId))
IMFRAME_EXPORT(CIMPluginApp, void, OnBltDMenu, (), ())
IMFRAME_EXPORT(CIMPluginApp, void, OnBltSMenu, (), ())

IMCBK_FUNCTION_LIST(IMFRAME_CHECK_SIGNATURE)
