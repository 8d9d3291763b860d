// A core link held in memory, for the store's tests and the benchmarks: names, stored
// messages by kind and files by path, with counters of what the box asked for.
#pragma once

#include "obrix/CLetrix.h"
#include "plugin/im/trovane/CTrovaneCoreLink.h"

#include <QHash>
#include <QSet>
#include <map>
#include <memory>

class CMemoryCore : public CTrovaneCoreLink {
public:
    std::optional<QString> MemberName(const QString& memberId) override;
    std::optional<QString> GroupName(const QString& groupId) override;
    tagLETRIX* GetMessage(int32_t kind, const QString& messageId) override;
    void ReleaseMessage(tagLETRIX* record) override;
    bool ReadFile(const QString& path, QByteArray& bytes) override;
    bool WriteFile(const QString& path, const QByteArray& bytes) override;

    void AddMember(const QString& id, const QString& name) { members.insert(id, name); }
    void AddGroup(const QString& id, const QString& name) { groups.insert(id, name); }
    // Stores a message of a kind (0 draft, 1 sent, 2 received) under its own ID.
    void Store(int32_t kind, const CLetrix& message);
    void Forget(int32_t kind, const QString& messageId);

    QHash<QString, QString> members;
    QHash<QString, QString> groups;
    QHash<QString, std::shared_ptr<CLetrix>> messages[3];
    QHash<QString, QByteArray> files;
    // Paths whose writes fail.
    QSet<QString> failingWrites;
    int getCalls = 0;
    std::map<tagLETRIX*, std::unique_ptr<CLetrix>> handedOut;
};

// A received message from a sender to destinations, with a subject and a body.
CLetrix MakeMessage(const QString& id, const QString& from, const QString& to,
                    const QString& subject = QString(), const QString& body = QString(),
                    uint32_t flags = 0);
