#include "plugin/im/trovane/CTrovaneStore.h"

#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <algorithm>

using namespace TrovaneBox;

namespace {

template <typename T> QList<T*> ByKey(const QHash<uint32_t, T*>& map) {
    QList<uint32_t> keys = map.keys();
    std::sort(keys.begin(), keys.end());
    QList<T*> out;
    out.reserve(keys.size());
    for (uint32_t key : keys)
        out << map.value(key);
    return out;
}

} // namespace

CTrovaneStore::CTrovaneStore() = default;

CTrovaneStore::~CTrovaneStore() = default;

QString CTrovaneStore::UserID() const {
    QMutexLocker lock(&m_userLock);
    return m_strUserID;
}

void CTrovaneStore::SetUserID(const QString& userId) {
    QMutexLocker lock(&m_userLock);
    m_strUserID = userId;
}

// ---- Entries ----

CTrovaneStore::Direction CTrovaneStore::DirectionOf(const CTrovaneMessage& entry) {
    if (entry.BoxFlags() & Received)
        return {&m_received, &m_receivedLock};
    if (entry.BoxFlags() & Sent)
        return {&m_sent, &m_sentLock};
    return {nullptr, nullptr};
}

CTrovaneStore::Direction CTrovaneStore::DirectionOf(bool received) const {
    auto* self = const_cast<CTrovaneStore*>(this);
    return received ? Direction{&self->m_received, &m_receivedLock}
                    : Direction{&self->m_sent, &m_sentLock};
}

uint32_t CTrovaneStore::NewLocalNumberLocked() const {
    uint32_t n = uint32_t(m_entries.size()) + 1;
    while (n == 0 || m_entries.count(n))
        ++n;
    return n;
}

uint32_t CTrovaneStore::NewLocalNumber() const {
    QMutexLocker lock(&m_numberLock);
    return NewLocalNumberLocked();
}

CTrovaneMessage* CTrovaneStore::AddEntry(const CTrovaneMessage& entry) {
    return AddEntry(std::make_unique<CTrovaneMessage>(entry));
}

CTrovaneMessage* CTrovaneStore::AddEntry(std::unique_ptr<CTrovaneMessage> copy) {
    if (!copy)
        return nullptr;
    CTrovaneMessage* stored = copy.get();
    stored->SetFolder(stored->FolderID(), nullptr);
    const QString messageId = stored->GetMessageID();

    // The duplicate test and the insertion are one step, so that the load thread and a
    // callback filing the same message cannot both add it.
    const Direction direction = DirectionOf(*stored);
    if (direction.map) {
        QMutexLocker lock(direction.lock);
        if (direction.map->contains(messageId))
            return nullptr;
        direction.map->insert(messageId, stored);
    }
    {
        QMutexLocker lock(&m_numberLock);
        const uint32_t number = NewLocalNumberLocked();
        stored->SetLocalNumber(number);
        m_entries.emplace(number, std::move(copy));
    }
    if (!stored->IsDraft() && !stored->GetReferenceID().isEmpty()) {
        QMutexLocker lock(&m_replyLock);
        m_replies[stored->GetReferenceID()].append(stored);
    }
    bool placed;
    {
        QMutexLocker lock(&m_folderLock);
        placed = PlaceLocked(stored->FolderID(), stored);
    }
    if (!placed) {
        DropEntries({stored});
        return nullptr;
    }
    return stored;
}

CTrovaneFolder* CTrovaneStore::FindFolderLocked(uint32_t folderId) const {
    auto it = m_folders.find(folderId);
    return it == m_folders.end() ? nullptr : it->second.get();
}

void CTrovaneStore::RaiseBelow(CTrovaneFolder* folder) {
    // A child's count went from 0 to 1: each ancestor whose own count does the same passes
    // it on.
    for (; folder; folder = folder->pParent)
        if (folder->nUnreadBelow++ != 0)
            break;
}

void CTrovaneStore::LowerBelow(CTrovaneFolder* folder) {
    for (; folder && folder->nUnreadBelow > 0; folder = folder->pParent)
        if (--folder->nUnreadBelow != 0)
            break;
}

