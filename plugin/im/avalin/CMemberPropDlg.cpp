#include "plugin/im/avalin/CMemberPropDlg.h"

#include "obrix/CIMMember.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CAvalinApp.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CMemberPropDlg::CMemberPropDlg(CAvalinApp& app, const QString& memberId, QWidget* parent)
    : QDialog(parent), m_app(app), m_memberId(memberId) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const CObrixTable& core = app.Obrix();
    const tagIMMEMBER* member =
        core.GetMember ? core.GetMember(reinterpret_cast<const char16_t*>(memberId.utf16()))
                       : nullptr;
    const QString name = CIMMember::DisplayName(member);
    const bool own = memberId == app.UserID();
    void* res = app.Resources();
    setWindowTitle(CResourceLoader::Format(res, own ? 253 : 254, {name}));

    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(CResourceLoader::Format(res, 201, {name}), this);
    auto* form = new QFormLayout(box);
    // A member the core no longer knows shows empty fields.
    m_id = new QLineEdit(member ? memberId : QString(), box);
    m_id->setReadOnly(true);
    m_id->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    form->addRow(app.Text(202), m_id);
    layout->addWidget(box);

    auto* buttons = new QHBoxLayout;
    m_sound = new QPushButton(app.Text(207), this);
    m_sound->setEnabled(!own);
    auto* close = new QPushButton(app.Text(208), this);
    close->setDefault(true);
    buttons->addWidget(m_sound);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_sound, &QPushButton::clicked, this, &CMemberPropDlg::OnSound);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void CMemberPropDlg::OnSound() {
    if (m_app.LogonState() == ObrixLogon::LoggedOn)
        m_app.OpenSoundDialog(m_memberId);
    else
        m_app.WarnNotLoggedOn(this, m_sound->text());
}
