#include "plugin/im/trovane/CTrovanePreview.h"

#include "plugin/im/trovane/CTrovaneMessage.h"

#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QListWidget>
#include <QTextEdit>
#include <QVBoxLayout>

CTrovaneHtmlView::CTrovaneHtmlView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    connect(this, &QTextBrowser::anchorClicked, this, &CTrovaneHtmlView::OnAnchor);
}

void CTrovaneHtmlView::SetCommandTable(const QHash<QString, int>& commands) {
    m_commands.clear();
    for (auto it = commands.begin(); it != commands.end(); ++it)
        m_commands.insert(it.key().toLower(), it.value());
}

QVariant CTrovaneHtmlView::loadResource(int, const QUrl&) {
    // Images, style sheets and frames of a message never reach the network or the disk.
    return {};
}

void CTrovaneHtmlView::OnAnchor(const QUrl& url) {
    const QString text = url.toString();
    if (text.startsWith(QStringLiteral("app:"), Qt::CaseInsensitive)) {
        const auto it = m_commands.constFind(text.mid(4).toLower());
        if (it != m_commands.constEnd())
            emit Command(*it);
        return;
    }
    // Only web and mail links leave the preview, and only when clicked; a file link in a
    // message could start anything on this machine.
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        QDesktopServices::openUrl(url);
}

CTrovaneAttachList::CTrovaneAttachList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("AttachmentList"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

QList<CTrovanePreviewPage::Attachment> CTrovaneAttachList::Selected() const {
    QList<CTrovanePreviewPage::Attachment> out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected())
            out.append({item(i)->text(), item(i)->data(Qt::UserRole).toString()});
    return out;
}

void CTrovaneAttachList::startDrag(Qt::DropActions) {
    emit DragRequested();
}

CTrovanePreview::CTrovanePreview(const CTrovanePreviewPage::Labels& labels, QWidget* parent)
    : QWidget(parent), m_labels(labels), m_header(new QTextEdit(this)),
      m_body(new CTrovaneHtmlView(this)), m_attachments(new CTrovaneAttachList(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_header->setReadOnly(true);
    m_header->setObjectName(QStringLiteral("PreviewHeader"));
    m_body->setObjectName(QStringLiteral("PreviewBody"));
    m_header->setFrameShape(QFrame::NoFrame);
    m_header->setStyleSheet(QStringLiteral("QTextEdit#PreviewHeader { background: #D0D0D0; }"));
    m_header->setLineWrapMode(QTextEdit::NoWrap);
    m_header->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_attachments->setViewMode(QListView::ListMode);
    m_attachments->setFlow(QListView::LeftToRight);
    m_attachments->setWrapping(true);
    layout->addWidget(m_header);
    layout->addWidget(m_body, 1);
    layout->addWidget(m_attachments);
    Clear();
}

void CTrovanePreview::Show(const CTrovaneMessage& entry, const QString& body,
                           const QString& messageDir) {
    if (entry.LocalNumber() == m_shown && m_shown != 0)
        return;
    m_shown = entry.LocalNumber();
    m_body->setHtml(CTrovanePreviewPage::BuildPage(body));
    const QString header = CTrovanePreviewPage::HeaderText(entry, m_labels);
    m_header->setPlainText(header);
    const int lines = int(header.count(u'\n')) + 1;
    m_header->setFixedHeight(m_header->fontMetrics().lineSpacing() * lines +
                             2 * int(m_header->document()->documentMargin()) + 4);
    m_header->show();
    m_body->show();

    m_attachments->clear();
    const bool objects = entry.BoxFlags() & TrovaneBox::HasObject;
    if (objects) {
        QFileIconProvider icons;
        for (const CTrovanePreviewPage::Attachment& a :
             CTrovanePreviewPage::Attachments(body, messageDir, entry.GetMessageID())) {
            auto* item = new QListWidgetItem(icons.icon(QFileInfo(a.path)), a.name);
            item->setData(Qt::UserRole, a.path);
            m_attachments->addItem(item);
        }
    }
    m_attachments->setVisible(objects);
    if (objects)
        m_attachments->setFixedHeight(m_attachments->fontMetrics().lineSpacing() * 2 + 12);
}

void CTrovanePreview::Clear() {
    m_shown = 0;
    m_header->clear();
    m_body->clear();
    m_attachments->clear();
    m_header->hide();
    m_body->hide();
    m_attachments->hide();
}
