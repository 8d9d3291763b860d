// Threads: the root walk, the replies under a message and the tree a thread window shows,
// refreshed in place while the root stays the same.
#include "TrovaneTestSupport.h"
#include "plugin/im/trovane/CTrovaneThreads.h"

namespace {

using namespace TrovaneBox;

class ThreadsTest : public TrovaneStoreTest {
protected:
    // A message sent at 12:mm, answering `reference` (none: the first of a thread).
    CTrovaneMessage* Add(const QString& id, const QString& reference, int minute,
                         uint32_t boxFlags = Received) {
        CLetrix m = MakeMessage(id, u"sato"_qs, u"me"_qs, u"件名 "_qs + id);
        m.SetReferenceID(reference);
        m.SetSendTime(QStringLiteral("202612071200%1").arg(minute, 2, 10, QLatin1Char('0')), 0);
        return store.AddEntry(Entry(m, boxFlags));
    }
    // The tree as "id(child,child)" text.
    QString Shape(const CTrovaneThreadTree::Node* node) {
        if (!node)
            return {};
        QString text = store.FindEntry(node->localNumber)->GetMessageID();
        if (node->children.empty())
            return text;
        QStringList children;
        for (const auto& child : node->children)
            children << Shape(child.get());
        return text + u'(' + children.join(u',') + u')';
    }
};

TEST_F(ThreadsTest, RootWalkFollowsReferencesAndStopsAtAMissingMessage) {
    CTrovaneMessage* a = Add(u"a"_qs, {}, 1);
    Add(u"b"_qs, u"a"_qs, 2);
    CTrovaneMessage* c = Add(u"c"_qs, u"b"_qs, 3);
    CTrovaneMessage* orphan = Add(u"d"_qs, u"gone"_qs, 4);
    EXPECT_EQ(CTrovaneThreads::Root(store, c), a);
    EXPECT_EQ(CTrovaneThreads::Root(store, a), a);
    EXPECT_EQ(CTrovaneThreads::Root(store, orphan), orphan);
    EXPECT_EQ(CTrovaneThreads::Root(store, nullptr), nullptr);
}

TEST_F(ThreadsTest, RootWalkStaysInTheMapOfTheStartingEntry) {
    // A sent reply to a received message: the walk looks for the reference among sent
    // messages only, so the sent reply is its own root.
    Add(u"a"_qs, {}, 1, Received);
    CTrovaneMessage* sentReply = Add(u"b"_qs, u"a"_qs, 2, Sent);
    EXPECT_EQ(CTrovaneThreads::Root(store, sentReply), sentReply);
    CTrovaneMessage* sentFirst = Add(u"s"_qs, {}, 3, Sent);
    CTrovaneMessage* sentNext = Add(u"t"_qs, u"s"_qs, 4, Sent);
    EXPECT_EQ(CTrovaneThreads::Root(store, sentNext), sentFirst);
}

TEST_F(ThreadsTest, ReferencesThatLoopEndTheWalkAndTheTree) {
    Add(u"x"_qs, u"y"_qs, 1);
    CTrovaneMessage* y = Add(u"y"_qs, u"x"_qs, 2);
    CTrovaneMessage* root = CTrovaneThreads::Root(store, y);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetMessageID(), u"x"_qs);
    CTrovaneThreadTree tree(store);
    ASSERT_TRUE(tree.Open(y->LocalNumber()));
    EXPECT_EQ(Shape(tree.RootNode()), u"x(y)"_qs);
}

TEST_F(ThreadsTest, RepliesAreOnePerMessageSentFirstThenOldestFirst) {
    CTrovaneMessage* a = Add(u"a"_qs, {}, 1);
    Add(u"late"_qs, u"a"_qs, 30);
    Add(u"early"_qs, u"a"_qs, 10);
    // The received message and its sent copy are one reply; the sent one is shown.
    Add(u"both"_qs, u"a"_qs, 20, Received);
    CTrovaneMessage* sentCopy = Add(u"both"_qs, u"a"_qs, 20, Sent);
    // Drafts stay out of the reply index.
    Add(u"draft"_qs, u"a"_qs, 5, Draft);
    const QList<CTrovaneMessage*> replies = CTrovaneThreads::Replies(store, *a);
    ASSERT_EQ(replies.size(), 3);
    EXPECT_EQ(replies[0]->GetMessageID(), u"early"_qs);
    EXPECT_EQ(replies[1], sentCopy);
    EXPECT_EQ(replies[2]->GetMessageID(), u"late"_qs);
}

