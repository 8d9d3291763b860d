#include "plugin/im/trovane/CTrovaneDropRules.h"

#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <tuple>

using namespace TrovaneBox;

namespace CTrovaneDropRules {

int MessageDragImage(int selectedCount) {
    return selectedCount == 1 ? 0 : 1;
}

Drop MessageDrop(const CTrovaneStore& store, uint32_t sourceFolder, uint32_t targetFolder) {
    if (targetFolder == sourceFolder || targetFolder == RootFolder)
        return Refused;
    const CTrovaneFolder* target = store.FindFolder(targetFolder);
    if (!target)
        return Refused;
    const bool inTrash = store.WithFolders([target] { return target->IsInTrash(); });
    return inTrash ? MoveToTrash : Move;
}

bool CanDragFolder(const CTrovaneStore& store, uint32_t folderId) {
    return folderId >= FirstUserFolder && store.FindFolder(folderId);
}

bool IsFolderCandidate(const CTrovaneStore& store, uint32_t draggedId, uint32_t targetId) {
    return store.FindFolder(targetId) && !store.IsInSubtree(targetId, draggedId);
}

Drop FolderDrop(const CTrovaneStore& store, uint32_t draggedId, uint32_t targetId) {
    if (!CanDragFolder(store, draggedId) || !IsFolderCandidate(store, draggedId, targetId))
        return Refused;
    const CTrovaneFolder* dragged = store.FindFolder(draggedId);
    const CTrovaneFolder* target = store.FindFolder(targetId);
    const auto [parent, drafts, trash] = store.WithFolders([&] {
        return std::tuple(dragged->nParentID, target->nID == DraftsFolder || target->IsInDrafts(),
                          target->IsInTrash());
    });
    if (drafts || parent == targetId)
        return Refused;
    return trash ? MoveToTrash : Move;
}

bool MoveFolder(CTrovaneStore& store, uint32_t draggedId, uint32_t targetId) {
    CTrovaneFolder* dragged = store.FindFolder(draggedId);
    if (!dragged || FolderDrop(store, draggedId, targetId) == Refused)
        return false;
    const QString own = store.WithFolders([dragged] { return dragged->strName; });
    const QString name = CTrovaneCommands::FreeFolderName(store, targetId, own, draggedId);
    if (!store.MoveFolder(targetId, draggedId))
        return false;
    store.WithFolders([&] { dragged->strName = name; });
    return true;
}

} // namespace CTrovaneDropRules
