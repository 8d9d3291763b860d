// The module's C interface as a caller that does not use the object library sees it:
// buffers are never overrun, lists report their full length, lookups are per kind.
#include "resources/ZeltaRes.h"
#include "resources/tests/ResourceModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

template <class F> F fn(const char* name) {
    return reinterpret_cast<F>(dlsym(resourceModule(), name));
}

} // namespace

TEST(ModuleApi, LoadStringTruncatesWithinTheBufferAndAlwaysTerminates) {
    const auto load = fn<int32_t (*)(uint32_t, char16_t*, int32_t)>("ZeltaRes_LoadString");
    ASSERT_NE(load, nullptr);
    const QString full = CResourceLoader::LoadString(resourceModule(), 875);
    ASSERT_GT(full.size(), 4);

    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(load(875, buffer, 4), 3);
    EXPECT_EQ(QString::fromUtf16(buffer, 3), full.left(3));
    EXPECT_EQ(buffer[3], u'\0');
    EXPECT_EQ(buffer[4], u'#') << "nothing written past the capacity";

    EXPECT_EQ(load(875, buffer, 1), 0);
    EXPECT_EQ(buffer[0], u'\0');
    buffer[0] = u'#';
    EXPECT_EQ(load(875, buffer, 0), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(load(999999, buffer, 8), 0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(load(875, nullptr, 8), 0);
}

TEST(ModuleApi, ListsReportTheirFullLengthButFillOnlyTheBuffer) {
    const auto strings = fn<int32_t (*)(uint32_t*, int32_t)>("ZeltaRes_EnumStrings");
    const auto images = fn<int32_t (*)(uint32_t, uint32_t*, int32_t)>("ZeltaRes_EnumImages");
    ASSERT_TRUE(strings && images);
    uint32_t ids[4] = {0, 0, 0, 0xDEAD};
    const int32_t total = strings(ids, 3);
    EXPECT_GT(total, 300);
    EXPECT_EQ(ids[3], 0xDEADu);
    EXPECT_LT(ids[0], ids[1]);
    EXPECT_LT(ids[1], ids[2]);
    EXPECT_EQ(strings(nullptr, 0), total);

    const int32_t bitmaps = images(ZELTARES_BITMAP, nullptr, 0);
    EXPECT_GE(bitmaps, 25);
    EXPECT_EQ(images(ZELTARES_ICON, nullptr, 0), 4);
    EXPECT_EQ(images(ZELTARES_CURSOR, nullptr, 0), 1);
    EXPECT_EQ(images(99, nullptr, 0), 0);
}

TEST(ModuleApi, IconsAndBitmapsAreLookedUpOnlyInTheirOwnWay) {
    const auto image =
        fn<const uint8_t* (*)(uint32_t, uint32_t, int32_t, int32_t*)>("ZeltaRes_FindImage");
    const auto icon = fn<const uint8_t* (*)(uint32_t, int32_t, int32_t*)>("ZeltaRes_FindIcon");
    const auto sizes = fn<int32_t (*)(uint32_t, int32_t*, int32_t)>("ZeltaRes_GetIconSizes");
    ASSERT_TRUE(image && icon && sizes);
    int32_t bytes = 0;
    EXPECT_EQ(image(ZELTARES_ICON, 102, 1, &bytes), nullptr) << "icons have sizes, not scales";
    EXPECT_NE(icon(102, 16, &bytes), nullptr);
    EXPECT_GT(bytes, 8);
    EXPECT_EQ(icon(102, 17, &bytes), nullptr);
    EXPECT_EQ(icon(105, 16, &bytes), nullptr) << "105 is a bitmap";

    int32_t list[3] = {0, 0, -1};
    const int32_t count = sizes(102, list, 2);
    EXPECT_GE(count, 4);
    EXPECT_EQ(list[0], 16);
    EXPECT_LT(list[0], list[1]);
    EXPECT_EQ(list[2], -1);
    EXPECT_EQ(sizes(105, list, 2), 0);
}
