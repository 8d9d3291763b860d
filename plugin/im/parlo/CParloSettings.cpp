#include "plugin/im/parlo/CParloSettings.h"

#include "obrix/ObrixApi.h"

namespace {

struct IntEntry {
    const char16_t* key;
    int32_t CParloSettings::*value;
};
const IntEntry kInts[] = {
    {u"MessagePosition", &CParloSettings::messagePosition},
    {u"MemberListPosition", &CParloSettings::memberListPosition},
    {u"ForeColor", &CParloSettings::foreColor},
    {u"Timeout", &CParloSettings::timeout},
    {u"ChatEntryTimeout", &CParloSettings::chatEntryTimeout},
    {u"EntrySetType", &CParloSettings::entrySetType},
    {u"MessageSetType", &CParloSettings::messageSetType},
    {u"LogSave", &CParloSettings::logSave},
};

struct TextEntry {
    const char16_t* key;
    QString CParloSettings::*value;
};
const TextEntry kTexts[] = {
    {u"FontName", &CParloSettings::fontName},
    {u"FontSize", &CParloSettings::fontSize},
    {u"EntryRingTone", &CParloSettings::entryRingTone},
    {u"MessageRingTone", &CParloSettings::messageRingTone},
    {u"LogSavePath", &CParloSettings::logSavePath},
};

const char16_t* Utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

} // namespace

void CParloSettings::Read(const CObrixTable& core) {
    const int32_t module = ObrixModule::Chat;
    if (core.ReadRegInt)
        for (const IntEntry& e : kInts)
            this->*e.value = core.ReadRegInt(kScope, module, kSection, e.key, this->*e.value);
    if (core.ReadRegString)
        for (const TextEntry& e : kTexts) {
            char16_t buffer[kTextChars] = {};
            const QString fallback = this->*e.value;
            if (core.ReadRegString(kScope, module, kSection, e.key, buffer, kTextChars,
                                   Utf16(fallback))) {
                buffer[kTextChars - 1] = 0; // a core that fills the buffer to its end
                this->*e.value = QString::fromUtf16(buffer);
            }
        }
}

void CParloSettings::Write(const CObrixTable& core) const {
    const int32_t module = ObrixModule::Chat;
    if (core.WriteRegInt)
        for (const IntEntry& e : kInts)
            core.WriteRegInt(kScope, module, kSection, e.key, this->*e.value);
    if (core.WriteRegString)
        for (const TextEntry& e : kTexts)
            core.WriteRegString(kScope, module, kSection, e.key, Utf16(this->*e.value));
}

int CParloSettings::FontPoints() const {
    bool ok = false;
    const int points = fontSize.trimmed().toInt(&ok);
    return ok && points > 0 ? points : 12;
}

void CParloLimits::Read(const CObrixTable& core) {
    if (!core.GetAppDataInt)
        return;
    maxCreateWnd = core.GetAppDataInt(u"PARLO", u"MAXCREATEWND", maxCreateWnd, 0);
    maxMembers = core.GetAppDataInt(u"PARLO", u"MAXMEMBERS", maxMembers, 0);
    chatReload = core.GetAppDataInt(u"GENERAL", u"CHAT_RELOAD", chatReload, 0);
    // A period of 0 or less would poll without pause.
    if (chatReload <= 0)
        chatReload = 5000;
}