TEST_F(ThreadsTest, TreeShowsRepliesOfRepliesBelowTheFirstMessage) {
    Add(u"a"_qs, {}, 1);
    Add(u"b2"_qs, u"a"_qs, 5);
    Add(u"b1"_qs, u"a"_qs, 3);
    CTrovaneMessage* c = Add(u"c"_qs, u"b1"_qs, 4);
    CTrovaneMessage* single = Add(u"alone"_qs, {}, 9);
    CTrovaneThreadTree tree(store);
    ASSERT_TRUE(tree.Open(c->LocalNumber()));
    EXPECT_EQ(Shape(tree.RootNode()), u"a(b1(c),b2)"_qs);
    EXPECT_TRUE(tree.RootNode()->expanded);
    EXPECT_FALSE(tree.Find(c->LocalNumber())->expanded);
    EXPECT_EQ(tree.NodeCount(), 4);
    ASSERT_TRUE(tree.Open(single->LocalNumber()));
    EXPECT_EQ(Shape(tree.RootNode()), u"alone"_qs);
}

TEST_F(ThreadsTest, RefreshAfterDeletingTheMiddleMessageUpdatesInPlace) {
    CTrovaneMessage* a = Add(u"a"_qs, {}, 1);
    CTrovaneMessage* b = Add(u"b"_qs, u"a"_qs, 2);
    CTrovaneMessage* c = Add(u"c"_qs, u"b"_qs, 3);
    CTrovaneThreadTree first(store);
    CTrovaneThreadTree third(store);
    ASSERT_TRUE(first.Open(a->LocalNumber()));
    ASSERT_TRUE(third.Open(c->LocalNumber()));
    EXPECT_EQ(Shape(third.RootNode()), u"a(b(c))"_qs);

    QStringList told;
    CTrovaneThreadTree::Observer observer;
    observer.beginRemove = [&](CTrovaneThreadTree::Node* parent, int from, int to) {
        told << QStringLiteral("remove %1 %2-%3").arg(parent->localNumber).arg(from).arg(to);
    };
    observer.beginInsert = [&](CTrovaneThreadTree::Node*, int, int) { told << u"insert"_qs; };
    observer.beginReset = [&] { told << u"reset"_qs; };
    first.SetObserver(observer);
    const CTrovaneThreadTree::Node* rootBefore = first.RootNode();

    const uint32_t cNumber = c->LocalNumber();
    store.DeleteEntry(b);
    EXPECT_FALSE(first.Refresh());
    EXPECT_EQ(first.RootNode(), rootBefore); // the same node: updated, not rebuilt
    EXPECT_EQ(Shape(first.RootNode()), u"a"_qs);
    EXPECT_FALSE(first.RootNode()->expanded);
    EXPECT_EQ(told, QStringList{QStringLiteral("remove %1 0-0").arg(a->LocalNumber())});

    // The third message's walk now stops at the missing middle one.
    EXPECT_TRUE(third.Refresh());
    EXPECT_EQ(third.RootNumber(), cNumber);
    EXPECT_EQ(Shape(third.RootNode()), u"c"_qs);
}

TEST_F(ThreadsTest, RefreshAddsNewRepliesAtTheirPlaceAndEmptiesForAGoneEntry) {
    CTrovaneMessage* a = Add(u"a"_qs, {}, 1);
    Add(u"b"_qs, u"a"_qs, 2);
    Add(u"d"_qs, u"a"_qs, 6);
    CTrovaneThreadTree tree(store);
    ASSERT_TRUE(tree.Open(a->LocalNumber()));
    QList<int> insertedAt;
    CTrovaneThreadTree::Observer observer;
    observer.beginInsert = [&](CTrovaneThreadTree::Node*, int from, int) { insertedAt << from; };
    tree.SetObserver(observer);
    Add(u"c"_qs, u"a"_qs, 4);
    Add(u"e"_qs, u"c"_qs, 5);
    EXPECT_FALSE(tree.Refresh());
    EXPECT_EQ(Shape(tree.RootNode()), u"a(b,c(e),d)"_qs);
    EXPECT_EQ(insertedAt, QList<int>{1});

    store.DeleteEntry(a);
    EXPECT_TRUE(tree.Refresh());
    EXPECT_EQ(tree.RootNode(), nullptr);
    EXPECT_EQ(tree.NodeCount(), 0);
}

} // namespace
