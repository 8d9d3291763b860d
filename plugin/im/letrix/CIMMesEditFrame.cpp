#include "plugin/im/letrix/CIMMesEditFrame.h"

#include "imframe/MessageBoxRequests.h"
#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CAddressEdit.h"
#include "plugin/im/letrix/CAddressText.h"
#include "plugin/im/letrix/CAttachedListCtrl.h"
#include "plugin/im/letrix/CCaptionColumn.h"
#include "plugin/im/letrix/CColorSwatch.h"
#include "plugin/im/letrix/CEditMenus.h"
#include "plugin/im/letrix/CFontLists.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CMessageEditView.h"
#include "plugin/im/letrix/richtext/CHtmlBodyWriter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kNewTitle = 1400, kToLabel = 1401, kCcLabel = 1402, kBccLabel = 1403,
                   kSubjectLabel = 1404, kImportant = 1405, kFore = 1406, kBack = 1407,
                   kReverse = 1408, kSend = 1409, kClose = 1410, kFileMenu = 1411,
                   kPutInDraft = 1412, kAttachFile = 1413, kSetting = 1414, kEditMenu = 1415,
                   kUndo = 1416, kCut = 1417, kCopy = 1418, kPaste = 1419, kSelectAll = 1420,
                   kHelpMenu = 1421, kHelp = 1422, kVersion = 1423, kAttachTitle = 1424,
                   kAttachFilter = 1425, kAttachLabel = 1428, kCcTip = 1429, kBccTip = 1430,
                   kPrint = 1437, kPreview = 1438;
constexpr uint32_t kForeTitle = 862, kBackTitle = 863;
constexpr uint32_t kSentNotice = 869, kStoreDraft = 875;

} // namespace

CIMMesEditFrame::CIMMesEditFrame(const CObrixTable& core, const CIMMesSettings& settings,
                                 QWidget* parent)
    : QMainWindow(parent), m_core(core), m_settings(settings),
      m_resources(core.GetIMResHandle ? core.GetIMResHandle() : nullptr),
      m_attachments([&core] { return core.QueryMTS ? core.QueryMTS() : uint64_t(0); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    m_captions = std::make_unique<CCaptionColumn>(
        fontMetrics(), m_resources,
        std::initializer_list<uint32_t>{kToLabel, kCcLabel, kBccLabel, kSubjectLabel,
                                        kAttachLabel});

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildAddressBar(kToLabel, m_to, true));
    m_ccBar = BuildAddressBar(kCcLabel, m_cc, false);
    m_bccBar = BuildAddressBar(kBccLabel, m_bcc, false);
    m_ccBar->hide();
    m_bccBar->hide();
    layout->addWidget(m_ccBar);
    layout->addWidget(m_bccBar);
    layout->addWidget(BuildSubjectBar());
    layout->addWidget(BuildFontBar());
    layout->addWidget(BuildAttachBar());
    m_body = new CMessageEditView(central);
    m_body->SetResources(m_resources);
    layout->addWidget(m_body, 1);
    layout->addWidget(BuildBottomBar());
    setCentralWidget(central);
    BuildMenus();

    connect(m_to, &QLineEdit::textChanged, this, [this] { UpdateSendState(); });
    connect(m_body, &QTextEdit::textChanged, this, [this] { UpdateSendState(); });
    connect(m_body, &QTextEdit::cursorPositionChanged, this, [this] { ShowFormatAtCaret(); });
    connect(m_body, &CMessageEditView::FilesDropped, this, &CIMMesEditFrame::AddDroppedFiles);

    // Names for tools that look at the window from outside (tests, accessibility).
    const std::pair<QWidget*, const char*> names[] = {{m_to, "to"},
                                                      {m_cc, "cc"},
                                                      {m_bcc, "bcc"},
                                                      {m_subject, "subject"},
                                                      {m_important, "important"},
                                                      {m_body, "body"},
                                                      {m_send, "send"},
                                                      {m_close, "close"},
                                                      {m_attachCtrl, "attachments"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    SetTitle(QString());
    const QFontMetrics fm(font());
    resize(fm.averageCharWidth() * 90, fm.height() * 30);
}

CIMMesEditFrame::~CIMMesEditFrame() = default;

QString CIMMesEditFrame::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

int32_t CIMMesEditFrame::LogonState() const {
    return m_core.GetLogonState ? m_core.GetLogonState() : ObrixLogon::LoggedOff;
}

QWidget* CIMMesEditFrame::BuildAddressBar(uint32_t label, CAddressEdit*& edit, bool withButtons) {
    auto* bar = new QWidget(this);
    edit = new CAddressEdit(m_core, bar);
    CEditMenus::Install(edit, m_resources, false);
    edit->setFocusPolicy(Qt::ClickFocus);
    m_captions->AddRow(bar, label, edit);
    if (withButtons) {
        const std::pair<uint32_t, uint32_t> toggles[] = {{kCcLabel, kCcTip}, {kBccLabel, kBccTip}};
        for (const auto& [text, tip] : toggles) {
            QString caption = Text(text);
            caption.remove(u':');
            auto* button = new QPushButton(caption, bar);
            button->setToolTip(Text(tip));
            button->setFocusPolicy(Qt::ClickFocus);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, text] {
                QWidget* target = text == kCcLabel ? m_ccBar : m_bccBar;
                target->setVisible(!target->isVisible());
            });
            bar->layout()->addWidget(button);
        }
    }
    return bar;
}

