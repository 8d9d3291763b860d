#include "plugin/im/pingel/CPingelOptionDlg.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/pingel/CColorButton.h"
#include "plugin/im/pingel/CPingelUpDown.h"
#include "plugin/im/pingel/CStaticEx.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kTitle = 700;
constexpr uint32_t kRangeWarning = 719;
constexpr uint32_t kRowIcon = 714;
constexpr uint32_t kPreviewText = 1008;
constexpr uint32_t kRowTexts[CPingelSettings::LineKindCount] = {1001, 1002, 1003, 1004};

// A number field with its range, checked on OK in this order.
struct RangeCheck {
    int edit;
    int minimum;
    int maximum; // 0: the work area's width
};
const RangeCheck kChecks[] = {
    {CPingelOptionDlg::IDC_LINE_EDIT, CPingelSettings::kMinLines, CPingelSettings::kMaxLines},
    {CPingelOptionDlg::IDC_WIDTH_EDIT, 1, 0},
    {CPingelOptionDlg::IDC_CLOSE_EDIT, CPingelSettings::kMinCloseTime,
     CPingelSettings::kMaxCloseTime},
    {CPingelOptionDlg::IDC_ALPHA_EDIT, CPingelSettings::kMinAlpha, CPingelSettings::kMaxAlpha},
};

int WorkAreaWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qMax(1, screen->availableGeometry().width()) : 1;
}

QString Number(int value) {
    return QString::number(value);
}

// The decimal value of a field's text, 0 when it holds none.
int32_t ValueOf(const QLineEdit* edit) {
    return edit->text().toInt();
}

void SelectByText(QComboBox* list, const QString& text) {
    list->setCurrentIndex(list->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

} // namespace

const CPingelOptionDlg::RowIds CPingelOptionDlg::kRows[CPingelSettings::LineKindCount] = {
    {8015, 8016, 8017, 8018, 25015, 25021},
    {8019, 8020, 8021, 8022, 25016, 25022},
    {8023, 8024, 8025, 8026, 25017, 25023},
    {8034, 8035, 8036, 8037, 25018, 25024},
};
const int CPingelOptionDlg::kFontSizes[14] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 48, 64};

CPingelOptionDlg::CPingelOptionDlg(void* resources, const CPingelSettings& current, QWidget* parent)
    : QDialog(parent), m_resources(resources), m_base(current), m_workWidth(WorkAreaWidth()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(CResourceLoader::LoadString(resources, kTitle));
    m_chooseColor = [](QWidget* parent, COLORREF initial) -> std::optional<COLORREF> {
        const QColor chosen = QColorDialog::getColor(
            QColor(ZGetRValue(initial), ZGetGValue(initial), ZGetBValue(initial)), parent);
        if (!chosen.isValid())
            return std::nullopt;
        return ZRGB(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue()));
    };
    m_warn = [](QWidget* parent, const QString& caption, const QString& text) {
        QMessageBox::warning(parent, caption, text);
    };

    auto* top = new QGridLayout;
    top->addWidget(AddCheck(IDC_VISIBLE, 701), 0, 0, 1, 4);
    AddNumberRow(top, 1, AddLabel(IDC_LINE_LABEL, 702), IDC_LINE_EDIT, CPingelSettings::kMinLines,
                 CPingelSettings::kMaxLines, 703);
    AddNumberRow(top, 2, AddCheck(IDC_WIDTH_CHECK, 704), IDC_WIDTH_EDIT, 1, m_workWidth, 705);
    AddNumberRow(top, 3, AddCheck(IDC_CLOSE_CHECK, 1006), IDC_CLOSE_EDIT,
                 CPingelSettings::kMinCloseTime, CPingelSettings::kMaxCloseTime, 706);
    AddNumberRow(top, 4, AddLabel(IDC_ALPHA_LABEL, 720), IDC_ALPHA_EDIT, CPingelSettings::kMinAlpha,
                 CPingelSettings::kMaxAlpha, 721);
    top->addWidget(AddCheck(IDC_BORDER, 722), 5, 0, 1, 4);
    top->setColumnStretch(4, 1);

    auto* group =
        Add(IDC_INFO_GROUP, new QGroupBox(CResourceLoader::LoadString(resources, 707), this));
    auto* rows = new QGridLayout(group);
    for (int k = 0; k < CPingelSettings::LineKindCount; ++k)
        BuildRow(rows, k, CPingelSettings::LineKind(k), kRowTexts[k]);
    rows->addWidget(AddLabel(IDC_BACK_LABEL, 1005), CPingelSettings::LineKindCount, 0, 1, 2);
    auto* back = Add(IDC_BACK_COLOR, new CColorButton(group));
    rows->addWidget(back, CPingelSettings::LineKindCount, 3);
    connect(back, &QPushButton::clicked, this, [this] { ChooseColor(IDC_BACK_COLOR); });

    auto* buttons = new QHBoxLayout;
    auto* def =
        Add(IDC_DEFAULT, new QPushButton(CResourceLoader::LoadString(resources, 1007), this));
    auto* ok = Add(IDC_OK, new QPushButton(CResourceLoader::LoadString(resources, 713), this));
    auto* cancel =
        Add(IDC_CANCEL, new QPushButton(CResourceLoader::LoadString(resources, 898), this));
    for (QPushButton* b : {def, ok, cancel})
        b->setAutoDefault(false);
    ok->setDefault(true);
    buttons->addWidget(def);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    connect(def, &QPushButton::clicked, this, &CPingelOptionDlg::SetDefaults);
    connect(ok, &QPushButton::clicked, this, &CPingelOptionDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CPingelOptionDlg::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group);
    layout->addLayout(buttons);

    for (auto id : {IDC_VISIBLE, IDC_WIDTH_CHECK, IDC_CLOSE_CHECK})
        connect(static_cast<QCheckBox*>(Control(id)), &QCheckBox::toggled, this,
                &CPingelOptionDlg::UpdateEnabling);
    Show(m_base);
}

