#include "obrix/CIMGroup.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/CIMMember.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString text(const char16_t* p) {
    return p ? QString::fromUtf16(p) : QStringLiteral("<null>");
}

// Member ids of a chain of membership records, as a reader of the records sees it.
QStringList recordChain(const tagIMGRPMEMBER* r) {
    QStringList ids;
    for (; r; r = r->pBros)
        ids.append(text(r->pszID));
    return ids;
}

QStringList memberChain(const CIMGrpMember* m) {
    QStringList ids;
    for (; m; m = m->GetBros())
        ids.append(m->GetID());
    return ids;
}

// Each group's record links must be the records of the group's own linked objects.
void expectLinksConsistent(CIMGroup* g) {
    for (; g; g = g->GetBros()) {
        tagIMGROUP* r = *g;
        EXPECT_EQ(g->GetPresenceEntity(), &r->presence);
        EXPECT_EQ(r->pBros, g->GetBros() ? static_cast<tagIMGROUP*>(*g->GetBros()) : nullptr);
        EXPECT_EQ(r->pChild, g->GetChild() ? static_cast<tagIMGROUP*>(*g->GetChild()) : nullptr);
        EXPECT_EQ(r->pMember,
                  g->GetMember() ? static_cast<tagIMGRPMEMBER*>(*g->GetMember()) : nullptr);
        EXPECT_EQ(recordChain(r->pMember), memberChain(g->GetMember()));
        EXPECT_EQ(r->nMembers, memberChain(g->GetMember()).size());
        for (CIMGrpMember* m = g->GetMember(); m; m = m->GetBros())
            EXPECT_EQ(m->GetPresenceEntity(), &static_cast<tagIMGRPMEMBER*>(*m)->presence);
        expectLinksConsistent(g->GetChild());
    }
}

} // namespace

TEST(Member, NameAndIdFillsSlotsInOrder) {
    CIMMember m;
    m.SetID(QStringLiteral("m1"));
    m.SetFamilyName(QStringLiteral("Fam"), 1);
    m.SetFirstName(QStringLiteral("Giv"), 1);
    m.SetMiddleName(QStringLiteral("Mid"), 1);
    m.SetFamilyName(QStringLiteral("ファム"), 0);
    EXPECT_EQ(m.GetNameAndID(2, 0, 1), QStringLiteral("FamGiv [m1]"));
    EXPECT_EQ(m.GetNameAndID(1, 1, 0), QStringLiteral("Mid [m1]"));
    EXPECT_EQ(m.GetNameAndID(3, 2, 1), QStringLiteral("FamMidGiv [m1]"));
    EXPECT_EQ(m.GetNameAndID(0, 4, 9), QStringLiteral(" [m1]"));
    EXPECT_EQ(m.GetFamilyName(0), QStringLiteral("ファム"));
    EXPECT_EQ(m.GetFamilyName(7), QStringLiteral("Fam"));
}

TEST(Member, DisplayNameJoinsTheWrittenNamesWithTwoSpacesAndSkipsEmptyOnes) {
    CIMMember m;
    m.SetFamilyName(QStringLiteral("山田"), 1);
    m.SetFamilyName(QStringLiteral("ヤマダ"), 0);
    EXPECT_EQ(m.GetDisplayName(), QStringLiteral("山田"));
    m.SetFirstName(QStringLiteral("太郎"), 1);
    EXPECT_EQ(m.GetDisplayName(), QStringLiteral("山田  太郎"));
    m.SetMiddleName(QStringLiteral("J"), 1);
    EXPECT_EQ(CIMMember::DisplayName(m), QStringLiteral("山田  J  太郎"));
    EXPECT_EQ(CIMMember::DisplayName(nullptr), QString());
}

