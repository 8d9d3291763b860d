// Dragging inside the message box window: messages from the list onto a folder of the tree
// (moved there), and a folder the user created onto another folder (moved below it, renamed
// when a sibling there has its name). While a drag hovers over the tree, the folder under the
// mouse is framed as the drop target and a collapsed folder with subfolders opens after
// 2000 ms. Dropping into the trash asks first. What may be dropped where is
// CTrovaneDropRules; this class only follows the mouse.
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>

class CTrovaneFrame;
class CTrovaneStore;
class QRubberBand;

class CTrovaneFrameDrag : public QObject {
    Q_OBJECT
public:
    // How long the mouse rests on a collapsed folder before it opens.
    static constexpr int kExpandDelayMs = 2000;
    static constexpr const char* kMessagesMime = "application/x-zelta-trovane-messages";
    static constexpr const char* kFolderMime = "application/x-zelta-trovane-folder";

    // `confirm` asks an OK / Cancel question with a text of the core (true for OK).
    CTrovaneFrameDrag(CTrovaneFrame& frame, CTrovaneStore& store, void* resources,
                      std::function<bool(uint32_t text)> confirm);

    // The drops themselves, as a release over a folder does them; false when nothing moved.
    bool DropMessages(uint32_t sourceFolder, const QList<uint32_t>& localNumbers, uint32_t target);
    bool DropFolder(uint32_t folderId, uint32_t target);
    // The mouse rests over a folder during a drag (0: over none); a collapsed folder with
    // subfolders opens when it stays there for the expand delay.
    void HoverOver(uint32_t folderId);
    uint32_t Candidate() const { return m_candidate; }
    bool ExpandPending() const { return m_expandTimer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ListEvent(QEvent* event);
    bool TreeEvent(QEvent* event);
    void StartMessageDrag();
    void StartFolderDrag(uint32_t folderId);
    // The folder under a point of the tree's viewport that accepts the drag; 0 for none.
    uint32_t TargetAt(const QPoint& at, const class QMimeData* data) const;
    void ShowCandidate(uint32_t folderId);
    void EndDrag();

    CTrovaneFrame& m_frame;
    CTrovaneStore& m_store;
    void* m_resources;
    std::function<bool(uint32_t)> m_confirm;
    QPoint m_pressAt;
    bool m_pressed = false;
    uint32_t m_pressedFolder = 0;
    uint32_t m_candidate = 0;
    QTimer m_expandTimer;
    QPointer<QRubberBand> m_mark;
};
