#include "FrameTestSupport.h"
#include "imframe/CLustra.h"
#include "imframe/CModuleRef.h"

#include <gtest/gtest.h>

using namespace FrameTest;

namespace {
constexpr const char* kTarget = "libFrameRefTarget.so";
}

TEST(ModuleRef, HeldReferenceKeepsLibraryLoadedUntilReleased) {
    ASSERT_FALSE(IsLoaded(kTarget));
    CModuleRef ref;
    EXPECT_FALSE(ref.Acquire(kTarget)) << "a library that is not loaded is never loaded";
    EXPECT_FALSE(IsLoaded(kTarget));

    Library owner(FixturePath(QStringLiteral("imframe/libFrameRefTarget.so")));
    ASSERT_TRUE(owner.Handle()) << owner.Error().toStdString();
    ASSERT_TRUE(ref.Acquire(kTarget));
    EXPECT_TRUE(ref.Acquire(kTarget)) << "a second call keeps the one reference";

    owner.Close();
    EXPECT_TRUE(IsLoaded(kTarget)) << "the owner let go, the reference keeps it";
    ref.Release();
    EXPECT_FALSE(ref.IsHeld());
    EXPECT_FALSE(IsLoaded(kTarget)) << "exactly one reference was taken and given back";
    ref.Release();
}

TEST(Lustra, ThemedOnlyWhileLoadedAndWithNativeStyle) {
    EXPECT_FALSE(CLustra::IsNativeStyle(QStringLiteral("Fusion")));
    EXPECT_FALSE(CLustra::IsNativeStyle(QStringLiteral("Windows")));
    EXPECT_FALSE(CLustra::IsNativeStyle(QString()));
    EXPECT_TRUE(CLustra::IsNativeStyle(QStringLiteral("windowsvista")));
    EXPECT_TRUE(CLustra::IsNativeStyle(QStringLiteral("macOS")));

    CLustra theme;
    EXPECT_EQ(theme.IsThemeFunc(), 0);
    ASSERT_TRUE(theme.LoadLustra());
    EXPECT_EQ(theme.IsThemeFunc(), 0) << "the offscreen test application draws with Fusion";
}
