// The administration commands of zeltactl: create, member, group, membership, role, list.
#pragma once

#include "kernova/service/CLocalServiceAdmin.h"

#include <QTextStream>

class CCommandArgs;

class CAdminCommands {
public:
    CAdminCommands(const QString& dir, QTextStream& out);

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

    CLocalServiceAdmin m_admin;
    QTextStream& m_out;
};
