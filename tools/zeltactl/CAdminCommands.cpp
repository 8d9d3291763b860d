#include "tools/zeltactl/CAdminCommands.h"

#include "kernova/service/xmpp/ServiceSelection.h"
#include "tools/zeltactl/CCommandArgs.h"
#include "tools/zeltactl/CCtlError.h"

#include <QHash>
#include <functional>

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

CCtlError UnknownSubcommand(const QString& command, const QString& sub) {
    return CCtlError::Usage(L("%1 のサブコマンドが不明です: \"%2\"").arg(command, sub),
                            L("unknown %1 subcommand: \"%2\"").arg(command, sub));
}

// Profile options shared by "member add" and "member edit": the given ones, as a change to
// apply to a member once the command is known to be well formed.
std::function<void(SvcMember&)> TakeProfile(CCommandArgs& args) {
    using Field = QString SvcMember::*;
    QList<std::pair<Field, QString>> texts;
    const std::pair<const char*, Field> plain[] = {{"alias", &SvcMember::alias},
                                                   {"tel", &SvcMember::telephone},
                                                   {"email", &SvcMember::email},
                                                   {"memo", &SvcMember::memo}};
    for (const auto& [name, field] : plain)
        if (auto v = args.TakeOption(L(name)))
            texts.append({field, *v});
    std::optional<QString> parts[2][3];
    for (int set = 0; set < 2; ++set) {
        const QString suffix = set == 0 ? L("0") : QString();
        parts[set][0] = args.TakeOption(L("family") + suffix);
        parts[set][1] = args.TakeOption(L("first") + suffix);
        parts[set][2] = args.TakeOption(L("middle") + suffix);
    }
    std::optional<uint32_t> sex;
    if (auto v = args.TakeOption(L("sex")))
        sex = CCommandArgs::ToUInt(L("--sex"), *v);
    std::optional<QDate> birth;
    if (auto v = args.TakeOption(L("birth"))) {
        birth = QDate::fromString(*v, Qt::ISODate);
        if (!birth->isValid())
            throw CCtlError::Usage(
                L("--birth には YYYY-MM-DD 形式の日付を指定してください: \"%1\"").arg(*v),
                L("--birth needs a date as YYYY-MM-DD: \"%1\"").arg(*v));
    }
    return [=](SvcMember& m) {
        for (const auto& [field, value] : texts)
            m.*field = value;
        for (int set = 0; set < 2; ++set) {
            if (parts[set][0])
                m.familyName[set] = *parts[set][0];
            if (parts[set][1])
                m.firstName[set] = *parts[set][1];
            if (parts[set][2])
                m.middleName[set] = *parts[set][2];
        }
        if (sex)
            m.sex = *sex;
        if (birth)
            m.birth = *birth;
    };
}

} // namespace

CAdminCommands::CAdminCommands(const QString& location, QTextStream& out, const QString& adminId,
                               const QString& adminPassword)
    : m_admin(Svc::IsNetworkLocation(location)
                  ? CAdminBackend::Network(location, adminId, adminPassword)
                  : CAdminBackend::Local(location)),
      m_out(out) {}

bool CAdminCommands::Handles(const QString& command) {
    static const QStringList commands = {L("create"),     L("member"), L("group"),
                                         L("membership"), L("role"),   L("list")};
    return commands.contains(command);
}

void CAdminCommands::Check(bool ok) {
    if (!ok)
        throw CCtlError::From(m_admin->LastError());
}

void CAdminCommands::Run(const QString& command, const QStringList& words) {
    CCommandArgs args(words);
    if (command == L("create")) {
        args.Finish(0, 0, {});
        Check(m_admin->Create());
        return;
    }
    Check(m_admin->Open());
    if (command == L("member"))
        Member(args);
    else if (command == L("group"))
        Group(args);
    else if (command == L("membership"))
        Membership(args);
    else if (command == L("role"))
        Role(args);
    else {
        args.Finish(0, 0, {});
        Check(m_admin->Sweep());
        PrintMembers();
        PrintGroups(true);
        PrintRoles();
    }
}

void CAdminCommands::Member(CCommandArgs& args) {
    const QString sub = args.Subcommand();
    if (sub == L("add")) {
        const auto password = args.TakeOption(L("password"));
        SvcMember m;
        TakeProfile(args)(m);
        m.id = args.Finish(2, 2, {L("add"), L("ID")})[1];
        if (!password)
            throw CCtlError::MissingArgument(L("--password"));
        Check(m_admin->AddMember(m, *password));
    } else if (sub == L("edit")) {
        const auto change = TakeProfile(args);
        const QString id = args.Finish(2, 2, {L("edit"), L("ID")})[1];
        auto m = m_admin->Member(id);
        if (!m)
            throw CCtlError::From(CServiceError(CServiceError::UnknownMember, id));
        change(*m);
        Check(m_admin->UpdateMember(*m));
    } else if (sub == L("remove")) {
        Check(m_admin->RemoveMember(args.Finish(2, 2, {L("remove"), L("ID")})[1]));
    } else if (sub == L("password")) {
        const QStringList w = args.Finish(3, 3, {L("password"), L("ID"), L("PASSWORD")});
        Check(m_admin->SetPassword(w[1], w[2]));
    } else if (sub == L("list")) {
        args.Finish(1, 1, {});
        Check(m_admin->Sweep());
        PrintMembers();
    } else {
        throw UnknownSubcommand(L("member"), sub);
    }
}