QWidget* CIMMesEditFrame::BuildSubjectBar() {
    auto* bar = new QWidget(this);
    m_subject = new QLineEdit(bar);
    CEditMenus::Install(m_subject, m_resources, true);
    m_important = new QCheckBox(Text(kImportant), bar);
    m_important->setFocusPolicy(Qt::ClickFocus);
    m_captions->AddRow(bar, kSubjectLabel, m_subject);
    bar->layout()->addWidget(m_important);
    connect(m_subject, &QLineEdit::textChanged, this, &CIMMesEditFrame::SetTitle);
    return bar;
}

QWidget* CIMMesEditFrame::BuildFontBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_face = new QComboBox(bar);
    CFontLists::FillFaces(m_face);
    m_face->setMinimumContentsLength(16);
    m_face->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_size = new QComboBox(bar);
    CFontLists::FillSizes(m_size);
    m_fore = new CColorSwatch(Text(kFore), bar);
    m_back = new CColorSwatch(Text(kBack), bar);
    auto* reverse = new QPushButton(Text(kReverse), bar);
    reverse->setAutoDefault(false);
    for (QWidget* w : std::initializer_list<QWidget*>{m_fore, m_back, reverse})
        w->setFocusPolicy(Qt::ClickFocus);
    row->addWidget(m_face, 1);
    row->addWidget(m_size);
    row->addWidget(m_fore);
    row->addWidget(m_back);
    row->addWidget(reverse);
    row->addStretch(1);

    CFontLists::SelectFace(m_face, m_settings.fontName);
    m_size->setCurrentText(m_settings.fontSize);
    if (m_size->currentText() != m_settings.fontSize)
        m_size->setCurrentIndex(m_size->findText(QStringLiteral("12")));
    m_fore->SetColor(m_settings.foreColor);
    m_back->SetColor(m_settings.backColor);

    connect(m_face, &QComboBox::activated, this, [this] { ApplyFont(); });
    connect(m_size, &QComboBox::activated, this, [this] { ApplyFont(); });
    connect(m_fore, &QPushButton::clicked, this, [this] {
        m_fore->Choose(Text(kForeTitle));
        ApplyFont();
    });
    connect(m_back, &QPushButton::clicked, this, [this] {
        m_back->Choose(Text(kBackTitle));
        ApplyFont();
    });
    connect(reverse, &QPushButton::clicked, this, [this] {
        const COLORREF fore = m_fore->Color();
        m_fore->SetColor(m_back->Color());
        m_back->SetColor(fore);
        ApplyFont();
    });
    return bar;
}

QWidget* CIMMesEditFrame::BuildAttachBar() {
    m_attachBar = new QWidget(this);
    m_attachCtrl = new CAttachedListCtrl(m_resources, m_attachBar);
    m_attachCtrl->setFocusPolicy(Qt::ClickFocus);
    m_attachCtrl->setFixedHeight(fontMetrics().height() * 3 + 8);
    m_captions->AddRow(m_attachBar, kAttachLabel, m_attachCtrl)
        ->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    connect(m_attachCtrl, &CAttachedListCtrl::RemoveRequested, this,
            &CIMMesEditFrame::RemoveSelectedAttachments);
    m_attachBar->hide();
    return m_attachBar;
}

