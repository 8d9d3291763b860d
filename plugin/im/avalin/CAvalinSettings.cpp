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

CAvalinSettings CAvalinSettings::Read(const CObrixTable& obrix, bool chatPresent) {
    CAvalinSettings s;
    s.confirmLogoff = ReadInt(obrix, u"General", u"Logoff", 1) != 0;
    s.preCheckUrl = ReadInt(obrix, u"PresencePage", u"PreCheckURL", 0) != 0;
    const int column = ReadInt(obrix, u"PresencePage", u"MemColSize", 100);
    s.memberColumn = column >= 50 && column <= 5000 ? column : 100;
    const int click = ReadInt(obrix, u"PresencePage", u"DBClick", DoubleClickAsk);
    s.doubleClick = click >= DoubleClickMessage && click <= DoubleClickAsk ? click : DoubleClickAsk;
    if (!chatPresent)
        s.doubleClick = DoubleClickMessage;
    return s;
}
