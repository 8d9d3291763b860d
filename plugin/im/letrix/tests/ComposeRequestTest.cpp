// Compose requests of every kind and the address texts they are filled with.
#include "LetrixTestSupport.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "plugin/im/letrix/CAddressText.h"
#include "plugin/im/letrix/CIMMesComposeRequest.h"

namespace {

class ComposeRequest : public LetrixTest {
protected:
    void SetUp() override {
        LetrixTest::SetUp();
        earlier.SetMessageID(QStringLiteral("20261207101500123-taro"));
        earlier.SetFromID(QStringLiteral("taro"));
        earlier.SetSubject(QStringLiteral("RE: 会議"));
        earlier.SetMessage(QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\"><FONT face=\"a\" size=\"3\" "
                                          "color=\"#000000\">本文</FONT></BODY>"
                                          "<OBJECT>taro/資料.pdf</OBJECT>"));
    }
    CIMMesComposeRequest Build(int32_t kind) {
        const tagMESBEGIN data{ObrixBox::Received, earlier.Record()};
        const auto r = CIMMesComposeRequest::Build(core, kind, intptr_t(&data));
        EXPECT_TRUE(r.has_value()) << kind;
        return r.value_or(CIMMesComposeRequest{});
    }
    CLetrix earlier;
};

} // namespace

TEST_F(ComposeRequest, ReplyAddressesTheSenderAndPrefixesTheSubjectAgain) {
    const CIMMesComposeRequest r = Build(MessageBegin::Reply);
    EXPECT_EQ(r.to, kTaro);
    EXPECT_EQ(r.subject, QStringLiteral("RE: RE: 会議"));
    EXPECT_EQ(r.referenceId, earlier.GetMessageID());
    EXPECT_EQ(r.originBox, uint32_t(ObrixBox::Received));
    // The attachment element does not come along.
    EXPECT_FALSE(r.body.contains(QStringLiteral("OBJECT")));
    EXPECT_TRUE(r.body.contains(QStringLiteral("本文")));
    // A sender the core no longer knows leaves To empty.
    earlier.SetFromID(QStringLiteral("gone"));
    EXPECT_EQ(Build(MessageBegin::Reply).to, QString());
}

TEST_F(ComposeRequest, ReplyToAllTakesToAndCcWithoutTheUserPlusTheSenderInTextOrder) {
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("me,all@sales,unknown"));
    earlier.AddDst(CLetrix::DST_CC, QStringLiteral("hana"));
    earlier.AddDst(CLetrix::DST_BCC, QStringLiteral("ghost"));
    const CIMMesComposeRequest r = Build(MessageBegin::ReplyToAll);
    // Ordered by id: hana, sales, taro; the user and unknown ids are gone.
    EXPECT_EQ(r.to, kHana + u',' + kSales + u',' + kTaro);
    EXPECT_EQ(r.subject, QStringLiteral("RE: RE: 会議"));

    // Answering one's own message: the user is removed before the sender is added.
    CLetrix own;
    own.SetFromID(QStringLiteral("me"));
    own.AddDst(CLetrix::DST_TO, QStringLiteral("me"));
    earlier = own;
    EXPECT_EQ(Build(MessageBegin::ReplyToAll).to, kMe);
}

TEST_F(ComposeRequest, AllOnLineMembersReplaceWhatCameBefore) {
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("hana,all@OnNetters,taro"));
    // In text order "OnNetters" sorts before "hana", so hana comes after it.
    EXPECT_EQ(Build(MessageBegin::NewToSameRecipients).to, kOnNet + u',' + kHana + u',' + kTaro);
    // In message order (a draft) the entries before it are dropped.
    EXPECT_EQ(Build(MessageBegin::EditDraft).to, kOnNet + u',' + kTaro);
}

TEST_F(ComposeRequest, NewToSameRecipientsUsesOnlyToWithoutSubjectOrBody) {
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("taro,hana"));
    earlier.AddDst(CLetrix::DST_CC, QStringLiteral("me"));
    const CIMMesComposeRequest r = Build(MessageBegin::NewToSameRecipients);
    EXPECT_EQ(r.to, kHana + u',' + kTaro);
    EXPECT_TRUE(r.subject.isEmpty());
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_TRUE(r.referenceId.isEmpty());
}

