#include "obrix/CResourceLoader.h"

#include "resources/ZeltaRes.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <dlfcn.h>

namespace {

// Binds one export of the module by name. A foreign handle simply lacks the names.
template <class F> F bind(void* module, const char* name) {
    return module ? reinterpret_cast<F>(dlsym(module, name)) : nullptr;
}

using FindStringFn = const char16_t* (*)(uint32_t, int32_t*);
using EnumFn = int32_t (*)(uint32_t*, int32_t);
using EnumImagesFn = int32_t (*)(uint32_t, uint32_t*, int32_t);
using ImageInfoFn = int32_t (*)(uint32_t, uint32_t, ZeltaResImageInfo*);
using FindImageFn = const uint8_t* (*)(uint32_t, uint32_t, int32_t, int32_t*);
using FindIconFn = const uint8_t* (*)(uint32_t, int32_t, int32_t*);
using IconSizesFn = int32_t (*)(uint32_t, int32_t*, int32_t);
using VersionFn = int32_t (*)();

QImage decode(const uint8_t* bytes, int32_t size) {
    if (!bytes || size <= 0)
        return QImage();
    QImage image = QImage::fromData(bytes, size, "PNG");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

int scaleFor(qreal devicePixelRatio) {
    if (devicePixelRatio <= 0)
        devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return devicePixelRatio > 1.0 ? 2 : 1;
}

} // namespace

QString CResourceLoader::ModulePath(const QString& appDir) {
    return QDir(appDir).filePath(QStringLiteral("res/ZeltaRes.so"));
}

void* CResourceLoader::OpenModule(const QString& path) {
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return nullptr;
    const auto version = bind<VersionFn>(module, "ZeltaRes_ApiVersion");
    if (!version || version() != ZELTARES_API_VERSION) {
        dlclose(module);
        return nullptr;
    }
    return module;
}

void CResourceLoader::CloseModule(void* handle) {
    if (handle)
        dlclose(handle);
}

QString CResourceLoader::LoadString(void* module, uint32_t id) {
    const auto find = bind<FindStringFn>(module, "ZeltaRes_FindString");
    int32_t length = 0;
    const char16_t* text = find ? find(id, &length) : nullptr;
    return text && length > 0 ? QString::fromUtf16(text, length) : QString();
}

bool CResourceLoader::HasString(void* module, uint32_t id) {
    const auto find = bind<FindStringFn>(module, "ZeltaRes_FindString");
    return find && find(id, nullptr);
}

QList<uint32_t> CResourceLoader::StringIds(void* module) {
    const auto list = bind<EnumFn>(module, "ZeltaRes_EnumStrings");
    QList<uint32_t> ids;
    if (!list)
        return ids;
    ids.resize(std::max(0, list(nullptr, 0)));
    ids.resize(std::min<qsizetype>(ids.size(), list(ids.data(), int32_t(ids.size()))));
    return ids;
}

QString CResourceLoader::Format(void* module, uint32_t id, std::initializer_list<CFormatArg> args) {
    return FormatText(LoadString(module, id), args);
}

QString CResourceLoader::FormatText(QStringView format, std::initializer_list<CFormatArg> args) {
    return FormatText(format, QList<CFormatArg>(args));
}

QString CResourceLoader::FormatText(QStringView format, const QList<CFormatArg>& args) {
    QString out;
    out.reserve(format.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        const QChar n = i + 1 < format.size() ? format[i + 1] : QChar();
        if (c != u'%' || (n != u's' && n != u'd' && n != u'%')) {
            out += c;
            continue;
        }
        ++i;
        if (n == u'%') {
            out += u'%';
            continue;
        }
        if (next < args.size())
            out += args[next].Text();
        ++next;
    }
    return out;
}

QString CResourceLoader::Placeholders(QStringView format) {
    QString kinds;
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != u'%')
            continue;
        const QChar n = format[i + 1];
        if (n == u's' || n == u'd')
            kinds += n;
        if (n == u's' || n == u'd' || n == u'%')
            ++i;
    }
    return kinds;
}

bool CResourceLoader::GetImageInfo(void* module, ImageKind kind, uint32_t id, ImageInfo& info) {
    const auto get = bind<ImageInfoFn>(module, "ZeltaRes_GetImageInfo");
    ZeltaResImageInfo raw{};
    if (!get || !get(kind, id, &raw))
        return false;
    info.size = QSize(raw.width, raw.height);
    info.tileSize = QSize(raw.tileWidth, raw.tileHeight);
    info.tileCount = raw.tileCount;
    info.hotSpot = QPoint(raw.hotSpotX, raw.hotSpotY);
    info.hasMaskColor = raw.maskColor != ZELTARES_NO_MASK;
    info.maskColor = info.hasMaskColor ? raw.maskColor : 0;
    return true;
}

