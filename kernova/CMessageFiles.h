// The messages of one account as files: <message dir>recv/, send/ and draft/ hold one
// "<message id>.zmf" in the message archive format per message. Every write replaces the
// whole file atomically.
#pragma once

#include "obrix/CLetrix.h"

#include <QString>
#include <memory>

class CMessageFiles {
public:
    // Files larger than this are not messages this program wrote; they are refused unread.
    static constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

    void SetDirectory(const QString& messageDir) { m_dir = messageDir; }
    const QString& Directory() const { return m_dir; }

    // "draft/", "send/", "recv/" for the boxes 0, 1, 2; empty for any other value.
    static QString BoxFolder(int32_t box);
    // A message (or member) id can name a file: the service's one rule for ids
    // (Svc::IsValidMessageId).
    static bool IsSafeId(const QString& messageId);
    // The name a message's files go by: its id when the id can name a file and fits with room
    // for an attached file's name, otherwise "~" and a digest of the id, so that a message
    // whatever its id is stored once and found again. Empty only for an empty id.
    static QString FileStem(const QString& messageId);
    // The file of a message; empty when the box or the id cannot name one.
    QString PathOf(int32_t box, const QString& messageId) const;

    // The stored message; null (with *error set) when it is missing, unreadable or damaged.
    std::unique_ptr<CLetrix> Load(int32_t box, const QString& messageId,
                                  QString* error = nullptr) const;
    // Stores the message under its own id, creating the box folder when needed.
    bool Save(int32_t box, const CLetrix& message, QString* error = nullptr) const;
    bool Remove(int32_t box, const QString& messageId) const;
    bool Exists(int32_t box, const QString& messageId) const;

    // The stored form of a message, and a message read back from it (null when damaged).
    static QByteArray Encode(const CLetrix& message);
    static std::unique_ptr<CLetrix> Decode(const QByteArray& bytes, QString* error = nullptr);

private:
    QString m_dir;
};