TEST_F(ComposeRequest, DraftKeepsItsIdListsInOrderSubjectAndBody) {
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("taro,all@sales"));
    earlier.AddDst(CLetrix::DST_CC, QStringLiteral("hana"));
    earlier.AddDst(CLetrix::DST_BCC, QStringLiteral("me,nobody"));
    const CIMMesComposeRequest r = Build(MessageBegin::EditDraft);
    EXPECT_EQ(r.messageId, earlier.GetMessageID());
    EXPECT_EQ(r.to, kTaro + u',' + kSales);
    EXPECT_EQ(r.cc, kHana);
    EXPECT_EQ(r.bcc, kMe);
    EXPECT_EQ(r.subject, QStringLiteral("RE: 会議"));
    EXPECT_FALSE(r.body.contains(QStringLiteral("OBJECT")));
}

TEST_F(ComposeRequest, ForwardHasNoDestinations) {
    earlier.AddDst(CLetrix::DST_TO, QStringLiteral("hana"));
    const CIMMesComposeRequest r = Build(MessageBegin::Forward);
    EXPECT_TRUE(r.to.isEmpty());
    EXPECT_EQ(r.subject, QStringLiteral("FW: RE: 会議"));
    EXPECT_EQ(r.referenceId, earlier.GetMessageID());
}

TEST_F(ComposeRequest, NewToMemberCarriesTheFilesAndOtherKindsNothing) {
    const QString a = QStringLiteral("/tmp/a.txt"), b = QStringLiteral("/tmp/b");
    const char16_t* files[] = {u16(a), u16(b)};
    const tagMESBEGINMEMBER data{u"hana", files, 2};
    const auto r = CIMMesComposeRequest::Build(core, MessageBegin::NewToMember, intptr_t(&data));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->to, kHana);
    EXPECT_EQ(r->files, QStringList({a, b}));
    EXPECT_TRUE(CIMMesComposeRequest::Build(core, MessageBegin::New, 0));
    EXPECT_FALSE(CIMMesComposeRequest::Build(core, MessageBegin::Reply, 0));
    EXPECT_FALSE(CIMMesComposeRequest::Build(core, 11, 0));
}

TEST_F(LetrixTest, AddressDestinationsCollectBracketedText) {
    const QString text =
        kTaro + QStringLiteral(", ") + kSales + QStringLiteral(",名前だけ,a [ha]b[na] ,") + kOnNet;
    EXPECT_EQ(
        CAddressText::Destinations(core, text),
        QStringList({QStringLiteral("taro"), QStringLiteral("all@sales"), QStringLiteral("all@"),
                     QStringLiteral("hana"), QStringLiteral("all@OnNetters")}));
}

TEST_F(LetrixTest, BackspaceAndDeleteRemoveTheWholeEntry) {
    const QString text = kTaro + u',' + kHana + u',' + kSales;
    int caret = -1;
    // Caret inside the middle entry.
    EXPECT_EQ(CAddressText::RemoveEntry(text, int(kTaro.size()) + 3, int(kTaro.size()) + 3, caret),
              kTaro + u',' + kSales);
    EXPECT_EQ(caret, kTaro.size() + 3);
    // The first entry: the leading comma goes too.
    EXPECT_EQ(CAddressText::RemoveEntry(text, 2, 2, caret), kHana + u',' + kSales);
    // The last entry, caret at the end.
    EXPECT_EQ(CAddressText::RemoveEntry(text, int(text.size()), int(text.size()), caret),
              kTaro + u',' + kHana);
    EXPECT_EQ(caret, kTaro.size() + 1 + kHana.size());
    EXPECT_EQ(CAddressText::RemoveEntry(kTaro, 0, 0, caret), QString());
}

TEST_F(LetrixTest, DroppedMembersAreAppendedUntilAnUnknownMember) {
    EXPECT_EQ(CAddressText::AppendDrop(core, kMe, QStringLiteral("M,taro,G,sales,o,OnNetters")),
              kMe + u',' + kTaro + u',' + kSales + u',' + kOnNet);
    EXPECT_EQ(CAddressText::AppendDrop(core, QString(), QStringLiteral("M,hana,gone,taro")), kHana);
    // An item before any marker, or nothing known, changes nothing.
    EXPECT_FALSE(CAddressText::AppendDrop(core, kMe, QStringLiteral("taro,M,hana")));
    EXPECT_FALSE(CAddressText::AppendDrop(core, kMe, QStringLiteral("M,gone")));
}
