#include "plugin/im/avalin/CAvalinSettings.h"

#include <QVarLengthArray>

namespace {
constexpr int32_t kScope = 1;
constexpr int32_t kModule = ObrixModule::Presence;
} // namespace

int CAvalinSettings::ReadInt(const CObrixTable& obrix, const char16_t* section, const char16_t* key,
                             int fallback) {
    return obrix.ReadRegInt ? obrix.ReadRegInt(kScope, kModule, section, key, fallback) : fallback;
}

QString CAvalinSettings::ReadString(const CObrixTable& obrix, const char16_t* section,
                                    const char16_t* key, const QString& fallback) {
    if (!obrix.ReadRegString)
        return fallback;
    QVarLengthArray<char16_t, 512> buffer(512);
    const int32_t n =
        obrix.ReadRegString(kScope, kModule, section, key, buffer.data(), int32_t(buffer.size()),
                            reinterpret_cast<const char16_t*>(fallback.utf16()));
    if (n <= 0)
        return fallback;
    buffer[buffer.size() - 1] = 0;
    return QString::fromUtf16(buffer.data());
}

void CAvalinSettings::WriteInt(const CObrixTable& obrix, const char16_t* section,
                               const char16_t* key, int value) {
    if (obrix.WriteRegInt)
        obrix.WriteRegInt(kScope, kModule, section, key, value);
}

void CAvalinSettings::WriteString(const CObrixTable& obrix, const char16_t* section,
                                  const char16_t* key, const QString& value) {
    if (obrix.WriteRegString)
        obrix.WriteRegString(kScope, kModule, section, key,
                             reinterpret_cast<const char16_t*>(value.utf16()));
}

namespace {
int CountOrDefault(int value) {
    return value >= 1 && value <= 50 ? value : 10;
}
} // namespace

CAvalinSettings CAvalinSettings::Read(const CObrixTable& obrix, bool chatPresent,
                                      const QString& absentDefault) {
    CAvalinSettings s;
    s.confirmLogoff = ReadInt(obrix, u"General", u"Logoff", 1) != 0;
    s.preCheckUrl = ReadInt(obrix, u"PresencePage", u"PreCheckURL", 0) != 0;
    const int column = ReadInt(obrix, u"PresencePage", u"MemColSize", 100);
    s.memberColumn = column >= 50 && column <= 5000 ? column : 100;
    const int click = ReadInt(obrix, u"PresencePage", u"DBClick", DoubleClickAsk);
    s.doubleClick = click >= DoubleClickMessage && click <= DoubleClickAsk ? click : DoubleClickAsk;
    if (!chatPresent)
        s.doubleClick = DoubleClickMessage;
    s.newCount = CountOrDefault(ReadInt(obrix, u"NewPage", u"DspCnt", 10));
    s.newKeepRead = ReadInt(obrix, u"NewPage", u"DspUnRead", 1) != 0;
    s.sendCount = CountOrDefault(ReadInt(obrix, u"SendPage", u"DspCnt", 10));
    s.changeStatus = ReadInt(obrix, u"PresencePage", u"ChangeStatus", 1) != 0;
    // Kept as stored: a time outside 1 .. 120 turns the timer off.
    s.idleMinutes = ReadInt(obrix, u"PresencePage", u"Time", 10);
    s.absentIcon = ReadString(obrix, u"PresencePage", u"Icon", QStringLiteral("1-3"));
    s.absentStatus = ReadString(obrix, u"PresencePage", u"Status", absentDefault);
    s.reservation = ReadInt(obrix, u"PresencePage", u"Reservation", 1);
    s.returnOnNet = ReadInt(obrix, u"PresencePage", u"ReturnOnNet", 0) != 0;
    return s;
}

void CAvalinSettings::Write(const CObrixTable& obrix, int group) const {
    switch (group) {
    case 0:
        WriteInt(obrix, u"General", u"Logoff", confirmLogoff ? 1 : 0);
        break;
    case 1:
        WriteInt(obrix, u"PresencePage", u"ChangeStatus", changeStatus ? 1 : 0);
        WriteInt(obrix, u"PresencePage", u"Time", idleMinutes);
        WriteString(obrix, u"PresencePage", u"Icon", absentIcon);
        WriteString(obrix, u"PresencePage", u"Status", absentStatus);
        WriteInt(obrix, u"PresencePage", u"Reservation", reservation);
        WriteInt(obrix, u"PresencePage", u"ReturnOnNet", returnOnNet ? 1 : 0);
        WriteInt(obrix, u"PresencePage", u"PreCheckURL", preCheckUrl ? 1 : 0);
        WriteInt(obrix, u"PresencePage", u"MemColSize", memberColumn);
        WriteInt(obrix, u"PresencePage", u"DBClick", doubleClick);
        break;
    case 2:
        WriteInt(obrix, u"NewPage", u"DspCnt", newCount);
        WriteInt(obrix, u"NewPage", u"DspUnRead", newKeepRead ? 1 : 0);
        break;
    case 3:
        WriteInt(obrix, u"SendPage", u"DspCnt", sendCount);
        break;
    default:
        break;
    }
}
