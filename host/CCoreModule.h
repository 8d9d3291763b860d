// One loaded core module: its library, its info record and its bound callbacks.
#pragma once

#include "host/CDynamicLibrary.h"
#include "host/CoreApi.h"

#include <QList>
#include <QString>
#include <functional>

class CCoreModule {
public:
    // Looks an export up by its exact name (the library's own lookup, or a stand-in in tests).
    using Resolver = std::function<void*(const char* name)>;

    CCoreModule() = default;
    CCoreModule(const CCoreModule&) = delete;
    CCoreModule& operator=(const CCoreModule&) = delete;

    // Binds what m_info.nType requires: the twelve settings callbacks for type 2,
    // CORECBK_OnSendToCom for type 3, and the callbacks every module needs. Sets and returns
    // m_bComplete. CORECBK_OnCoreZpmInfo is bound by the loader before the type is known.
    bool BindCallbacks(const Resolver& resolve);

    // Names of every callback a module of `type` must export besides CORECBK_OnCoreZpmInfo.
    static QList<const char*> RequiredCallbacks(int32_t type);

    QString m_strPath;
    CDynamicLibrary m_library;
    tagMODULEINFO m_info{};
    bool m_bComplete = false;

    CORECBK_OnCoreZpmInfo_t m_pfnOnCoreZpmInfo = nullptr;
    CORECBK_OnEnumModules_t m_pfnOnEnumModules = nullptr;
    CORECBK_OnPreTranslateMessage_t m_pfnOnPreTranslateMessage = nullptr;
    CORECBK_OnInit_t m_pfnOnInit = nullptr;
    CORECBK_OnStart_t m_pfnOnStart = nullptr;
    CORECBK_OnBegin_t m_pfnOnBegin = nullptr;
    CORECBK_OnKill_t m_pfnOnKill = nullptr;
    CORECBK_OnRecvMsg_t m_pfnOnRecvMsg = nullptr;
    CORECBK_OnRecvMessage_t m_pfnOnRecvMessage = nullptr;
    CORECBK_OnSendToCom_t m_pfnOnSendToCom = nullptr;

    CORECBK_OnGetRegPath_t m_pfnOnGetRegPath = nullptr;
    CORECBK_OnReadRegBinary_t m_pfnOnReadRegBinary = nullptr;
    CORECBK_OnReadRegInt_t m_pfnOnReadRegInt = nullptr;
    CORECBK_OnReadRegString_t m_pfnOnReadRegString = nullptr;
    CORECBK_OnWriteRegBinary_t m_pfnOnWriteRegBinary = nullptr;
    CORECBK_OnWriteRegInt_t m_pfnOnWriteRegInt = nullptr;
    CORECBK_OnWriteRegString_t m_pfnOnWriteRegString = nullptr;
    CORECBK_OnReadFile_t m_pfnOnReadFile = nullptr;
    CORECBK_OnWriteFile_t m_pfnOnWriteFile = nullptr;
    CORECBK_OnGetAppDataInt_t m_pfnOnGetAppDataInt = nullptr;
    CORECBK_OnGetAppDataBool_t m_pfnOnGetAppDataBool = nullptr;
    CORECBK_OnGetAppDataString_t m_pfnOnGetAppDataString = nullptr;
};