bool CTrovaneStore::PlaceLocked(uint32_t folderId, CTrovaneMessage* entry) {
    if (entry->Folder())
        DetachLocked(entry);
    CTrovaneFolder* folder = FindFolderLocked(folderId);
    if (!folder)
        folder = FindFolderLocked(DefaultFolderOf(entry->BoxFlags()));
    if (!folder)
        return false;
    entry->SetFolder(folder->nID, folder);
    entry->SetBoxFlags((entry->BoxFlags() & LowHalf) | (folder->nFlags & HighHalf));
    if (entry->IsUnreadEntry() && folder->nUnreadHere++ == 0)
        RaiseBelow(folder->pParent);
    folder->entries.insert(entry->LocalNumber(), entry);
    return true;
}

void CTrovaneStore::DetachLocked(CTrovaneMessage* entry) {
    CTrovaneFolder* folder = entry->Folder();
    if (!folder)
        return;
    if (entry->IsUnreadEntry() && folder->nUnreadHere > 0 && --folder->nUnreadHere == 0)
        LowerBelow(folder->pParent);
    folder->entries.remove(entry->LocalNumber());
    entry->SetPrevFolderID(entry->FolderID());
    entry->SetFolder(0, nullptr);
}

bool CTrovaneStore::PlaceEntry(uint32_t folderId, CTrovaneMessage* entry) {
    if (!entry)
        return false;
    QMutexLocker lock(&m_folderLock);
    return PlaceLocked(folderId, entry);
}

bool CTrovaneStore::DetachEntry(uint32_t localNumber) {
    CTrovaneMessage* entry = FindEntry(localNumber);
    if (!entry)
        return false;
    QMutexLocker lock(&m_folderLock);
    DetachLocked(entry);
    return true;
}

bool CTrovaneStore::MoveEntry(uint32_t folderId, uint32_t localNumber) {
    CTrovaneMessage* entry = FindEntry(localNumber);
    if (!entry)
        return false;
    QMutexLocker lock(&m_folderLock);
    DetachLocked(entry);
    return PlaceLocked(folderId, entry);
}

void CTrovaneStore::DropEntries(const QList<CTrovaneMessage*>& entries) {
    for (CTrovaneMessage* entry : entries) {
        const QString referenceId = entry->GetReferenceID();
        if (!referenceId.isEmpty()) {
            QMutexLocker lock(&m_replyLock);
            auto it = m_replies.find(referenceId);
            if (it != m_replies.end()) {
                it->removeAll(entry);
                if (it->isEmpty())
                    m_replies.erase(it);
            }
        }
        const Direction direction = DirectionOf(*entry);
        if (direction.map) {
            QMutexLocker lock(direction.lock);
            auto it = direction.map->find(entry->GetMessageID());
            if (it != direction.map->end() && *it == entry)
                direction.map->erase(it);
        }
        QMutexLocker lock(&m_numberLock);
        m_entries.erase(entry->LocalNumber());
    }
}

void CTrovaneStore::DeleteEntry(CTrovaneMessage* entry) {
    if (!entry)
        return;
    {
        QMutexLocker lock(&m_folderLock);
        DetachLocked(entry);
    }
    DropEntries({entry});
}

bool CTrovaneStore::DeleteEntry(uint32_t localNumber) {
    CTrovaneMessage* entry = FindEntry(localNumber);
    DeleteEntry(entry);
    return entry != nullptr;
}

bool CTrovaneStore::ChangeFlags(const QString& messageId, uint32_t flags, bool received) {
    CTrovaneMessage* entry = FindEntry(messageId, received);
    if (!entry)
        return false;
    QMutexLocker lock(&m_folderLock);
    if (entry->GetFlags() == flags)
        return true;
    // The counts follow the read bit both ways, so that they always equal the unread entries.
    const bool wasUnread = entry->IsUnreadEntry();
    entry->SetFlags(flags);
    const bool isUnread = entry->IsUnreadEntry();
    if (CTrovaneFolder* folder = entry->Folder()) {
        if (wasUnread && !isUnread && folder->nUnreadHere > 0 && --folder->nUnreadHere == 0)
            LowerBelow(folder->pParent);
        else if (!wasUnread && isUnread && folder->nUnreadHere++ == 0)
            RaiseBelow(folder->pParent);
    }
    return true;
}

CTrovaneMessage* CTrovaneStore::FindEntry(uint32_t localNumber) const {
    QMutexLocker lock(&m_numberLock);
    auto it = m_entries.find(localNumber);
    return it == m_entries.end() ? nullptr : it->second.get();
}

