// The loaders' own rules: formatting never reads a value as a format, missing things give
// empty results, tiles are cut in the order the image lists expect.
#include "resources/tests/ResourceModule.h"

#include <QColor>
#include <gtest/gtest.h>

TEST(Loader, FormatInsertsValuesVerbatimInOrder) {
    EXPECT_EQ(CResourceLoader::FormatText(u"%s さんが%sになりました", {u"100%s", u"%d"}),
              QStringLiteral("100%s さんが%dになりました"));
    EXPECT_EQ(CResourceLoader::FormatText(u"未読 %d 件／全 %d 件", {3, 12}),
              QStringLiteral("未読 3 件／全 12 件"));
    EXPECT_EQ(CResourceLoader::FormatText(u"%s", {-7}), QStringLiteral("-7"));
    EXPECT_EQ(CResourceLoader::FormatText(u"100%% %x %", {u"a"}), QStringLiteral("100% %x %"));
}

TEST(Loader, FormatToleratesMissingAndSurplusValues) {
    EXPECT_EQ(CResourceLoader::FormatText(u"[%s] [%s]", {u"a"}), QStringLiteral("[a] []"));
    EXPECT_EQ(CResourceLoader::FormatText(u"[%s]", {u"a", u"b", 3}), QStringLiteral("[a]"));
    EXPECT_EQ(CResourceLoader::FormatText(QString(), {u"a"}), QString());
}

TEST(Loader, PlaceholdersListsOnlyRealPlaceholders) {
    EXPECT_EQ(CResourceLoader::Placeholders(u"%s に %d 件 %s"), QStringLiteral("sds"));
    EXPECT_EQ(CResourceLoader::Placeholders(u"100%% %%s %x %"), QString());
    EXPECT_EQ(CResourceLoader::Placeholders(u"％（0～70）"), QString());
}

TEST(Loader, MissingModuleOrNumberGivesEmptyResults) {
    EXPECT_EQ(CResourceLoader::OpenModule(outDir() + "/res/NoSuchModule.so"), nullptr);
    // A shared object that is not a resource module is refused.
    EXPECT_EQ(CResourceLoader::OpenModule(outDir() + "/libObrix.so"), nullptr);

    EXPECT_TRUE(CResourceLoader::LoadString(nullptr, 123).isEmpty());
    EXPECT_TRUE(CResourceLoader::Format(nullptr, 251, {u"x"}).isEmpty());
    EXPECT_TRUE(CResourceLoader::LoadBitmap(nullptr, 105).isNull());
    EXPECT_TRUE(CResourceLoader::LoadIcon(nullptr, 102).isNull());
    EXPECT_TRUE(CResourceLoader::StringIds(nullptr).isEmpty());

    void* module = resourceModule();
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(CResourceLoader::LoadString(module, 999999).isEmpty());
    EXPECT_FALSE(CResourceLoader::HasString(module, 999999));
    EXPECT_TRUE(CResourceLoader::LoadImage(module, CResourceLoader::Bitmap, 999999).isNull());
    // Numbers are per kind: there is an icon 102 and a bitmap 102, but no cursor 102.
    EXPECT_FALSE(CResourceLoader::LoadIcon(module, 102).isNull());
    EXPECT_FALSE(CResourceLoader::LoadImage(module, CResourceLoader::Bitmap, 102).isNull());
    EXPECT_TRUE(CResourceLoader::LoadImage(module, CResourceLoader::Cursor, 102).isNull());
    EXPECT_TRUE(CResourceLoader::LoadImage(module, CResourceLoader::Bitmap, 105, 3).isNull());
}

TEST(Loader, FormatFillsANumberedTextFromTheModule) {
    void* module = resourceModule();
    const QString title = CResourceLoader::Format(module, 251, {u"メンバー"});
    EXPECT_TRUE(title.contains(QStringLiteral("メンバー")));
    EXPECT_FALSE(title.contains(u'%'));
}

TEST(Loader, BitmapsFollowTheDevicePixelRatio) {
    void* module = resourceModule();
    const QPixmap one = CResourceLoader::LoadBitmap(module, 105, 1.0);
    const QPixmap two = CResourceLoader::LoadBitmap(module, 105, 2.0);
    EXPECT_EQ(one.size(), QSize(48, 16));
    EXPECT_EQ(two.size(), QSize(96, 32));
    EXPECT_EQ(two.deviceIndependentSize(), QSizeF(48, 16));
    const QList<QPixmap> tabs = CResourceLoader::LoadBitmapTiles(module, 105, 2.0);
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_EQ(tabs[2].deviceIndependentSize(), QSizeF(16, 16));
}

TEST(Loader, CutTilesOrdersRowsOrColumnsAndDropsPartialTiles) {
    // 3 x 2 tiles of 4 pixels, each tile painted with its own colour, plus a 2-pixel margin.
    QImage image(14, 10, QImage::Format_ARGB32);
    image.fill(Qt::black);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    image.setPixel(c * 4 + x, r * 4 + y, qRgb(c * 80, r * 80, 7));
    const auto key = [](const QImage& t) {
        return QPoint(qRed(t.pixel(1, 1)) / 80, qGreen(t.pixel(1, 1)) / 80);
    };
    const QList<QImage> rows = CResourceLoader::CutTiles(image, {4, 4});
    const QList<QImage> cols = CResourceLoader::CutTiles(image, {4, 4}, true);
    ASSERT_EQ(rows.size(), 6);
    ASSERT_EQ(cols.size(), 6);
    EXPECT_EQ(key(rows[1]), QPoint(1, 0));
    EXPECT_EQ(key(rows[3]), QPoint(0, 1));
    EXPECT_EQ(key(cols[1]), QPoint(0, 1)); // "1-2": column 1, row 2
    EXPECT_EQ(key(cols[2]), QPoint(1, 0));
    EXPECT_TRUE(CResourceLoader::CutTiles(image, {0, 4}).isEmpty());
    EXPECT_TRUE(CResourceLoader::CutTiles(QImage(), {4, 4}).isEmpty());
}

TEST(Loader, MaskColourBecomesTransparentAndNothingElse) {
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0x04, 0x09, 0x0A)); // COLORREF 0x000A0904
    image.setPixel(1, 0, qRgb(0x04, 0x09, 0x0B));
    image.setPixel(2, 0, qRgb(0x0A, 0x09, 0x04)); // the same bytes read the other way round
    const QImage out = CResourceLoader::MaskToAlpha(image, 0x000A0904);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(out.pixel(1, 0)), 255);
    EXPECT_EQ(qAlpha(out.pixel(2, 0)), 255);
}

TEST(Loader, SoundPathsLieInThePlugInDirectory) {
    EXPECT_EQ(CResourceLoader::SoundPath("/opt/zelta/", CResourceLoader::ChatSpeak),
              QStringLiteral("/opt/zelta/plugin/im/ChatSpeak.wav"));
    EXPECT_EQ(CResourceLoader::SoundPath("/opt/zelta", CResourceLoader::MessageArrival),
              QStringLiteral("/opt/zelta/plugin/im/MessageArrival.wav"));
}
