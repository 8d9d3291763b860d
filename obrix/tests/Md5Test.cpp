#include "obrix/Cmd5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

QString md5(const QByteArray& bytes) {
    QByteArray copy = bytes;
    return Cmd5().GetHash(reinterpret_cast<unsigned char*>(copy.data()), unsigned(copy.size()));
}

QString md5Utf16(const char16_t* text, unsigned length = 0, std::size_t offset = 0) {
    // Copied to an odd offset on request: the string need not be aligned.
    std::vector<unsigned char> buf(offset + 2 * (std::char_traits<char16_t>::length(text) + 1));
    std::memcpy(buf.data() + offset, text, buf.size() - offset);
    return Cmd5().GetHash(buf.data() + offset, length);
}

} // namespace

TEST(Md5, RfcTestSuite) {
    EXPECT_EQ(md5(""), u"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5("a"), u"0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5("abc"), u"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5("message digest"), u"f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5("abcdefghijklmnopqrstuvwxyz"), u"c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              u"d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(md5("1234567890123456789012345678901234567890"
                  "1234567890123456789012345678901234567890"),
              u"57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, LengthsAroundThePaddingBoundaries) {
    const std::pair<int, const char16_t*> cases[] = {
        {55, u"04364420e25c512fd958a70738aa8f72"}, {56, u"668a72d5ba17f08e62dabcafad6db14b"},
        {63, u"7dc2ca208106a2f703567bdff99d8981"}, {64, u"c1bb4f81d892b2d57947682aeb252456"},
        {65, u"1bc932052302d074bdec39795fe00cf6"}, {1000, u"398533d48111e9f664b1f64cb10c4b63"},
    };
    for (const auto& [n, digest] : cases)
        EXPECT_EQ(md5(QByteArray(n, 'x')), digest) << n;
}

TEST(Md5, NonPositiveLengthDigestsAUtf16StringWithoutItsTerminator) {
    const QString abc = QStringLiteral("ce1473cf80c6b3fda8e3dfc006adc315");
    EXPECT_EQ(md5Utf16(u"abc"), abc);
    EXPECT_EQ(md5Utf16(u"abc", 0x80000000u), abc);
    EXPECT_EQ(md5Utf16(u"abc", 0xFFFFFFFFu, 1), abc);
    EXPECT_EQ(md5Utf16(u"\u3042"), u"4c769c2c9989abb9fa024ab9930270e5");
    EXPECT_EQ(md5Utf16(u""), u"d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, SameObjectGivesTheSameDigestAgain) {
    Cmd5 hasher;
    unsigned char data[] = "abc";
    const QString first = hasher.GetHash(data, 3);
    EXPECT_EQ(hasher.GetHash(data, 3), first);
    EXPECT_EQ(first, u"900150983cd24fb0d6963f7d28e17f72");
}
