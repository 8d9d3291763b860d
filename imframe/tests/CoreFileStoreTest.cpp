#include "FrameTestSupport.h"
#include "obrix/CCoreFileStore.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/ObrixApi.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace FrameTest;

namespace {

// The object library's default file store and binding, against the stand-in core.
class CoreFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        CCoreFileStore::SetCurrent(nullptr);
        ASSERT_FALSE(IsLoaded(CObrixTable::kCoreLibrary));
    }

    void LoadCore() {
        core = std::make_unique<Library>(FixturePath(QStringLiteral("imframe/Kernova.so")));
        ASSERT_TRUE(core->Handle()) << core->Error().toStdString();
        fileCalls = core->Symbol<int32_t (*)()>("StandIn_FileCalls");
        ASSERT_TRUE(fileCalls);
    }

    QTemporaryDir dir;
    ScopedEnv base{"ZELTA_STANDIN_DIR", QFile::encodeName(dir.path())};
    std::unique_ptr<Library> core;
    int32_t (*fileCalls)() = nullptr;
};

} // namespace

TEST_F(CoreFiles, TableBindsExactlyTheNamesTheCoreExports) {
    CObrixTable table;
    EXPECT_EQ(table.Bind(), 0);
    EXPECT_FALSE(table.IsBound());
    EXPECT_EQ(table.BindFrom(nullptr), 0);

    LoadCore();
    EXPECT_EQ(table.BindFrom(core->Handle()), 6);
    EXPECT_EQ(reinterpret_cast<void*>(table.ReadFile), dlsym(core->Handle(), "OBRIX_ReadFile"));
    EXPECT_EQ(reinterpret_cast<void*>(table.GetModuleDir),
              dlsym(core->Handle(), "OBRIX_GetModuleDir"));
    EXPECT_EQ(QString::fromUtf16(table.GetUserID()), u"standin");
    EXPECT_FALSE(table.SendMessage) << "names the core lacks stay empty";
    EXPECT_FALSE(table.ChatCreate);

    CObrixTable byName;
    EXPECT_EQ(byName.Bind(), 6) << "found among the loaded libraries by soname";
    EXPECT_EQ(byName.WriteFile, table.WriteFile);

    core->Close();
    EXPECT_EQ(byName.Bind(), 0);
    EXPECT_FALSE(byName.IsBound()) << "a failed binding leaves nothing from before";
}

TEST_F(CoreFiles, SoundSettingsTravelThroughTheCoreFileFunctions) {
    LoadCore();
    const QString expected = dir.path() + QStringLiteral("/module1/data/SndData.zin");
    EXPECT_EQ(CIMSndInfo::FilePath(), expected);

    CIMSndInfo written;
    written.AddIMSndData(CIMSndData(QStringLiteral("m1"), QStringLiteral("/snd/鐘.wav")));
    written.AddIMSndData(CIMSndData(QStringLiteral("m2"), QString()));
    const int32_t callsBefore = fileCalls();
    ASSERT_TRUE(written.WriteSndInfo()) << "missing directories are created by the core";
    EXPECT_EQ(fileCalls(), callsBefore + 1);
    ASSERT_TRUE(QFile::exists(expected));

    CIMSndInfo read;
    ASSERT_TRUE(read.ReadSndInfo());
    EXPECT_EQ(fileCalls(), callsBefore + 2);
    EXPECT_EQ(read.GetCount(), 2);
    ASSERT_TRUE(read.GetIMSndData(QStringLiteral("m1")) && read.GetIMSndData(QStringLiteral("m2")));
    EXPECT_EQ(read.GetIMSndData(QStringLiteral("m1"))->GetPath(), u"/snd/鐘.wav");
    EXPECT_TRUE(read.GetIMSndData(QStringLiteral("m2"))->GetPath().isEmpty());

    read.InitSndInfo();
    EXPECT_FALSE(QFile::exists(expected));
    EXPECT_FALSE(read.ReadSndInfo()) << "a missing file is not an empty one";
}

TEST_F(CoreFiles, EmptyFilesAndFailedWritesAreReportedAsTheyAre) {
    LoadCore();
    CCoreFileStore& store = CCoreFileStore::Current();
    const QString empty = dir.filePath(QStringLiteral("empty.bin"));
    ASSERT_TRUE(store.WriteFile(empty, QByteArray()));
    QByteArray bytes("stale");
    EXPECT_TRUE(store.ReadFile(empty, bytes));
    EXPECT_TRUE(bytes.isEmpty());

    // A regular file where a directory is needed.
    EXPECT_FALSE(store.WriteFile(empty + QStringLiteral("/below.bin"), QByteArray("x")));
    EXPECT_FALSE(store.WriteFile(QString(), QByteArray("x")));
    EXPECT_TRUE(store.RemoveFile(dir.filePath(QStringLiteral("never-there"))));
}

TEST_F(CoreFiles, WithoutTheCoreEveryCallFailsAndNothingIsTouched) {
    const QString victim = dir.filePath(QStringLiteral("keep.bin"));
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    // Loaded and unloaded again: nothing of the earlier binding may be used.
    LoadCore();
    EXPECT_FALSE(CCoreFileStore::Current().ModuleDir(1).isEmpty());
    core->Close();

    CCoreFileStore& store = CCoreFileStore::Current();
    QByteArray bytes;
    EXPECT_TRUE(store.ModuleDir(1).isEmpty());
    EXPECT_FALSE(store.ReadFile(victim, bytes));
    EXPECT_FALSE(store.WriteFile(victim, QByteArray("new")));
    EXPECT_FALSE(store.RemoveFile(victim));
    EXPECT_TRUE(QFile::exists(victim));
    CIMSndInfo info;
    EXPECT_FALSE(info.WriteSndInfo());
}
