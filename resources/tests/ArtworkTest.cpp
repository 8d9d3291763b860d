// The images, the status icon strip and the ring tones as the plug-ins receive them.
#include "resources/tests/ResourceModule.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Expected {
    CResourceLoader::ImageKind kind;
    uint32_t id;
    int tileWidth, tileHeight, tiles;
    COLORREF mask;
};

constexpr COLORREF kMask = 0x000A0904;

// Every image number that the plug-ins load, with the tile sizes their image lists use.
const Expected kImages[] = {
    {CResourceLoader::Bitmap, 101, 8, 8, 2, kMask},
    {CResourceLoader::Bitmap, 102, 11, 11, 3, 0x000000FF},
    {CResourceLoader::Bitmap, 103, 16, 16, 3, kMask},
    {CResourceLoader::Bitmap, 104, 32, 32, 5, kMask},
    {CResourceLoader::Bitmap, 105, 16, 16, 3, kMask},
    {CResourceLoader::Bitmap, 106, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 107, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 108, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 109, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 110, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 111, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 113, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 114, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 115, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 116, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 260, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 303, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 306, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 311, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 338, 16, 16, 3, kMask},
    {CResourceLoader::Bitmap, 604, 24, 24, 1, kMask},
    {CResourceLoader::Bitmap, 810, 16, 16, 2, kMask},
    {CResourceLoader::Bitmap, 811, 32, 16, 32, kMask},
    {CResourceLoader::Bitmap, 812, 16, 16, 7, kMask},
    {CResourceLoader::Bitmap, 819, 24, 24, 7, kMask},
};

// Tiles that are blank on purpose ("no mark", "no expander").
bool blankByDesign(uint32_t id, int tile) {
    return (id == 102 || id == 103) && tile == 0;
}

// Bounding box of the visible pixels.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 64)
                box |= QRect(x, y, 1, 1);
    return box;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Artwork, EveryNumberedBitmapHasItsTilesAtBothScales) {
    void* module = resourceModule();
    ASSERT_NE(module, nullptr);
    for (const Expected& e : kImages) {
        SCOPED_TRACE(e.id);
        CResourceLoader::ImageInfo info;
        ASSERT_TRUE(CResourceLoader::GetImageInfo(module, e.kind, e.id, info));
        EXPECT_EQ(info.tileSize, QSize(e.tileWidth, e.tileHeight));
        EXPECT_EQ(info.tileCount, e.tiles);
        EXPECT_TRUE(info.hasMaskColor);
        EXPECT_EQ(info.maskColor, e.mask);
        const QImage one = CResourceLoader::LoadImage(module, e.kind, e.id, 1);
        const QImage two = CResourceLoader::LoadImage(module, e.kind, e.id, 2);
        ASSERT_EQ(one.size(), QSize(e.tileWidth * e.tiles, e.tileHeight));
        ASSERT_EQ(two.size(), one.size() * 2);
        const QList<QImage> small = CResourceLoader::CutTiles(one, info.tileSize);
        const QList<QImage> large = CResourceLoader::CutTiles(two, info.tileSize * 2);
        ASSERT_EQ(small.size(), e.tiles);
        for (int t = 0; t < e.tiles; ++t) {
            const QRect a = inkBox(small[t]), b = inkBox(large[t]);
            if (blankByDesign(e.id, t)) {
                EXPECT_TRUE(a.isNull() && b.isNull()) << "tile " << t << " should be blank";
                continue;
            }
            ASSERT_FALSE(a.isNull()) << "tile " << t << " is empty at 100 %";
            ASSERT_FALSE(b.isNull()) << "tile " << t << " is empty at 200 %";
            // The same drawing at both scales: the 200 % outline halved lies on the 100 % one.
            EXPECT_LE(std::abs(b.left() / 2 - a.left()), 1) << "tile " << t;
            EXPECT_LE(std::abs(b.top() / 2 - a.top()), 1) << "tile " << t;
            EXPECT_LE(std::abs((b.right() + 1) / 2 - (a.right() + 1)), 1) << "tile " << t;
            EXPECT_LE(std::abs((b.bottom() + 1) / 2 - (a.bottom() + 1)), 1) << "tile " << t;
        }
    }
}

TEST(Artwork, MessageMarksDifferForEveryFlagCombination) {
    // The 32 marks of the message list encode four independent facts; two equal images
    // would hide one of them.
    const QList<QImage> marks = CResourceLoader::CutTiles(
        CResourceLoader::LoadImage(resourceModule(), CResourceLoader::Bitmap, 811, 1), {32, 16});
    ASSERT_EQ(marks.size(), 32);
    for (int i = 0; i < 32; ++i)
        for (int j = i + 1; j < 32; ++j)
            EXPECT_NE(marks[i], marks[j]) << i << " and " << j;
}

