#include "plugin/im/parlo/CMainFrame.h"

#include "imframe/ImPrint.h"
#include "imframe/MessageRequests.h"
#include "obrix/CHtmlTagString.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"
#include "plugin/im/letrix/CColorSwatch.h"
#include "plugin/im/letrix/CEditMenus.h"
#include "plugin/im/letrix/CFontLists.h"
#include "plugin/im/parlo/CEntryListView.h"
#include "plugin/im/parlo/CMessageEditCtrl.h"
#include "plugin/im/parlo/CParloApp.h"
#include "plugin/im/parlo/ParloText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kAloneTickMs = 500;

CRichCharFormat LogDefault(const QFont& font) {
    CRichCharFormat f = CRichCharFormat::FromFont(font);
    f.textColor = 0;
    return f;
}

} // namespace

CMainFrame::CMainFrame(CParloApp& app, int32_t chat) : m_app(app), m_doc(app.UserId()) {
    setObjectName(QStringLiteral("chatWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_doc.SetChat(chat);
    setWindowTitle(app.Text(ParloText::Caption));

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setChildrenCollapsible(false);
    m_list = new CEntryListView;
    m_list->setObjectName(QStringLiteral("participants"));
    m_list->setAccessibleName(app.Text(ParloText::ParticipantList));
    m_list->setToolTip(app.Text(ParloText::DropTip));
    m_list->SetDropHandler([this](const QStringList& ids) { m_app.Invite(this, ids, true); });
    connect(m_list, &QWidget::customContextMenuRequested, this, &CMainFrame::ShowListMenu);
    m_logView = new QTextEdit;
    m_logView->setObjectName(QStringLiteral("log"));
    m_logView->setReadOnly(true);
    m_logView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    CEditMenus::Install(m_logView, app.Resources(), true);
    m_log = std::make_unique<CParloLog>(*m_logView->document(), LogDefault(font()));
    m_splitter->addWidget(m_logView);
    m_splitter->addWidget(m_list);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(BuildInputBar());
    setCentralWidget(central);
    BuildMenus();

    const QFontMetrics fm(font());
    resize(fm.averageCharWidth() * 80, fm.height() * 28);
    setMinimumSize(fm.averageCharWidth() * 50, fm.height() * 16);
    // Once the window holds the splitter and has its size: the tab order and the column widths.
    ApplyListSide(app.Settings().memberListPosition);

    m_poll.setInterval(app.Limits().chatReload);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (m_doc.Chat() != CParloDoc::kNoChat && m_app.Obrix().ChatUpdate)
            m_app.Obrix().ChatUpdate(m_doc.Chat());
    });
    if (chat != CParloDoc::kNoChat)
        m_poll.start();
    m_alone.setInterval(kAloneTickMs);
    connect(&m_alone, &QTimer::timeout, this, &CMainFrame::CheckAlone);
}

CMainFrame::~CMainFrame() = default;

QWidget* CMainFrame::BuildInputBar() {
    auto* bar = new QWidget;
    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    // The font bar: face, size and colour of what is typed next.
    auto* fonts = new QHBoxLayout;
    m_faces = new QComboBox;
    m_faces->setObjectName(QStringLiteral("faces"));
    m_faces->setAccessibleName(m_app.Text(ParloText::FaceList));
    CFontLists::FillFaces(m_faces);
    m_faces->setMinimumContentsLength(14);
    m_faces->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sizes = new QComboBox;
    m_sizes->setObjectName(QStringLiteral("sizes"));
    m_sizes->setAccessibleName(m_app.Text(ParloText::SizeList));
    CFontLists::FillSizes(m_sizes);
    m_color = new CColorSwatch(m_app.Text(ParloText::TextColor));
    m_color->setObjectName(QStringLiteral("textColor"));
    fonts->addWidget(m_faces, 1);
    fonts->addWidget(m_sizes);
    fonts->addWidget(m_color);
    fonts->addStretch();
    column->addLayout(fonts);

    auto* line = new QHBoxLayout;
    m_input = new CMessageEditCtrl;
    m_input->setObjectName(QStringLiteral("input"));
    CEditMenus::Install(m_input, m_app.Resources(), false);
    m_input->setFixedHeight(QFontMetrics(font()).height() * 5);
    m_input->SetSendHandler([this] { m_app.Talk(this); });
    m_send = new QPushButton(m_app.Text(ParloText::Send));
    m_send->setObjectName(QStringLiteral("send"));
    connect(m_send, &QPushButton::clicked, this, [this] { m_app.Talk(this); });
    line->addWidget(m_input, 1);
    line->addWidget(m_send, 0, Qt::AlignBottom);
    column->addLayout(line);

    connect(m_faces, &QComboBox::textActivated, this, [this](const QString& face) {
        QTextCharFormat f;
        f.setFontFamilies({face});
        m_input->mergeCurrentCharFormat(f);
        m_input->setFocus();
    });
    connect(m_sizes, &QComboBox::textActivated, this, [this](const QString& size) {
        QTextCharFormat f;
        f.setFontPointSize(size.toInt());
        m_input->mergeCurrentCharFormat(f);
        m_input->setFocus();
    });
    connect(m_color, &QPushButton::clicked, this,
            [this] { m_color->Choose(m_app.Text(ParloText::TextColor)); });
    connect(m_color, &CColorSwatch::ColorChanged, this, [this](COLORREF color) {
        QTextCharFormat f;
        f.setForeground(QColorFromColorRef(color));
        m_input->mergeCurrentCharFormat(f);
        m_input->setFocus();
    });
    // The bar shows the format where the caret is, as the user moves through the line.
    connect(m_input, &QTextEdit::currentCharFormatChanged, this,
            [this](const QTextCharFormat& f) { ShowFormat(f); });
    ResetInput();
    return bar;
}

