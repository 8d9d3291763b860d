#include "plugin/im/trovane/CTrovaneTransCondDialog.h"

#include "obrix/CMemberDragText.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr uint32_t kTitleText = 824;
// Scope texts in scope order 0 to 3.
constexpr uint32_t kScopeTexts[] = {837, 836, 838, 839};
} // namespace

CTrovaneTransCondDialog::CTrovaneTransCondDialog(CTrovaneStore& store,
                                                 CTrovaneTransCondList& conditions,
                                                 void* resources, uint32_t folderId,
                                                 const QList<CTrovaneMessage*>& messages,
                                                 const Names& names, QWidget* parent)
    : QDialog(parent), m_store(store), m_resources(resources), m_editor(conditions),
      m_messages(messages), m_names(names) {
    setObjectName(QStringLiteral("TransCondDialog"));
    setWindowTitle(Text(kTitleText));
    m_texts.targets[0] = Text(476);
    m_texts.targets[1] = Text(477);
    for (int i = 0; i < 4; ++i)
        m_texts.scopes[i] = Text(kScopeTexts[i]);
    m_texts.modes[0] = Text(481);
    m_texts.modes[1] = Text(482);
    m_texts.rowFormat = Text(493);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* folderLabel = new QLabel(Text(478), this);
    top->addWidget(folderLabel);
    if (folderId) {
        m_path = new QLabel(CTrovaneTransCondEditor::FolderPath(store, folderId), this);
        m_path->setObjectName(QStringLiteral("FolderPath"));
        top->addWidget(m_path, 1);
    } else {
        m_folders = new QComboBox(this);
        m_folders->setObjectName(QStringLiteral("FolderBox"));
        for (const CTrovaneTransCondEditor::Target& t : CTrovaneTransCondEditor::Targets(store))
            m_folders->addItem(t.path, t.id);
        folderLabel->setBuddy(m_folders);
        top->addWidget(m_folders, 1);
    }
    layout->addLayout(top);

    auto* targetBox = new QGroupBox(Text(474), this);
    auto* targetLayout = new QHBoxLayout(targetBox);
    m_received = new QRadioButton(Text(476), targetBox);
    m_sent = new QRadioButton(Text(477), targetBox);
    m_received->setChecked(true);
    targetLayout->addWidget(m_received);
    targetLayout->addWidget(m_sent);
    targetLayout->addStretch(1);
    layout->addWidget(targetBox);

    auto* conditionBox = new QGroupBox(Text(475), this);
    auto* form = new QFormLayout(conditionBox);
    m_scope = new QComboBox(conditionBox);
    for (int i = 0; i < 4; ++i)
        m_scope->addItem(m_texts.scopes[i], i);
    form->addRow(Text(479), m_scope);
    m_keyword = new QComboBox(conditionBox);
    m_keyword->setObjectName(QStringLiteral("KeywordBox"));
    m_keyword->setEditable(true);
    m_keyword->setInsertPolicy(QComboBox::NoInsert);
    m_keyword->setMinimumContentsLength(24);
    m_keyword->setAcceptDrops(true);
    m_keyword->lineEdit()->setAcceptDrops(true);
    m_keyword->installEventFilter(this);
    m_keyword->lineEdit()->installEventFilter(this);
    form->addRow(Text(480), m_keyword);
    auto* modeRow = new QHBoxLayout;
    m_exist = new QRadioButton(Text(481), conditionBox);
    m_notExist = new QRadioButton(Text(482), conditionBox);
    m_exist->setChecked(true);
    modeRow->addWidget(m_exist);
    modeRow->addWidget(m_notExist);
    modeRow->addStretch(1);
    form->addRow(QString(), modeRow);
    layout->addWidget(conditionBox);

    auto* buttons = new QHBoxLayout;
    m_add = new QPushButton(Text(483), this);
    m_exchange = new QPushButton(Text(484), this);
    m_delete = new QPushButton(Text(485), this);
    buttons->addStretch(1);
    buttons->addWidget(m_add);
    buttons->addWidget(m_exchange);
    buttons->addWidget(m_delete);
    layout->addLayout(buttons);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ConditionList"));
    m_list->setMinimumHeight(fontMetrics().lineSpacing() * 6);
    layout->addWidget(m_list, 1);

    auto* close = new QDialogButtonBox(this);
    close->addButton(Text(1146), QDialogButtonBox::RejectRole);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);

    connect(m_add, &QPushButton::clicked, this, [this] {
        if (m_editor.Add(Values()))
            FillList();
    });
    connect(m_exchange, &QPushButton::clicked, this, [this] {
        if (m_editor.Exchange(Values(), m_list->currentRow()))
            FillList();
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (m_editor.Delete(m_list->currentRow()))
            FillList();
    });
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { OnRowChosen(); });
    connect(m_scope, &QComboBox::currentIndexChanged, this, [this] {
        FillKeywords();
        UpdateButtons();
    });
    connect(m_keyword, &QComboBox::editTextChanged, this, [this] { UpdateButtons(); });
    for (QRadioButton* b : {m_received, m_sent, m_exist, m_notExist})
        connect(b, &QRadioButton::toggled, this, [this] { UpdateButtons(); });
    if (m_folders)
        connect(m_folders, &QComboBox::currentIndexChanged, this,
                [this] { ChooseFolder(m_folders->currentData().toUInt()); });

    ChooseFolder(folderId ? folderId : (m_folders ? m_folders->currentData().toUInt() : 0));
    FillKeywords();
    resize(sizeHint().expandedTo(QSize(fontMetrics().averageCharWidth() * 60, 0)));
}

