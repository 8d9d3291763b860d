// The presence plug-in's settings that the IM window and the member tree read at log-on,
// kept through the core's registry calls under module 1.
#pragma once

#include "obrix/ObrixApi.h"

#include <QString>

struct CAvalinSettings {
    enum DoubleClick { DoubleClickMessage = 0, DoubleClickChat = 1, DoubleClickAsk = 2 };

    bool confirmLogoff = true; // "General" "Logoff"
    bool preCheckUrl = false;  // "PresencePage" "PreCheckURL"
    int memberColumn = 100;    // "PresencePage" "MemColSize", 50 .. 5000
    int doubleClick = DoubleClickAsk;

    // Values out of range fall back to their defaults; without the chat module a
    // double-click always starts a message.
    static CAvalinSettings Read(const CObrixTable& obrix, bool chatPresent);

    static int ReadInt(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                       int fallback);
    static QString ReadString(const CObrixTable& obrix, const char16_t* section,
                              const char16_t* key, const QString& fallback);
    static void WriteInt(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                         int value);
    static void WriteString(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                            const QString& value);
};
