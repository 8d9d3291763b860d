#include "plugin/im/avalin/COptionGeneralPage.h"

#include "plugin/im/avalin/AvalinOptionField.h"
#include "plugin/im/avalin/CAvalinApp.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kMinCount = 1;
constexpr int kMaxCount = 50;
} // namespace

COptionGeneralPage::COptionGeneralPage(CAvalinApp& app) : CIMOptionPageIF(4086), m_app(app) {
    const CAvalinSettings& s = app.Settings();
    auto* layout = new QVBoxLayout(this);
    m_logoff = new QCheckBox(app.Text(1020), this);
    m_logoff->setChecked(s.confirmLogoff);
    layout->addWidget(m_logoff);

    auto* grid = new QGridLayout;
    m_newCount = AvalinOptionField::NewNumberField(kMinCount, kMaxCount, s.newCount, this);
    m_sendCount = AvalinOptionField::NewNumberField(kMinCount, kMaxCount, s.sendCount, this);
    auto* newLabel = new QLabel(app.Text(1021), this);
    newLabel->setBuddy(m_newCount);
    auto* sendLabel = new QLabel(app.Text(1023), this);
    sendLabel->setBuddy(m_sendCount);
    grid->addWidget(newLabel, 0, 0);
    grid->addWidget(m_newCount, 0, 1);
    grid->addWidget(new QLabel(app.Text(1024), this), 0, 2);
    m_unread = new QCheckBox(app.Text(1022), this);
    m_unread->setChecked(s.newKeepRead);
    grid->addWidget(m_unread, 1, 0, 1, 3);
    grid->addWidget(sendLabel, 2, 0);
    grid->addWidget(m_sendCount, 2, 1);
    grid->addWidget(new QLabel(app.Text(1024), this), 2, 2);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
}

int COptionGeneralPage::OnOptionOK() {
    void* res = m_app.Resources();
    if (!AvalinOptionField::CheckRange(m_newCount, kMinCount, kMaxCount, this, res) ||
        !AvalinOptionField::CheckRange(m_sendCount, kMinCount, kMaxCount, this, res))
        return 0;
    CAvalinSettings s = m_app.Settings();
    s.confirmLogoff = m_logoff->isChecked();
    s.newCount = m_newCount->value();
    s.newKeepRead = m_unread->isChecked();
    s.sendCount = m_sendCount->value();
    m_app.StoreOptions(s, {0, 2, 3});
    m_app.ApplyOptions(0, m_reset);
    m_app.ApplyOptions(2, false);
    m_app.ApplyOptions(3, false);
    m_reset = false;
    return 1;
}

void COptionGeneralPage::OnOptionDefault() {
    m_logoff->setChecked(true);
    m_unread->setChecked(true);
    m_newCount->setValue(10);
    m_sendCount->setValue(10);
    m_reset = true;
}