QString CTrovaneTransCondDialog::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

CTrovaneTransCondEditor::Values CTrovaneTransCondDialog::Values() const {
    CTrovaneTransCondEditor::Values v;
    v.target = m_sent->isChecked() ? CTrovaneTransCond::TargetSent
                                   : CTrovaneTransCond::TargetReceived;
    v.scope = m_scope->currentIndex();
    v.keyword = m_keyword->currentText();
    v.mode = m_notExist->isChecked() ? CTrovaneTransCond::ModeNotExists
                                     : CTrovaneTransCond::ModeExists;
    return v;
}

void CTrovaneTransCondDialog::ChooseFolder(uint32_t folderId) {
    m_editor.SetFolder(folderId);
    FillList();
}

void CTrovaneTransCondDialog::FillList() {
    const int row = m_list->currentRow();
    m_list->clear();
    for (int i = 0; i < m_editor.Rows().size(); ++i)
        m_list->addItem(m_editor.RowText(i, m_texts));
    if (row >= 0 && row < m_list->count())
        m_list->setCurrentRow(row);
    UpdateButtons();
}

void CTrovaneTransCondDialog::FillKeywords() {
    if (m_messages.isEmpty())
        return;
    const QString text = m_keyword->currentText();
    m_keyword->clear();
    m_keyword->addItems(CTrovaneTransCondEditor::KeywordValues(m_messages, m_scope->currentIndex()));
    m_keyword->setEditText(text);
}

void CTrovaneTransCondDialog::OnRowChosen() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_editor.Rows().size()) {
        UpdateButtons();
        return;
    }
    const CTrovaneTransCond& c = m_editor.Rows()[row];
    (c.nTarget == CTrovaneTransCond::TargetSent ? m_sent : m_received)->setChecked(true);
    if (c.nScope <= 3)
        m_scope->setCurrentIndex(int(c.nScope));
    m_keyword->setEditText(c.strKeyword);
    (c.nMode == CTrovaneTransCond::ModeNotExists ? m_notExist : m_exist)->setChecked(true);
    UpdateButtons();
}

void CTrovaneTransCondDialog::UpdateButtons() {
    const CTrovaneTransCondEditor::Values v = Values();
    const int row = m_list->currentRow();
    m_add->setEnabled(m_editor.CanAdd(v));
    m_exchange->setEnabled(m_editor.CanExchange(v, row));
    m_delete->setEnabled(m_editor.CanDelete(row));
}

void CTrovaneTransCondDialog::DropMemberText(const QString& text) {
    const QStringList items =
        CTrovaneTransCondEditor::DropItems(text, m_names.member, m_names.group);
    for (const QString& item : items)
        if (m_keyword->findText(item, Qt::MatchExactly) < 0)
            m_keyword->addItem(item);
    if (!items.isEmpty())
        m_keyword->setCurrentIndex(m_keyword->findText(items.first(), Qt::MatchExactly));
    UpdateButtons();
}

bool CTrovaneTransCondDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_keyword || watched == m_keyword->lineEdit()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            QString text;
            if (CMemberDragText::FromMimeData(drag->mimeData(), text)) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            QString text;
            if (CMemberDragText::FromMimeData(drop->mimeData(), text)) {
                DropMemberText(text);
                drop->acceptProposedAction();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
