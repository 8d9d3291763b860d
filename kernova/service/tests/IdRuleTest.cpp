// The one rule for ids, and what the service refuses because of it.
#include "kernova/service/AttachmentNames.h"
#include "kernova/service/ServiceRules.h"
#include "kernova/service/tests/ServiceTestSupport.h"

#include <QSet>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

QString Unit(char16_t u) {
    return QString(QChar(u));
}

QString CodePoint(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

} // namespace

TEST(IdRule, BoundsIdsInBytesSoThatAFileNameWithAnAttachedNameAlwaysFits) {
    // 42 Japanese characters are 126 bytes; one more no longer fits.
    const QString longest(Svc::kMaxMessageIdBytes / 3, u'あ');
    EXPECT_TRUE(Svc::IsValidMessageId(longest));
    EXPECT_FALSE(Svc::IsValidMessageId(longest + u'あ'));
    EXPECT_TRUE(Svc::IsValidMessageId(QString(Svc::kMaxMessageIdBytes, u'x')));
    EXPECT_FALSE(Svc::IsValidMessageId(QString(Svc::kMaxMessageIdBytes + 1, u'x')));
    EXPECT_FALSE(Svc::IsValidMessageId(QString(90, u'あ')));
    // The longest id and the longest safe name of an attached file, with the suffix of a
    // numbered duplicate and of a temporary file, fit in the 255 bytes of one name.
    const QString name = Svc::SafeAttachmentName(QString(300, u'名') + S(".txt"));
    EXPECT_LE((longest + name + S(".tmp123")).toUtf8().size(), 255);

    EXPECT_TRUE(Svc::IsValidId(QString(Svc::kMaxIdBytes / 3, u'山')));
    EXPECT_FALSE(Svc::IsValidId(QString(Svc::kMaxIdBytes / 3 + 1, u'山')));
}

TEST(IdRule, ChecksEveryCodePointAlsoOutsideTheBasicPlane) {
    const QString refused[] = {
        S("a") + Unit(0xD800) + S("b"),       // unpaired high surrogate
        S("a") + Unit(0xDC00),                // unpaired low surrogate
        Unit(0xDC00) + Unit(0xD800),          // a pair in the wrong order
        S("a") + CodePoint(0xE0041),          // tag character
        S("a") + CodePoint(0xE0001),          // language tag
        S("a") + CodePoint(0x1D173),          // musical format character
        S("a") + CodePoint(0x10FFFF),         // non-character
        S("a") + CodePoint(0xE0080),          // unassigned
        S("a") + CodePoint(0xF0000),          // private use
        S("a") + Unit(0x200B),                // zero-width space
        S("a") + Unit(0x202E) + S("gpj.exe"), // right-to-left override
        S("a") + Unit(0x3000),                // ideographic space
        S("a") + QChar(u'\0') + S("b"),       // U+0000
        S("a/b"),
        S("a\\b"),
        S("a:b"),
        S(".a"),
        S("a*"),
    };
    for (const QString& id : refused) {
        EXPECT_FALSE(Svc::IsValidMessageId(id)) << qPrintable(id.toUtf8().toHex());
        EXPECT_FALSE(Svc::IsValidId(id)) << qPrintable(id.toUtf8().toHex());
    }
    // Visible characters outside the basic plane are ids like any other.
    EXPECT_TRUE(Svc::IsValidMessageId(S("20261207-😀-𠮷")));
    // A code point whose low 16 bits are a path character is not that character.
    EXPECT_TRUE(Svc::IsValidMessageId(S("a") + CodePoint(0x1002F)));
}

TEST(IdRule, ValidTextHasNoNulAndNoBrokenSurrogatePair) {
    EXPECT_TRUE(Svc::IsValidText(S("件名 😀")));
    EXPECT_TRUE(Svc::IsValidText({}));
    EXPECT_FALSE(Svc::IsValidText(S("a") + QChar(u'\0') + S("b")));
    EXPECT_FALSE(Svc::IsValidText(S("a") + Unit(0xD83D)));
    EXPECT_FALSE(Svc::IsValidText(Unit(0xDE00) + S("a")));
}

TEST(IdRule, Utf8IsRefusedUnlessWellFormed) {
    EXPECT_TRUE(Svc::IsValidUtf8(""));
    EXPECT_TRUE(Svc::IsValidUtf8("member-1 山田 😀 \xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\xFF", "a\x80", "\xC0\xAF",    // stray, continuation, overlong "/"
                            "\xE0\x80\xAF", "\xED\xA0\x80", // overlong, surrogate U+D800
                            "\xF4\x90\x80\x80",             // beyond U+10FFFF
                            "\xE3\x81", "\xF0\x9F\x98"})    // cut short
        EXPECT_FALSE(Svc::IsValidUtf8(bad)) << QByteArray(bad).toHex().toStdString();
}

using IdRuleService = ServiceFixture;

TEST_F(IdRuleService, RefusesUnstorableIdsAndTextsAndDeliversNothingOfThem) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    // Two ids that differ only in an unpaired surrogate would be one file at the receiver.
    for (const QString& id : {QString(90, u'あ'), S("m") + Unit(0xD800), S("m") + Unit(0xDFFF),
                              S("m") + CodePoint(0xE0041)}) {
        EXPECT_FALSE(a->SendMessage(MakeMessage(id, {S("b")})));
        EXPECT_EQ(a->LastError().code(), CServiceError::BadId);
    }
    SvcMessage m = MakeMessage(S("m1"), {S("b")});
    m.subject = S("前") + QChar(u'\0') + S("後");
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::BadText);
    m.subject = S("件名");
    m.body = S("本文") + Unit(0xDC00);
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::BadText);
    m.body = S("本文");
    m.fromName = S("名") + QChar(u'\0');
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::BadText);
    EXPECT_TRUE(b->GetPendingMessages().isEmpty());

    SvcMember member;
    member.id = S("c") + CodePoint(0xE0041);
    EXPECT_FALSE(admin->AddMember(member, S("pw")));
    EXPECT_EQ(admin->LastError().code(), CServiceError::BadId);
    member.id = S("c");
    member.memo = S("x") + QChar(u'\0');
    EXPECT_FALSE(admin->AddMember(member, S("pw")));
    EXPECT_EQ(admin->LastError().code(), CServiceError::BadText);
}
