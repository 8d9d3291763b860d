#include "obrix/CArchive.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

} // namespace

TEST(Archive, IntegersAreLittleEndian) {
    CArchive ar;
    ar << int32_t(-2) << uint32_t(0x01020304) << int64_t(0x1122334455667788);
    EXPECT_EQ(ar.Bytes(), bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x88, 0x77, 0x66,
                                 0x55, 0x44, 0x33, 0x22, 0x11}));
    CArchive in(ar.Bytes());
    EXPECT_EQ(in.ReadInt32(), -2);
    EXPECT_EQ(in.ReadUInt32(), 0x01020304u);
    EXPECT_EQ(in.ReadInt64(), 0x1122334455667788);
    EXPECT_TRUE(in.AtEnd());
}

TEST(Archive, StringLengthPrefixesAtEachBoundary) {
    CArchive ar;
    ar << QStringLiteral("ab");
    EXPECT_EQ(ar.Bytes(), bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b', 0}));

    for (int n : {0, 0xFE, 0xFF, 0xFFFD, 0xFFFE, 0x10005}) {
        CArchive out;
        const QString s(n, QChar(u'語'));
        out << s;
        const QByteArray& b = out.Bytes();
        const int header = n < 0xFF ? 4 : n < 0xFFFE ? 6 : 10;
        ASSERT_EQ(b.size(), header + 2 * n) << n;
        if (n >= 0xFFFE) {
            EXPECT_EQ(b.mid(3, 3), bytes({0xFF, 0xFF, 0xFF})) << n;
        }
        CArchive in(b);
        EXPECT_EQ(in.ReadString(), s) << n;
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(Archive, EightBitStringsReadWithTheSameLengthRules) {
    CArchive in(bytes({0x03, 'x', 'y', 'z', 0xFF, 0x02, 0x00, 'h', 'i'}));
    EXPECT_EQ(in.ReadString(), QStringLiteral("xyz"));
    EXPECT_EQ(in.ReadString(), QStringLiteral("hi"));
    EXPECT_TRUE(in.AtEnd());
}

TEST(Archive, TruncatedInputIsAnEndOfFileErrorNotACrash) {
    const QByteArray whole = bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c', 0});
    for (int cut = 0; cut < whole.size(); ++cut) {
        CArchive in(whole.left(cut));
        try {
            in.ReadString();
            ADD_FAILURE() << "no error at " << cut;
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.cause(), CArchiveException::endOfFile);
        }
    }
    // An odd number of UTF-16 bytes cannot hold the announced characters.
    CArchive odd(bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}));
    EXPECT_THROW(odd.ReadString(), CArchiveException);
    CArchive shortInt(bytes({1, 2, 3}));
    EXPECT_THROW(shortInt.ReadInt32(), CArchiveException);
}

TEST(Archive, HugeLengthsAndCountsAreRefusedWithoutAllocating) {
    CArchive huge(bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}));
    EXPECT_THROW(huge.ReadString(), CArchiveException);

    CArchive counted(bytes({0x00, 0x00, 0x00, 0x10, 1, 2, 3, 4}));
    try {
        counted.ReadCount(4);
        ADD_FAILURE();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.cause(), CArchiveException::badCount);
    }
    CArchive fits(bytes({0x02, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(fits.ReadCount(4), 2);
    CArchive negative(bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(negative.ReadCount(4), -1);
}