void CMainFrame::BuildMenus() {
    const auto add = [this](QMenu* menu, uint32_t text, const QKeySequence& key, auto slot) {
        QAction* a = menu->addAction(m_app.Text(text));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(m_app.Text(ParloText::MenuFile));
    add(file, ParloText::Save, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { m_app.SaveLog(this); });
    add(file, ParloText::Print, QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        ImPrint::PrintWithDialog(*PrintPage(), this, windowTitle(),
                                 {m_app.Text(ParloText::PageFooter)});
    });
    add(file, ParloText::PrintPreview, QKeySequence(), [this] {
        ImPrint::Preview(*PrintPage(), this, windowTitle(), {m_app.Text(ParloText::PageFooter)});
    });
    file->addSeparator();
    add(file, ParloText::Close, QKeySequence(Qt::ALT | Qt::Key_F4), [this] { close(); });

    // The edit commands act on the input line, or on the log when it has the focus.
    const auto target = [this]() -> QTextEdit* {
        return m_logView->hasFocus() ? m_logView : m_input;
    };
    QMenu* edit = menuBar()->addMenu(m_app.Text(ParloText::MenuEdit));
    add(edit, ParloText::Undo, QKeySequence(), [this] { m_input->undo(); });
    edit->addSeparator();
    add(edit, ParloText::Cut, QKeySequence(), [this] { m_input->cut(); });
    add(edit, ParloText::Copy, QKeySequence(), [target] { target()->copy(); });
    add(edit, ParloText::Paste, QKeySequence(), [this] { m_input->paste(); });
    edit->addSeparator();
    add(edit, ParloText::SelectAll, QKeySequence(), [target] { target()->selectAll(); });

    QMenu* help = menuBar()->addMenu(m_app.Text(ParloText::MenuHelp));
    // The item's text names its key already; the key works through a shortcut of its own.
    QAction* helpItem = add(help, ParloText::Help, QKeySequence(), [this] {
        if (m_app.Obrix().Help)
            m_app.Obrix().Help();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, helpItem,
            &QAction::trigger);
    add(help, ParloText::Version, QKeySequence(), [this] {
        if (m_app.Obrix().Version)
            m_app.Obrix().Version();
    });

    auto* message = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(message, &QShortcut::activated, this, [this] { NewMessageTo(SelectedIds()); });
    auto* properties = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Return), this);
    connect(properties, &QShortcut::activated, this, &CMainFrame::ShowProperties);
}

void CMainFrame::ShowListMenu(const QPoint& at) {
    QMenu menu(this);
    const bool selected = !SelectedIds().isEmpty();
    QAction* one = menu.addAction(m_app.Text(ParloText::NewMessage));
    one->setEnabled(selected);
    QAction* all = menu.addAction(m_app.Text(ParloText::NewMessageToAll));
    menu.addSeparator();
    QAction* props = menu.addAction(m_app.Text(ParloText::Properties));
    props->setEnabled(m_list->selectedItems().size() == 1);
    QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at));
    if (chosen == one) {
        NewMessageTo(SelectedIds());
    } else if (chosen == all) {
        QStringList ids;
        for (const CParloParticipant& p : m_doc.Participants().Items())
            ids << p.id;
        NewMessageTo(ids);
    } else if (chosen == props) {
        ShowProperties();
    }
}

QStringList CMainFrame::SelectedIds() const {
    QStringList ids;
    for (const QListWidgetItem* item : m_list->selectedItems())
        ids << item->data(Qt::UserRole).toString();
    return ids;
}

void CMainFrame::NewMessageTo(const QStringList& ids) {
    if (ids.isEmpty() || !m_app.Obrix().Begin)
        return;
    CLetrix letter;
    letter.AddDst(CLetrix::DST_TO, ids.join(u','));
    tagMESBEGIN request{0, letter};
    m_app.Obrix().Begin(ObrixModule::Message, MessageBegin::NewToSameRecipients,
                        intptr_t(&request));
}

void CMainFrame::ShowProperties() {
    const QStringList ids = SelectedIds();
    if (ids.size() != 1 || !m_app.Obrix().Begin)
        return;
    const QString id = ids.first();
    m_app.Obrix().Begin(ObrixModule::Presence, 2,
                        intptr_t(reinterpret_cast<const char16_t*>(id.utf16())));
}