TEST(Member, RecordFieldsFollowSettersAndCopies) {
    const char16_t id[] = u"m2", tel[] = u"03-0000", first0[] = u"ギブ";
    tagIMMEMBER r{};
    r.pszID = id;
    r.pszTelephone = tel;
    r.pszFirstName0 = first0;
    r.nSex = 2;
    r.stBirth = SYSTEMTIME{1990, 4, 0, 1, 0, 0, 0, 0};
    CIMMember m;
    m.SetMemo(QStringLiteral("memo"));
    m.SetAlias(QStringLiteral("old"));
    m = &r;
    EXPECT_EQ(m.GetID(), QStringLiteral("m2"));
    EXPECT_EQ(m.GetFirstName(0), QStringLiteral("ギブ"));
    EXPECT_EQ(m.GetFirstName(1), QString());
    EXPECT_EQ(m.GetAlias(), QString()); // a null field is an empty string
    EXPECT_EQ(m.GetMemo(), QStringLiteral("memo"));
    EXPECT_EQ(m.GetSex(), 2u);
    EXPECT_EQ(m.GetBirth().wYear, 1990);
    tagIMMEMBER* own = m;
    EXPECT_NE(own->pszTelephone, tel);
    m.SetTelephone(QStringLiteral("090"));
    EXPECT_EQ(text(own->pszTelephone), QStringLiteral("090"));
    m = static_cast<const tagIMMEMBER*>(nullptr);
    EXPECT_EQ(m.GetID(), QStringLiteral("m2"));

    auto source = std::make_unique<CIMMember>(m);
    CIMMember copy(*source);
    source->SetEmail(QStringLiteral("x@y"));
    source.reset();
    tagIMMEMBER* c = copy;
    EXPECT_EQ(text(c->pszTelephone), QStringLiteral("090"));
    EXPECT_EQ(text(c->pszEmail), QString());
    EXPECT_EQ(copy.GetMemo(), QStringLiteral("memo"));
    EXPECT_EQ(c->stBirth.wMonth, 4);
}

TEST(GroupMembers, AddRemoveAndFindKeepChainAndRecordInStep) {
    CIMGroup g;
    g.AddMember(QStringLiteral("a"))->SetName(QStringLiteral("first a"));
    g.AddMember(QStringLiteral("a"));
    EXPECT_EQ(g.GetMembers(), 2u);
    EXPECT_EQ(g.GetMember(QStringLiteral("a"))->GetName(), QStringLiteral("first a"));
    EXPECT_EQ(g.GetMember(QStringLiteral("A")), nullptr);
    EXPECT_EQ(g.RemoveMember(QStringLiteral("a")), 1);
    EXPECT_EQ(g.GetMembers(), 1u);
    EXPECT_EQ(g.GetMember()->GetName(), QString());
    EXPECT_EQ(g.RemoveMember(QStringLiteral("zz")), 0);
    expectLinksConsistent(&g);

    g.ClearMember();
    for (const char* id : {"m1", "m2", "m3"})
        g.AddMember(QString::fromLatin1(id));
    ASSERT_EQ(g.RemoveMember(QStringLiteral("m1")), 1);
    EXPECT_EQ(recordChain(static_cast<tagIMGROUP*>(g)->pMember), QStringList({"m2", "m3"}));
    g.AddMember(QStringLiteral("m4"));
    ASSERT_EQ(g.RemoveMember(QStringLiteral("m3")), 1);
    EXPECT_EQ(recordChain(static_cast<tagIMGROUP*>(g)->pMember), QStringList({"m2", "m4"}));
    expectLinksConsistent(&g);
    g.ClearMember();
    EXPECT_EQ(static_cast<tagIMGROUP*>(g)->pMember, nullptr);
    EXPECT_EQ(g.GetMembers(), 0u);
}