TEST(Artwork, IconsComeInEverySizeAWindowAsksFor) {
    void* module = resourceModule();
    for (uint32_t id : {102u, 233u, 714u, 880u}) {
        SCOPED_TRACE(id);
        const QIcon icon = CResourceLoader::LoadIcon(module, id);
        ASSERT_FALSE(icon.isNull());
        for (int px : {16, 24, 32, 48}) {
            const QImage image = CResourceLoader::LoadIconImage(module, id, px);
            ASSERT_EQ(image.size(), QSize(px, px));
            const QRect box = inkBox(image);
            // Fills its square well: nothing tiny, nothing cut at the edges.
            EXPECT_GE(box.width(), px * 3 / 5);
            EXPECT_GE(box.height(), px * 3 / 5);
        }
        EXPECT_FALSE(icon.pixmap(QSize(16, 16)).isNull());
    }
}

TEST(Artwork, NoDropCursorHasItsHotSpotOnThePointerTip) {
    void* module = resourceModule();
    CResourceLoader::ImageInfo info;
    ASSERT_TRUE(CResourceLoader::GetImageInfo(module, CResourceLoader::Cursor, 820, info));
    const QImage image = CResourceLoader::LoadImage(module, CResourceLoader::Cursor, 820, 1);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_GT(qAlpha(image.pixel(info.hotSpot)), 128) << "the hot spot lies on the drawing";
    EXPECT_EQ(CResourceLoader::LoadCursor(module, 820).shape(), Qt::BitmapCursor);
}

TEST(Artwork, StatusStripIsCutByColumnAndRowWithTheMaskColour) {
    QImage strip(outDir() + "/plugin/im/status.bmp");
    ASSERT_FALSE(strip.isNull());
    ASSERT_EQ(strip.width() % 16, 0);
    ASSERT_EQ(strip.height() % 16, 0);
    ASSERT_GE(strip.height() / 16, 4); // keys 1-1 on line, 1-3 absent, 1-4 off line
    const QImage clear = CResourceLoader::MaskToAlpha(strip, kMask);
    EXPECT_EQ(qAlpha(clear.pixel(0, 0)), 0) << "the corners are mask colour";
    const QList<QImage> tiles = CResourceLoader::CutTiles(clear, {16, 16}, true);
    ASSERT_EQ(tiles.size(), (strip.width() / 16) * (strip.height() / 16));
    for (int i = 0; i < tiles.size(); ++i)
        EXPECT_FALSE(inkBox(tiles[i]).isNull())
            << "key " << i / (strip.height() / 16) + 1 << "-" << i % (strip.height() / 16) + 1;
    // On line, busy, absent and off line are told apart by colour alone at a glance.
    QSet<QRgb> centres;
    for (int row = 0; row < 4; ++row)
        centres << (tiles[row].pixel(3, 8) & 0xFFFFFF);
    EXPECT_EQ(centres.size(), 4);
    const QImage large(outDir() + "/plugin/im/status@2x.bmp");
    EXPECT_EQ(large.size(), strip.size() * 2);
}

TEST(Artwork, RingTonesArePlayableShortPcmFiles) {
    for (auto sound : {CResourceLoader::MessageArrival, CResourceLoader::ChatArrival,
                       CResourceLoader::ChatSpeak}) {
        const QString path = CResourceLoader::SoundPath(outDir(), sound);
        SCOPED_TRACE(path.toStdString());
        const QByteArray wav = readAll(path);
        ASSERT_GE(wav.size(), 44);
        EXPECT_EQ(wav.left(4), "RIFF");
        EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
        EXPECT_EQ(u16(20), 1);  // PCM
        EXPECT_EQ(u16(22), 1);  // mono
        EXPECT_EQ(u16(34), 16); // bits
        const quint32 rate = u32(24);
        const quint32 data = u32(40);
        ASSERT_EQ(wav.mid(36, 4), "data");
        ASSERT_EQ(qsizetype(data), wav.size() - 44);
        const double seconds = data / 2.0 / rate;
        EXPECT_GE(seconds, 0.1);
        EXPECT_LE(seconds, 2.0);
        int peak = 0;
        for (qsizetype i = 44; i + 1 < wav.size(); i += 2)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(wav.constData() + i))));
        EXPECT_GT(peak, 6000) << "audible";
        EXPECT_LT(peak, 32000) << "not clipped";
        const int last = qFromLittleEndian<qint16>(wav.constData() + wav.size() - 2);
        EXPECT_LT(std::abs(last), 300) << "ends without a click";
    }
}

TEST(Artwork, ReviewSheetsExistAtBothScales) {
    const QString dir = sheetDir() + "/";
    const QImage one(dir + "resource-images-1x.png"), two(dir + "resource-images-2x.png");
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(two.size(), one.size() * 2);
}
