// The settings provider as the host serves it: settings values, whole files and application
// data through the COREAPI_ forwarding services, with the real module.
#include "host/CCoreModuleList.h"
#include "host/CHostCore.h"
#include "host/CVersionDlg.h"
#include "host/CoreApi.h"
#include "host/tests/HostTestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::u16string u16(const QString& s) {
    return s.toStdU16String();
}

class SettingsProvider : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_prog.AddFromOut("plugin/Settings.so"));
        ASSERT_TRUE(m_prog.AddFromOut("appdata.ini"));
        m_user = m_home.path() + "/Tovar/";
        m_core.SetPaths(m_prog.Root(), m_user);
        m_core.SetModules(&m_list);
        ASSERT_EQ(m_list.Load(m_prog.PluginDir()), 1);
        ASSERT_TRUE(m_list.m_bHasSettingsModule);
    }

    int32_t WriteInt(int32_t scope, int32_t category, int32_t unit, const char16_t* sub,
                     const QString& name, int32_t value, int32_t flags = 0) {
        const std::u16string n = u16(name);
        return COREAPI_WriteRegInt(scope, category, unit, sub, intptr_t(n.c_str()), value, flags);
    }
    int32_t WriteString(const char16_t* sub, const QString& name, const QString& value,
                        int32_t flags = 0) {
        const std::u16string n = u16(name), v = u16(value);
        return COREAPI_WriteRegString(1, 4, 1, sub, intptr_t(n.c_str()), intptr_t(v.c_str()),
                                      flags);
    }
    QString ReadString(const char16_t* sub, const QString& name, const char16_t* fallback = u"") {
        const std::u16string n = u16(name);
        char16_t buffer[512];
        const int32_t length = COREAPI_ReadRegString(1, 4, 1, sub, n.c_str(), intptr_t(fallback),
                                                     intptr_t(buffer), 512);
        EXPECT_EQ(length, int32_t(std::char_traits<char16_t>::length(buffer)));
        return QString::fromUtf16(buffer);
    }

    CTestProgramDir m_prog;
    QTemporaryDir m_home;
    QString m_user;
    CHostCore m_core;
    CCoreModuleList m_list;
};

TEST_F(SettingsProvider, ValuesAreKeptPerUnitAndSectionInTheUsersIniFiles) {
    EXPECT_EQ(WriteInt(1, 4, 1, u"IMWINDOW", "WinPos", 42), 1);
    EXPECT_EQ(WriteInt(1, 4, 1, u"IMWINDOW\\Sub", "WinPos", -3), 1);
    EXPECT_EQ(WriteInt(1, 0, 7, u"X", "Flag", 1), 1);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"IMWINDOW", u"WinPos", 0), 42);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"IMWINDOW\\Sub", u"WinPos", 0), -3);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 2, u"IMWINDOW", u"WinPos", 5), 5); // other unit
    EXPECT_EQ(COREAPI_ReadRegInt(1, 3, 1, u"IMWINDOW", u"WinPos", 5), 5); // other category
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"OTHER", u"WinPos", 5), 5);    // other section
    EXPECT_EQ(COREAPI_ReadRegInt(1, 0, 7, u"X", u"Flag", 0), 1);

    EXPECT_EQ(readText(m_user + "settings/Set/1.ini"),
              "[IMWINDOW]\nWinPos=42\n[IMWINDOW/Sub]\nWinPos=-3\n");
    EXPECT_TRUE(QFile::exists(m_user + "settings/Core/7.ini"));
    // Whole-file replacement leaves no temporary files behind.
    EXPECT_EQ(QDir(m_user + "settings/Set").entryList(QDir::Files), QStringList{"1.ini"});
    // Nobody else may read them, whatever the umask.
    EXPECT_EQ(QFile::permissions(m_user + "settings/Set/1.ini") &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());

    char16_t path[256];
    const int32_t length = COREAPI_GetRegPath(1, 4, u"IMWINDOW", intptr_t(path), 256);
    EXPECT_EQ(QString::fromUtf16(path), m_user + "settings/Set/");
    EXPECT_EQ(length, (m_user + "settings/Set/").size());
    EXPECT_EQ(COREAPI_GetRegPath(1, 4, u"IMWINDOW", intptr_t(path), 4), length);
    EXPECT_EQ(QString::fromUtf16(path), m_user.left(3));
    EXPECT_EQ(COREAPI_GetRegPath(9, 4, u"IMWINDOW", intptr_t(path), 256), 0);

    // Removing a value brings the default back.
    EXPECT_EQ(WriteInt(1, 4, 1, u"IMWINDOW", "WinPos", 0, 1), 1);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"IMWINDOW", u"WinPos", 9), 9);
}

