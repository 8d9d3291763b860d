// Transfer conditions: which folder an entry is filed into, and the working copies the
// setting dialog edits.
#include "TrovaneTestSupport.h"

using namespace TrovaneBox;

namespace {

CTrovaneTransCond Cond(uint32_t scope, uint32_t target, const QString& keyword, uint32_t mode,
                       uint32_t folder) {
    CTrovaneTransCond c;
    c.nScope = scope;
    c.nTarget = target;
    c.strKeyword = keyword;
    c.nMode = mode;
    c.nFolder = folder;
    return c;
}

constexpr uint32_t kSender = CTrovaneTransCond::ScopeSender;
constexpr uint32_t kDest = CTrovaneTransCond::ScopeDestinations;
constexpr uint32_t kSubject = CTrovaneTransCond::ScopeSubject;
constexpr uint32_t kBody = CTrovaneTransCond::ScopeBody;
constexpr uint32_t kExists = CTrovaneTransCond::ModeExists;
constexpr uint32_t kLacks = CTrovaneTransCond::ModeNotExists;

} // namespace

TEST_F(TrovaneStoreTest, TheConditionAddedLaterWinsAndTargetsSelectTheDirection) {
    core.AddMember(u"sato"_qs, u"佐藤"_qs);
    const CTrovaneMessage received =
        Entry(MakeMessage(u"r"_qs, u"sato"_qs, u"me"_qs, u"週報 12月"_qs), Received);
    const CTrovaneMessage sent =
        Entry(MakeMessage(u"s"_qs, u"me"_qs, u"sato"_qs, u"週報 12月"_qs), Sent);

    EXPECT_EQ(conditions.Match(received), 0u);
    conditions.Append(Cond(kSubject, 0, u"週報"_qs, kExists, 16));
    conditions.Append(Cond(kSubject, 0, u"12月"_qs, kExists, 17));
    EXPECT_EQ(conditions.Match(received), 17u);
    // A sent message never matches a condition for received ones, and the reverse.
    EXPECT_EQ(conditions.Match(sent), 0u);
    conditions.Append(Cond(kDest, 1, u"佐藤 [sato]"_qs, kExists, 18));
    EXPECT_EQ(conditions.Match(sent), 18u);
    EXPECT_EQ(conditions.Match(received), 17u);
    // Any other target applies to both.
    conditions.Append(Cond(kSubject, 7, u"週報"_qs, kExists, 19));
    EXPECT_EQ(conditions.Match(sent), 19u);
    EXPECT_EQ(conditions.Match(received), 19u);
    // Drafts go to the drafts folder whatever the conditions say.
    EXPECT_EQ(
        conditions.Match(Entry(MakeMessage(u"d"_qs, u"me"_qs, u"sato"_qs, u"週報"_qs), Draft)),
        DraftsFolder);
}

TEST_F(TrovaneStoreTest, ScopesSearchSenderDestinationsSubjectAndPlainBodyCaseSensitively) {
    core.AddMember(u"sato"_qs, u"佐藤"_qs);
    CLetrix m = MakeMessage(u"r"_qs, u"sato"_qs, u"me"_qs, u"Budget"_qs,
                            u"<FONT COLOR=secret>予算案</FONT><OBJECT data=\"plan.xls\">"
                            u"plan.xls</OBJECT>"_qs);
    m.SetFromName(u"佐藤"_qs);
    const CTrovaneMessage entry = Entry(m, Received);

    auto matches = [&](const CTrovaneTransCond& c) {
        CTrovaneTransCondList one;
        one.Append(c);
        return one.Match(entry) == c.nFolder;
    };
    EXPECT_TRUE(matches(Cond(kSender, 0, u"佐藤 [sato]"_qs, kExists, 16)));
    EXPECT_TRUE(matches(Cond(kSubject, 0, u"Budget"_qs, kExists, 16)));
    EXPECT_FALSE(matches(Cond(kSubject, 0, u"budget"_qs, kExists, 16)));
    EXPECT_TRUE(matches(Cond(kBody, 0, u"予算"_qs, kExists, 16)));
    // Neither a tag attribute nor the file name of an attachment is body text.
    EXPECT_FALSE(matches(Cond(kBody, 0, u"secret"_qs, kExists, 16)));
    EXPECT_FALSE(matches(Cond(kBody, 0, u"plan.xls"_qs, kExists, 16)));
    EXPECT_TRUE(matches(Cond(kBody, 0, u"plan.xls"_qs, kLacks, 16)));
    // Scopes and modes outside the table never hold.
    EXPECT_FALSE(matches(Cond(9, 0, u"Budget"_qs, kExists, 16)));
    EXPECT_FALSE(matches(Cond(kSubject, 0, u"Budget"_qs, 1, 16)));
}

TEST_F(TrovaneStoreTest, DestinationsAreTestedListByListSoAnEmptyBccSatisfiesDoesNotExist) {
    core.AddMember(u"me"_qs, u"自分"_qs);
    const CTrovaneMessage received =
        Entry(MakeMessage(u"r"_qs, u"sato"_qs, u"me"_qs, u"x"_qs), Received);
    CTrovaneTransCondList list;
    list.Append(Cond(kDest, 0, u"自分"_qs, kLacks, 16));
    // The To list holds the word, but the empty Cc and Bcc lists do not.
    EXPECT_EQ(list.Match(received), 16u);
    list.Clear();
    list.Append(Cond(kDest, 0, u"自分"_qs, kExists, 16));
    EXPECT_EQ(list.Match(received), 16u);
}

TEST_F(TrovaneStoreTest, WorkingCopiesMergeBackInPlaceAppendAndDrop) {
    conditions.Append(Cond(kSubject, 0, u"a"_qs, kExists, 16));
    conditions.Append(Cond(kSubject, 0, u"b"_qs, kExists, 17));
    conditions.Append(Cond(kSubject, 0, u"c"_qs, kExists, 16));

    QList<CTrovaneTransCond> copy = conditions.ConditionsFor(16);
    ASSERT_EQ(copy.size(), 2);
    EXPECT_EQ(copy[0].nIndex, 0);
    EXPECT_EQ(copy[1].nIndex, 2);
    copy[0].strKeyword = u"A"_qs;                  // exchanged
    copy[1].nKeep = 0;                             // deleted
    copy << Cond(kSender, 0, u"d"_qs, kLacks, 16); // added, index -1
    CTrovaneTransCond stale = Cond(kSender, 0, u"e"_qs, kExists, 16);
    stale.nIndex = 40; // out of range: appended
    copy << stale;
    conditions.Merge(copy);

    QStringList keywords;
    for (const CTrovaneTransCond& c : conditions.Conditions())
        keywords << c.strKeyword;
    EXPECT_EQ(keywords, QStringList({u"A"_qs, u"b"_qs, u"d"_qs, u"e"_qs}));
    for (const CTrovaneTransCond& c : conditions.Conditions())
        EXPECT_EQ(c.nIndex, -1);

    conditions.DeleteForFolder(16);
    ASSERT_EQ(conditions.Count(), 1);
    EXPECT_EQ(conditions.Conditions()[0].nFolder, 17u);
}
