// The daily log files: exact record bytes, level gating, file names, stale removal and
// writers that run at the same time.
#include "host/CHostLog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

QDateTime at(int y, int mo, int d, int h = 10, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

QByteArray utf16le(const QString& text) {
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HostLog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        m_userDir = m_home.path() + "/Tovar/";
        m_log.SetUserDir(m_userDir);
        m_log.SetClock([this] { return m_now; });
    }
    QString LogFile(const QString& name) const { return m_userDir + "log/" + name; }

    QTemporaryDir m_home;
    QString m_userDir;
    QDateTime m_now = at(2004, 5, 6, 7, 8, 9);
    CHostLog m_log;
};

TEST_F(HostLog, RecordsAreUtf16LineWithFullWidthBracketsAppendedInOrder) {
    EXPECT_TRUE(m_log.Write(3, 0, "first"));
    m_now = at(2004, 5, 6, 23, 59, 58);
    EXPECT_TRUE(m_log.Write(3, 6, "二番目"));
    const QByteArray expected =
        utf16le(QString::fromUtf8("［2004/05/06 07:08:09］NOTICE    :first\r\n"
                                  "［2004/05/06 23:59:58］FATALERROR:二番目\r\n"));
    EXPECT_EQ(readAll(LogFile("2004-05-06_wirel.log")), expected);
}

TEST_F(HostLog, EachCategoryHasItsFileAndCategoriesWithoutOneWriteNothing) {
    const QStringList expected = {"2004-05-06_core.log", "2004-05-06_stream.log",
                                  "2004-05-06_wirel.log", "2004-05-06_set.log",
                                  "2004-05-06_othre.log"};
    for (int category : {0, 1, 2, 3, 4, 5, 7, -1})
        EXPECT_EQ(m_log.Write(category, 4, "x"), category != 1 && category >= 0 && category <= 5);
    EXPECT_EQ(QDir(m_userDir + "log").entryList(QDir::Files, QDir::Name), [&] {
        QStringList s = expected;
        s.sort();
        return s;
    }());
    m_now = at(2004, 12, 31);
    m_log.Write(0, 0, "y");
    EXPECT_TRUE(QFile::exists(LogFile("2004-12-31_core.log")));
}

TEST_F(HostLog, DebugLevelsNeedTheirSwitchAndUnknownLevelsGetABlankWord) {
    m_log.SetDebugFlags(0x1); // "/d1"
    EXPECT_FALSE(m_log.Write(0, 2, "hidden"));
    EXPECT_FALSE(m_log.Write(0, 3, "hidden"));
    EXPECT_FALSE(QFileInfo::exists(m_userDir + "log")); // nothing touched
    EXPECT_TRUE(m_log.Write(0, 1, "d1"));
    m_log.SetDebugFlags(0x2); // "/d2"
    EXPECT_TRUE(m_log.Write(0, 1, "d1 by d2"));
    EXPECT_TRUE(m_log.Write(0, 2, "d2"));
    EXPECT_FALSE(m_log.Write(0, 3, "hidden"));
    m_log.SetDebugFlags(0x4); // "/d3"
    EXPECT_TRUE(m_log.Write(0, 3, "d3"));
    m_log.SetDebugFlags(0);
    EXPECT_FALSE(m_log.Write(0, 1, "hidden"));
    EXPECT_TRUE(m_log.Write(0, 9, "odd"));

    const QString text = QString::fromUtf16(
        reinterpret_cast<const char16_t*>(readAll(LogFile("2004-05-06_core.log")).constData()),
        readAll(LogFile("2004-05-06_core.log")).size() / 2);
    QStringList words;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        words.append(line.mid(21));
    EXPECT_EQ(words, (QStringList{"NOTICE_D1 :d1", "NOTICE_D1 :d1 by d2", "NOTICE_D2 :d2",
                                  "NOTICE_D3 :d3", "          :odd"}));
}

TEST_F(HostLog, WithoutAUserDirectoryNothingIsWrittenOrRemoved) {
    CHostLog log;
    log.SetClock([this] { return m_now; });
    EXPECT_FALSE(log.Write(0, 0, "x"));
    log.RemoveStale();
    EXPECT_TRUE(QDir(m_home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(HostLog, StaleRemovalKeepsTodayAndTheSixDaysBeforeOnly) {
    const QString dir = m_userDir + "log/";
    ASSERT_TRUE(QDir().mkpath(dir + "sub"));
    const QStringList names = {"2004-05-06_core.log", "2004-05-07_core.log", "2004-05-13_wirel.log",
                               "2004-05-14_core.log", "notes.txt",           "abcd-ef-gh_core.log",
                               "2004-05-10_core.LOG", "2004-13-10_core.log", "2004-05-10.log"};
    for (const QString& name : names) {
        QFile file(dir + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    m_now = at(2004, 5, 13, 10, 0, 0);
    m_log.RemoveStale();
    EXPECT_EQ(
        QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name),
        (QStringList{"2004-05-07_core.log", "2004-05-10.log", "2004-05-13_wirel.log", "sub"}));
}

// Records of concurrent writers, threads of this process and another process, arrive whole.
TEST_F(HostLog, ConcurrentWritersNeverInterleaveInsideARecord) {
    m_log.SetClock([] { return QDateTime::currentDateTime(); }); // as the helper process
    const int perWriter = 300;
    QProcess other;
    other.start(QStringLiteral(ZELTA_TEST_HELPER),
                {"log", m_userDir, QString::number(perWriter), "P"});
    ASSERT_TRUE(other.waitForStarted());
    auto writer = [this](const QString& tag) {
        for (int i = 0; i < perWriter; ++i)
            m_log.Write(3, 0, QStringLiteral("%1 %2 ").arg(tag).arg(i) + QString(200, u'x'));
    };
    std::thread t1(writer, QStringLiteral("T1"));
    std::thread t2(writer, QStringLiteral("T2"));
    t1.join();
    t2.join();
    ASSERT_TRUE(other.waitForFinished(60000));
    EXPECT_EQ(other.exitCode(), 0);

    QByteArray all;
    for (const QString& name : QDir(m_userDir + "log").entryList({"*_wirel.log"}, QDir::Files))
        all += readAll(m_userDir + "log/" + name);
    ASSERT_EQ(all.size() % 2, 0);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(all.constData()), all.size() / 2);
    const QRegularExpression record(QString::fromUtf8(
        "^［\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d］NOTICE    :(T1|T2|P) (\\d+) x{200}$"));
    QHash<QString, int> counts;
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 3 * perWriter + 1);
    EXPECT_TRUE(lines.last().isEmpty());
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch m = record.match(lines[i]);
        ASSERT_TRUE(m.hasMatch()) << lines[i].left(80).toStdString();
        ++counts[m.captured(1)];
    }
    EXPECT_EQ(counts.value("T1"), perWriter);
    EXPECT_EQ(counts.value("T2"), perWriter);
    EXPECT_EQ(counts.value("P"), perWriter);
}

TEST_F(HostLog, EveryLevelHasItsExactTenCharacterWord) {
    m_log.SetDebugFlags(0x4); // "/d3": every level is written
    for (int32_t level = 0; level <= 6; ++level)
        ASSERT_TRUE(m_log.Write(0, level, "x"));
    const QByteArray bytes = readAll(LogFile("2004-05-06_core.log"));
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    QStringList words;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        words.append(line.mid(21));
    EXPECT_EQ(words, (QStringList{"NOTICE    :x", "NOTICE_D1 :x", "NOTICE_D2 :x", "NOTICE_D3 :x",
                                  "WARNING   :x", "ERROR     :x", "FATALERROR:x"}));
}

} // namespace
