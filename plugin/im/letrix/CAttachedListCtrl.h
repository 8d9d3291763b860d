// A row of attached files with their icons, as the compose and receive windows show them.
// Files open with the desktop's program, copy to the clipboard as a file list, and drag out.
#pragma once

#include <QListWidget>
#include <QStringList>

class CAttachedListCtrl : public QListWidget {
    Q_OBJECT
public:
    CAttachedListCtrl(void* resources, QWidget* parent = nullptr);

    // Shows these files (full paths) with their display names.
    void SetFiles(const QStringList& paths, const QStringList& displayNames);
    QStringList SelectedPaths() const;

    // The shell's icon for a file's extension, without touching the file.
    static QIcon IconForExtension(const QString& extension);

    // Opens the selected files; a missing one is reported (text 888).
    void OpenSelected();
    // Puts the selected files on the clipboard as a file list to copy; nothing when one of them
    // is missing (text 827).
    bool CopySelected();
    // Receive list: copies the first selected file to a place the user chooses (text 827 when
    // it is missing). True when copied.
    bool SaveSelectedAs();
    // The receive list offers "Save As" in its pop-up menu.
    void OfferSaveAs(bool on) { m_offerSaveAs = on; }

signals:
    // Delete pressed (the compose window removes the selection).
    void RemoveRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;

private:
    void* m_resources;
    QStringList m_paths;
    bool m_offerSaveAs = false;
};

// A file list for the clipboard or a drag: URIs and the desktop's "copy" marker.
QMimeData* FileListMimeData(const QStringList& paths);