void CMainFrame::ApplyListSide(int memberListPosition) {
    // The list goes to the left column with 0, to the right with 1.
    const int listIndex = memberListPosition == 0 ? 0 : 1;
    m_splitter->insertWidget(listIndex, m_list);
    // Tab goes through the columns in the order they stand on the screen.
    QWidget::setTabOrder(m_splitter->widget(0), m_splitter->widget(1));
    m_splitter->setStretchFactor(listIndex, 0);
    m_splitter->setStretchFactor(1 - listIndex, 1);
    const int listWidth = QFontMetrics(font()).averageCharWidth() * 22;
    QList<int> sizes{width() - listWidth, listWidth};
    if (listIndex == 0)
        std::swap(sizes[0], sizes[1]);
    m_splitter->setSizes(sizes);
}

void CMainFrame::ResetInput() {
    m_input->clear();
    ApplyInputFormat();
}

void CMainFrame::ApplyInputFormat() {
    const CParloSettings& s = m_app.Settings();
    QFont f(s.fontName);
    f.setPointSize(s.FontPoints());
    m_input->document()->setDefaultFont(f);
    QTextCharFormat format;
    format.setFontFamilies({s.fontName});
    format.setFontPointSize(s.FontPoints());
    format.setForeground(QColorFromColorRef(COLORREF(s.foreColor)));
    m_input->setCurrentCharFormat(format);
    CFontLists::SelectFace(m_faces, s.fontName);
    const int size = m_sizes->findText(QString::number(s.FontPoints()));
    m_sizes->setCurrentIndex(size);
    if (size < 0)
        m_sizes->setEditText(QString::number(s.FontPoints()));
    m_color->SetColor(COLORREF(s.foreColor));
}

void CMainFrame::ShowFormat(const QTextCharFormat& f) {
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty())
        CFontLists::SelectFace(m_faces, families.first());
    if (f.hasProperty(QTextFormat::FontPointSize)) {
        const QString size = QString::number(qRound(f.fontPointSize()));
        const int index = m_sizes->findText(size);
        if (index >= 0)
            m_sizes->setCurrentIndex(index);
    }
    if (f.foreground().style() != Qt::NoBrush)
        m_color->SetColor(ColorRefFromQColor(f.foreground().color()));
}

void CMainFrame::AppendEvent(int type, const QString& memberId, const QString& text) {
    if (type == CParloDoc::Talk) {
        QString html = text;
        CHtmlTagString::ReplaceMarkS2C(html);
        const CParloParticipant* p = m_doc.Participants().Find(memberId);
        QString name = p ? p->name : QString();
        if (name.isEmpty()) {
            const auto info = m_app.LookupMember(memberId);
            name = info ? info->name : memberId;
        }
        m_log->AppendTalk(name, m_doc.Participants().ColorOf(memberId), html);
    } else {
        m_log->AppendNotice(type, text);
    }
    m_logView->moveCursor(QTextCursor::End);
    m_logView->ensureCursorVisible();
}

void CMainFrame::RefreshParticipants() {
    m_list->clear();
    for (const CParloParticipant& p : m_doc.Participants().Items()) {
        auto* item = new QListWidgetItem(p.name, m_list);
        item->setData(Qt::UserRole, p.id);
        item->setForeground(QColorFromColorRef(p.color));
        item->setToolTip(p.id);
    }
    const QStringList names = m_doc.Participants().JoinedNames();
    setWindowTitle(names.isEmpty()
                       ? m_app.Text(ParloText::Caption)
                       : CResourceLoader::Format(m_app.Resources(), ParloText::WindowTitle,
                                                 {names.join(QStringLiteral(", "))}));
    m_doc.UpdateAloneTimer(m_app.Now());
    if (m_doc.AloneTimerRunning()) {
        if (!m_alone.isActive())
            m_alone.start();
    } else {
        m_alone.stop();
    }
}

void CMainFrame::CheckAlone() {
    if (m_doc.AloneTimeoutReached(m_app.Now(), m_app.Settings().timeout)) {
        m_alone.stop();
        close();
    }
}

void CMainFrame::Flash() {
    if (!isActiveWindow())
        QApplication::alert(this, 0);
}

std::unique_ptr<QTextDocument> CMainFrame::PrintPage() const {
    return m_log->PrintPage(m_app.Text(ParloText::PrintedAt), QDateTime::currentDateTime());
}

void CMainFrame::PrintToPdf(const QString& path) const {
    ImPrint::WritePdf(*PrintPage(), path, {m_app.Text(ParloText::PageFooter)});
}

void CMainFrame::CloseQuietly() {
    m_closingQuietly = true;
    m_poll.stop();
    m_alone.stop();
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_poll.stop();
    m_alone.stop();
    if (!m_closingQuietly && m_doc.BeginClosing())
        m_app.CloseChat(this);
    event->accept();
}
