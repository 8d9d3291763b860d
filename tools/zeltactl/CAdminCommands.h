// The administration commands of zeltactl: create, member, group, membership, role, list; on
// the local service or on an XMPP server (CAdminBackend).
#pragma once

#include "tools/zeltactl/CAdminBackend.h"

#include <QTextStream>

class CCommandArgs;

class CAdminCommands {
public:
    // A network location ("xmpp://...") is administered as the server's administrator
    // adminId with adminPassword.
    CAdminCommands(const QString& location, QTextStream& out, const QString& adminId = {},
                   const QString& adminPassword = {});

    static bool Handles(const QString& command);
    // Runs one command (its words after the command name). Throws CCtlError.
    void Run(const QString& command, const QStringList& words);

private:
    void Member(CCommandArgs& args);
    void Group(CCommandArgs& args);
    void Membership(CCommandArgs& args);
    void Role(CCommandArgs& args);
    void PrintMembers();
    void PrintGroups(bool withMemberships);
    void PrintRoles();
    void Check(bool ok);

    std::unique_ptr<CAdminBackend> m_admin;
    QTextStream& m_out;
};
