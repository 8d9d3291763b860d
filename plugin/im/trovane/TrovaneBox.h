// Numbers shared by the message box's store, transfer conditions and files: the box flags of
// an entry, the system folders and the folder flags.
#pragma once

#include <cstdint>

namespace TrovaneBox {

// Box flags of an entry. The low half is the entry's own; the high half mirrors the flags of
// the folder it lies in.
constexpr uint32_t Received = 0x0001;
constexpr uint32_t Sent = 0x0002; // drafts carry it too
constexpr uint32_t DraftBit = 0x0004;
constexpr uint32_t Draft = 0x0006;     // a draft's own flags
constexpr uint32_t HasObject = 0x4000; // the body holds an <OBJECT> element
constexpr uint32_t BodyNotHeld = 0x8000;
constexpr uint32_t LowHalf = 0x0000FFFF;
constexpr uint32_t HighHalf = 0xFFFF0000;

// Message kinds as the core's message functions take them (derived from the box flags).
constexpr int32_t KindDraft = 0;
constexpr int32_t KindSent = 1;
constexpr int32_t KindReceived = 2;
constexpr int32_t KindOther = 3;

// Folder ids: the system folders, and the first id of folders the user creates.
constexpr uint32_t RootFolder = 1;
constexpr uint32_t ReceivedFolder = 2;
constexpr uint32_t SentFolder = 3;
constexpr uint32_t DraftsFolder = 4;
constexpr uint32_t TrashFolder = 5;
constexpr uint32_t FirstUserFolder = 16;

// Folder flags: the low half is the folder's own kind, the high half is inherited.
constexpr uint32_t ListsReceived = 0x01; // the list shows senders
constexpr uint32_t ListsSent = 0x02;     // the list shows recipients
constexpr uint32_t TrashKind = 0x08;
constexpr uint32_t DraftsKind = 0x10;
constexpr uint32_t SystemFolder = 0x80; // name fixed; never moved or deleted
constexpr uint32_t InTrash = 0x10000;
constexpr uint32_t InDrafts = 0x20000;

// Icon kinds of folders.
constexpr uint32_t IconFolder = 1;
constexpr uint32_t IconTrash = 2;

// The kind of an entry with these box flags.
constexpr int32_t KindOf(uint32_t boxFlags) {
    if (boxFlags & DraftBit)
        return KindDraft;
    if (boxFlags & Sent)
        return KindSent;
    if (boxFlags & Received)
        return KindReceived;
    return KindOther;
}

// The folder an entry of this kind goes to when nothing else decides; 0 for none.
constexpr uint32_t DefaultFolderOf(uint32_t boxFlags) {
    switch (KindOf(boxFlags)) {
    case KindDraft:
        return DraftsFolder;
    case KindSent:
        return SentFolder;
    case KindReceived:
        return ReceivedFolder;
    default:
        return 0;
    }
}

} // namespace TrovaneBox
