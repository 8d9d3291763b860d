// What the folder tree accepts while messages or a folder are dragged onto it, and the name a
// dropped folder takes beside its new siblings. Display-free, so that the frame's drag code
// only asks.
#pragma once

#include <QString>
#include <cstdint>

class CTrovaneStore;

namespace CTrovaneDropRules {

enum Drop {
    Refused,    // nothing happens
    Move,       // moved at once
    MoveToTrash // moved after the user confirmed it, the target lying in the trash
};

// The drag image: 0 for one message, 1 for several.
int MessageDragImage(int selectedCount);

// Messages of one folder dropped onto another folder: not onto their own folder nor the root.
Drop MessageDrop(const CTrovaneStore& store, uint32_t sourceFolder, uint32_t targetFolder);

// Whether a folder can be dragged at all: only folders the user created.
bool CanDragFolder(const CTrovaneStore& store, uint32_t folderId);
// Whether the tree shows a folder as a drop candidate while another is dragged: never the
// dragged folder itself nor anything below it.
bool IsFolderCandidate(const CTrovaneStore& store, uint32_t draggedId, uint32_t targetId);
// The outcome of dropping a folder: refused into the drafts subtree, below itself and onto its
// own parent (where it lies already).
Drop FolderDrop(const CTrovaneStore& store, uint32_t draggedId, uint32_t targetId);

// Moves a folder under the target; when a child there has its name (regardless of case), it
// takes the first free one of its name followed by 1, 2, ... False when the move is refused.
bool MoveFolder(CTrovaneStore& store, uint32_t draggedId, uint32_t targetId);

} // namespace CTrovaneDropRules
