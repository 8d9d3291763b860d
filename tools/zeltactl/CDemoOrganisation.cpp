#include "tools/zeltactl/CDemoOrganisation.h"

#include "kernova/service/CLocalServiceAdmin.h"
#include "kernova/service/xmpp/CXmppAdmin.h"
#include "kernova/service/xmpp/testing/CProsodyServer.h"
#include "tools/zeltactl/CCtlError.h"

namespace {

struct Person {
    const char* id;
    const char16_t* family;
    const char16_t* first;
    const char* email;
};

// Roles: 0 メンバー, 1 リーダー, 2 ゲスト (the service's own), 3 管理者 (added here).
struct Placement {
    const char* group;
    const char* member;
    int role;
};

const Person kPeople[] = {
    {"sato", u"佐藤", u"健一", "sato@example.jp"},
    {"suzuki", u"鈴木", u"美咲", "suzuki@example.jp"},
    {"takahashi", u"高橋", u"翔太", "takahashi@example.jp"},
    {"tanaka", u"田中", u"陽子", "tanaka@example.jp"},
    {"watanabe", u"渡辺", u"大輔", "watanabe@example.jp"},
    {"ito", u"伊藤", u"さくら", "ito@example.jp"},
    {"yamamoto", u"山本", u"拓也", "yamamoto@example.jp"},
    {"nakamura", u"中村", u"由美", "nakamura@example.jp"},
    {"kobayashi", u"小林", u"直樹", "kobayashi@example.jp"},
    {"kato", u"加藤", u"愛", "kato@example.jp"},
    {"yoshida", u"吉田", u"誠", "yoshida@example.jp"},
    {"yamada", u"山田", u"花子", "yamada@example.jp"},
    {"demo", u"デモ", u"太郎", "demo@example.jp"},
};

const std::pair<const char*, const char16_t*> kGroups[] = {
    {"eigyo", u"営業部"}, {"kaihatsu", u"開発部"}, {"somu", u"総務部"}};

const Placement kPlacements[] = {
    {"eigyo", "sato", 1},        {"eigyo", "suzuki", 0},      {"eigyo", "takahashi", 0},
    {"eigyo", "tanaka", 0},      {"kaihatsu", "watanabe", 1}, {"kaihatsu", "ito", 0},
    {"kaihatsu", "yamamoto", 0}, {"kaihatsu", "nakamura", 0}, {"kaihatsu", "demo", 0},
    {"somu", "kobayashi", 3},    {"somu", "kato", 3},         {"somu", "nakamura", 1},
    {"somu", "yoshida", 0},      {"somu", "yamada", 2},
};

SvcMember MemberOf(const Person& p) {
    SvcMember m;
    m.id = QString::fromLatin1(p.id);
    m.familyName[1] = QString::fromUtf16(p.family);
    m.firstName[1] = QString::fromUtf16(p.first);
    m.email = QString::fromLatin1(p.email);
    m.memo = QStringLiteral("デモ用のメンバーです");
    return m;
}

} // namespace

QStringList CDemoOrganisation::PeerIds() {
    QStringList ids;
    for (const Person& p : kPeople)
        if (QString::fromLatin1(p.id) != kDemoUser)
            ids.append(QString::fromLatin1(p.id));
    return ids;
}

bool CDemoOrganisation::SeedIfEmpty(const QString& dir) {
    CLocalServiceAdmin admin(dir);
    auto check = [&](bool ok) {
        if (!ok)
            throw CCtlError::From(admin.LastError());
    };
    if (!admin.Open()) {
        if (admin.LastError().code() != CServiceError::NoService)
            check(false);
        check(admin.Create());
    }
    bool seeded = false;
    // One transaction: a half-seeded organisation would count as populated next time, and
    // two demos started together seed once.
    check(admin.Store().Write([&] {
        if (!admin.Store().Members().isEmpty())
            return true;
        seeded = true;
        if (!admin.AddRole(kAdminRole, QStringLiteral("管理者")))
            return false;
        for (const auto& [id, name] : kGroups)
            if (!admin.AddGroup({QString::fromLatin1(id), {}, QString::fromUtf16(name), 0, {}}))
                return false;
        for (const Person& p : kPeople)
            if (!admin.AddMember(MemberOf(p), kPassword))
                return false;
        for (const Placement& p : kPlacements)
            if (!admin.AddMembership(QString::fromLatin1(p.group), QString::fromLatin1(p.member),
                                     p.role))
                return false;
        return true;
    }));
    return seeded;
}

void CDemoOrganisation::SeedNetwork(CProsodyServer& server) {
    QList<std::pair<QString, QString>> accounts;
    for (const Person& p : kPeople)
        accounts.append({QString::fromLatin1(p.id), kPassword});
    if (!server.AddAccounts(accounts))
        throw CCtlError(CCtlError::Failed,
                        QStringLiteral("アカウントを作れません: %1").arg(server.Error()),
                        QStringLiteral("cannot create the accounts: %1").arg(server.Error()));
    CXmppAdmin admin(server.Location());
    auto check = [&](bool ok) {
        if (!ok)
            throw CCtlError::From(admin.LastError());
    };
    check(admin.Connect(server.AdminId(), server.AdminPassword()));
    // The local service brings roles 0 to 2 itself; the directory node holds what is published.
    check(admin.AddRole(0, QStringLiteral("メンバー")));
    check(admin.AddRole(1, QStringLiteral("リーダー")));
    check(admin.AddRole(2, QStringLiteral("ゲスト")));
    check(admin.AddRole(kAdminRole, QStringLiteral("管理者")));
    for (const auto& [id, name] : kGroups)
        check(admin.AddGroup({QString::fromLatin1(id), {}, QString::fromUtf16(name), 0, {}}));
    for (const Person& p : kPeople)
        check(admin.AddMember(MemberOf(p)));
    for (const Placement& p : kPlacements)
        check(admin.AddMembership(QString::fromLatin1(p.group), QString::fromLatin1(p.member),
                                  p.role));
}
