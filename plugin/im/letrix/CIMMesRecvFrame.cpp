#include "plugin/im/letrix/CIMMesRecvFrame.h"

#include "imframe/MessageBoxRequests.h"
#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/RecordText.h"
#include "plugin/im/letrix/CAttachedListCtrl.h"
#include "plugin/im/letrix/CCaptionColumn.h"
#include "plugin/im/letrix/CEditMenus.h"
#include "plugin/im/letrix/CElidedLabel.h"
#include "plugin/im/letrix/CIMMesPrintPage.h"
#include "plugin/im/letrix/CIMMesPrompt.h"
#include "plugin/im/letrix/CMessageEditView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kNoSubject = 496, kDeleteCaption = 868, kDeleteQuestion = 870;
constexpr uint32_t kToLabel = 1401, kCcLabel = 1402, kBccLabel = 1403, kSubjectLabel = 1404,
                   kClose = 1410, kFileMenu = 1411, kEditMenu = 1415, kCopy = 1418,
                   kSelectAll = 1420, kHelpMenu = 1421, kHelp = 1422, kVersion = 1423,
                   kAttachLabel = 1428, kFromLabel = 1431, kSentLabel = 1432, kReply = 1433,
                   kReplyAll = 1434, kTransfer = 1435, kSetFlag = 1436, kPrint = 1437,
                   kPreview = 1438, kDelete = 1439, kImportantTip = 1441;
constexpr uint32_t kImportanceIcon = 880;

} // namespace

