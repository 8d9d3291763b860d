// The message box's index: entries (which message of the core lies in which folder) and the
// folder tree, with unread counts kept along the tree.
//
// The user-interface thread and the load thread share the store. Every map has its own lock,
// taken for one lookup, insertion or removal; the folders' own members (children, entries,
// counts, flags) and the folder fields of entries belong to the folder lock. The load thread
// only adds entries; everything that removes entries or folders runs on the user-interface
// thread, so a pointer found there stays valid until that thread deletes it.
#pragma once

#include "plugin/im/trovane/CTrovaneFolder.h"
#include "plugin/im/trovane/CTrovaneMessage.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <cstdint>
#include <memory>
#include <unordered_map>

class CTrovaneTransCondList;

class CTrovaneStore {
public:
    CTrovaneStore();
    ~CTrovaneStore();
    CTrovaneStore(const CTrovaneStore&) = delete;
    CTrovaneStore& operator=(const CTrovaneStore&) = delete;

    // The member whose box is loaded.
    QString UserID() const;
    void SetUserID(const QString& userId);

    // The conditions to drop when a folder they target is deleted (not owned; may be null).
    void SetTransConds(CTrovaneTransCondList* conditions) { m_pTransConds = conditions; }

    // ---- Entries ----
    // Adds a copy of a filled entry under a new local number and places it in its folder
    // (the default folder of its kind when that folder is missing). Refused (null) when a
    // message with the same ID is already there in the same direction, or when no folder can
    // take it. Returns the store's copy.
    CTrovaneMessage* AddEntry(const CTrovaneMessage& entry);
    // The same, taking over an entry the caller built for the store.
    CTrovaneMessage* AddEntry(std::unique_ptr<CTrovaneMessage> entry);
    // Puts a detached entry into a folder (the default folder of its kind when there is no
    // such folder); false when neither exists.
    bool PlaceEntry(uint32_t folderId, CTrovaneMessage* entry);
    // Takes an entry out of its folder; it remembers that folder as its previous one.
    bool DetachEntry(uint32_t localNumber);
    bool MoveEntry(uint32_t folderId, uint32_t localNumber);
    // Removes an entry from the box (never from the core) and destroys it.
    void DeleteEntry(CTrovaneMessage* entry);
    bool DeleteEntry(uint32_t localNumber);
    // New message flags for the entry of a message ID in the received or the sent map; the
    // unread counts follow the read bit. False when there is no such entry.
    bool ChangeFlags(const QString& messageId, uint32_t flags, bool received);

    CTrovaneMessage* FindEntry(uint32_t localNumber) const;
    CTrovaneMessage* FindEntry(const QString& messageId, bool received) const;
    uint32_t NewLocalNumber() const;
    int EntryCount() const;
    // Every entry, by local number.
    QList<CTrovaneMessage*> Entries() const;
    // The entries directly in a folder, by local number, and their number.
    QList<CTrovaneMessage*> EntriesOf(uint32_t folderId) const;
    int EntryCountOf(uint32_t folderId) const;
    // The entries that refer to a message ID (replies), in the order they were added.
    QList<CTrovaneMessage*> Replies(const QString& referenceId) const;

    // ---- Folders ----
    // Adds a folder from a template (id, parent id, flags, name, icon, expanded, previous
    // parent, selection, column state); a user folder takes the high half of its flags from
    // its parent. Null when the id is taken or the parent is missing.
    CTrovaneFolder* AddFolder(const CTrovaneFolder& folderTemplate);
    // Puts a folder under another parent; its subtree and entries take the new parent's high
    // flags. Refused for system folders, a missing parent, or a parent inside the folder.
    bool MoveFolder(uint32_t newParentId, uint32_t folderId);
    // Deletes a folder with its entries, subfolders and the conditions that target any of
    // them. System folders are not deleted.
    bool DeleteFolder(uint32_t folderId);
    // Deletes a folder's entries and subfolders and keeps the folder.
    bool DeleteFolderContents(uint32_t folderId);
    CTrovaneFolder* FindFolder(uint32_t folderId) const;
    uint32_t NewFolderID() const;
    int FolderCount() const;
    // A folder's children, by id.
    QList<CTrovaneFolder*> ChildrenOf(uint32_t folderId) const;
    // Whether `folderId` is `ancestorId` or lies below it.
    bool IsInSubtree(uint32_t folderId, uint32_t ancestorId) const;

    // Runs f while holding the folder lock, for reading folder fields and counts that the
    // load thread may be changing.
    template <typename F> decltype(auto) WithFolders(F&& f) const {
        QMutexLocker lock(&m_folderLock);
        return f();
    }

    // Drops every entry and folder and forgets the user ID.
    void Clear();

private:
    using EntryMap = std::unordered_map<uint32_t, std::unique_ptr<CTrovaneMessage>>;
    using FolderMap = std::unordered_map<uint32_t, std::unique_ptr<CTrovaneFolder>>;

    // The received or sent map of an entry and its lock; null for an entry of neither kind.
    struct Direction {
        QHash<QString, CTrovaneMessage*>* map;
        QMutex* lock;
    };
    Direction DirectionOf(const CTrovaneMessage& entry);
    Direction DirectionOf(bool received) const;
    uint32_t NewLocalNumberLocked() const;

    // Folder lock held by the caller for the rest.
    CTrovaneFolder* FindFolderLocked(uint32_t folderId) const;
    bool PlaceLocked(uint32_t folderId, CTrovaneMessage* entry);
    void DetachLocked(CTrovaneMessage* entry);
    void AttachFolderLocked(CTrovaneFolder* folder, CTrovaneFolder* parent);
    void DetachFolderLocked(CTrovaneFolder* folder);
    // Collects a folder and its whole subtree, the folder first.
    void CollectSubtreeLocked(CTrovaneFolder* folder, QList<CTrovaneFolder*>& out) const;
    // Removes the folders of a detached subtree from the folder map and hands back their
    // entries, already taken out of the folders.
    QList<CTrovaneMessage*> DropSubtreeLocked(CTrovaneFolder* folder);
    void DropEntries(const QList<CTrovaneMessage*>& entries);
    static void HandDownFlags(CTrovaneFolder* folder, uint32_t highHalf);
    static void RaiseBelow(CTrovaneFolder* folder);
    static void LowerBelow(CTrovaneFolder* folder);

    mutable QMutex m_userLock;
    QString m_strUserID;

    mutable QMutex m_numberLock;
    EntryMap m_entries;

    mutable QMutex m_folderLock;
    FolderMap m_folders;

    mutable QMutex m_receivedLock;
    QHash<QString, CTrovaneMessage*> m_received;
    mutable QMutex m_sentLock;
    QHash<QString, CTrovaneMessage*> m_sent;

    mutable QMutex m_replyLock;
    QHash<QString, QList<CTrovaneMessage*>> m_replies;

    CTrovaneTransCondList* m_pTransConds = nullptr;
};
