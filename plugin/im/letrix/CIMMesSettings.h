// The message options, kept by the messaging core under the message module's number in the
// section "DefaultSetting": read at log-on, when a compose window builds its font bar and when
// the option dialog opens; written by the dialog.
#pragma once

#include "obrix/ObrixApi.h"
#include "obrix/ZeltaPlatform.h"
#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QString>
#include <cstdint>

class CIMMesSettings {
public:
    // Where arrival notices appear.
    enum NoticePosition {
        Center = 0,
        RightTop = 1,
        LeftTopDown = 2,
        LeftTopRight = 3,
        LeftBottom = 4
    };
    // Which ring tone announces a message.
    enum RingTone { BuiltIn = 0, File = 1, NoTone = 2 };

    // Reads every value in table order; a missing core function or value leaves the default.
    void Read(const CObrixTable& core);
    // Writes all nine values; false when the core lacks a function or refused a value.
    bool Write(const CObrixTable& core) const;

    // The font new messages start with.
    CRichCharFormat OptionFont() const;

    bool operator==(const CIMMesSettings&) const = default;

    int32_t noticePosition = RightTop;                   // "NoticePosition"
    int32_t checkItem1 = 0;                              // "CheckItem1": confirm after sending
    int32_t checkItem2 = 0;                              // "CheckItem2": keep answered fonts
    QString fontName = QString::fromUtf16(kDefaultFace); // "FontName"
    QString fontSize = QStringLiteral("12");             // "FontSize", points as decimal text
    COLORREF foreColor = 0;                              // "ForeColor"
    COLORREF backColor = 0xFFFFFF;                       // "BackColor"
    int32_t ringToneSetType = BuiltIn;                   // "RingToneSetType"
    QString ringToneFilePath;                            // "RingToneFilePath"

    static constexpr const char16_t* kSection = u"DefaultSetting";
    static constexpr const char16_t* kDefaultFace = u"ＭＳ Ｐゴシック";
    static constexpr int32_t kScope = 1;
    static constexpr int kTextChars = 260;
    // The sizes offered by the font lists.
    static constexpr int kFontSizes[] = {8, 10, 12, 14, 18, 24, 36};
};