void CAdminCommands::Group(CCommandArgs& args) {
    const QString sub = args.Subcommand();
    if (sub == L("add")) {
        SvcGroup g;
        g.name = args.TakeOption(L("name")).value_or(QString());
        g.parentId = args.TakeOption(L("parent")).value_or(QString());
        g.id = args.Finish(2, 2, {L("add"), L("ID")})[1];
        Check(m_admin->AddGroup(g));
    } else if (sub == L("remove")) {
        Check(m_admin->RemoveGroup(args.Finish(2, 2, {L("remove"), L("ID")})[1]));
    } else if (sub == L("rename")) {
        const QStringList w = args.Finish(3, 3, {L("rename"), L("ID"), L("NAME")});
        Check(m_admin->RenameGroup(w[1], w[2]));
    } else if (sub == L("list")) {
        args.Finish(1, 1, {});
        PrintGroups(false);
    } else {
        throw UnknownSubcommand(L("group"), sub);
    }
}

void CAdminCommands::Membership(CCommandArgs& args) {
    const auto role = args.TakeOption(L("role"));
    const QString name = args.TakeOption(L("name")).value_or(QString());
    const QStringList w = args.Finish(3, 3, {L("add|set|remove"), L("GROUP"), L("MEMBER")});
    const int roleNumber = role ? CCommandArgs::ToInt(L("--role"), *role) : 0;
    if (w[0] == L("add")) {
        Check(m_admin->AddMembership(w[1], w[2], roleNumber, name));
    } else if (w[0] == L("set")) {
        int keep = roleNumber;
        QString keepName = name;
        for (const SvcMembership& m : m_admin->Memberships(w[1])) {
            if (m.memberId == w[2]) {
                keep = role ? roleNumber : m.role;
                keepName = name.isEmpty() ? m.name : name;
            }
        }
        Check(m_admin->SetMembership(w[1], w[2], keep, keepName));
    } else if (w[0] == L("remove")) {
        Check(m_admin->RemoveMembership(w[1], w[2]));
    } else {
        throw UnknownSubcommand(L("membership"), w[0]);
    }
}

void CAdminCommands::Role(CCommandArgs& args) {
    const QString sub = args.Subcommand();
    if (sub == L("add")) {
        const QStringList w = args.Finish(3, 3, {L("add"), L("NUMBER"), L("NAME")});
        Check(m_admin->AddRole(CCommandArgs::ToInt(L("NUMBER"), w[1]), w[2]));
    } else if (sub == L("list")) {
        args.Finish(1, 1, {});
        PrintRoles();
    } else {
        throw UnknownSubcommand(L("role"), sub);
    }
}

void CAdminCommands::PrintMembers() {
    m_out << L("メンバー (members):\n");
    for (const SvcMember& m : m_admin->Members()) {
        m_out << L("  ") << m.id << u'\t' << m.DisplayName() << u'\t'
              << (m.online ? L("オンライン (on line)") : L("オフライン (off line)"));
        if (!m.email.isEmpty())
            m_out << u'\t' << m.email;
        m_out << u'\n';
    }
}

void CAdminCommands::PrintGroups(bool withMemberships) {
    m_out << L("グループ (groups):\n");
    QHash<QString, int> depth;
    QHash<QString, QList<SvcMembership>> members;
    if (withMemberships)
        for (const SvcMembership& m : m_admin->Memberships())
            members[m.groupId].append(m);
    for (const SvcGroup& g : m_admin->Groups()) {
        const int d = g.parentId.isEmpty() ? 1 : depth.value(g.parentId) + 1;
        depth.insert(g.id, d);
        const QString indent(2 * d, u' ');
        m_out << indent << g.id << u'\t' << g.name << u'\n';
        for (const SvcMembership& m : members.value(g.id))
            m_out << indent << L("  - ") << m.memberId << u'\t' << m.name << L("\trole=") << m.role
                  << L("\tstatus=") << m.presence.status << u'\n';
    }
}

void CAdminCommands::PrintRoles() {
    m_out << L("役割 (roles):\n");
    for (const SvcRole& r : m_admin->Roles())
        m_out << L("  ") << r.role << u'\t' << r.name << u'\n';
}
