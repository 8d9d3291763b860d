// The checks before sending, in order with their texts, and the message that is sent.
#include "LetrixTestSupport.h"

#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CIMMesSendBuilder.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class SendBuilder : public LetrixTest {
protected:
    std::optional<uint32_t> Check(const CIMMesComposeContent& c) {
        CLetrix message;
        const auto failure = CIMMesSendBuilder::BuildForSend(core, c, message);
        return failure ? std::optional(failure->message) : std::nullopt;
    }
    CIMMesComposeContent Valid() const {
        CIMMesComposeContent c;
        c.to = kTaro;
        c.subject = QStringLiteral("件名");
        c.bodyHtml = QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">x</BODY>");
        c.bodyLength = 1;
        return c;
    }
};

} // namespace

TEST_F(SendBuilder, ChecksRunInOrderWithTheirTexts) {
    CIMMesComposeContent c = Valid();
    c.subject = QString(257, u'件');
    c.bodyLength = 10001;
    c.to.clear();
    c.files = {QStringLiteral("/nonexistent/file")};
    CLetrix message;
    auto failure = CIMMesSendBuilder::BuildForSend(core, c, message);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, 918u);
    ASSERT_EQ(failure->args.size(), 1);
    EXPECT_EQ(failure->args[0].Number(), 256);

    c.subject = QString(256, u'件'); // exactly the limit is fine
    failure = CIMMesSendBuilder::BuildForSend(core, c, message);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, 917u);
    EXPECT_EQ(failure->args[0].Number(), 10000);

    c.bodyLength = 10000;
    EXPECT_EQ(Check(c), 871u);
    c.to = kTaro;
    failure = CIMMesSendBuilder::BuildForSend(core, c, message);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, 890u);
    EXPECT_EQ(failure->args[0].Text(), QStringLiteral("file"));
    c.files.clear();
    EXPECT_EQ(Check(c), std::nullopt);
}

TEST_F(SendBuilder, MessageCarriesSenderDestinationsPriorityColourAndAttachments) {
    QTemporaryDir dir;
    const QString file = WriteTestFile(dir, QStringLiteral("資料 1.txt"), "data");

    CIMMesComposeContent c = Valid();
    c.cc = kHana + u',' + kSales;
    c.bcc = QStringLiteral("名前だけ");
    c.important = true;
    c.background = 0x00112233;
    c.files = {file};
    c.referenceId = QStringLiteral("ref-1");
    CLetrix m;
    ASSERT_FALSE(CIMMesSendBuilder::BuildForSend(core, c, m));
    EXPECT_EQ(m.GetFromID(), QStringLiteral("me"));
    EXPECT_EQ(m.GetReplyTo(), QStringLiteral("me"));
    EXPECT_EQ(m.GetFromName(), QStringLiteral("自分一郎"));
    EXPECT_TRUE(m.GetMessageID().endsWith(QStringLiteral("-me")));
    EXPECT_EQ(m.GetDstString(CLetrix::DST_TO), QStringLiteral("taro"));
    EXPECT_EQ(m.GetDstString(CLetrix::DST_CC), QStringLiteral("hana,all@sales"));
    EXPECT_EQ(m.GetDstString(CLetrix::DST_BCC), QStringLiteral("all@"));
    EXPECT_EQ(m.GetPriority(), 1u);
    EXPECT_EQ(m.GetBgColor(), 0x00112233u);
    EXPECT_EQ(m.GetReferenceID(), QStringLiteral("ref-1"));
    EXPECT_EQ(m.GetMessage(),
              c.bodyHtml + QStringLiteral("<OBJECT>") + file + QStringLiteral("</OBJECT>"));
}

TEST_F(SendBuilder, DraftHasNoSenderColourOrAttachments) {
    CIMMesComposeContent c = Valid();
    c.background = 0x00112233;
    c.files = {QStringLiteral("/nonexistent/file")};
    c.draftId = QStringLiteral("draft-7");
    CLetrix m;
    CIMMesSendBuilder::BuildDraft(core, c, m);
    EXPECT_EQ(m.GetMessageID(), QStringLiteral("draft-7"));
    EXPECT_TRUE(m.GetFromID().isEmpty());
    EXPECT_EQ(m.GetBgColor(), 0u);
    EXPECT_EQ(m.GetMessage(), c.bodyHtml);
    EXPECT_EQ(m.GetDstString(CLetrix::DST_TO), QStringLiteral("taro"));
}

TEST(SendRule, NeedsViewOnLineBodyOrFileAndTo) {
    EXPECT_TRUE(CIMMesSendBuilder::CanSend(true, 2, false, 0, QStringLiteral("a [a]")));
    EXPECT_TRUE(CIMMesSendBuilder::CanSend(true, 2, true, 1, QStringLiteral("a [a]")));
    EXPECT_FALSE(CIMMesSendBuilder::CanSend(true, 2, true, 0, QStringLiteral("a [a]")));
    EXPECT_FALSE(CIMMesSendBuilder::CanSend(true, 4, false, 0, QStringLiteral("a [a]")));
    EXPECT_FALSE(CIMMesSendBuilder::CanSend(true, 2, false, 0, QString()));
    EXPECT_FALSE(CIMMesSendBuilder::CanSend(false, 2, false, 0, QStringLiteral("a [a]")));
}