TEST_F(SettingsProvider, StringsOfAnyContentRoundTripAndLongOnesAreCutButMeasured) {
    const QStringList values = {"",    " lead and trail ", "a=b",
                                "[x]", "l1\nl2\r\n",       "back\\slash",
                                ";#",  "日本語の状態",     "\ttab"};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_EQ(WriteString(u"S", QStringLiteral("k=%1[").arg(i), values[i]), 1);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ReadString(u"S", QStringLiteral("k=%1[").arg(i)), values[i]) << i;

    EXPECT_EQ(ReadString(u"S", "missing", u"既定"), "既定");
    EXPECT_EQ(ReadString(u"S", "missing", nullptr), "");
    char16_t small[4];
    EXPECT_EQ(COREAPI_ReadRegString(1, 4, 1, u"S", u"k=7[", 0, intptr_t(small), 4), 6);
    EXPECT_EQ(QString::fromUtf16(small), "日本語");
    // A string is not a number.
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"S", u"k=2[", 11), 11);
}

TEST_F(SettingsProvider, BinaryValuesRoundTripAndReportTheirFullSize) {
    QByteArray data;
    for (int i = 0; i < 256; ++i)
        data.append(char(i));
    EXPECT_EQ(COREAPI_WriteRegBinary(1, 4, 1, u"B", intptr_t(u"Blob"), intptr_t(data.constData()),
                                     int32_t(data.size()), 0),
              1);
    QByteArray back(256, '\0');
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 1, u"B", intptr_t(u"Blob"), intptr_t(back.data()), 256),
              256);
    EXPECT_EQ(back, data);
    char prefix[4] = {9, 9, 9, 9};
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 1, u"B", intptr_t(u"Blob"), intptr_t(prefix), 3), 256);
    EXPECT_EQ(QByteArray(prefix, 4), QByteArray("\x00\x01\x02\x09", 4));
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 1, u"B", intptr_t(u"Blob"), 0, 0), 256);
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 1, u"B", intptr_t(u"None"), intptr_t(prefix), 3), 0);
    WriteString(u"B", "Text", "not hex");
    EXPECT_EQ(COREAPI_ReadRegBinary(1, 4, 1, u"B", intptr_t(u"Text"), intptr_t(prefix), 3), 0);
    EXPECT_EQ(COREAPI_WriteRegBinary(1, 4, 1, u"B", intptr_t(u"Bad"), 0, 5, 0), 0);
}

TEST_F(SettingsProvider, InstalledSettingsAreReadOnlyAndUnreadableFilesAreNeverOverwritten) {
    ASSERT_TRUE(writeBytes(m_prog.Root() + "settings/Set/1.ini", "[IMWINDOW]\nWinPos=77\n"));
    EXPECT_EQ(COREAPI_ReadRegInt(0, 4, 1, u"IMWINDOW", u"WinPos", 0), 77);
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 1, u"IMWINDOW", u"WinPos", 0), 0);
    EXPECT_EQ(WriteInt(0, 4, 1, u"IMWINDOW", "WinPos", 1), 0);
    EXPECT_EQ(WriteInt(2, 4, 1, u"IMWINDOW", "WinPos", 1), 0);

    // Junk reads as nothing useful, without harm.
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) & 0xFF));
    ASSERT_TRUE(writeBytes(m_user + "settings/Set/2.ini", junk));
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 2, u"IMWINDOW", u"WinPos", 4), 4);

    const QString big = m_user + "settings/Set/3.ini";
    ASSERT_TRUE(writeBytes(big, "[S]\nk=1\n" + QByteArray(17 * 1024 * 1024, ';')));
    EXPECT_EQ(COREAPI_ReadRegInt(1, 4, 3, u"S", u"k", 5), 5);
    EXPECT_EQ(WriteInt(1, 4, 3, u"S", "k", 2), 0);
    EXPECT_EQ(QFileInfo(big).size(), 17 * 1024 * 1024 + 8);
}

