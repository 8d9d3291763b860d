// The files attached to a message being composed, in the order they were added: full path,
// display name and the size taken when the file was added. Adding checks the file and the
// limits; a refusal leaves the list as it was.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class CIMMesAttachList {
public:
    struct Item {
        QString path;
        QString displayName;
        uint64_t size = 0;
    };
    // Why a file was not added: the text number to show, or 0 for a silent refusal.
    enum Refusal : uint32_t {
        Accepted = 0xFFFFFFFF,
        Duplicate = 0,
        Unreadable = 891,
        TooLarge = 874,
        TooMany = 881,
        Empty = 904,
    };
    static constexpr int kMaxFiles = 30;

    // limit: the core's total size limit for one message's attachments.
    explicit CIMMesAttachList(std::function<uint64_t()> limit) : m_limit(std::move(limit)) {}

    // Checks in order: readable, not empty, not listed yet, total below the limit, fewer than
    // 30 files.
    Refusal Add(const QString& path);
    void RemoveAt(int index);
    void Clear() { m_items.clear(); }

    const QList<Item>& Items() const { return m_items; }
    int Count() const { return int(m_items.size()); }
    QStringList Paths() const;
    uint64_t TotalSize() const;

    // The files that arrived with a message: for each OBJECT element of the body (outside the
    // BODY element), the message directory's "files/" + message id + the element's text.
    static QStringList ReceivedFiles(const QString& messageDir, const QString& messageId,
                                     const QString& body);

    // The extension whose icon a file shows: the text after the last dot of the name, or "ico"
    // for a name without one.
    static QString IconExtension(const QString& path);

private:
    std::function<uint64_t()> m_limit;
    QList<Item> m_items;
};
