#include "obrix/CCoreFileStore.h"
#include "obrix/CIMSndInfo.h"

#include <QDir>
#include <QHash>
#include <gtest/gtest.h>

namespace {

class MemoryFileStore : public CCoreFileStore {
public:
    QString ModuleDir(int module) override {
        return QStringLiteral("/mod%1").arg(module) + QDir::separator();
    }
    bool ReadFile(const QString& path, QByteArray& bytes) override {
        if (!files.contains(path))
            return false;
        bytes = files.value(path);
        return true;
    }
    bool WriteFile(const QString& path, const QByteArray& bytes) override {
        files.insert(path, bytes);
        return true;
    }
    bool RemoveFile(const QString& path) override {
        files.remove(path);
        return true;
    }
    QHash<QString, QByteArray> files;
};

class SoundSettings : public ::testing::Test {
protected:
    void SetUp() override { CCoreFileStore::SetCurrent(&store); }
    void TearDown() override { CCoreFileStore::SetCurrent(nullptr); }

    // Reads a hand-written file image through the store.
    bool readImage(CIMSndInfo& info, const char* hex) {
        store.files.insert(path, QByteArray::fromHex(hex));
        return info.ReadSndInfo();
    }

    MemoryFileStore store;
    const QString path = QStringLiteral("/mod1/data/SndData.zin");
};

// "m1" -> "a.wav" as two archived UTF-16 strings.
constexpr const char* entryM1 = "FFFEFF02 6D00 3100 FFFEFF05 6100 2E00 7700 6100 7600";
// A whole file holding only that entry.
const QByteArray oneEntry = QByteArray("01000000 ") + entryM1;

} // namespace

TEST_F(SoundSettings, FileImageIsCountThenIdAndPathPairs) {
    CIMSndInfo info;
    ASSERT_TRUE(info.WriteSndInfo());
    ASSERT_TRUE(store.files.contains(path));
    EXPECT_EQ(store.files.value(path), QByteArray(4, '\0'));

    info.AddIMSndData(CIMSndData(QStringLiteral("m1"), QStringLiteral("a.wav")));
    ASSERT_TRUE(info.WriteSndInfo());
    EXPECT_EQ(store.files.value(path).toHex(), QByteArray::fromHex(oneEntry).toHex());

    info.AddIMSndData(CIMSndData(QStringLiteral("メンバー"), QStringLiteral("/s/b.wav")));
    ASSERT_TRUE(info.WriteSndInfo());
    CIMSndInfo back;
    ASSERT_TRUE(back.ReadSndInfo());
    EXPECT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetIMSndData(QStringLiteral("メンバー"))->GetPath(), QStringLiteral("/s/b.wav"));
}

TEST_F(SoundSettings, ReadingHandWrittenImages) {
    CIMSndInfo info;
    // Two entries for one member: the later one is found.
    const QByteArray twice = "02000000" + QByteArray(entryM1) + "FFFEFF02 6D00 3100 FFFEFF01 7A00" +
                             "FFFF"; // trailing bytes ignored
    ASSERT_TRUE(readImage(info, twice.constData()));
    EXPECT_EQ(info.GetCount(), 1);
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m1"))->GetPath(), QStringLiteral("z"));
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("M1")), nullptr);

    // Eight-bit strings as older writers stored them.
    ASSERT_TRUE(readImage(info, "01000000 02 6D32 03 782E77"));
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m2"))->GetPath(), QStringLiteral("x.w"));

    ASSERT_TRUE(readImage(info, oneEntry.constData())); // something to lose
    ASSERT_EQ(info.GetCount(), 1);
    EXPECT_TRUE(readImage(info, "00000000"));
    EXPECT_EQ(info.GetCount(), 0);
    // A negative count is damage, not an empty file that would then be written back.
    for (const char* negative : {"FFFFFFFF 02 6D32 03 782E77", "00000080"}) {
        ASSERT_TRUE(readImage(info, oneEntry.constData()));
        EXPECT_FALSE(readImage(info, negative)) << negative;
        EXPECT_EQ(info.GetCount(), 0) << negative;
    }
}

TEST_F(SoundSettings, DamagedImagesLeaveTheMapEmptyAndSaySo) {
    CIMSndInfo info;
    const QByteArray good = "02000000" + QByteArray(entryM1) + entryM1;
    const QByteArray whole = QByteArray::fromHex(good);
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        info.AddIMSndData(CIMSndData(QStringLiteral("old"), QStringLiteral("p")));
        store.files.insert(path, whole.left(cut));
        EXPECT_FALSE(info.ReadSndInfo()) << cut;
        EXPECT_EQ(info.GetCount(), 0) << cut;
    }
    // Counts and lengths that the bytes cannot hold are refused before anything is built.
    EXPECT_FALSE(readImage(info, "FFFFFF7F 00 00"));
    EXPECT_FALSE(readImage(info, "01000000 FFFEFFFF FFFF FFFFFF7F 6100"));
    EXPECT_EQ(info.GetCount(), 0);

    store.files.clear();
    info.AddIMSndData(CIMSndData(QStringLiteral("old"), QStringLiteral("p")));
    EXPECT_FALSE(info.ReadSndInfo()); // no file
    EXPECT_EQ(info.GetCount(), 0);
}

TEST_F(SoundSettings, EntriesAreAddedReplacedAndCleared) {
    CIMSndInfo info;
    CIMSndData d(QStringLiteral("m1"), QStringLiteral("a.wav"));
    info.SetIMSndData(d);
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m1")), nullptr);
    info.AddIMSndData(d);
    d.SetPath(QStringLiteral("b.wav"));
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m1"))->GetPath(), QStringLiteral("a.wav"));
    info.SetIMSndData(d);
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m1"))->GetPath(), QStringLiteral("b.wav"));
    info.AddIMSndData(CIMSndData(QStringLiteral("m1"), QStringLiteral("c.wav")));
    EXPECT_EQ(info.GetCount(), 1);
    EXPECT_EQ(info.GetIMSndData(QStringLiteral("m1"))->GetPath(), QStringLiteral("c.wav"));
    info.AddIMSndData(CIMSndData(QStringLiteral("m2"), QString()));
    info.ClearIMSndData(QStringLiteral("m1"));
    info.ClearIMSndData(QStringLiteral("nobody"));
    EXPECT_EQ(info.GetCount(), 1);

    ASSERT_TRUE(info.WriteSndInfo());
    info.InitSndInfo();
    EXPECT_EQ(info.GetCount(), 0);
    EXPECT_FALSE(store.files.contains(path));
}

TEST(SoundSettingsUnbound, WithoutTheCoreNothingIsReadOrWritten) {
    CCoreFileStore::SetCurrent(nullptr);
    CIMSndInfo info;
    info.AddIMSndData(CIMSndData(QStringLiteral("m1"), QStringLiteral("a.wav")));
    EXPECT_FALSE(info.WriteSndInfo());
    EXPECT_FALSE(info.ReadSndInfo());
    EXPECT_EQ(info.GetCount(), 0);
    EXPECT_TRUE(CIMSndInfo::FilePath().isEmpty());
}
