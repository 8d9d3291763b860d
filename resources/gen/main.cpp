// Build-time generator of the core's resource module content: draws every numbered image at
// 100 % and 200 %, writes the image manifest and the resource collection file for rcc, puts
// the status icon strip and the ring tones into the program directory, and makes the review
// sheets. Runs on the offscreen platform. With --app-icons it draws only the program's icon for
// the desktop's icon theme.
#include "resources/ZeltaRes.h"
#include "resources/gen/CAppIconTheme.h"
#include "resources/gen/CArtwork.h"
#include "resources/gen/CContactSheet.h"
#include "resources/gen/CImageCatalogue.h"
#include "resources/gen/CWaveSynth.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>

namespace {

QString g_error;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        g_error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

bool saveImage(const QImage& image, const QString& path, const char* format) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || !image.save(&f, format) || !f.commit()) {
        g_error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

QImage renderStrip(const CImageSpec& s, int scale) {
    return CArtwork::render(s.tileWidth * s.tileCount, s.tileHeight, scale, [&](QPainter& p) {
        for (int i = 0; i < s.tileCount; ++i) {
            p.save();
            p.translate(i * s.tileWidth, 0);
            p.setClipRect(QRectF(0, 0, s.tileWidth, s.tileHeight));
            s.draw(p, i, QRectF(0, 0, s.tileWidth, s.tileHeight));
            p.restore();
        }
    });
}

QImage renderIcon(const CImageSpec& s, int pixels) {
    return CArtwork::render(pixels, pixels, 1,
                            [&](QPainter& p) { s.draw(p, 0, QRectF(0, 0, pixels, pixels)); });
}

QList<QImage> cut(const QImage& strip, int tileW, int tileH, int count) {
    QList<QImage> tiles;
    for (int i = 0; i < count; ++i)
        tiles << strip.copy(i * tileW, 0, tileW, tileH);
    return tiles;
}

// The form that image lists with a mask colour expect: opaque pixels, the mask colour where
// the drawing is (nearly) transparent, edge pixels blended over white so that they suit
// the light list backgrounds they are drawn on.
QImage masked(const QImage& argb, uint32_t colorref) {
    const QRgb mask = qRgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(src[x]);
            if (a < 96) {
                dst[x] = mask;
                continue;
            }
            auto over = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
            dst[x] = qRgb(over(qRed(src[x])), over(qGreen(src[x])), over(qBlue(src[x])));
        }
    }
    return out;
}

QImage renderStatusStrip(const CImageSpec& s, int scale) {
    const int cols = CImageCatalogue::statusColumns(), rows = CImageCatalogue::statusRows();
    return CArtwork::render(cols * 16, rows * 16, scale, [&](QPainter& p) {
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                p.save();
                p.translate(c * 16, r * 16);
                p.setClipRect(QRectF(0, 0, 16, 16));
                s.draw(p, c * rows + r, QRectF(0, 0, 16, 16));
                p.restore();
            }
    });
}

QString kindName(uint32_t kind) {
    switch (kind) {
    case ZELTARES_CURSOR:
        return QStringLiteral("cursor");
    case ZELTARES_ICON:
        return QStringLiteral("icon");
    default:
        return QStringLiteral("bitmap");
    }
}