QWidget* CIMMesEditFrame::BuildBottomBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_send = new QPushButton(Text(kSend), bar);
    m_close = new QPushButton(Text(kClose), bar);
    row->addStretch(1);
    row->addWidget(m_send);
    row->addWidget(m_close);
    connect(m_send, &QPushButton::clicked, this, [this] { Send(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    return bar;
}

void CIMMesEditFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu(Text(kFileMenu));
    m_sendAction = file->addAction(Text(kSend), this, [this] { Send(); });
    file->addAction(Text(kPutInDraft), this, [this] { PutInDraft(true); });
    file->addAction(Text(kAttachFile), this, &CIMMesEditFrame::ChooseAttachment);
    file->addSeparator();
    file->addAction(Text(kPrint), QKeySequence::Print, this, [this] { Print(false); });
    file->addAction(Text(kPreview), this, [this] { Print(true); });
    file->addSeparator();
    file->addAction(Text(kSetting), this, &CIMMesEditFrame::OptionRequested);
    file->addSeparator();
    file->addAction(Text(kClose), this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(Text(kEditMenu));
    edit->addAction(Text(kUndo), QKeySequence::Undo, m_body, &QTextEdit::undo);
    edit->addSeparator();
    edit->addAction(Text(kCut), QKeySequence::Cut, m_body, &QTextEdit::cut);
    edit->addAction(Text(kCopy), QKeySequence::Copy, m_body, &QTextEdit::copy);
    edit->addAction(Text(kPaste), QKeySequence::Paste, m_body, &QTextEdit::paste);
    edit->addSeparator();
    edit->addAction(Text(kSelectAll), QKeySequence::SelectAll, m_body, &QTextEdit::selectAll);
    // The body handles these keys itself while it has the focus.
    for (QAction* a : edit->actions())
        a->setShortcutContext(Qt::WidgetShortcut);

    QMenu* help = menuBar()->addMenu(Text(kHelpMenu));
    help->addAction(Text(kHelp), QKeySequence(Qt::Key_F1), this, [this] {
        if (m_core.Help)
            m_core.Help();
    });
    help->addAction(Text(kVersion), this, [this] {
        if (m_core.Version)
            m_core.Version();
    });
}

void CIMMesEditFrame::SetTitle(const QString& subject) {
    setWindowTitle(subject.trimmed().isEmpty() ? Text(kNewTitle) : subject);
}

void CIMMesEditFrame::Open(const CIMMesComposeRequest& request) {
    m_kind = request.kind;
    m_originBox = request.originBox;
    m_referenceId = request.referenceId;
    const CBodyLoadOptions options{FillMode(request.kind), m_settings.checkItem2 != 0,
                                   m_settings.OptionFont()};
    switch (request.kind) {
    case MessageBegin::NewToSameRecipients:
    case MessageBegin::NewToMember:
        m_to->setText(request.to);
        m_body->LoadBody(QString(), options);
        for (const QString& path : request.files)
            AddAttachment(path);
        break;
    case MessageBegin::Reply:
    case MessageBegin::ReplyToAll:
    case MessageBegin::Forward:
        m_to->setText(request.to);
        m_subject->setText(request.subject);
        m_body->LoadBody(request.body, options);
        break;
    case MessageBegin::EditDraft:
        m_draftId = request.messageId;
        m_to->setText(request.to);
        m_cc->setText(request.cc);
        m_bcc->setText(request.bcc);
        m_ccBar->setVisible(!request.cc.isEmpty());
        m_bccBar->setVisible(!request.bcc.isEmpty());
        m_subject->setText(request.subject);
        m_body->LoadBody(request.body, options);
        break;
    default:
        m_body->LoadBody(QString(), options);
        break;
    }
    // Long destination lists show their first members, as the receive window does.
    for (QLineEdit* field : {m_to, m_cc, m_bcc})
        field->setCursorPosition(0);
    m_body->SetBackground(m_settings.backColor);
    // An answer is written above the quoted text, so it starts in the body; anything else
    // starts with its subject.
    const bool answer = request.kind == MessageBegin::Reply ||
                        request.kind == MessageBegin::ReplyToAll ||
                        request.kind == MessageBegin::Forward;
    if (answer)
        m_body->setFocus();
    else
        m_subject->setFocus();
    UpdateSendState();
    m_ready = true;
}

bool CIMMesEditFrame::CanSend() const {
    return CIMMesSendBuilder::CanSend(m_body != nullptr, LogonState(),
                                      m_body->document()->isEmpty(), m_attachments.Count(),
                                      m_to->text());
}

void CIMMesEditFrame::UpdateSendState() {
    const bool can = CanSend();
    m_send->setEnabled(can);
    if (m_sendAction)
        m_sendAction->setEnabled(can);
}

void CIMMesEditFrame::ApplyFont() {
    QTextCharFormat f;
    f.setFontFamilies({m_face->currentText()});
    f.setFontPointSize(m_size->currentText().toInt());
    f.setForeground(QColorFromColorRef(m_fore->Color()));
    m_body->mergeCurrentCharFormat(f);
    m_body->SetBackground(m_back->Color());
    m_body->setFocus();
}

void CIMMesEditFrame::ShowFormatAtCaret() {
    const CRichCharFormat f = CRichCharFormat::FromQt(
        m_body->currentCharFormat(), CRichCharFormat::FromFont(m_body->document()->defaultFont()));
    const QSignalBlocker faceBlock(m_face), sizeBlock(m_size), foreBlock(m_fore);
    CFontLists::SelectFace(m_face, f.face);
    const int index = m_size->findText(QString::number(f.Points()));
    if (index >= 0)
        m_size->setCurrentIndex(index);
    m_fore->SetColor(f.textColor);
}

CIMMesComposeContent CIMMesEditFrame::Content() const {
    CIMMesComposeContent c;
    c.to = m_to->text();
    c.cc = m_cc->text();
    c.bcc = m_bcc->text();
    c.subject = m_subject->text();
    c.important = m_important->isChecked();
    c.background = m_back->Color();
    c.bodyLength = CHtmlBodyWriter::TextLength(*m_body->document());
    CHtmlBodyWriter::AppendMessageBody(*m_body->document(), c.background, c.bodyHtml);
    c.files = m_attachments.Paths();
    c.referenceId = m_referenceId;
    c.draftId = m_draftId;
    return c;
}

bool CIMMesEditFrame::Send() {
    if (!CanSend()) {
        CIMMesPrompt::Show(this, m_resources, CIMMesSendBuilder::kCannotSend, {},
                           QMessageBox::Critical);
        return false;
    }
    CLetrix message;
    if (const auto failure = CIMMesSendBuilder::BuildForSend(m_core, Content(), message)) {
        const QMessageBox::Icon icon = failure->message == CIMMesSendBuilder::kFileUnreadable
                                           ? QMessageBox::Critical
                                           : QMessageBox::Warning;
        CIMMesPrompt::Show(this, m_resources, failure->message, failure->args, icon);
        return false;
    }
    // A core that refuses the message must not look like a sent one.
    if (!m_core.SendMessage || !m_core.SendMessage(message)) {
        CIMMesPrompt::Show(this, m_resources, CIMMesSendBuilder::kCannotSend, {},
                           QMessageBox::Critical);
        return false;
    }
    const QString reference = m_referenceId;
    if ((m_kind == MessageBegin::Reply || m_kind == MessageBegin::ReplyToAll) &&
        m_core.SetReplyMessage)
        m_core.SetReplyMessage(int32_t(m_originBox), RecordText::Field(reference));
    else if (m_kind == MessageBegin::Forward && m_core.SetForwardMessage)
        m_core.SetForwardMessage(int32_t(m_originBox), RecordText::Field(reference));
    m_sent = true;
    if (m_settings.checkItem1)
        CIMMesPrompt::Show(this, m_resources, kSentNotice, {}, QMessageBox::Information);
    close();
    return true;
}

bool CIMMesEditFrame::StoreDraft() {
    CLetrix draft;
    CIMMesSendBuilder::BuildDraft(m_core, Content(), draft);
    char16_t id[256] = {};
    if (!m_core.SaveDraftMessage || !m_core.SaveDraftMessage(draft, id, 256))
        return false;
    id[255] = 0;
    if (m_core.Begin)
        m_core.Begin(ObrixModule::MessageBox, MessageBoxBegin::DraftStored, intptr_t(id));
    return true;
}

bool CIMMesEditFrame::PutInDraft(bool ask) {
    if (ask && CIMMesPrompt::Show(this, m_resources, kStoreDraft, {}, QMessageBox::Question,
                                  QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return false;
    if (!StoreDraft())
        return false;
    m_quiet = true;
    close();
    return true;
}

bool CIMMesEditFrame::AddAttachment(const QString& path) {
    const CIMMesAttachList::Refusal result = m_attachments.Add(path);
    if (result == CIMMesAttachList::Accepted) {
        RefreshAttachments();
        return true;
    }
    if (result != CIMMesAttachList::Duplicate)
        CIMMesPrompt::Show(this, m_resources, result, {},
                           result == CIMMesAttachList::Unreadable ? QMessageBox::Critical
                                                                  : QMessageBox::Warning);
    return false;
}

void CIMMesEditFrame::AddDroppedFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir() || !info.exists())
            continue;
        if (!AddAttachment(path))
            return;
    }
}

void CIMMesEditFrame::RemoveSelectedAttachments() {
    for (int i = m_attachCtrl->count() - 1; i >= 0; --i)
        if (m_attachCtrl->item(i)->isSelected())
            m_attachments.RemoveAt(i);
    RefreshAttachments();
}

void CIMMesEditFrame::RefreshAttachments() {
    QStringList names;
    for (const CIMMesAttachList::Item& item : m_attachments.Items())
        names << item.displayName;
    m_attachCtrl->SetFiles(m_attachments.Paths(), names);
    m_attachBar->setVisible(m_attachments.Count() > 0);
    UpdateSendState();
}

void CIMMesEditFrame::ChooseAttachment() {
    const QString path =
        QFileDialog::getOpenFileName(this, Text(kAttachTitle), QString(), Text(kAttachFilter));
    if (!path.isEmpty())
        AddAttachment(path);
}

CIMMesPrintPage::Fields CIMMesEditFrame::PrintFields() const {
    // The sender is the user, as the destinations would name them.
    QString sender;
    if (m_core.GetUserID) {
        const QString me = RecordText::FromField(m_core.GetUserID());
        sender = CAddressText::EntryOf(m_core, me).value_or(me);
    }
    return {sender, m_to->text(), m_cc->text(), m_bcc->text(), m_subject->text()};
}

void CIMMesEditFrame::Print(bool preview) {
    CIMMesPrintPage::Print(this, m_resources, PrintFields(), *m_body->document(), preview);
}

bool CIMMesEditFrame::WritePdf(const QString& path) const {
    return CIMMesPrintPage::WritePdf(m_resources, PrintFields(), *m_body->document(), path,
                                     QDateTime::currentDateTime());
}

void CIMMesEditFrame::CloseQuietly() {
    m_quiet = true;
    close();
}

void CIMMesEditFrame::closeEvent(QCloseEvent* event) {
    if (!m_sent && !m_quiet && (!m_to->text().isEmpty() || !m_body->document()->isEmpty())) {
        const auto answer =
            CIMMesPrompt::Show(this, m_resources, kStoreDraft, {}, QMessageBox::Question,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes) {
            if (!StoreDraft()) {
                event->ignore();
                return;
            }
        } else if (answer != QMessageBox::No && LogonState() == ObrixLogon::LoggedOn) {
            event->ignore();
            return;
        }
    }
    emit Closed(this);
    event->accept();
}

bool CIMMesEditFrame::focusNextPrevChild(bool next) {
    // subject -> face -> size -> body -> Send (Close while Send is off) -> Close -> subject.
    QList<QWidget*> chain{m_subject, m_face, m_size, m_body};
    if (m_send->isEnabled())
        chain << m_send;
    chain << m_close;
    const qsizetype at = chain.indexOf(focusWidget());
    QWidget* target = m_subject;
    if (at >= 0)
        target = chain[(at + (next ? 1 : chain.size() - 1)) % chain.size()];
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void CIMMesEditFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CIMMesEditFrame::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    AddDroppedFiles(files);
}
