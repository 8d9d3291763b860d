#include "kernova/service/tests/ServiceTestSupport.h"

using namespace svctest;

namespace {
QString S(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

using BadInput = ServiceFixture;

TEST_F(BadInput, LogOnRefusesMalformedIdsAndDoesNotTellUnknownFromWrongPassword) {
    CLocalService s(dir);
    EXPECT_FALSE(s.Logon({}, S("x")));
    EXPECT_EQ(s.LastError().code(), CServiceError::BadId);
    EXPECT_FALSE(s.Logon(S("a b"), S("x")));
    EXPECT_EQ(s.LastError().code(), CServiceError::BadId);
    EXPECT_FALSE(s.Logon(S("a"), S("wrong")));
    EXPECT_EQ(s.LastError().code(), CServiceError::BadLogon);
    EXPECT_FALSE(s.Logon(S("nobody"), S("x")));
    EXPECT_EQ(s.LastError().code(), CServiceError::BadLogon);
    EXPECT_FALSE(s.Logon(S("a"), {}));
    EXPECT_FALSE(s.IsLoggedOn());
    EXPECT_FALSE(s.SendMessage(MakeMessage(S("m1"), {S("b")})));
    EXPECT_EQ(s.LastError().code(), CServiceError::NotLoggedOn);
    EXPECT_FALSE(s.Heartbeat());
    EXPECT_FALSE(s.LastError().Text().isEmpty());
}

TEST_F(BadInput, MissingServiceIsReportedNotCreated) {
    const QString elsewhere = dir + S("-missing");
    CLocalService s(elsewhere);
    EXPECT_FALSE(s.Logon(S("a"), Password(S("a"))));
    EXPECT_EQ(s.LastError().code(), CServiceError::NoService);
    EXPECT_FALSE(QFile::exists(CServiceStore::DatabasePath(elsewhere)));
    EXPECT_TRUE(s.GetMembers().isEmpty());
    CLocalServiceAdmin again(dir);
    EXPECT_FALSE(again.Create());
    EXPECT_EQ(again.LastError().code(), CServiceError::ServiceExists);
}

TEST_F(BadInput, SizesAreBoundedAtTheLimitsAndNothingIsStoredBeyondThem) {
    auto a = LogOn(S("a"));
    SvcMessage m = MakeMessage(S("m1"), {S("b")});
    m.subject = QString(Svc::kMaxSubjectLength + 1, u'件');
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::SubjectTooLong);
    m.subject.chop(1);
    // Three UTF-8 bytes a character: one more byte than the limit allows.
    m.body = QString(Svc::kMaxBodyBytes / 3, u'本') + S("ab");
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::BodyTooLarge);
    m.body.chop(1);
    ASSERT_TRUE(a->SendMessage(m)) << a->LastError().EnglishText().toStdString();

    m.messageId = S("m2");
    m.type = QString(Svc::kMaxFieldLength + 1, u'x');
    EXPECT_FALSE(a->SendMessage(m));
    EXPECT_EQ(a->LastError().code(), CServiceError::FieldTooLong);

    SvcMessage many = MakeMessage(S("m3"), {});
    for (int i = 0; i <= Svc::kMaxDestinations; ++i)
        many.AddDest(Svc::DST_CC, S("b"));
    EXPECT_FALSE(a->SendMessage(many));
    EXPECT_EQ(a->LastError().code(), CServiceError::TooManyDestinations);

    auto b = LogOn(S("b"));
    const auto pending = b->GetPendingMessages();
    ASSERT_EQ(pending.size(), 1);
    EXPECT_EQ(pending[0].messageId, S("m1"));
    EXPECT_EQ(pending[0].body.size(), Svc::kMaxBodyBytes / 3 + 1);
}

