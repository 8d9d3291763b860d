// The INI document: what hand-written files may contain, and that any text survives a write
// and a read.
#include "settings/CIniFile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(IniFile, ReadsHandWrittenFilesTolerantly) {
    CIniFile ini;
    ASSERT_TRUE(ini.Parse("\xEF\xBB\xBFtop = 1\r\n"
                          "; comment\r\n"
                          "  [ GENERAL ]  \r\n"
                          "  VERSION_H =  7 \r\n"
                          "# other comment\n"
                          "no separator line\n"
                          "=no key\n"
                          "[broken\n"
                          "CHAT_RELOAD=5000=x\n"
                          "[PARLO]\n"
                          "MAXMEMBERS=30\n"));
    EXPECT_EQ(ini.Value("", "top"), "1");
    EXPECT_EQ(ini.Value("GENERAL", "VERSION_H"), "7");
    EXPECT_EQ(ini.Value("GENERAL", "CHAT_RELOAD"), "5000=x");
    EXPECT_EQ(ini.Value("PARLO", "MAXMEMBERS"), "30");
    EXPECT_EQ(ini.Value("GENERAL", "no separator line"), std::nullopt);
    EXPECT_EQ(ini.Value("GENERAL", ""), "no key");
    EXPECT_EQ(ini.Value("PARLO", "VERSION_H"), std::nullopt);
}

TEST(IniFile, AnyKeyValueAndSectionSurvivesARoundTrip) {
    QStringList samples = {"",
                           " lead",
                           "trail ",
                           "a=b",
                           "[x]",
                           "]",
                           "l1\nl2\r\n",
                           "back\\slash",
                           ";#",
                           "日本語テキスト",
                           "\t tab",
                           QString(QChar(1)),
                           "\\u0041",
                           "=",
                           "  ",
                           QString(QChar(0xD800)),
                           QString::fromUtf8("😀"),
                           QString(QChar(0xFEFF)) + "bom",
                           "#[;="};
    QRandomGenerator random(7);
    for (int i = 0; i < 200; ++i) {
        QString s;
        const int length = random.bounded(12);
        for (int j = 0; j < length; ++j) {
            static const char16_t pool[] = {u' ',   u'=',   u'[', u']', u'\\', u'\n',
                                            u'\r',  u';',   u'#', u'a', u'0',  u'あ',
                                            0xD83D, 0xDE00, 0x01, u'u', 0xFEFF};
            s += QChar(pool[random.bounded(int(std::size(pool)))]);
        }
        samples.append(s);
    }
    CIniFile ini;
    // The first section is the one written without a header, and its first key begins with
    // what a reader could take for a byte order mark.
    ini.SetValue("", QString(QChar(0xFEFF)) + "key", "value");
    ini.SetValue("", "", "under the empty key");
    for (qsizetype i = 0; i < samples.size(); ++i)
        ini.SetValue(samples[(i + 1) % samples.size()], samples[i],
                     samples[(i + 2) % samples.size()]);
    CIniFile back;
    ASSERT_TRUE(back.Parse(ini.Serialize()));
    EXPECT_EQ(back.Value("", QString(QChar(0xFEFF)) + "key"), "value");
    EXPECT_EQ(back.Value("", ""), "under the empty key");
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const QString& key = samples[i];
        const QString section = samples[(i + 1) % samples.size()];
        EXPECT_EQ(back.Value(section, key), ini.Value(section, key))
            << i << " " << key.toStdString();
    }
}

TEST(IniFile, OversizedInputIsRefusedAndAMissingFileIsEmpty) {
    CIniFile ini;
    EXPECT_FALSE(ini.Parse(QByteArray(CIniFile::MaxBytes + 1, 'a')));
    EXPECT_TRUE(ini.IsEmpty());
    QTemporaryDir dir;
    EXPECT_TRUE(ini.Load(dir.path() + "/missing.ini"));
    EXPECT_TRUE(ini.IsEmpty());
    ini.SetValue("S", "k", "v");
    EXPECT_TRUE(ini.Save(dir.path() + "/sub/dir/new.ini")); // parents are created
    CIniFile back;
    ASSERT_TRUE(back.Load(dir.path() + "/sub/dir/new.ini"));
    EXPECT_EQ(back.Value("S", "k"), "v");
    EXPECT_TRUE(back.Remove("S", "k"));
    EXPECT_FALSE(back.Remove("S", "k"));
}

} // namespace
