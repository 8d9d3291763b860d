#include "plugin/im/trovane/CTrovaneSettingsFiles.h"

#include "obrix/CArchive.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <algorithm>
#include <functional>

using namespace TrovaneBox;

namespace CTrovaneSettingsFiles {

namespace {

struct SystemFolderSpec {
    uint32_t id;
    uint32_t nameText; // core text number; 0 for none
    uint32_t flags;
    uint32_t icon;
};

// In the order they are created: the root, then trash, drafts, sent and received.
constexpr SystemFolderSpec kSystemFolders[] = {
    {RootFolder, 0, SystemFolder | ListsReceived, IconFolder},
    {TrashFolder, 388, InTrash | SystemFolder | TrashKind | ListsReceived, IconTrash},
    {DraftsFolder, 386, InDrafts | SystemFolder | DraftsKind | ListsSent, IconFolder},
    {SentFolder, 385, SystemFolder | ListsSent, IconFolder},
    {ReceivedFolder, 384, SystemFolder | ListsReceived, IconFolder},
};

// A folder record needs at least ten words and an empty name.
constexpr qsizetype kMinFolderRecord = 10 * 4 + 4;
// An entry record needs three words and an empty message ID.
constexpr qsizetype kMinEntryRecord = 3 * 4 + 4;

void WriteFolder(CArchive& ar, const CTrovaneFolder& f) {
    ar << f.nID << f.nFlags << f.nExpanded;
    for (uint32_t width : f.aColumnWidth)
        ar << width;
    ar << f.nParentID << f.strName << f.nPrevParentID << f.nIconKind;
}

CTrovaneFolder ReadFolder(CArchive& ar) {
    CTrovaneFolder f;
    ar >> f.nID >> f.nFlags >> f.nExpanded;
    for (uint32_t& width : f.aColumnWidth)
        ar >> width;
    ar >> f.nParentID >> f.strName >> f.nPrevParentID >> f.nIconKind;
    return f;
}

// A folder's record, then each child's subtree: every parent precedes its children.
void WriteSubtree(CArchive& ar, const CTrovaneFolder& folder, uint32_t& written) {
    WriteFolder(ar, folder);
    ++written;
    QList<uint32_t> ids = folder.children.keys();
    std::sort(ids.begin(), ids.end());
    for (uint32_t id : std::as_const(ids))
        WriteSubtree(ar, *folder.children.value(id), written);
}

QByteArray Framed(const std::function<void(CArchive&)>& body) {
    CArchive ar;
    ar << kHeader;
    body(ar);
    ar << kEndMark;
    return ar.Bytes();
}

} // namespace

QByteArray WriteTree(const CTrovaneStore& store) {
    const CTrovaneFolder* root = store.FindFolder(RootFolder);
    return Framed([&](CArchive& ar) {
        CArchive records;
        uint32_t written = 0;
        store.WithFolders([&] {
            if (!root)
                return;
            WriteFolder(records, *root);
            ++written;
            // The system folders first, in a fixed order; then the root's other children.
            const uint32_t order[] = {TrashFolder, DraftsFolder, SentFolder, ReceivedFolder};
            for (uint32_t id : order)
                if (const CTrovaneFolder* f = root->children.value(id))
                    WriteSubtree(records, *f, written);
            QList<uint32_t> others = root->children.keys();
            std::sort(others.begin(), others.end());
            for (uint32_t id : std::as_const(others))
                if (id != TrashFolder && id != DraftsFolder && id != SentFolder &&
                    id != ReceivedFolder)
                    WriteSubtree(records, *root->children.value(id), written);
        });
        ar << written;
        const QByteArray& bytes = records.Bytes();
        for (char c : bytes)
            ar.WriteUInt8(uint8_t(c));
    });
}

bool ReadTree(const QByteArray& bytes, CTrovaneStore& store) {
    try {
        CArchive ar(bytes);
        ar.ReadUInt32(); // header, not checked
        const int32_t count = ar.ReadCount(kMinFolderRecord);
        for (int32_t i = 0; i < count; ++i)
            store.AddFolder(ReadFolder(ar)); // refused when its parent is not there yet
        return ar.ReadUInt32() == kEndMark;
    } catch (const CArchiveException&) {
        return false;
    }
}

QByteArray WriteConditions(const CTrovaneTransCondList& conditions) {
    return Framed([&](CArchive& ar) { conditions.Write(ar); });
}

bool ReadConditions(const QByteArray& bytes, CTrovaneTransCondList& conditions) {
    try {
        CArchive ar(bytes);
        ar.ReadUInt32();
        conditions.Read(ar);
        if (ar.ReadUInt32() == kEndMark)
            return true;
    } catch (const CArchiveException&) {
    }
    conditions.Clear();
    return false;
}

QByteArray WriteEntries(const CTrovaneStore& store) {
    const QList<CTrovaneMessage*> entries = store.Entries();
    return Framed([&](CArchive& ar) {
        ar << uint32_t(entries.size());
        store.WithFolders([&] {
            for (const CTrovaneMessage* entry : entries)
                ar << entry->FolderID() << entry->PrevFolderID() << entry->BoxFlags()
                   << entry->GetMessageID();
        });
    });
}

void CreateSystemFolders(CTrovaneStore& store) {
    store.Clear();
    for (const SystemFolderSpec& s : kSystemFolders) {
        CTrovaneFolder f;
        f.nID = s.id;
        f.nParentID = s.id == RootFolder ? 0 : RootFolder;
        f.nFlags = s.flags;
        f.nIconKind = s.icon;
        store.AddFolder(f);
    }
}

void ResetSystemFolders(CTrovaneStore& store, void* resources) {
    if (!store.FindFolder(RootFolder)) {
        CreateSystemFolders(store);
    } else {
        // A readable file that lacks a system folder would leave its messages nowhere.
        for (const SystemFolderSpec& s : kSystemFolders) {
            if (store.FindFolder(s.id))
                continue;
            CTrovaneFolder f;
            f.nID = s.id;
            f.nParentID = RootFolder;
            store.AddFolder(f);
        }
    }
    for (const SystemFolderSpec& s : kSystemFolders) {
        if (s.id == RootFolder)
            continue;
        CTrovaneFolder* f = store.FindFolder(s.id);
        const QString name = CResourceLoader::LoadString(resources, s.nameText);
        store.WithFolders([&] {
            f->strName = name;
            f->nFlags = s.flags;
            f->nIconKind = s.icon;
        });
    }
}

EntryReader::EntryReader(const QByteArray& bytes) : m_archive(std::make_unique<CArchive>(bytes)) {
    try {
        m_archive->ReadUInt32(); // header, not checked
        const int32_t count = m_archive->ReadCount(kMinEntryRecord);
        m_count = count > 0 ? uint32_t(count) : 0;
        m_valid = true;
    } catch (const CArchiveException&) {
        m_valid = false;
    }
}

EntryReader::~EntryReader() = default;

bool EntryReader::Next(CTrovaneMessage& entry) {
    if (!m_valid || m_read >= m_count)
        return false;
    try {
        uint32_t folder = 0, previous = 0, flags = 0;
        QString messageId;
        *m_archive >> folder >> previous >> flags >> messageId;
        entry.SetFolder(folder, nullptr);
        entry.SetPrevFolderID(previous);
        entry.SetBoxFlags(flags);
        entry.SetMessageID(messageId);
        ++m_read;
        return true;
    } catch (const CArchiveException&) {
        m_valid = false;
        return false;
    }
}

bool EntryReader::ReadEndMark() {
    if (!m_valid || m_read != m_count)
        return false;
    try {
        return m_archive->ReadUInt32() == kEndMark;
    } catch (const CArchiveException&) {
        return false;
    }
}

} // namespace CTrovaneSettingsFiles
