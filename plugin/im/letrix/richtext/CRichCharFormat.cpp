#include "plugin/im/letrix/richtext/CRichCharFormat.h"

#include <QBrush>
#include <QStringList>

COLORREF ColorRefFromQColor(const QColor& color) {
    return ZRGB(uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue()));
}

QColor QColorFromColorRef(COLORREF color) {
    return QColor(ZGetRValue(color), ZGetGValue(color), ZGetBValue(color));
}

QTextCharFormat CRichCharFormat::ToQt() const {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{face});
    format.setFontPointSize(heightTwips / 20.0);
    format.setForeground(QColorFromColorRef(textColor));
    if (backColor)
        format.setBackground(QColorFromColorRef(*backColor));
    return format;
}

CRichCharFormat CRichCharFormat::FromQt(const QTextCharFormat& format,
                                        const CRichCharFormat& fallback) {
    CRichCharFormat out = fallback;
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.front().isEmpty())
        out.face = families.front();
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        out.heightTwips = qRound(format.fontPointSize() * 20);
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        out.textColor = ColorRefFromQColor(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        out.backColor = ColorRefFromQColor(format.background().color());
    return out;
}

CRichCharFormat CRichCharFormat::FromFont(const QFont& font) {
    CRichCharFormat out;
    out.face = font.family();
    if (font.pointSizeF() > 0)
        out.heightTwips = qRound(font.pointSizeF() * 20);
    return out;
}

int CRichCharFormat::HtmlSizeFromPoints(int points) {
    if (points >= 1 && points <= 8)
        return 1;
    if (points == 10)
        return 2;
    if (points == 12)
        return 3;
    if (points == 14)
        return 4;
    if (points >= 16 && points <= 18)
        return 5;
    if (points >= 20 && points <= 24)
        return 6;
    if (points >= 26 && points <= 72)
        return 7;
    return 3;
}

int CRichCharFormat::PointsFromHtmlSize(int size) {
    static constexpr int kPoints[] = {8, 10, 12, 14, 18, 24, 36};
    return size >= 1 && size <= 7 ? kPoints[size - 1] : 12;
}