QList<uint32_t> CResourceLoader::ImageIds(void* module, ImageKind kind) {
    const auto list = bind<EnumImagesFn>(module, "ZeltaRes_EnumImages");
    QList<uint32_t> ids;
    if (!list)
        return ids;
    ids.resize(std::max(0, list(kind, nullptr, 0)));
    ids.resize(std::min<qsizetype>(ids.size(), list(kind, ids.data(), int32_t(ids.size()))));
    return ids;
}

QImage CResourceLoader::LoadImage(void* module, ImageKind kind, uint32_t id, int scale) {
    const auto find = bind<FindImageFn>(module, "ZeltaRes_FindImage");
    int32_t size = 0;
    const uint8_t* bytes = find ? find(kind, id, scale, &size) : nullptr;
    return decode(bytes, size);
}

QPixmap CResourceLoader::LoadBitmap(void* module, uint32_t id, qreal devicePixelRatio) {
    int scale = scaleFor(devicePixelRatio);
    QImage image = LoadImage(module, Bitmap, id, scale);
    if (image.isNull() && scale != 1) {
        scale = 1;
        image = LoadImage(module, Bitmap, id, scale);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

QList<QPixmap> CResourceLoader::LoadBitmapTiles(void* module, uint32_t id, qreal devicePixelRatio) {
    ImageInfo info;
    QList<QPixmap> tiles;
    if (!GetImageInfo(module, Bitmap, id, info))
        return tiles;
    const int scale = scaleFor(devicePixelRatio);
    const QImage image = LoadImage(module, Bitmap, id, scale);
    for (const QImage& tile : CutTiles(image, info.tileSize * scale)) {
        QPixmap pixmap = QPixmap::fromImage(tile);
        pixmap.setDevicePixelRatio(scale);
        tiles << pixmap;
    }
    return tiles;
}

QImage CResourceLoader::LoadIconImage(void* module, uint32_t id, int pixels) {
    const auto find = bind<FindIconFn>(module, "ZeltaRes_FindIcon");
    int32_t size = 0;
    const uint8_t* bytes = find ? find(id, pixels, &size) : nullptr;
    return decode(bytes, size);
}

QIcon CResourceLoader::LoadIcon(void* module, uint32_t id) {
    const auto sizes = bind<IconSizesFn>(module, "ZeltaRes_GetIconSizes");
    QIcon icon;
    if (!sizes)
        return icon;
    int32_t list[32] = {};
    const int32_t count = std::min(sizes(id, list, 32), 32);
    for (int32_t i = 0; i < count; ++i) {
        const QImage image = LoadIconImage(module, id, list[i]);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QCursor CResourceLoader::LoadCursor(void* module, uint32_t id, qreal devicePixelRatio) {
    ImageInfo info;
    if (!GetImageInfo(module, Cursor, id, info))
        return QCursor();
    const int scale = scaleFor(devicePixelRatio);
    const QImage image = LoadImage(module, Cursor, id, scale);
    if (image.isNull())
        return QCursor();
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return QCursor(pixmap, info.hotSpot.x(), info.hotSpot.y());
}

QList<QImage> CResourceLoader::CutTiles(const QImage& image, QSize tile, bool columnFirst) {
    QList<QImage> tiles;
    if (image.isNull() || tile.width() <= 0 || tile.height() <= 0)
        return tiles;
    const int cols = image.width() / tile.width(), rows = image.height() / tile.height();
    const int outer = columnFirst ? cols : rows, inner = columnFirst ? rows : cols;
    for (int a = 0; a < outer; ++a)
        for (int b = 0; b < inner; ++b) {
            const int col = columnFirst ? a : b, row = columnFirst ? b : a;
            tiles << image.copy(col * tile.width(), row * tile.height(), tile.width(),
                                tile.height());
        }
    return tiles;
}

QImage CResourceLoader::MaskToAlpha(const QImage& image, COLORREF maskColor) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(ZGetRValue(maskColor), ZGetGValue(maskColor), ZGetBValue(maskColor));
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == (mask & 0x00FFFFFF) && qAlpha(line[x]) == 255)
                line[x] = 0;
    }
    return out;
}

QString CResourceLoader::SoundFileName(Sound sound) {
    switch (sound) {
    case ChatArrival:
        return QStringLiteral("ChatArrival.wav");
    case ChatSpeak:
        return QStringLiteral("ChatSpeak.wav");
    case MessageArrival:
        break;
    }
    return QStringLiteral("MessageArrival.wav");
}

QString CResourceLoader::SoundPath(const QString& appDir, Sound sound) {
    return QDir(appDir).filePath(QStringLiteral("plugin/im/") + SoundFileName(sound));
}
