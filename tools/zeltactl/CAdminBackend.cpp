#include "tools/zeltactl/CAdminBackend.h"

#include "kernova/service/CLocalServiceAdmin.h"
#include "kernova/service/xmpp/CXmppAdmin.h"
#include "tools/zeltactl/CCtlError.h"

namespace {

class CLocalBackend : public CAdminBackend {
public:
    explicit CLocalBackend(const QString& dir) : m_admin(dir) {}

    bool Create() override { return m_admin.Create(); }
    bool Open() override { return m_admin.Open(); }
    bool Sweep() override { return m_admin.Sweep(); }
    bool AddMember(const SvcMember& m, const QString& password) override {
        return m_admin.AddMember(m, password);
    }
    bool UpdateMember(const SvcMember& m) override { return m_admin.UpdateMember(m); }
    bool RemoveMember(const QString& id) override { return m_admin.RemoveMember(id); }
    bool SetPassword(const QString& id, const QString& pw) override {
        return m_admin.SetPassword(id, pw);
    }
    bool AddGroup(const SvcGroup& g) override { return m_admin.AddGroup(g); }
    bool RemoveGroup(const QString& id) override { return m_admin.RemoveGroup(id); }
    bool RenameGroup(const QString& id, const QString& name) override {
        return m_admin.RenameGroup(id, name);
    }
    bool AddMembership(const QString& g, const QString& m, int role, const QString& name) override {
        return m_admin.AddMembership(g, m, role, name);
    }
    bool SetMembership(const QString& g, const QString& m, int role, const QString& name) override {
        return m_admin.SetMembership(g, m, role, name);
    }
    bool RemoveMembership(const QString& g, const QString& m) override {
        return m_admin.RemoveMembership(g, m);
    }
    bool AddRole(int role, const QString& name) override { return m_admin.AddRole(role, name); }

    // A read that stopped at a damaged page fails the command instead of printing a short list.
    template <typename Read> auto Checked(Read read) {
        m_admin.Store().ClearError();
        auto result = read(m_admin.Store());
        if (m_admin.Store().LastError().IsError())
            throw CCtlError::From(m_admin.Store().LastError());
        return result;
    }
    QList<SvcMember> Members() override {
        return Checked([](CServiceStore& st) { return st.Members(); });
    }
    std::optional<SvcMember> Member(const QString& id) override {
        return Checked([&](CServiceStore& st) { return st.Member(id); });
    }
    QList<SvcGroup> Groups() override {
        return Checked([](CServiceStore& st) { return st.Groups(); });
    }
    QList<SvcMembership> Memberships(const QString& g) override {
        return Checked([&](CServiceStore& st) { return st.Memberships(g); });
    }
    QList<SvcRole> Roles() override {
        return Checked([](CServiceStore& st) { return st.Roles(); });
    }
    const CServiceError& LastError() const override { return m_admin.LastError(); }

private:
    CLocalServiceAdmin m_admin;
};

class CNetworkBackend : public CAdminBackend {
public:
    CNetworkBackend(const CXmppLocation& location, QString adminId, QString password)
        : m_admin(location), m_adminId(std::move(adminId)), m_password(std::move(password)) {}

    bool Create() override {
        return Fail(CServiceError(CServiceError::ServiceExists,
                                  QStringLiteral("an XMPP server (set up with its own tools)")));
    }
    bool Open() override {
        if (!m_admin.Connect(m_adminId, m_password))
            return Fail(m_admin.LastError());
        return true;
    }
    bool Sweep() override { return true; }
    bool AddMember(const SvcMember& m, const QString& password) override {
        if (m_admin.Directory().HasMember(m.id))
            return Fail(CServiceError(CServiceError::DuplicateMember, m.id));
        if (!m_admin.CreateAccount(m.id, password))
            return Fail(m_admin.LastError());
        if (m_admin.AddMember(m))
            return true;
        // All or nothing: no account stays behind without its directory entry.
        const CServiceError why = m_admin.LastError();
        m_admin.DeleteAccount(m.id);
        return Fail(why);
    }
    bool UpdateMember(const SvcMember& m) override { return Done(m_admin.UpdateMember(m)); }
    bool RemoveMember(const QString& id) override {
        return Done(m_admin.RemoveMember(id) && m_admin.DeleteAccount(id));
    }
    bool SetPassword(const QString& id, const QString& pw) override {
        if (!m_admin.Directory().HasMember(id))
            return Fail(CServiceError(CServiceError::UnknownMember, id));
        return Done(m_admin.SetAccountPassword(id, pw));
    }
    bool AddGroup(const SvcGroup& g) override { return Done(m_admin.AddGroup(g)); }
    bool RemoveGroup(const QString& id) override { return Done(m_admin.RemoveGroup(id)); }
    bool RenameGroup(const QString& id, const QString& name) override {
        return Done(m_admin.RenameGroup(id, name));
    }
    bool AddMembership(const QString& g, const QString& m, int role, const QString& name) override {
        return Done(m_admin.AddMembership(g, m, role, name));
    }
    bool SetMembership(const QString& g, const QString& m, int role, const QString& name) override {
        return Done(m_admin.SetMembership(g, m, role, name));
    }
    bool RemoveMembership(const QString& g, const QString& m) override {
        return Done(m_admin.RemoveMembership(g, m));
    }
    bool AddRole(int role, const QString& name) override {
        return Done(m_admin.AddRole(role, name));
    }

    // The administrator sees the directory, not the members' presence.
    QList<SvcMember> Members() override { return m_admin.Directory().Members(); }
    std::optional<SvcMember> Member(const QString& id) override {
        return m_admin.Directory().Member(id);
    }
    QList<SvcGroup> Groups() override { return m_admin.Directory().Groups(); }
    QList<SvcMembership> Memberships(const QString& g) override {
        return m_admin.Directory().Memberships(g);
    }
    QList<SvcRole> Roles() override { return m_admin.Directory().Roles(); }
    const CServiceError& LastError() const override { return m_error; }

private:
    bool Fail(CServiceError e) {
        m_error = std::move(e);
        return false;
    }
    bool Done(bool ok) { return ok || Fail(m_admin.LastError()); }

    CXmppAdmin m_admin;
    QString m_adminId;
    QString m_password;
    CServiceError m_error;
};

} // namespace

std::unique_ptr<CAdminBackend> CAdminBackend::Local(const QString& dir) {
    return std::make_unique<CLocalBackend>(dir);
}

std::unique_ptr<CAdminBackend> CAdminBackend::Network(const QString& location,
                                                      const QString& adminId,
                                                      const QString& adminPassword) {
    QString why;
    const auto parsed = CXmppLocation::Parse(location, &why);
    if (!parsed)
        throw CCtlError::Usage(
            QStringLiteral("サービスの場所が正しくありません: %1 (%2)").arg(location, why),
            QStringLiteral("unusable service location: %1 (%2)").arg(location, why));
    return std::make_unique<CNetworkBackend>(*parsed, adminId, adminPassword);
}
