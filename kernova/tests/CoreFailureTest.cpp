// The core where things go wrong or are asked wrongly: read marking asked for messages that are
// not received ones, and a failed log-on while off line after a lost session.
#include "kernova/ObrixExports.h"
#include "kernova/tests/KernovaTestSupport.h"
#include "obrix/CLetrix.h"
#include "obrix/ObrixApi.h"

#include <QFile>

using namespace kntest;

namespace {

using CoreFailure = CoreFixture;

uint32_t FlagsOf(int32_t box, const char16_t* id) {
    tagLETRIX* record = OBRIX_GetMessage(box, id);
    if (!record)
        return ~0u;
    const uint32_t flags = CLetrix(record).GetFlags();
    OBRIX_CleanupLetrix(record);
    return flags;
}

TEST_F(CoreFailure, ReadMarkingRefusesSentMessagesAndDraftsAndChangesNoFlag) {
    LogOnCore();
    auto peer = LogOn("b");
    svctest::EventLog peerLog(peer.get());
    CLetrix sent;
    sent.SetMessageID("s-1");
    sent.AddDst(CLetrix::DST_TO, "b");
    ASSERT_EQ(OBRIX_SendMessage(sent.Record()), 1);
    ASSERT_TRUE(peerLog.WaitFor("message s-1"));
    char16_t draftId[128];
    ASSERT_EQ(OBRIX_SaveDraftMessage(sent.Record(), draftId, 128), 1);
    const uint32_t sentFlags = FlagsOf(ObrixBox::Sent, u"s-1");
    const uint32_t draftFlags = FlagsOf(ObrixBox::Draft, draftId);
    ASSERT_NE(sentFlags, ~0u);
    ASSERT_NE(draftFlags, ~0u);
    TakeCalls();

    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Sent, u"s-1"), 0);
    EXPECT_EQ(OBRIX_SetReadMessage(ObrixBox::Draft, draftId), 0);
    EXPECT_EQ(FlagsOf(ObrixBox::Sent, u"s-1"), sentFlags);
    EXPECT_EQ(FlagsOf(ObrixBox::Draft, draftId), draftFlags);
    EXPECT_TRUE(CallsStartingWith("1 OnChangeMessageFlags").isEmpty());
    peerLog.Settle();
    EXPECT_EQ(peerLog.Count("receipt"), 0);
}

TEST_F(CoreFailure, AFailedLogOnWhileOffLineLeavesTheCoreOffLineWithItsMessages) {
    LogOnCore();
    {
        auto peer = LogOn("b");
        ASSERT_TRUE(peer->SendMessage(svctest::MakeMessage("r-1", {"a"})));
        ASSERT_TRUE(WaitForCall("1 OnRecvMessage r-1"));
    }
    auto again = LogOn("a"); // the same member elsewhere ends this session
    ASSERT_TRUE(WaitForCall("1 OnLogoff 1"));
    ASSERT_EQ(OBRIX_GetLogonState(), ObrixLogon::Offline);

    EXPECT_FALSE(core->LogonWith("a", "wrong password"));
    EXPECT_EQ(OBRIX_GetLogonState(), ObrixLogon::Offline) << "not logged off";
    EXPECT_NE(FlagsOf(ObrixBox::Received, u"r-1"), ~0u) << "stored messages stay readable";
    CLetrix draft;
    draft.SetSubject("続き");
    char16_t id[128];
    EXPECT_EQ(OBRIX_SaveDraftMessage(draft.Record(), id, 128), 1) << "composing stays possible";
}

} // namespace
