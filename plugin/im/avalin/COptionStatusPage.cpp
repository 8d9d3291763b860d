#include "plugin/im/avalin/COptionStatusPage.h"

#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinOptionField.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinApp.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kMinTime = 1;
constexpr int kMaxTime = 120;
constexpr int kMinColumn = 50;
constexpr int kMaxColumn = 5000;
} // namespace

COptionStatusPage::COptionStatusPage(CAvalinApp& app) : CIMOptionPageIF(4078), m_app(app) {
    const CAvalinSettings& s = app.Settings();
    auto* layout = new QVBoxLayout(this);

    auto* absent = new QGroupBox(app.Text(1034), this);
    auto* grid = new QGridLayout(absent);
    m_changeStatus = new QCheckBox(app.Text(1025), absent);
    grid->addWidget(m_changeStatus, 0, 0, 1, 4);
    m_time = AvalinOptionField::NewNumberField(kMinTime, kMaxTime, s.idleMinutes, absent);
    auto* after = new QLabel(app.Text(1026), absent);
    grid->addWidget(m_time, 1, 1);
    grid->addWidget(after, 1, 2, 1, 2);
    auto* iconLabel = new QLabel(app.Text(1028), absent);
    m_icon = new QComboBox(absent);
    const CStatusIcons& icons = app.StatusIcons();
    for (const QString& key : icons.Keys())
        m_icon->addItem(QIcon(icons.Icon(key)), key, key);
    iconLabel->setBuddy(m_icon);
    grid->addWidget(iconLabel, 2, 1);
    grid->addWidget(m_icon, 2, 2);
    auto* statusLabel = new QLabel(app.Text(1027), absent);
    m_status = new QLineEdit(AvalinStatus::Shown(s.absentStatus), absent);
    statusLabel->setBuddy(m_status);
    grid->addWidget(statusLabel, 3, 1);
    grid->addWidget(m_status, 3, 2, 1, 2);
    m_reservation = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(app.Text(282 + uint32_t(i)), absent);
        m_reservation->addButton(radio, i);
        grid->addWidget(radio, 4 + i, 1, 1, 3);
        m_absentControls.append(radio);
    }
    if (QAbstractButton* chosen = m_reservation->button(s.reservation))
        chosen->setChecked(true);
    else
        m_reservation->button(1)->setChecked(true);
    m_return = new QCheckBox(app.Text(1029), absent);
    m_return->setChecked(s.returnOnNet);
    grid->addWidget(m_return, 7, 1, 1, 3);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(3, 1);
    m_absentControls += {m_time, after, iconLabel, m_icon, statusLabel, m_status, m_return};
    layout->addWidget(absent);

    m_url = new QCheckBox(app.Text(1030), this);
    m_url->setChecked(s.preCheckUrl);
    layout->addWidget(m_url);
    auto* columnRow = new QHBoxLayout;
    auto* columnLabel = new QLabel(app.Text(1031), this);
    m_column = AvalinOptionField::NewNumberField(kMinColumn, kMaxColumn, s.memberColumn, this);
    columnLabel->setBuddy(m_column);
    columnRow->addWidget(columnLabel);
    columnRow->addWidget(m_column);
    columnRow->addWidget(new QLabel(app.Text(1032), this));
    columnRow->addStretch(1);
    layout->addLayout(columnRow);

    auto* click = new QGroupBox(app.Text(1033), this);
    auto* clickLayout = new QVBoxLayout(click);
    m_doubleClick = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(app.Text(321 + uint32_t(i)), click);
        m_doubleClick->addButton(radio, i);
        clickLayout->addWidget(radio);
    }
    // Without the chat module a double-click can only start a message.
    const bool chat = app.IsChatPresent();
    m_doubleClick->button(1)->setEnabled(chat);
    m_doubleClick->button(2)->setEnabled(chat);
    m_doubleClick->button(chat ? s.doubleClick : 0)->setChecked(true);
    layout->addWidget(click);
    layout->addStretch(1);

    SelectIcon(s.absentIcon);
    m_changeStatus->setChecked(s.changeStatus);
    connect(m_changeStatus, &QCheckBox::toggled, this, &COptionStatusPage::UpdateAbsentControls);
    UpdateAbsentControls();
}

void COptionStatusPage::SelectIcon(const QString& key) {
    const int index = m_icon->findData(key);
    m_icon->setCurrentIndex(index >= 0 ? index : (m_icon->count() ? 0 : -1));
}

void COptionStatusPage::UpdateAbsentControls() {
    const bool on = m_changeStatus->isChecked();
    for (QWidget* w : std::as_const(m_absentControls))
        w->setEnabled(on);
    m_icon->setEnabled(on && m_icon->count() > 0);
}

int COptionStatusPage::OnOptionOK() {
    void* res = m_app.Resources();
    if (!AvalinOptionField::CheckRange(m_time, kMinTime, kMaxTime, this, res))
        return 0;
    const QString status = m_status->text().trimmed();
    if (m_status->isEnabled() &&
        (status.compare(AvalinStatus::kOff, Qt::CaseInsensitive) == 0 ||
         status.compare(AvalinStatus::kOffNet, Qt::CaseInsensitive) == 0 ||
         status.compare(m_app.Text(AvalinRes::TextOffline), Qt::CaseInsensitive) == 0)) {
        AvalinOptionField::Refuse(m_status, this, res);
        return 0;
    }
    if (!AvalinOptionField::CheckRange(m_column, kMinColumn, kMaxColumn, this, res))
        return 0;
    CAvalinSettings s = m_app.Settings();
    s.changeStatus = m_changeStatus->isChecked();
    s.idleMinutes = m_time->value();
    s.absentIcon = m_icon->currentIndex() >= 0 ? m_icon->currentData().toString()
                                               : AvalinStatus::kDefaultIcon;
    s.absentStatus = AvalinStatus::ToSend(status);
    s.reservation = qMax(0, m_reservation->checkedId());
    s.returnOnNet = m_return->isChecked();
    s.preCheckUrl = m_url->isChecked();
    s.memberColumn = m_column->value();
    s.doubleClick = qMax(0, m_doubleClick->checkedId());
    m_app.StoreOptions(s, {1});
    m_app.ApplyOptions(1, false);
    return 1;
}

void COptionStatusPage::OnOptionDefault() {
    m_changeStatus->setChecked(true);
    m_time->setValue(10);
    SelectIcon(QStringLiteral("1-3"));
    m_status->setText(m_app.Text(AvalinRes::TextAbsentStatus));
    m_reservation->button(1)->setChecked(true);
    m_return->setChecked(false);
    m_url->setChecked(false);
    m_column->setValue(100);
    m_doubleClick->button(m_app.IsChatPresent() ? 2 : 0)->setChecked(true);
}
