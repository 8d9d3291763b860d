// The body of a compose window: rich text typed in the font bar's formats. Pasting takes text
// only; files dropped on it are handed to the window as attachments.
#pragma once

#include "plugin/im/letrix/richtext/CMessageBodyLoader.h"

#include <QStringList>
#include <QTextEdit>

class CMessageEditView : public QTextEdit {
    Q_OBJECT
public:
    explicit CMessageEditView(QWidget* parent = nullptr);

    // Loads a body for a fill mode; the caret ends at the start.
    void LoadBody(const QString& html, const CBodyLoadOptions& options);
    FillMode Mode() const { return m_mode; }

    // Read-only with clickable links, which open in the desktop's browser (a read message).
    void SetReading();
    bool IsReading() const { return m_reading; }
    // Where the pop-up menu takes its words from.
    void SetResources(void* resources) { m_resources = resources; }

    // The whole body's background.
    void SetBackground(COLORREF color);

signals:
    void FilesDropped(const QStringList& paths);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    FillMode m_mode = FillMode::New;
    bool m_reading = false;
    void* m_resources = nullptr;
};

// The local files of a drop, or nothing when it holds none.
QStringList DroppedFiles(const QMimeData* data);