CTrovaneMessage* CTrovaneStore::FindEntry(const QString& messageId, bool received) const {
    const Direction direction = DirectionOf(received);
    QMutexLocker lock(direction.lock);
    return direction.map->value(messageId);
}

int CTrovaneStore::EntryCount() const {
    QMutexLocker lock(&m_numberLock);
    return int(m_entries.size());
}

QList<CTrovaneMessage*> CTrovaneStore::Entries() const {
    QList<CTrovaneMessage*> out;
    {
        QMutexLocker lock(&m_numberLock);
        out.reserve(qsizetype(m_entries.size()));
        for (const auto& [number, entry] : m_entries)
            out << entry.get();
    }
    std::sort(out.begin(), out.end(), [](const CTrovaneMessage* a, const CTrovaneMessage* b) {
        return a->LocalNumber() < b->LocalNumber();
    });
    return out;
}

QList<CTrovaneMessage*> CTrovaneStore::EntriesOf(uint32_t folderId) const {
    QMutexLocker lock(&m_folderLock);
    const CTrovaneFolder* folder = FindFolderLocked(folderId);
    return folder ? ByKey(folder->entries) : QList<CTrovaneMessage*>();
}

int CTrovaneStore::EntryCountOf(uint32_t folderId) const {
    QMutexLocker lock(&m_folderLock);
    const CTrovaneFolder* folder = FindFolderLocked(folderId);
    return folder ? int(folder->entries.size()) : 0;
}

QList<CTrovaneMessage*> CTrovaneStore::Replies(const QString& referenceId) const {
    QMutexLocker lock(&m_replyLock);
    return m_replies.value(referenceId);
}

// ---- Folders ----

void CTrovaneStore::AttachFolderLocked(CTrovaneFolder* folder, CTrovaneFolder* parent) {
    folder->nParentID = parent->nID;
    folder->pParent = parent;
    parent->children.insert(folder->nID, folder);
    if (folder->nUnreadBelow)
        RaiseBelow(parent);
    if (folder->nUnreadHere)
        RaiseBelow(parent);
}

void CTrovaneStore::DetachFolderLocked(CTrovaneFolder* folder) {
    CTrovaneFolder* parent = folder->pParent;
    if (!parent)
        return;
    if (folder->nUnreadBelow)
        LowerBelow(parent);
    if (folder->nUnreadHere)
        LowerBelow(parent);
    parent->children.remove(folder->nID);
    folder->nPrevParentID = folder->nParentID;
    folder->pParent = nullptr;
}

CTrovaneFolder* CTrovaneStore::AddFolder(const CTrovaneFolder& folderTemplate) {
    QMutexLocker lock(&m_folderLock);
    if (folderTemplate.nID == 0 || FindFolderLocked(folderTemplate.nID))
        return nullptr;
    auto folder = std::make_unique<CTrovaneFolder>();
    folder->CopySettingsFrom(folderTemplate);
    CTrovaneFolder* parent = nullptr;
    if (folder->nID == RootFolder) {
        folder->nParentID = 0;
    } else {
        parent = FindFolderLocked(folder->nParentID);
        if (!parent)
            return nullptr;
        if (folder->nID >= FirstUserFolder)
            folder->nFlags = (folder->nFlags & LowHalf) | (parent->nFlags & HighHalf);
    }
    CTrovaneFolder* added = folder.get();
    m_folders.emplace(added->nID, std::move(folder));
    if (parent)
        AttachFolderLocked(added, parent);
    return added;
}

void CTrovaneStore::HandDownFlags(CTrovaneFolder* folder, uint32_t highHalf) {
    folder->nFlags = (folder->nFlags & LowHalf) | highHalf;
    for (CTrovaneMessage* entry : std::as_const(folder->entries))
        entry->SetBoxFlags((entry->BoxFlags() & LowHalf) | highHalf);
    for (CTrovaneFolder* child : std::as_const(folder->children))
        HandDownFlags(child, highHalf);
}

bool CTrovaneStore::MoveFolder(uint32_t newParentId, uint32_t folderId) {
    QMutexLocker lock(&m_folderLock);
    CTrovaneFolder* folder = FindFolderLocked(folderId);
    CTrovaneFolder* parent = FindFolderLocked(newParentId);
    if (!folder || !parent || folder->IsSystem())
        return false;
    for (const CTrovaneFolder* p = parent; p; p = p->pParent)
        if (p == folder)
            return false; // a folder cannot go below itself
    DetachFolderLocked(folder);
    HandDownFlags(folder, parent->nFlags & HighHalf);
    AttachFolderLocked(folder, parent);
    return true;
}

