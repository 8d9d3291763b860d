// A service database damaged on disk: reads that stop at the damage say so, and an emptied
// file is neither taken for a missing service nor written over.
#include "kernova/service/tests/ServiceTestSupport.h"

#include <QFile>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

// Overwrites the header of the database page holding marker, so that reading it fails.
bool DamagePageHolding(const QString& path, const QByteArray& marker) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = f.readAll();
    const qsizetype at = bytes.indexOf(marker);
    const int pageSize = (uint8_t(bytes[16]) << 8 | uint8_t(bytes[17])) == 1
                             ? 65536
                             : uint8_t(bytes[16]) << 8 | uint8_t(bytes[17]);
    if (at < 0 || pageSize == 0)
        return false;
    const qsizetype page = at / pageSize * pageSize;
    return f.seek(page) && f.write(QByteArray(16, '\xFF')) == 16;
}

} // namespace

using DamagedDatabase = ServiceFixture;

TEST_F(DamagedDatabase, ReadsThatStopAtADamagedPageAreErrorsNotShortLists) {
    // Enough members, with long memos, that the table spans many pages.
    for (int i = 0; i < 40; ++i) {
        SvcMember m;
        m.id = QStringLiteral("member%1").arg(i, 3, 10, QLatin1Char('0'));
        m.memo = QStringLiteral("memo-%1-").arg(i, 3, 10, QLatin1Char('0')) + QString(900, u'x');
        ASSERT_TRUE(admin->AddMember(m, S("pw")));
    }
    {
        auto a = LogOn(S("a"));
        ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("b")})));
        ASSERT_GT(a->GetMembers().size(), 40);
    }
    admin.reset(); // the last connection folds the log into the database file
    const QString path = CServiceStore::DatabasePath(dir);
    ASSERT_TRUE(DamagePageHolding(path, "memo-030-"));

    CLocalService s(dir);
    // Members are read from the damaged table; the log-on itself may fail there as well.
    if (s.Logon(S("b"), Password(S("b")))) {
        EXPECT_TRUE(s.GetMembers().isEmpty());
        EXPECT_EQ(s.LastError().code(), CServiceError::Damaged)
            << s.LastError().EnglishText().toStdString();
    } else {
        EXPECT_EQ(s.LastError().code(), CServiceError::Damaged);
    }
    CLocalServiceAdmin again(dir);
    CServiceStore& store = again.Store();
    ASSERT_TRUE(store.Open());
    store.ClearError();
    EXPECT_TRUE(store.Members().isEmpty());
    EXPECT_EQ(store.LastError().code(), CServiceError::Damaged);
}

TEST_F(DamagedDatabase, AnEmptiedFileIsDamagedAndKeptAsItIs) {
    admin.reset();
    const QString path = CServiceStore::DatabasePath(dir);
    QFile::remove(path + S("-wal"));
    QFile::remove(path + S("-shm"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    CLocalService s(dir);
    EXPECT_FALSE(s.Logon(S("a"), Password(S("a"))));
    EXPECT_EQ(s.LastError().code(), CServiceError::Damaged);
    EXPECT_TRUE(s.GetMembers().isEmpty());
    EXPECT_EQ(s.LastError().code(), CServiceError::Damaged);
    CLocalServiceAdmin creator(dir);
    EXPECT_FALSE(creator.Create());
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_FALSE(QFile::exists(path + S("-wal")));
}