CIMMesRecvFrame::CIMMesRecvFrame(const CObrixTable& core, const CIMMesSettings& settings,
                                 QWidget* parent)
    : QMainWindow(parent), m_core(core), m_settings(settings),
      m_resources(core.GetIMResHandle ? core.GetIMResHandle() : nullptr) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_captions = std::make_unique<CCaptionColumn>(
        fontMetrics(), m_resources,
        std::initializer_list<uint32_t>{kToLabel, kCcLabel, kBccLabel, kSubjectLabel, kFromLabel,
                                        kSentLabel, kAttachLabel});

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildHeaderBar());
    layout->addWidget(BuildAddressBar(kToLabel, m_to));
    m_ccBar = BuildAddressBar(kCcLabel, m_cc);
    m_bccBar = BuildAddressBar(kBccLabel, m_bcc);
    m_ccBar->hide();
    m_bccBar->hide();
    layout->addWidget(m_ccBar);
    layout->addWidget(m_bccBar);
    layout->addWidget(BuildAttachBar());
    m_body = new CMessageEditView(central);
    m_body->SetReading();
    m_body->SetResources(m_resources);
    layout->addWidget(m_body, 1);
    layout->addWidget(BuildBottomBar());
    setCentralWidget(central);
    BuildMenusAndTools();

    const std::pair<QWidget*, const char*> names[] = {{m_subject, "subject"},
                                                      {m_sender, "from"},
                                                      {m_to, "to"},
                                                      {m_cc, "cc"},
                                                      {m_bcc, "bcc"},
                                                      {m_body, "body"},
                                                      {m_flag, "flag"},
                                                      {m_reply, "reply"},
                                                      {m_replyAll, "replyAll"},
                                                      {m_transfer, "transfer"},
                                                      {m_close, "close"},
                                                      {m_attachCtrl, "attachments"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    setWindowTitle(Text(kNoSubject));
    const QFontMetrics fm(font());
    resize(fm.averageCharWidth() * 90, fm.height() * 30);
}

CIMMesRecvFrame::~CIMMesRecvFrame() = default;

QString CIMMesRecvFrame::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

namespace {

CElidedLabel* Value(QWidget* parent) {
    auto* value = new CElidedLabel(parent);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return value;
}

} // namespace

QWidget* CIMMesRecvFrame::BuildHeaderBar() {
    auto* bar = new QWidget(this);
    auto* grid = new QGridLayout(bar);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    m_subject = Value(bar);
    QFont bold = m_subject->font();
    bold.setBold(true);
    m_subject->setFont(bold);
    m_sender = Value(bar);
    m_sendTime = Value(bar);
    m_importance = new QLabel(bar);
    m_importance->setPixmap(CResourceLoader::LoadIcon(m_resources, kImportanceIcon)
                                .pixmap(QSize(24, 24), devicePixelRatio()));
    m_importance->setFixedSize(24, 24);
    m_importance->setToolTip(Text(kImportantTip));
    m_importance->hide();
    grid->addWidget(m_captions->Caption(kSubjectLabel, bar), 0, 0);
    grid->addWidget(m_subject, 0, 1);
    grid->addWidget(m_importance, 0, 2, 2, 1, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(m_captions->Caption(kFromLabel, bar), 1, 0);
    grid->addWidget(m_sender, 1, 1);
    grid->addWidget(m_captions->Caption(kSentLabel, bar), 2, 0);
    grid->addWidget(m_sendTime, 2, 1);
    grid->setColumnStretch(1, 1);
    return bar;
}

QWidget* CIMMesRecvFrame::BuildAddressBar(uint32_t label, QLineEdit*& field) {
    auto* bar = new QWidget(this);
    field = new QLineEdit(bar);
    field->setReadOnly(true);
    CEditMenus::Install(field, m_resources, false);
    m_captions->AddRow(bar, label, field);
    return bar;
}

QWidget* CIMMesRecvFrame::BuildAttachBar() {
    m_attachBar = new QWidget(this);
    m_attachCtrl = new CAttachedListCtrl(m_resources, m_attachBar);
    m_attachCtrl->OfferSaveAs(true);
    m_attachCtrl->setFixedHeight(fontMetrics().height() * 3 + 8);
    m_captions->AddRow(m_attachBar, kAttachLabel, m_attachCtrl)
        ->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_attachBar->hide();
    return m_attachBar;
}

QWidget* CIMMesRecvFrame::BuildBottomBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_flag = new QCheckBox(Text(kSetFlag), bar);
    m_reply = new QPushButton(Text(kReply), bar);
    m_replyAll = new QPushButton(Text(kReplyAll), bar);
    m_transfer = new QPushButton(Text(kTransfer), bar);
    m_close = new QPushButton(Text(kClose), bar);
    row->addWidget(m_flag);
    row->addStretch(1);
    for (QPushButton* b : {m_reply, m_replyAll, m_transfer, m_close}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    connect(m_flag, &QCheckBox::toggled, this, &CIMMesRecvFrame::SetFlag);
    connect(m_reply, &QPushButton::clicked, this, [this] { Answer(MessageBegin::Reply); });
    connect(m_replyAll, &QPushButton::clicked, this, [this] { Answer(MessageBegin::ReplyToAll); });
    connect(m_transfer, &QPushButton::clicked, this, [this] { Answer(MessageBegin::Forward); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    return bar;
}

void CIMMesRecvFrame::BuildMenusAndTools() {
    QMenu* file = menuBar()->addMenu(Text(kFileMenu));
    QAction* reply = file->addAction(Text(kReply), this, [this] { Answer(MessageBegin::Reply); });
    QAction* replyAll =
        file->addAction(Text(kReplyAll), this, [this] { Answer(MessageBegin::ReplyToAll); });
    QAction* transfer =
        file->addAction(Text(kTransfer), this, [this] { Answer(MessageBegin::Forward); });
    file->addSeparator();
    QAction* print =
        file->addAction(Text(kPrint), QKeySequence::Print, this, [this] { Print(false); });
    file->addAction(Text(kPreview), this, [this] { Print(true); });
    file->addSeparator();
    QAction* remove = file->addAction(Text(kDelete), this, [this] { Delete(); });
    file->addSeparator();
    file->addAction(Text(kClose), QKeySequence(Qt::Key_Escape), this, &QWidget::close);
    m_replyActions = {reply, replyAll};

    QMenu* edit = menuBar()->addMenu(Text(kEditMenu));
    edit->addAction(Text(kCopy), QKeySequence::Copy, m_body, &QTextEdit::copy)
        ->setShortcutContext(Qt::WidgetShortcut);
    edit->addAction(Text(kSelectAll), QKeySequence::SelectAll, m_body, &QTextEdit::selectAll)
        ->setShortcutContext(Qt::WidgetShortcut);

    QMenu* help = menuBar()->addMenu(Text(kHelpMenu));
    help->addAction(Text(kHelp), QKeySequence(Qt::Key_F1), this, [this] {
        if (m_core.Help)
            m_core.Help();
    });
    help->addAction(Text(kVersion), this, [this] {
        if (m_core.Version)
            m_core.Version();
    });

    QToolBar* tools = addToolBar(QString());
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Tool buttons have no mnemonics: they show the command's name without its "(&X)".
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|\\.\\.\\.$"));
    for (QAction* a : {reply, replyAll, transfer, print, remove}) {
        a->setIconText(QString(a->text()).remove(mnemonic));
        tools->addAction(a);
    }
}

void CIMMesRecvFrame::Open(uint32_t box, const CLetrix& message) {
    const QString id = message.GetMessageID();
    tagLETRIX* stored =
        m_core.GetMessage ? m_core.GetMessage(int32_t(box), RecordText::Field(id)) : nullptr;
    const QString messageDir =
        m_core.GetMessageDir ? RecordText::FromField(m_core.GetMessageDir()) : QString();
    const bool held = stored != nullptr;
    if (held) {
        const CLetrix copy(stored);
        if (m_core.CleanupLetrix)
            m_core.CleanupLetrix(stored);
        m_content = CIMMesRecvContent::Build(m_core, box, copy, Text(kNoSubject), messageDir);
    } else {
        m_content = CIMMesRecvContent::Build(m_core, box, message, Text(kNoSubject), messageDir);
    }
    // Only a message the core holds can be marked; its stored flags say whether it is unread.
    if (held && m_content.markRead && m_core.SetReadMessage)
        m_core.SetReadMessage(ObrixBox::Received, RecordText::Field(id));
    Fill();
}

void CIMMesRecvFrame::Fill() {
    const CIMMesRecvContent& c = m_content;
    for (QWidget* w : {static_cast<QWidget*>(m_reply), static_cast<QWidget*>(m_replyAll)})
        w->setEnabled(c.canReply);
    for (QAction* a : m_replyActions)
        a->setEnabled(c.canReply);
    {
        const QSignalBlocker block(m_flag);
        m_flag->setChecked(c.flagged);
    }
    m_importance->setVisible(c.important);
    m_subject->SetFullText(c.subject);
    m_sender->SetFullText(c.sender);
    m_sendTime->SetFullText(c.sendTime);
    m_to->setText(c.to);
    m_to->setCursorPosition(0);
    m_cc->setText(c.cc);
    m_cc->setCursorPosition(0);
    m_ccBar->setVisible(c.showCc);
    m_bcc->setText(c.bcc);
    m_bcc->setCursorPosition(0);
    m_bccBar->setVisible(c.showBcc);
    setWindowTitle(c.subject);

    m_body->clear();
    m_body->LoadBody(c.body, {FillMode::Read, m_settings.checkItem2 != 0, m_settings.OptionFont()});
    m_body->SetBackground(c.background);

    QStringList names;
    for (const QString& path : c.files)
        names << path.mid(path.lastIndexOf(u'/') + 1);
    // The file's own name, not the message id in front of it.
    for (QString& name : names)
        if (name.startsWith(c.messageId))
            name = name.mid(c.messageId.size());
    m_attachCtrl->SetFiles(c.files, names);
    m_attachBar->setVisible(!c.files.isEmpty());
    m_body->setFocus();
}

bool CIMMesRecvFrame::Answer(int32_t kind) {
    if (!m_core.GetMessage || !m_core.Begin)
        return false;
    tagLETRIX* stored = m_core.GetMessage(int32_t(m_content.box), RecordText::Field(MessageId()));
    if (!stored)
        return false;
    // The origin box goes with the record, so that the answered message is the one marked.
    const tagMESBEGIN data{m_content.box, stored};
    m_core.Begin(ObrixModule::Message, kind, intptr_t(&data));
    if (m_core.CleanupLetrix)
        m_core.CleanupLetrix(stored);
    close();
    return true;
}

bool CIMMesRecvFrame::Delete() {
    if (CIMMesPrompt::Show(this, m_resources, kDeleteQuestion, {}, QMessageBox::Question,
                           QMessageBox::Ok | QMessageBox::Cancel,
                           kDeleteCaption) != QMessageBox::Ok)
        return false;
    if (m_core.Begin) {
        const tagMESBOXDELETE data{m_content.box, RecordText::Field(MessageId())};
        m_core.Begin(ObrixModule::MessageBox, MessageBoxBegin::DeleteMessage, intptr_t(&data));
    }
    close();
    return true;
}

void CIMMesRecvFrame::SetFlag(bool on) {
    if (m_core.SetDogearMessage && !MessageId().isEmpty())
        m_core.SetDogearMessage(int32_t(m_content.box), RecordText::Field(MessageId()), on ? 1 : 0);
}

CIMMesPrintPage::Fields CIMMesRecvFrame::PrintFields() const {
    // Blind copies are printed only where the window shows them.
    return {m_content.sender, m_content.to, m_content.cc,
            m_content.showBcc ? m_content.bcc : QString(), m_content.subject};
}

void CIMMesRecvFrame::Print(bool preview) {
    CIMMesPrintPage::Print(this, m_resources, PrintFields(), *m_body->document(), preview);
}

bool CIMMesRecvFrame::WritePdf(const QString& path) const {
    return CIMMesPrintPage::WritePdf(m_resources, PrintFields(), *m_body->document(), path,
                                     QDateTime::currentDateTime());
}

void CIMMesRecvFrame::closeEvent(QCloseEvent* event) {
    emit Closed(this);
    event->accept();
}
