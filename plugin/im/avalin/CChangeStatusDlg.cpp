#include "plugin/im/avalin/CChangeStatusDlg.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinApp.h"
#include "plugin/im/avalin/CAvalinDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kColours[3] = {AvalinColour::Green, AvalinColour::Yellow, AvalinColour::Red};
constexpr uint32_t kColourNames[3] = {AvalinRes::TextGreen, AvalinRes::TextYellow,
                                      AvalinRes::TextRed};

QIcon Swatch(uint32_t colour, qreal ratio) {
    QPixmap pixmap(QSize(16, 12) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(ZGetRValue(colour), ZGetGValue(colour), ZGetBValue(colour)));
    painter.drawRect(QRectF(0.5, 0.5, 15, 11));
    return QIcon(pixmap);
}

} // namespace

int CChangeStatusDlg::ColourIndex(uint32_t colour) {
    for (int i = 0; i < 3; ++i) {
        if (kColours[i] == colour)
            return i;
    }
    return 0; // any other colour counts as green
}

uint32_t CChangeStatusDlg::ColourOf(int index) {
    return index >= 0 && index < 3 ? kColours[index] : AvalinColour::Green;
}

CChangeStatusDlg::CChangeStatusDlg(CAvalinApp& app, int presetIndex, QWidget* parent)
    : QDialog(parent), m_app(app), m_index(presetIndex) {
    const bool freeInput = presetIndex < 0;
    setWindowTitle(app.Text(freeInput ? 230 : 229));
    setWindowIcon(CResourceLoader::LoadIcon(app.Resources(), AvalinRes::StatusDialogIcon));

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(
        CResourceLoader::LoadIcon(app.Resources(), AvalinRes::StatusDialogIcon).pixmap(32, 32));
    intro->addWidget(picture, 0, Qt::AlignTop);
    auto* description =
        new QLabel(freeInput ? app.Text(232)
                             : CResourceLoader::Format(
                                   app.Resources(), 231,
                                   {app.Text(AvalinRes::TextPresetName + uint32_t(presetIndex))}),
                   this);
    description->setWordWrap(true);
    intro->addWidget(description, 1);
    layout->addLayout(intro);

    auto* statusBox = new QGroupBox(app.Text(241), this);
    auto* form = new QFormLayout(statusBox);
    m_icon = new QComboBox(statusBox);
    const CStatusIcons& icons = app.StatusIcons();
    for (const QString& key : icons.Keys())
        m_icon->addItem(QIcon(icons.Icon(key)), key, key);
    m_icon->setEnabled(!icons.IsEmpty());
    m_status = new QLineEdit(statusBox);
    m_status->setMaxLength(256);
    m_colour = new QComboBox(statusBox);
    for (int i = 0; i < 3; ++i)
        m_colour->addItem(Swatch(kColours[i], devicePixelRatioF()), app.Text(kColourNames[i]));
    form->addRow(app.Text(222), m_icon);
    form->addRow(app.Text(223), m_status);
    form->addRow(app.Text(224), m_colour);
    layout->addWidget(statusBox);

    auto* groupBox = new QGroupBox(app.Text(242), this);
    auto* groupLayout = new QVBoxLayout(groupBox);
    m_all = new QCheckBox(app.Text(225), groupBox);
    m_groups = new QListWidget(groupBox);
    m_groups->setMinimumHeight(90);
    for (const auto& [id, name] : app.UserGroups()) {
        auto* item = new QListWidgetItem(name, m_groups);
        item->setData(Qt::UserRole, id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    groupLayout->addWidget(m_all);
    groupLayout->addWidget(m_groups);
    layout->addWidget(groupBox, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(app.Text(243), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(app.Text(244), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Initial values.
    QString icon = AvalinStatus::kDefaultIcon;
    QString status = AvalinStatus::kOnNet;
    int colour = 0;
    bool all = true;
    if (!freeInput && presetIndex < app.Presets().Count()) {
        const CIMPreset& preset = app.Presets().At(presetIndex);
        icon = preset.GetIcon();
        status = AvalinStatus::Shown(preset.GetStatus());
        colour = ColourIndex(preset.GetBkColor());
        all = true;
        for (int i = 0; i < m_groups->count(); ++i) {
            const bool listed = preset.IsGroup(m_groups->item(i)->data(Qt::UserRole).toString());
            m_groups->item(i)->setCheckState(listed ? Qt::Checked : Qt::Unchecked);
            all = all && listed;
        }
    }
    if (const int at = m_icon->findData(icon); at >= 0)
        m_icon->setCurrentIndex(at);
    m_status->setText(status);
    m_status->selectAll();
    m_colour->setCurrentIndex(colour);
    if (freeInput || all)
        SetAllGroups(true);
    else
        OnGroupChecked();

    connect(m_all, &QCheckBox::clicked, this, &CChangeStatusDlg::SetAllGroups);
    connect(m_groups, &QListWidget::itemChanged, this, &CChangeStatusDlg::OnGroupChecked);
    m_status->setFocus();
    resize(sizeHint().expandedTo(QSize(360, 0)));
}

void CChangeStatusDlg::SetAllGroups(bool checked) {
    const QSignalBlocker block(m_groups);
    for (int i = 0; i < m_groups->count(); ++i)
        m_groups->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_all->setChecked(checked);
    m_groups->setEnabled(checked);
}

void CChangeStatusDlg::OnGroupChecked() {
    int checked = 0;
    for (int i = 0; i < m_groups->count(); ++i)
        checked += m_groups->item(i)->checkState() == Qt::Checked ? 1 : 0;
    m_all->setChecked(checked == m_groups->count());
    m_groups->setEnabled(checked > 0);
}

bool CChangeStatusDlg::IsRefused(const QString& status) const {
    const QString refused[3] = {AvalinStatus::kOff, AvalinStatus::kOffNet,
                                m_app.Text(AvalinRes::TextOffline)};
    for (const QString& word : refused) {
        if (!word.isEmpty() && status.trimmed().compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

CIMPreset CChangeStatusDlg::Build() const {
    CIMPreset preset;
    preset.SetIcon(m_icon->currentIndex() >= 0 ? m_icon->currentData().toString()
                                               : AvalinStatus::kDefaultIcon);
    preset.SetStatus(AvalinStatus::ToSend(m_status->text()));
    preset.SetBkColor(ColourOf(m_colour->currentIndex()));
    preset.SetMaxGroup(unsigned(m_groups->count()));
    for (int i = 0; i < m_groups->count(); ++i) {
        if (m_groups->item(i)->checkState() == Qt::Checked)
            preset.AddGroup(m_groups->item(i)->data(Qt::UserRole).toString());
    }
    return preset;
}

void CChangeStatusDlg::accept() {
    if (IsRefused(m_status->text())) {
        m_app.Window()->Warn(m_app.Text(AvalinRes::TextStatusBox), m_app.Text(245), this);
        m_status->setFocus();
        m_status->selectAll();
        return;
    }
    if (!m_all->isChecked() && m_colour->currentIndex() == 2) {
        m_app.Window()->Warn(m_app.Text(AvalinRes::TextStatusBox), m_app.Text(359), this,
                             QMessageBox::Information);
        if (m_index >= 0)
            SetAllGroups(true);
    }
    m_result = Build();
    if (m_index >= 0)
        m_app.StorePreset(m_index, m_result);
    QDialog::accept();
}
