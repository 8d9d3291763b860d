// An export collection: messages grouped as drafts, sent and received, kept in one ".zdc"
// file that another account (or the same one, later) imports.
//
// File layout (integers little-endian):
//
//   offset  size  field
//   0       8     magic: the bytes "ZELTADC" and 0x1A
//   8       4     u32 format version, 1
//   12      8     i64 number of drafts
//   20      8     i64 number of sent messages
//   28      8     i64 number of received messages
//   36      ...   the messages, drafts first, then sent, then received; each is a u32 byte
//                 length L followed by L bytes holding one message in the message archive
//                 format (CLetrix::Serialize)
//   end     4     u32 end mark 0x55555555, the last bytes of the file
//
// Reading is bounded by the bytes of the file: the counts must fit in the bytes that follow,
// every message must fill its length exactly and carry a message id that can name a file, and
// the end mark must close the file. Any failure refuses the whole file; nothing half-read is
// kept. Writing replaces the file atomically.
#pragma once

#include "obrix/CLetrix.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class CMessageCollection {
public:
    // The order of the groups in the file and of the counts; the same numbers as the
    // message kinds of the core (0 draft, 1 sent, 2 received).
    enum Group { Drafts = 0, Sent = 1, Received = 2 };
    static constexpr int kGroups = 3;
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kEndMark = 0x55555555;
    static constexpr qsizetype kHeaderBytes = 36;
    // No stored message is shorter: its length word, then at least one byte for each of the
    // nine strings, three destination counts, six numbers and the 8-byte send time.
    static constexpr qsizetype kMinStoredMessageBytes = 4 + 9 + 3 * 4 + 6 * 4 + 8;
    // Files larger than this are refused before they are read.
    static constexpr qint64 kMaxFileBytes = 1LL << 30;
    static QByteArray Magic();

    CMessageCollection();
    ~CMessageCollection();
    CMessageCollection(CMessageCollection&&) noexcept;
    CMessageCollection& operator=(CMessageCollection&&) noexcept;
    CMessageCollection(const CMessageCollection&) = delete;
    CMessageCollection& operator=(const CMessageCollection&) = delete;

    // Adds a copy of the message (its chain successor is not part of it).
    void Add(Group group, const CLetrix& message);
    void Add(Group group, std::unique_ptr<CLetrix> message);
    const std::vector<std::unique_ptr<CLetrix>>& Messages(Group group) const;
    qint64 Count(Group group) const;
    qint64 Total() const;
    void Clear();

    QByteArray ToBytes() const;
    // Replaces the contents with the collection in bytes; on failure the contents are empty
    // and ErrorText tells why.
    bool FromBytes(const QByteArray& bytes);
    bool Save(const QString& path) const;
    bool Load(const QString& path);
    // Why the last Save, Load or FromBytes failed (English, for the log).
    const QString& ErrorText() const { return m_error; }

    // Whether a message id may name the message's files (Svc::IsValidMessageId).
    static bool IsFileSafeId(const QString& id);

private:
    bool Fail(const QString& why) const;

    std::array<std::vector<std::unique_ptr<CLetrix>>, kGroups> m_groups;
    mutable QString m_error;
};
