// The preview under the message list: the grey header block, the body page in a browser that
// loads nothing from outside and runs nothing, and the attachment list for entries with
// objects. "app:" links post commands of the table; other web links open outside on a click.
#pragma once

#include "plugin/im/trovane/CTrovanePreviewPage.h"

#include <QHash>
#include <QListWidget>
#include <QTextBrowser>
#include <QWidget>
#include <cstdint>

class CTrovaneMessage;
class QTextEdit;

// The body browser: resources are never fetched, links never followed by the control.
class CTrovaneHtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CTrovaneHtmlView(QWidget* parent = nullptr);
    // "app:" names (any letter case) and the commands they post.
    void SetCommandTable(const QHash<QString, int>& commands);

signals:
    void Command(int command);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void OnAnchor(const QUrl& url);
    QHash<QString, int> m_commands; // keys in lower case
};

// The attachment list: several rows can be chosen; dragging them out is the frame's business.
class CTrovaneAttachList : public QListWidget {
    Q_OBJECT
public:
    explicit CTrovaneAttachList(QWidget* parent = nullptr);
    // Full paths of the chosen rows with their display names.
    QList<CTrovanePreviewPage::Attachment> Selected() const;

signals:
    void DragRequested();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};

class CTrovanePreview : public QWidget {
    Q_OBJECT
public:
    CTrovanePreview(const CTrovanePreviewPage::Labels& labels, QWidget* parent = nullptr);

    // Shows an entry whose body is given; nothing happens when it is on show already.
    void Show(const CTrovaneMessage& entry, const QString& body, const QString& messageDir);
    void Clear();
    uint32_t Shown() const { return m_shown; }

    CTrovaneHtmlView* Body() const { return m_body; }
    CTrovaneAttachList* AttachmentList() const { return m_attachments; }
    QTextEdit* Header() const { return m_header; }

private:
    CTrovanePreviewPage::Labels m_labels;
    QTextEdit* m_header;
    CTrovaneHtmlView* m_body;
    CTrovaneAttachList* m_attachments;
    uint32_t m_shown = 0;
};