TEST(GroupMembers, MembershipChainCopiesAndRelinks) {
    CIMGrpMember head;
    head.SetID(QStringLiteral("h"));
    head.SetRole(tageIMROLE(7)); // a role the library does not know passes through
    head.SetStatus(QStringLiteral("off"));
    head.CreateBros()->SetID(QStringLiteral("x"));
    head.GetBros()->CreateBros()->SetID(QStringLiteral("y"));
    EXPECT_EQ(head.GetTail()->GetID(), QStringLiteral("y"));

    CIMGrpMember copy(head);
    EXPECT_EQ(memberChain(&copy), QStringList({"h", "x", "y"}));
    EXPECT_EQ(copy.GetRole(), 7);
    EXPECT_EQ(copy.GetBkColor(), 0xFFFFFFu);
    EXPECT_EQ(copy.GetPresenceEntity(), &static_cast<tagIMGRPMEMBER*>(copy)->presence);
    EXPECT_NE(copy.GetBros(), head.GetBros());

    // Assigning from a record inside the own chain.
    copy = static_cast<tagIMGRPMEMBER*>(*copy.GetBros());
    EXPECT_EQ(memberChain(&copy), QStringList({"x", "y"}));
    EXPECT_EQ(recordChain(copy), QStringList({"x", "y"}));
    EXPECT_EQ(copy.GetRole(), IMROLE_MEMBER);

    // CreateBros replaces the successors; SetBros links an existing membership.
    head.CreateBros()->SetID(QStringLiteral("z"));
    EXPECT_EQ(recordChain(head), QStringList({"h", "z"}));
    auto* tail = new CIMGrpMember;
    tail->SetID(QStringLiteral("t"));
    head.GetBros()->SetBros(tail);
    EXPECT_EQ(recordChain(head), QStringList({"h", "z", "t"}));
}

namespace {

// a (child a1 (child a11), member m1 "off") -> b (child b1)
struct TreeRecords {
    tagIMGRPMEMBER m2{nullptr, u"m2", u"Two", IMROLE_MEMBER, {u"on", u"i", 0x00CCFFCC}};
    tagIMGRPMEMBER m1{&m2, u"m1", u"One", IMROLE_ADMINISTRATOR, {u"off", u"", 5}};
    tagIMGROUP a11{nullptr, nullptr, nullptr, u"a11", u"A11", 0, {}, nullptr};
    tagIMGROUP a1{nullptr, &a11, nullptr, u"a1", u"A1", 0, {}, nullptr};
    tagIMGROUP b1{nullptr, nullptr, nullptr, u"b1", u"B1", 0, {}, nullptr};
    tagIMGROUP b{nullptr, &b1, nullptr, u"b", u"B", 0, {u"on", u"g", 255}, nullptr};
    tagIMGROUP a{&b, &a1, nullptr, u"a", u"A", 5, {u"off", u"g", 1}, &m1};
};

} // namespace

TEST(GroupTree, CopyFromRecordsBuildsTheWholeTree) {
    TreeRecords t;
    CIMGroup g;
    g.AddMember(QStringLiteral("stale"));
    g = &t.a;
    EXPECT_EQ(g.GetName(), QStringLiteral("A"));
    EXPECT_EQ(g.GetBkColor(), 0xFFFFFFu); // "off" through the presence rules
    EXPECT_EQ(g.GetMembers(), 2u);        // the chain, not the claimed count
    EXPECT_EQ(memberChain(g.GetMember()), QStringList({"m1", "m2"}));
    EXPECT_EQ(g.GetMember()->GetRole(), IMROLE_ADMINISTRATOR);
    EXPECT_EQ(g.GetMember()->GetBkColor(), 0xFFFFFFu);
    EXPECT_EQ(g.GetMember(QStringLiteral("m2"))->GetBkColor(), 0x00CCFFCCu);
    EXPECT_EQ(g.GetChild()->GetChild()->GetID(), QStringLiteral("a11"));
    EXPECT_EQ(g.GetBros()->GetChild()->GetID(), QStringLiteral("b1"));
    EXPECT_EQ(g.GetBros()->GetBkColor(), 255u);
    expectLinksConsistent(&g);
    EXPECT_NE(static_cast<tagIMGROUP*>(g)->pMember, &t.m1);

    t.a.nMembers = 0; // a zero count ignores the chain
    g = &t.a;
    EXPECT_EQ(g.GetMember(), nullptr);
    EXPECT_EQ(g.GetMembers(), 0u);
    g = static_cast<const tagIMGROUP*>(nullptr);
    EXPECT_EQ(g.GetID(), QStringLiteral("a"));

    // Assigning a sub-tree of the group itself.
    g = static_cast<tagIMGROUP*>(*g.GetChild());
    EXPECT_EQ(g.GetID(), QStringLiteral("a1"));
    EXPECT_EQ(g.GetChild()->GetID(), QStringLiteral("a11"));
    EXPECT_EQ(g.GetBros(), nullptr);
    expectLinksConsistent(&g);
}

