// Texts, images, icons, cursors and sounds of the core's resource module, by number. The
// messaging core opens the module (res/ZeltaRes.so below the program directory) and hands
// its handle out through OBRIX_GetIMResHandle; the plug-ins pass that handle here and never
// hard-code a user-visible text. A null or foreign handle yields empty results, never a crash.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <initializer_list>

// One value for a numbered format: text for "%s", a number for "%d". A value is inserted
// as it stands; a "%" inside it is never read as a placeholder.
class OBRIX_API CFormatArg {
public:
    CFormatArg(const QString& text) : m_text(text) {}
    CFormatArg(const char16_t* text) : m_text(QString::fromUtf16(text)) {}
    CFormatArg(int value) : m_number(value), m_isNumber(true) {}
    CFormatArg(unsigned value) : m_number(value), m_isNumber(true) {}
    CFormatArg(long value) : m_number(value), m_isNumber(true) {}
    CFormatArg(long long value) : m_number(value), m_isNumber(true) {}

    bool IsNumber() const { return m_isNumber; }
    qint64 Number() const { return m_number; }
    // The value as it is inserted: the text, or the number in decimal.
    QString Text() const { return m_isNumber ? QString::number(m_number) : m_text; }

private:
    QString m_text;
    qint64 m_number = 0;
    bool m_isNumber = false;
};

class OBRIX_API CResourceLoader {
public:
    // Image kinds; numbers are per kind (bitmap 102 and icon 102 differ).
    enum ImageKind : uint32_t { Cursor = 1, Bitmap = 2, Icon = 3 };
    // The ring tones kept as files in plugin/im/ of the program directory.
    enum Sound { MessageArrival, ChatArrival, ChatSpeak };

    struct ImageInfo {
        QSize size;     // at 100 %
        QSize tileSize; // strips are cut into tiles of this size, left to right
        int tileCount = 0;
        QPoint hotSpot; // cursors
        COLORREF maskColor = 0;
        bool hasMaskColor = false;
    };

    // The module below a program directory, and opening and closing it. OpenModule returns
    // null for a file that is missing or not a resource module of this interface.
    static QString ModulePath(const QString& appDir);
    static void* OpenModule(const QString& path);
    static void CloseModule(void* handle);

    // Texts. A missing number gives an empty text.
    static QString LoadString(void* module, uint32_t id);
    static bool HasString(void* module, uint32_t id);
    static QList<uint32_t> StringIds(void* module);

    // A numbered text used as a format. "%s" takes the next value as text, "%d" the next
    // value as a number, "%%" is a percent sign; values are inserted verbatim, missing values
    // as empty text and surplus values are ignored.
    static QString Format(void* module, uint32_t id, std::initializer_list<CFormatArg> args);
    static QString FormatText(QStringView format, std::initializer_list<CFormatArg> args);
    static QString FormatText(QStringView format, const QList<CFormatArg>& args);
    // The placeholders of a format in order, one letter each ("ssd" for "%s %s %d").
    static QString Placeholders(QStringView format);

    // Images.
    static bool GetImageInfo(void* module, ImageKind kind, uint32_t id, ImageInfo& info);
    static QList<uint32_t> ImageIds(void* module, ImageKind kind);
    // A bitmap or cursor at scale 1 (100 %) or 2 (200 %), with alpha; null when missing.
    static QImage LoadImage(void* module, ImageKind kind, uint32_t id, int scale = 1);
    // A bitmap for the screen: the 200 % drawing when the device pixel ratio (0: the
    // application's) is above 1, with that ratio set.
    static QPixmap LoadBitmap(void* module, uint32_t id, qreal devicePixelRatio = 0);
    // A bitmap strip cut into its tiles, for image lists.
    static QList<QPixmap> LoadBitmapTiles(void* module, uint32_t id, qreal devicePixelRatio = 0);
    // An icon with every size the module draws.
    static QIcon LoadIcon(void* module, uint32_t id);
    static QImage LoadIconImage(void* module, uint32_t id, int pixels);
    static QCursor LoadCursor(void* module, uint32_t id, qreal devicePixelRatio = 0);

    // Cuts an image into tiles: row by row, or column by column (the status icon strip).
    // Tiles that would reach past the image are left out.
    static QList<QImage> CutTiles(const QImage& image, QSize tile, bool columnFirst = false);
    // Makes every pixel of the mask colour transparent (image lists drawn from files with a
    // mask colour, such as "status.bmp").
    static QImage MaskToAlpha(const QImage& image, COLORREF maskColor);

    // Ring tones: the file name, and its path below a program directory.
    static QString SoundFileName(Sound sound);
    static QString SoundPath(const QString& appDir, Sound sound);
};