void CTrovaneStore::CollectSubtreeLocked(CTrovaneFolder* folder,
                                         QList<CTrovaneFolder*>& out) const {
    out << folder;
    for (CTrovaneFolder* child : std::as_const(folder->children))
        CollectSubtreeLocked(child, out);
}

QList<CTrovaneMessage*> CTrovaneStore::DropSubtreeLocked(CTrovaneFolder* folder) {
    QList<CTrovaneFolder*> subtree;
    CollectSubtreeLocked(folder, subtree);
    QList<CTrovaneMessage*> entries;
    for (CTrovaneFolder* f : subtree) {
        for (CTrovaneMessage* entry : std::as_const(f->entries)) {
            entry->SetPrevFolderID(entry->FolderID());
            entry->SetFolder(0, nullptr);
            entries << entry;
        }
    }
    for (CTrovaneFolder* f : subtree)
        m_folders.erase(f->nID);
    return entries;
}

bool CTrovaneStore::DeleteFolder(uint32_t folderId) {
    QList<uint32_t> ids;
    QList<CTrovaneMessage*> entries;
    {
        QMutexLocker lock(&m_folderLock);
        CTrovaneFolder* folder = FindFolderLocked(folderId);
        if (!folder || folder->IsSystem() || folderId == RootFolder)
            return false;
        QList<CTrovaneFolder*> subtree;
        CollectSubtreeLocked(folder, subtree);
        for (const CTrovaneFolder* f : std::as_const(subtree))
            ids << f->nID;
        DetachFolderLocked(folder);
        entries = DropSubtreeLocked(folder);
    }
    if (m_pTransConds)
        for (uint32_t id : std::as_const(ids))
            m_pTransConds->DeleteForFolder(id);
    DropEntries(entries);
    return true;
}

bool CTrovaneStore::DeleteFolderContents(uint32_t folderId) {
    QList<uint32_t> children;
    QList<CTrovaneMessage*> entries;
    {
        QMutexLocker lock(&m_folderLock);
        CTrovaneFolder* folder = FindFolderLocked(folderId);
        if (!folder)
            return false;
        children = folder->children.keys();
        entries = ByKey(folder->entries);
    }
    for (uint32_t child : std::as_const(children)) {
        // System folders below it (the root's) stay; only their contents go.
        if (!DeleteFolder(child))
            DeleteFolderContents(child);
    }
    for (CTrovaneMessage* entry : std::as_const(entries))
        DeleteEntry(entry);
    return true;
}

CTrovaneFolder* CTrovaneStore::FindFolder(uint32_t folderId) const {
    QMutexLocker lock(&m_folderLock);
    return FindFolderLocked(folderId);
}

uint32_t CTrovaneStore::NewFolderID() const {
    QMutexLocker lock(&m_folderLock);
    uint32_t id = FirstUserFolder;
    while (m_folders.count(id))
        ++id;
    return id;
}

int CTrovaneStore::FolderCount() const {
    QMutexLocker lock(&m_folderLock);
    return int(m_folders.size());
}

QList<CTrovaneFolder*> CTrovaneStore::ChildrenOf(uint32_t folderId) const {
    QMutexLocker lock(&m_folderLock);
    const CTrovaneFolder* folder = FindFolderLocked(folderId);
    return folder ? ByKey(folder->children) : QList<CTrovaneFolder*>();
}

bool CTrovaneStore::IsInSubtree(uint32_t folderId, uint32_t ancestorId) const {
    QMutexLocker lock(&m_folderLock);
    for (const CTrovaneFolder* f = FindFolderLocked(folderId); f; f = f->pParent)
        if (f->nID == ancestorId)
            return true;
    return false;
}

void CTrovaneStore::Clear() {
    {
        QMutexLocker lock(&m_replyLock);
        m_replies.clear();
    }
    {
        QMutexLocker lock(&m_receivedLock);
        m_received.clear();
    }
    {
        QMutexLocker lock(&m_sentLock);
        m_sent.clear();
    }
    {
        QMutexLocker lock(&m_folderLock);
        m_folders.clear();
    }
    {
        QMutexLocker lock(&m_numberLock);
        m_entries.clear();
    }
    SetUserID(QString());
}
