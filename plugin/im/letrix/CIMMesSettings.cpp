#include "plugin/im/letrix/CIMMesSettings.h"

#include "obrix/RecordText.h"

void CIMMesSettings::Read(const CObrixTable& core) {
    const int32_t module = ObrixModule::Message;
    auto number = [&](const char16_t* key, auto& value) {
        if (core.ReadRegInt)
            value = std::remove_reference_t<decltype(value)>(
                core.ReadRegInt(kScope, module, kSection, key, int32_t(value)));
    };
    auto text = [&](const char16_t* key, QString& value) {
        if (!core.ReadRegString)
            return;
        char16_t buffer[kTextChars] = {};
        const QString fallback = value;
        if (core.ReadRegString(kScope, module, kSection, key, buffer, kTextChars,
                               RecordText::Field(fallback))) {
            buffer[kTextChars - 1] = 0; // a core that fills the buffer to the end
            value = QString::fromUtf16(buffer);
        }
    };
    number(u"NoticePosition", noticePosition);
    number(u"CheckItem1", checkItem1);
    number(u"CheckItem2", checkItem2);
    text(u"FontName", fontName);
    text(u"FontSize", fontSize);
    number(u"ForeColor", foreColor);
    number(u"BackColor", backColor);
    number(u"RingToneSetType", ringToneSetType);
    text(u"RingToneFilePath", ringToneFilePath);
}

bool CIMMesSettings::Write(const CObrixTable& core) const {
    if (!core.WriteRegInt || !core.WriteRegString)
        return false;
    const int32_t module = ObrixModule::Message;
    bool ok = true;
    auto number = [&](const char16_t* key, int32_t value) {
        ok = core.WriteRegInt(kScope, module, kSection, key, value) && ok;
    };
    auto text = [&](const char16_t* key, const QString& value) {
        ok = core.WriteRegString(kScope, module, kSection, key, RecordText::Field(value)) && ok;
    };
    number(u"NoticePosition", noticePosition);
    number(u"CheckItem1", checkItem1);
    number(u"CheckItem2", checkItem2);
    text(u"FontName", fontName);
    text(u"FontSize", fontSize);
    number(u"ForeColor", int32_t(foreColor));
    number(u"BackColor", int32_t(backColor));
    number(u"RingToneSetType", ringToneSetType);
    text(u"RingToneFilePath", ringToneFilePath);
    return ok;
}

CRichCharFormat CIMMesSettings::OptionFont() const {
    CRichCharFormat f;
    f.face = fontName;
    // A size stored by hand that is not a usable number falls back to 12 points.
    const int points = fontSize.trimmed().toInt();
    f.heightTwips = (points > 0 && points <= 1638 ? points : 12) * 20;
    f.textColor = foreColor;
    return f;
}
