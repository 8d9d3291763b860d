#include "kernova/service/ServiceRecords.h"

QString SvcMember::DisplayName() const {
    QString name = familyName[1];
    if (!middleName[1].isEmpty())
        name += QStringLiteral("  ") + middleName[1];
    if (!firstName[1].isEmpty())
        name += QStringLiteral("  ") + firstName[1];
    return name.isEmpty() ? id : name;
}

QStringList SvcMessage::DestIds(Svc::DestList list) const {
    QStringList ids;
    for (const SvcDestination& d : dest[list])
        ids.append(d.id);
    return ids;
}
