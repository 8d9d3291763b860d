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
    int newCount = 10;       // "NewPage" "DspCnt", 1 .. 50
    bool newKeepRead = true; // "NewPage" "DspUnRead": read messages stay listed
    int sendCount = 10;      // "SendPage" "DspCnt", 1 .. 50
    // Absent handling.
    bool changeStatus = true;   // "PresencePage" "ChangeStatus"
    int idleMinutes = 10;       // "PresencePage" "Time"; the timer runs only for 1 .. 120
    QString absentIcon;         // "PresencePage" "Icon"
    QString absentStatus;       // "PresencePage" "Status"
    int reservation = 1;        // "PresencePage" "Reservation": 0 always, 1 from OnNet, 2 green
    bool returnOnNet = false;   // "PresencePage" "ReturnOnNet"

    // Absent handling runs at all.
    bool IdleTimerWanted() const {
        return changeStatus && idleMinutes >= 1 && idleMinutes <= 120;
    }

    // Values out of range fall back to their defaults; without the chat module a
    // double-click always starts a message.
    // absentDefault: the absent status text when none is stored.
    static CAvalinSettings Read(const CObrixTable& obrix, bool chatPresent,
                                const QString& absentDefault = QString());
    // Writes one of the four groups: 0 general, 1 presence, 2 new messages, 3 sent messages.
    void Write(const CObrixTable& obrix, int group) const;

    static int ReadInt(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                       int fallback);
    static QString ReadString(const CObrixTable& obrix, const char16_t* section,
                              const char16_t* key, const QString& fallback);
    static void WriteInt(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                         int value);
    static void WriteString(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                            const QString& value);
};