TEST_F(SettingsProvider, WholeFilesAreWrittenAtomicallyAndReadInPieces) {
    const QByteArray content = "whole file content";
    EXPECT_EQ(COREAPI_WriteFile(intptr_t(u"data/a.bin"), intptr_t(content.constData()),
                                int32_t(content.size()), 0, 0),
              0); // the folder is missing and was not to be created
    EXPECT_EQ(COREAPI_WriteFile(intptr_t(u"data/a.bin"), intptr_t(content.constData()),
                                int32_t(content.size()), 1, 0),
              1);
    EXPECT_EQ(readText(m_user + "data/a.bin"), content);

    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/a.bin"), 0, 0, 0), content.size());
    QByteArray piece(5, '\0');
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/a.bin"), intptr_t(piece.data()), 5, 6),
              content.size());
    EXPECT_EQ(piece, "file ");
    piece.fill('#');
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/a.bin"), intptr_t(piece.data()), 5, 16),
              content.size());
    EXPECT_EQ(piece, "nt###");
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/a.bin"), intptr_t(piece.data()), 5, 100),
              content.size());
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/a.bin"), intptr_t(piece.data()), 5, -1), -1);
    EXPECT_EQ(COREAPI_ReadFile(intptr_t(u"data/missing"), intptr_t(piece.data()), 5, 0), -1);

    const std::u16string absolute = u16(m_home.path() + "/abs.bin");
    EXPECT_EQ(COREAPI_WriteFile(intptr_t(absolute.c_str()), intptr_t("xy"), 2, 0, 0), 1);
    EXPECT_EQ(COREAPI_WriteFile(intptr_t(absolute.c_str()), intptr_t("z"), 1, 0, 0), 1);
    EXPECT_EQ(readText(m_home.path() + "/abs.bin"), "z");
    EXPECT_EQ(COREAPI_WriteFile(intptr_t(absolute.c_str()), 0, 3, 0, 0), 0);
    EXPECT_EQ(readText(m_home.path() + "/abs.bin"), "z");
}

TEST_F(SettingsProvider, ApplicationDataComesFromTheProgramFileAndTheUserMayOverrideIt) {
    EXPECT_EQ(CVersionDlg::ProductVersionText(), "Ver.1.1.0.0");
    EXPECT_EQ(COREAPI_GetAppDataInt(u"GENERAL", u"CHAT_RELOAD", 1, 0), 5000);
    EXPECT_GT(COREAPI_GetAppDataInt(u"PARLO", u"MAXCREATEWND", 1, 0), 0);
    EXPECT_GT(COREAPI_GetAppDataInt(u"PARLO", u"MAXMEMBERS", 1, 0), 0);
    EXPECT_EQ(COREAPI_GetAppDataInt(u"PARLO", u"NOPE", 1, -8), -8);
    EXPECT_EQ(COREAPI_GetAppDataInt(u"GENERAL", u"CHAT_RELOAD", 3, 12), 12);

    ASSERT_TRUE(writeBytes(m_user + "appdata.ini",
                           "[GENERAL]\nCHAT_RELOAD=2500\nFAST=yes\nSLOW=Off\nODD=maybe\n"
                           "NAME=ゼルタ\n"));
    EXPECT_EQ(COREAPI_GetAppDataInt(u"GENERAL", u"CHAT_RELOAD", 1, 0), 2500);
    EXPECT_EQ(COREAPI_GetAppDataInt(u"GENERAL", u"CHAT_RELOAD", 0, 0), 5000);
    EXPECT_EQ(COREAPI_GetAppDataBool(intptr_t(u"GENERAL"), intptr_t(u"FAST"), 1, 0), 1);
    EXPECT_EQ(COREAPI_GetAppDataBool(intptr_t(u"GENERAL"), intptr_t(u"SLOW"), 1, 1), 0);
    EXPECT_EQ(COREAPI_GetAppDataBool(intptr_t(u"GENERAL"), intptr_t(u"ODD"), 1, 7), 1);
    EXPECT_EQ(COREAPI_GetAppDataBool(intptr_t(u"GENERAL"), intptr_t(u"VERSION_H"), 1, 0), 1);
    char16_t name[3];
    EXPECT_EQ(
        COREAPI_GetAppDataString(intptr_t(u"GENERAL"), intptr_t(u"NAME"), 1, 0, intptr_t(name), 3),
        3);
    EXPECT_EQ(QString::fromUtf16(name), "ゼル");
    EXPECT_EQ(COREAPI_GetAppDataString(intptr_t(u"GENERAL"), intptr_t(u"NONE"), 1,
                                       intptr_t(u"既定"), intptr_t(name), 3),
              2);
    EXPECT_EQ(QString::fromUtf16(name), "既定");
}

} // namespace
