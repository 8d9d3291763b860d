// What the message box asks of the messaging core while it builds, loads and saves its index:
// names for the display strings, stored messages and whole-file reads and writes. The store
// and the loader work through this interface only, so that they run without the core (tests,
// benchmarks); CTrovaneObrixLink answers through the core's OBRIX_ functions.
//
// Thread use: the load thread calls MemberName, GroupName, GetMessage and ReleaseMessage while
// the user-interface thread may call any function.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

struct tagLETRIX;
struct CObrixTable;

class CTrovaneCoreLink {
public:
    virtual ~CTrovaneCoreLink();

    // The display name of a member or the name of a group; nothing when the directory has
    // no such member or group.
    virtual std::optional<QString> MemberName(const QString& memberId) = 0;
    virtual std::optional<QString> GroupName(const QString& groupId) = 0;

    // A stored message of a kind (0 draft, 1 sent, 2 received), handed back with
    // ReleaseMessage; null when the core has none.
    virtual tagLETRIX* GetMessage(int32_t kind, const QString& messageId) = 0;
    virtual void ReleaseMessage(tagLETRIX* record) = 0;

    // Whole files: false when the file cannot be read or written. Writes are atomic.
    virtual bool ReadFile(const QString& path, QByteArray& bytes) = 0;
    virtual bool WriteFile(const QString& path, const QByteArray& bytes) = 0;
};

// A stored message held for the duration of a scope and handed back to the core after it.
class CTrovaneHeldMessage {
public:
    CTrovaneHeldMessage(CTrovaneCoreLink& link, int32_t kind, const QString& messageId)
        : m_link(link), m_record(link.GetMessage(kind, messageId)) {}
    ~CTrovaneHeldMessage() {
        if (m_record)
            m_link.ReleaseMessage(m_record);
    }
    CTrovaneHeldMessage(const CTrovaneHeldMessage&) = delete;
    CTrovaneHeldMessage& operator=(const CTrovaneHeldMessage&) = delete;

    const tagLETRIX* Record() const { return m_record; }
    explicit operator bool() const { return m_record != nullptr; }

private:
    CTrovaneCoreLink& m_link;
    tagLETRIX* m_record;
};

// The link through the messaging core's functions as a plug-in bound them.
class CTrovaneObrixLink : public CTrovaneCoreLink {
public:
    explicit CTrovaneObrixLink(const CObrixTable& obrix) : m_obrix(obrix) {}

    std::optional<QString> MemberName(const QString& memberId) override;
    std::optional<QString> GroupName(const QString& groupId) override;
    tagLETRIX* GetMessage(int32_t kind, const QString& messageId) override;
    void ReleaseMessage(tagLETRIX* record) override;
    bool ReadFile(const QString& path, QByteArray& bytes) override;
    bool WriteFile(const QString& path, const QByteArray& bytes) override;

private:
    const CObrixTable& m_obrix;
};