int run(const QString& genDir, const QString& outDir, const QString& sheetDir,
        const QString& stringsPath) {
    for (const QString& d : {genDir + "/img", outDir + "/plugin/im", sheetDir})
        if (!QDir().mkpath(d)) {
            g_error = QStringLiteral("cannot create ") + d;
            return 1;
        }

    QString manifest = QStringLiteral(
        "# kind\tid\twidth\theight\ttile width\ttile height\ttiles\thot x\thot y\tmask\t"
        "scales or icon sizes\trole\n");
    QStringList files;
    QList<CContactSheet::Item> sheet[2];

    for (const CImageSpec& s : CImageCatalogue::all()) {
        const QString title = QStringLiteral("%1 %2").arg(kindName(s.kind)).arg(s.id);
        CContactSheet::Item items[2];
        for (auto& item : items) {
            item.title = title;
            item.role = s.role;
        }
        QString variants;
        int width = s.tileWidth * s.tileCount, height = s.tileHeight;
        if (s.kind == ZELTARES_ICON) {
            for (int px : s.iconSizes) {
                const QString name = QStringLiteral("img/3-%1-%2.png").arg(s.id).arg(px);
                if (!saveImage(renderIcon(s, px), genDir + "/" + name, "PNG"))
                    return 1;
                files << name;
                variants += (variants.isEmpty() ? "" : ",") + QString::number(px);
            }
            for (int px : s.iconSizes)
                if (px <= 48) {
                    for (int k = 0; k < 2; ++k) {
                        const int real = px * (k + 1);
                        if (s.iconSizes.contains(real)) {
                            items[k].tiles << renderIcon(s, real);
                            items[k].labels << QString::number(px);
                        }
                    }
                }
            width = height = s.iconSizes.last();
        } else {
            for (int scale = 1; scale <= 2; ++scale) {
                const QString name =
                    QStringLiteral("img/%1-%2@%3x.png").arg(s.kind).arg(s.id).arg(scale);
                const QImage strip = renderStrip(s, scale);
                if (!saveImage(strip, genDir + "/" + name, "PNG"))
                    return 1;
                files << name;
                items[scale - 1].tiles =
                    cut(strip, s.tileWidth * scale, s.tileHeight * scale, s.tileCount);
                for (int i = 0; i < s.tileCount; ++i)
                    items[scale - 1].labels << QString::number(i);
            }
            variants = QStringLiteral("1,2");
        }
        manifest += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t")
                        .arg(s.kind)
                        .arg(s.id)
                        .arg(width)
                        .arg(height)
                        .arg(s.kind == ZELTARES_ICON ? width : s.tileWidth)
                        .arg(s.kind == ZELTARES_ICON ? height : s.tileHeight)
                        .arg(s.kind == ZELTARES_ICON ? 1 : s.tileCount)
                        .arg(s.hotSpotX)
                        .arg(s.hotSpotY) +
                    QStringLiteral("%1\t%2\t%3\n")
                        .arg(s.maskColor, 8, 16, QChar(u'0'))
                        .arg(variants, s.role);
        sheet[0] << items[0];
        sheet[1] << items[1];
    }
    if (!writeFile(genDir + "/images.tsv", manifest.toUtf8()))
        return 1;

    // Status icon strip on disk, where the presence plug-in looks for it.
    const CImageSpec status = CImageCatalogue::statusStrip();
    const QString statusFiles[2] = {QStringLiteral("status.bmp"), QStringLiteral("status@2x.bmp")};
    for (int k = 0; k < 2; ++k) {
        const QImage strip = renderStatusStrip(status, k + 1);
        if (!saveImage(masked(strip, status.maskColor), outDir + "/plugin/im/" + statusFiles[k],
                       "BMP"))
            return 1;
        CContactSheet::Item item;
        item.title = QStringLiteral("plugin/im/") + statusFiles[k];
        item.role = status.role;
        const int t = 16 * (k + 1);
        for (int c = 0; c < CImageCatalogue::statusColumns(); ++c)
            for (int r = 0; r < CImageCatalogue::statusRows(); ++r) {
                item.tiles << strip.copy(c * t, r * t, t, t);
                item.labels << QStringLiteral("%1-%2").arg(c + 1).arg(r + 1);
            }
        sheet[k] << item;
    }

    if (!writeFile(outDir + "/plugin/im/MessageArrival.wav", CWaveSynth::messageArrival()) ||
        !writeFile(outDir + "/plugin/im/ChatArrival.wav", CWaveSynth::chatArrival()) ||
        !writeFile(outDir + "/plugin/im/ChatSpeak.wav", CWaveSynth::chatSpeak()))
        return 1;

    for (int k = 0; k < 2; ++k) {
        const QImage page = CContactSheet::render(
            QStringLiteral("Zelta resource images at %1 %").arg(100 * (k + 1)), sheet[k], k + 1);
        if (!saveImage(page, sheetDir + QStringLiteral("/resource-images-%1x.png").arg(k + 1),
                       "PNG"))
            return 1;
    }

    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n"
                                 "<qresource prefix=\"/zelta-res\">\n");
    qrc += QStringLiteral("  <file alias=\"strings.tsv\">%1</file>\n")
               .arg(QDir(stringsPath).absolutePath());
    qrc += QStringLiteral("  <file>images.tsv</file>\n");
    for (const QString& f : files)
        qrc += QStringLiteral("  <file>%1</file>\n").arg(f);
    qrc += QStringLiteral("</qresource>\n</RCC>\n");
    if (!writeFile(genDir + "/zeltares.qrc", qrc.toUtf8()))
        return 1;
    return writeFile(genDir + "/stamp", QByteArray("ok\n")) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QString gen, out, sheets, strings, appIcons, iconName;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--app-icons")
            appIcons = args[i + 1];
        else if (args[i] == "--icon-name")
            iconName = args[i + 1];
        else if (args[i] == "--gen")
            gen = args[i + 1];
        else if (args[i] == "--out")
            out = args[i + 1];
        else if (args[i] == "--sheets")
            sheets = args[i + 1];
        else if (args[i] == "--strings")
            strings = args[i + 1];
    }
    if (!appIcons.isEmpty() && !iconName.isEmpty()) {
        if (CAppIconTheme::write(appIcons, iconName, &g_error))
            return 0;
        std::fprintf(stderr, "zelta_resgen: %s\n", qPrintable(g_error));
        return 1;
    }
    if (gen.isEmpty() || out.isEmpty() || sheets.isEmpty() || strings.isEmpty()) {
        std::fprintf(stderr, "usage: zelta_resgen --gen DIR --out DIR --sheets DIR --strings FILE\n"
                             "       zelta_resgen --app-icons DIR --icon-name NAME\n");
        return 2;
    }
    const int rc = run(gen, out, sheets, strings);
    if (rc != 0)
        std::fprintf(stderr, "zelta_resgen: %s\n", qPrintable(g_error));
    return rc;
}