template <class W> W* CPingelOptionDlg::Add(int id, W* widget) {
    widget->setObjectName(QStringLiteral("c%1").arg(id));
    m_controls.insert(id, widget);
    m_order.append(widget);
    return widget;
}

QCheckBox* CPingelOptionDlg::AddCheck(int id, uint32_t text) {
    return Add(id, new QCheckBox(CResourceLoader::LoadString(m_resources, text), this));
}

QLabel* CPingelOptionDlg::AddLabel(int id, uint32_t text) {
    return Add(id, new QLabel(CResourceLoader::LoadString(m_resources, text), this));
}

// A number row: the leading label or check box, the field, its up-down (id + 1) and the unit
// label (id + 2).
void CPingelOptionDlg::AddNumberRow(QGridLayout* grid, int row, QWidget* lead, int editId,
                                    int minimum, int maximum, uint32_t unitText) {
    auto* edit = Add(editId, new QLineEdit(this));
    // Digits only, as a number field takes them; the range is checked on OK.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), edit));
    edit->setMaximumWidth(80);
    grid->addWidget(lead, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(Add(editId + 1, new CPingelUpDown(edit, minimum, maximum, this)), row, 2);
    grid->addWidget(AddLabel(editId + 2, unitText), row, 3);
}

void CPingelOptionDlg::BuildRow(QGridLayout* grid, int row, CPingelSettings::LineKind kind,
                                uint32_t text) {
    const RowIds& ids = kRows[kind];
    auto* check = AddCheck(ids.check, text);
    auto* icon = Add(ids.icon, new QLabel(this));
    icon->setPixmap(CResourceLoader::LoadIcon(m_resources, kRowIcon).pixmap(16, 16));
    auto* preview = Add(
        ids.preview, new CStaticEx(CResourceLoader::LoadString(m_resources, kPreviewText), this));
    preview->setMinimumWidth(140);
    auto* color = Add(ids.color, new CColorButton(this));
    auto* face = Add(ids.face, new QComboBox(this));
    QStringList families = QFontDatabase::families();
    families.sort();
    face->addItems(families);
    auto* size = Add(ids.size, new QComboBox(this));
    for (int points : kFontSizes)
        size->addItem(Number(points));

    grid->addWidget(check, row, 0);
    grid->addWidget(icon, row, 1);
    grid->addWidget(preview, row, 2);
    grid->addWidget(color, row, 3);
    grid->addWidget(face, row, 4);
    grid->addWidget(size, row, 5);

    connect(check, &QCheckBox::toggled, this, &CPingelOptionDlg::UpdateEnabling);
    connect(color, &QPushButton::clicked, this, [this, id = ids.color] { ChooseColor(id); });
    connect(face, &QComboBox::currentIndexChanged, this, [this, kind] { UpdatePreview(kind); });
    connect(size, &QComboBox::currentIndexChanged, this, [this, kind] { UpdatePreview(kind); });
}

void CPingelOptionDlg::Show(const CPingelSettings& s) {
    auto check = [this](int id, int32_t on) {
        static_cast<QCheckBox*>(Control(id))->setChecked(on != 0);
    };
    auto number = [this](int id, int32_t value) {
        static_cast<QLineEdit*>(Control(id))->setText(Number(value));
    };
    check(IDC_VISIBLE, s.visible);
    number(IDC_LINE_EDIT, s.lineSize);
    check(IDC_WIDTH_CHECK, s.widthEnable);
    number(IDC_WIDTH_EDIT, s.widthSize);
    check(IDC_CLOSE_CHECK, s.closeEnable);
    number(IDC_CLOSE_EDIT, s.closeTime);
    number(IDC_ALPHA_EDIT, s.alpha);
    check(IDC_BORDER, s.border);
    static_cast<CColorButton*>(Control(IDC_BACK_COLOR))->SetColor(s.background);
    for (int k = 0; k < CPingelSettings::LineKindCount; ++k) {
        const RowIds& ids = kRows[k];
        const PingelLineStyle& style = s.Line(CPingelSettings::LineKind(k));
        check(ids.check, style.visible);
        static_cast<CColorButton*>(Control(ids.color))->SetColor(style.color);
        SelectByText(static_cast<QComboBox*>(Control(ids.face)), style.fontName);
        SelectByText(static_cast<QComboBox*>(Control(ids.size)), Number(style.fontSize));
        auto* preview = static_cast<CStaticEx*>(Control(ids.preview));
        preview->SetTextColor(style.color);
        preview->SetBackColor(s.background);
        // The stored face and size, also when the lists have no such entry.
        preview->SetPreviewFont(style.fontName, style.fontSize);
    }
    UpdateEnabling();
}

void CPingelOptionDlg::SetDefaults() {
    const CPingelSettings defaults;
    Show(defaults);
}

void CPingelOptionDlg::UpdateEnabling() {
    const bool master = static_cast<QCheckBox*>(Control(IDC_VISIBLE))->isChecked();
    for (QWidget* w : m_order) {
        const int id = m_controls.key(w);
        if (id != IDC_VISIBLE && id != IDC_OK && id != IDC_CANCEL && id != IDC_DEFAULT)
            w->setEnabled(master);
    }
    auto follow = [this, master](int checkId, std::initializer_list<int> ids) {
        const bool on = master && static_cast<QCheckBox*>(Control(checkId))->isChecked();
        for (int id : ids)
            Control(id)->setEnabled(on);
    };
    follow(IDC_WIDTH_CHECK, {IDC_WIDTH_EDIT, IDC_WIDTH_SPIN, IDC_WIDTH_UNIT});
    follow(IDC_CLOSE_CHECK, {IDC_CLOSE_EDIT, IDC_CLOSE_SPIN, IDC_CLOSE_UNIT});
    for (const RowIds& ids : kRows)
        follow(ids.check, {ids.preview, ids.color, ids.icon, ids.face, ids.size});
}

void CPingelOptionDlg::UpdatePreview(CPingelSettings::LineKind kind) {
    const RowIds& ids = kRows[kind];
    const auto* face = static_cast<QComboBox*>(Control(ids.face));
    const auto* size = static_cast<QComboBox*>(Control(ids.size));
    const PingelLineStyle& stored = m_base.Line(kind);
    auto* preview = static_cast<CStaticEx*>(Control(ids.preview));
    preview->SetPreviewFont(face->currentIndex() >= 0 ? face->currentText() : stored.fontName,
                            size->currentIndex() >= 0 ? size->currentText().toInt()
                                                      : stored.fontSize);
}

void CPingelOptionDlg::ChooseColor(int buttonId) {
    auto* button = static_cast<CColorButton*>(Control(buttonId));
    const std::optional<COLORREF> chosen = m_chooseColor(this, button->Color());
    if (!chosen)
        return;
    button->SetColor(*chosen);
    for (const RowIds& ids : kRows) {
        auto* preview = static_cast<CStaticEx*>(Control(ids.preview));
        if (buttonId == IDC_BACK_COLOR)
            preview->SetBackColor(*chosen);
        else if (buttonId == ids.color)
            preview->SetTextColor(*chosen);
    }
}

CPingelSettings CPingelOptionDlg::Values() const {
    CPingelSettings s = m_base;
    auto checked = [this](int id) -> int32_t {
        return static_cast<QCheckBox*>(Control(id))->isChecked() ? 1 : 0;
    };
    auto number = [this](int id) { return ValueOf(static_cast<QLineEdit*>(Control(id))); };
    s.visible = checked(IDC_VISIBLE);
    s.lineSize = number(IDC_LINE_EDIT);
    s.widthEnable = checked(IDC_WIDTH_CHECK);
    s.widthSize = number(IDC_WIDTH_EDIT);
    s.closeEnable = checked(IDC_CLOSE_CHECK);
    s.closeTime = number(IDC_CLOSE_EDIT);
    s.alpha = number(IDC_ALPHA_EDIT);
    s.border = checked(IDC_BORDER);
    s.background = static_cast<CColorButton*>(Control(IDC_BACK_COLOR))->Color();
    for (int k = 0; k < CPingelSettings::LineKindCount; ++k) {
        const RowIds& ids = kRows[k];
        PingelLineStyle& style = s.Line(CPingelSettings::LineKind(k));
        style.visible = checked(ids.check);
        style.color = static_cast<CColorButton*>(Control(ids.color))->Color();
        const auto* face = static_cast<QComboBox*>(Control(ids.face));
        if (face->currentIndex() >= 0)
            style.fontName = face->currentText();
        const auto* size = static_cast<QComboBox*>(Control(ids.size));
        if (size->currentIndex() >= 0)
            style.fontSize = size->currentText().toInt();
    }
    return s;
}

bool CPingelOptionDlg::Validate() {
    for (const RangeCheck& check : kChecks) {
        auto* edit = static_cast<QLineEdit*>(Control(check.edit));
        if (!edit->isEnabled())
            continue;
        const int maximum = check.maximum ? check.maximum : m_workWidth;
        bool ok = false;
        const int value = edit->text().toInt(&ok);
        if (ok && value >= check.minimum && value <= maximum)
            continue;
        m_warn(this, CResourceLoader::LoadString(m_resources, kTitle),
               CResourceLoader::LoadString(m_resources, kRangeWarning));
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    return true;
}

void CPingelOptionDlg::OnOK() {
    if (!Validate())
        return;
    emit Stored(Values());
    close();
}

bool CPingelOptionDlg::PreTranslate(MSG* msg) {
    if (!msg || !msg->event || msg->event->type() != QEvent::KeyPress || !isActiveWindow())
        return false;
    auto* receiver = qobject_cast<QWidget*>(msg->receiver);
    if (!receiver || receiver->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(msg->event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if ((mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0)
        return false;
    switch (key->key()) {
    case Qt::Key_Tab:
        MoveFocus((mods & Qt::ShiftModifier) ? -1 : 1);
        return true;
    case Qt::Key_Backtab:
        MoveFocus(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            if (button->isEnabled()) {
                button->click();
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

void CPingelOptionDlg::MoveFocus(int direction) {
    // Labels, previews, icons, the group box and the up-down arrows never take the focus.
    auto takesFocus = [this](QWidget* w) {
        return !qobject_cast<QLabel*>(w) && !qobject_cast<CPingelUpDown*>(w) &&
               !qobject_cast<QGroupBox*>(w) && w->isEnabled() && w->isVisibleTo(this);
    };
    const qsizetype count = m_order.size();
    qsizetype at = m_order.indexOf(focusWidget());
    if (at < 0)
        at = direction > 0 ? -1 : count;
    for (qsizetype step = 0; step < count; ++step) {
        at = ((at + direction) % count + count) % count;
        if (takesFocus(m_order[at])) {
            m_order[at]->setFocus(direction > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(m_order[at]))
                edit->selectAll();
            return;
        }
    }
}
