#include "plugin/im/pingel/CPingelSettings.h"

#include <QtGlobal>

namespace {

constexpr int kFaceChars = 256;
const char16_t* const kDefaultFace = u"MS UI Gothic";

// The plain numbers of the table, one place for reading and writing.
struct IntEntry {
    const char16_t* section;
    const char16_t* key;
    int32_t CPingelSettings::*value;
};
const IntEntry kInts[] = {
    {u"PINGEL", u"Visible", &CPingelSettings::visible},
    {u"Line", u"Size", &CPingelSettings::lineSize},
    {u"Width", u"Enable", &CPingelSettings::widthEnable},
    {u"Width", u"Size", &CPingelSettings::widthSize},
    {u"Close", u"Enable", &CPingelSettings::closeEnable},
    {u"Close", u"Time", &CPingelSettings::closeTime},
    {u"PINGEL", u"Alpha", &CPingelSettings::alpha},
    {u"PINGEL", u"Border", &CPingelSettings::border},
};

const char16_t* utf16(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.utf16());
}

} // namespace

CPingelSettings::CPingelSettings() {
    const COLORREF colors[LineKindCount] = {0x000000FF, 0x00FF0000, 0x0000FF00, 0x00000000};
    for (int k = 0; k < LineKindCount; ++k)
        lines[size_t(k)] = {1, colors[k], QString::fromUtf16(kDefaultFace), 9};
}

const char16_t* CPingelSettings::Section(LineKind kind) {
    switch (kind) {
    case OnNet:
        return u"OnNet";
    case OffNet:
        return u"OffNet";
    case Status:
        return u"Status";
    default:
        return u"Message";
    }
}

void CPingelSettings::Read(const CObrixTable& core) {
    const int32_t module = ObrixModule::Notify;
    if (core.ReadRegInt) {
        for (const IntEntry& e : kInts)
            this->*e.value = core.ReadRegInt(kScope, module, e.section, e.key, this->*e.value);
        background =
            COLORREF(core.ReadRegInt(kScope, module, u"BackGround", u"Color", int32_t(background)));
    }
    for (int k = 0; k < LineKindCount; ++k) {
        PingelLineStyle& style = lines[size_t(k)];
        const char16_t* section = Section(LineKind(k));
        if (core.ReadRegInt) {
            style.visible = core.ReadRegInt(kScope, module, section, u"Visible", style.visible);
            style.color =
                COLORREF(core.ReadRegInt(kScope, module, section, u"Color", int32_t(style.color)));
            style.fontSize = core.ReadRegInt(kScope, module, section, u"FontSize", style.fontSize);
        }
        if (core.ReadRegString) {
            char16_t face[kFaceChars] = {};
            const QString fallback = style.fontName;
            if (core.ReadRegString(kScope, module, section, u"FontName", face, kFaceChars,
                                   utf16(fallback))) {
                face[kFaceChars - 1] = 0; // a core that fills the buffer to the end
                style.fontName = QString::fromUtf16(face);
            }
        }
    }
}

bool CPingelSettings::Write(const CObrixTable& core) const {
    if (!core.WriteRegInt || !core.WriteRegString)
        return false;
    const int32_t module = ObrixModule::Notify;
    bool ok = true;
    for (const IntEntry& e : kInts)
        ok = core.WriteRegInt(kScope, module, e.section, e.key, this->*e.value) && ok;
    ok = core.WriteRegInt(kScope, module, u"BackGround", u"Color", int32_t(background)) && ok;
    for (int k = 0; k < LineKindCount; ++k) {
        const PingelLineStyle& style = lines[size_t(k)];
        const char16_t* section = Section(LineKind(k));
        ok = core.WriteRegInt(kScope, module, section, u"Visible", style.visible) && ok;
        ok = core.WriteRegInt(kScope, module, section, u"Color", int32_t(style.color)) && ok;
        ok = core.WriteRegString(kScope, module, section, u"FontName", utf16(style.fontName)) && ok;
        ok = core.WriteRegInt(kScope, module, section, u"FontSize", style.fontSize) && ok;
    }
    return ok;
}

CPingelSettings CPingelSettings::Usable() const {
    CPingelSettings s = *this;
    s.lineSize = qBound(kMinLines, lineSize, kMaxLines);
    s.widthSize = qMax(1, widthSize);
    s.closeTime = qBound(kMinCloseTime, closeTime, kMaxCloseTime);
    s.alpha = qBound(kMinAlpha, alpha, kMaxAlpha);
    for (PingelLineStyle& style : s.lines)
        style.fontSize = qBound(1, style.fontSize, 1638); // twips of the size stay in 16 bits
    return s;
}