TEST_F(BadInput, MalformedDestinationsAndIdsRefuseTheWholeMessage) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    for (const QString& dest : {S(""), S("a,b"), S("all@"), S("all@ "), S("x[y]"), S("../b")}) {
        EXPECT_FALSE(a->SendMessage(MakeMessage(S("m1"), {S("b"), dest}))) << dest.toStdString();
        EXPECT_EQ(a->LastError().code(), CServiceError::BadId);
    }
    EXPECT_FALSE(a->SendMessage(MakeMessage(S("m1"), {})));
    EXPECT_EQ(a->LastError().code(), CServiceError::NoDestination);
    EXPECT_FALSE(a->SendMessage(MakeMessage({}, {S("b")})));
    EXPECT_EQ(a->LastError().code(), CServiceError::BadId);
    EXPECT_FALSE(a->SendMessage(MakeMessage(S("m 1"), {S("b")})));
    EXPECT_TRUE(b->GetPendingMessages().isEmpty());

    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m1"), {S("b")})));
    EXPECT_FALSE(a->SendMessage(MakeMessage(S("m1"), {S("c")})));
    EXPECT_EQ(a->LastError().code(), CServiceError::DuplicateMessage);

    // Marking: only messages delivered to the user, all or nothing.
    EXPECT_FALSE(a->MarkRead(S("m1"))); // a sent it, but is no recipient
    EXPECT_EQ(a->LastError().code(), CServiceError::UnknownMessage);
    EXPECT_FALSE(b->MarkReceived({S("m1"), S("nosuch")}));
    EXPECT_EQ(b->LastError().code(), CServiceError::UnknownMessage);
    EXPECT_EQ(b->GetPendingMessages().size(), 1);
    EXPECT_FALSE(b->GetMessage(S("nosuch")));
    auto c = LogOn(S("c"));
    EXPECT_FALSE(c->GetMessage(S("m1"))); // not c's to see
}

TEST_F(BadInput, AdministrationRefusesReservedEmptyUnknownAndDuplicateIds) {
    SvcMember m;
    for (const QString& id : {S(""), S("all"), S("ALL@x"), S("OnNetters"), S("a\tb"), S(".hidden"),
                              S("a/b"), QString(Svc::kMaxIdBytes + 1, u'x')}) {
        m.id = id;
        EXPECT_FALSE(admin->AddMember(m, S("pw"))) << id.toStdString();
        EXPECT_EQ(admin->LastError().code(), CServiceError::BadId);
    }
    m.id = S("山田");
    EXPECT_FALSE(admin->AddMember(m, {}));
    EXPECT_EQ(admin->LastError().code(), CServiceError::BadPassword);
    ASSERT_TRUE(admin->AddMember(m, S("pw")));
    EXPECT_FALSE(admin->AddMember(m, S("pw")));
    EXPECT_EQ(admin->LastError().code(), CServiceError::DuplicateMember);

    EXPECT_FALSE(admin->AddGroup({S("g9"), S("nosuch"), {}, 0, {}}));
    EXPECT_EQ(admin->LastError().code(), CServiceError::UnknownGroup);
    EXPECT_FALSE(admin->AddGroup({S("g1"), {}, {}, 0, {}}));
    EXPECT_EQ(admin->LastError().code(), CServiceError::DuplicateGroup);
    EXPECT_FALSE(admin->AddMembership(S("nosuch"), S("a"), 0));
    EXPECT_EQ(admin->LastError().code(), CServiceError::UnknownGroup);
    EXPECT_FALSE(admin->AddMembership(S("g1"), S("nobody"), 0));
    EXPECT_EQ(admin->LastError().code(), CServiceError::UnknownMember);
    EXPECT_FALSE(admin->AddMembership(S("g1"), S("a"), 0));
    EXPECT_EQ(admin->LastError().code(), CServiceError::DuplicateMembership);
    EXPECT_FALSE(admin->AddMembership(S("g1"), S("山田"), 42));
    EXPECT_EQ(admin->LastError().code(), CServiceError::UnknownRole);
    EXPECT_FALSE(admin->RemoveMembership(S("g2"), S("a")));
    EXPECT_EQ(admin->LastError().code(), CServiceError::NoMembership);
    EXPECT_FALSE(admin->RenameGroup(S("nosuch"), S("x")));
    EXPECT_FALSE(admin->RemoveMember(S("nobody")));
    EXPECT_FALSE(admin->SetPassword(S("a"), QString(Svc::kMaxPasswordLength + 1, u'p')));

    // A password reset takes effect at the next log-on.
    ASSERT_TRUE(admin->SetPassword(S("a"), S("new")));
    CLocalService s(dir);
    EXPECT_FALSE(s.Logon(S("a"), Password(S("a"))));
    EXPECT_TRUE(s.Logon(S("a"), S("new")));
}