TEST(GroupTree, CopiesAreDeepAndIndependent) {
    TreeRecords t;
    auto source = std::make_unique<CIMGroup>();
    *source = &t.a;
    t.a.nMembers = 2;
    CIMGroup copy(*source);
    CIMGroup assigned;
    assigned = *source;
    source->SetStatus(QStringLiteral("on"));
    source->GetChild()->SetName(QStringLiteral("changed"));
    source->GetMember()->SetID(QStringLiteral("changed"));
    source.reset();
    for (CIMGroup* g : {&copy, &assigned}) {
        expectLinksConsistent(g);
        EXPECT_EQ(text(static_cast<tagIMGROUP*>(*g)->presence.pszStatus), QStringLiteral("off"));
        EXPECT_EQ(g->GetChild()->GetName(), QStringLiteral("A1"));
        EXPECT_EQ(memberChain(g->GetMember()), QStringList({"m1", "m2"}));
        EXPECT_EQ(g->GetBros()->GetID(), QStringLiteral("b"));
    }
    copy.SetStatus(QStringLiteral("away"));
    EXPECT_EQ(text(static_cast<tagIMGROUP*>(assigned)->presence.pszStatus), QStringLiteral("off"));
}

TEST(GroupTree, CreateRemoveAndSearchOrder) {
    CIMGroup root;
    root.SetID(QStringLiteral("r"));
    CIMGroup* child = root.CreateChild();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(root.CreateChild(), nullptr);
    CIMGroup* bros = root.CreateBros();
    EXPECT_EQ(root.CreateBros(), nullptr);
    child->SetID(QStringLiteral("x"));
    bros->SetID(QStringLiteral("x"));
    EXPECT_EQ(root.SearchID(QStringLiteral("x")), bros); // the sibling before the sub-group
    EXPECT_EQ(root.SearchID(QStringLiteral("X")), nullptr);

    // Sub-trees of later siblings are searched before this group's own.
    bros->SetID(QStringLiteral("b"));
    CIMGroup* nephew = bros->CreateChild();
    nephew->SetID(QStringLiteral("x"));
    EXPECT_EQ(root.SearchID(QStringLiteral("x")), nephew);
    CIMGroup* deep = child->CreateChild();
    deep->SetID(QStringLiteral("d"));
    EXPECT_EQ(root.SearchID(QStringLiteral("d")), deep);
    expectLinksConsistent(&root);

    root.RemoveBros();
    EXPECT_EQ(static_cast<tagIMGROUP*>(root)->pBros, nullptr);
    EXPECT_EQ(root.SearchID(QStringLiteral("x")), child);
    root.RemoveChild();
    EXPECT_EQ(static_cast<tagIMGROUP*>(root)->pChild, nullptr);
    EXPECT_EQ(root.SearchID(QStringLiteral("x")), nullptr);
}

TEST(GroupTree, LongLevelsAndChainsAreCopiedAndDestroyedWithoutDeepRecursion) {
    constexpr int n = 300000;
    auto root = std::make_unique<CIMGroup>();
    CIMGroup* g = root.get();
    CIMGrpMember* m = root->AddMember(QStringLiteral("m0"));
    for (int i = 1; i < n; ++i) {
        g = g->CreateBros();
        m = m->CreateBros();
    }
    g->SetID(QStringLiteral("last"));
    static_cast<tagIMGROUP*>(*root)->nMembers = n;
    CIMGroup copy(*root);
    root.reset();
    EXPECT_EQ(copy.GetMembers(), unsigned(n));
    EXPECT_EQ(copy.SearchID(QStringLiteral("last"))->GetBros(), nullptr);
}
