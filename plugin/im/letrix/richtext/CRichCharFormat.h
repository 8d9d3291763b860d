// The part of a character format that message bodies and chat talk carry through HTML: face,
// height, text colour and background. Bold, italic and other effects do not travel.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <optional>

struct CRichCharFormat {
    // A face name holds at most this many characters; longer FACE values are cut.
    static constexpr int kMaxFaceChars = 31;

    QString face;
    int heightTwips = 240; // points x 20
    COLORREF textColor = 0;
    std::optional<COLORREF> backColor; // none: the control's own background shows

    bool operator==(const CRichCharFormat&) const = default;

    // The format's points, whole, as the HTML size tables count them.
    int Points() const { return heightTwips / 20; }

    // The Qt form applied to inserted text: family, point size, foreground and, when set,
    // background.
    QTextCharFormat ToQt() const;
    // The values a Qt format sets, the others taken from the fallback (the control's default).
    static CRichCharFormat FromQt(const QTextCharFormat& format, const CRichCharFormat& fallback);
    // A control whose default is this font and black text.
    static CRichCharFormat FromFont(const QFont& font);

    // HTML font size 1..7 for whole points (writers), and points for an HTML size (reader).
    static int HtmlSizeFromPoints(int points);
    static int PointsFromHtmlSize(int size);
};

// Colours between Qt and the 0x00BBGGRR form.
COLORREF ColorRefFromQColor(const QColor& color);
QColor QColorFromColorRef(COLORREF color);
