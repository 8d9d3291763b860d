#include "kernova/CGeneralPage.h"

#include "kernova/CKernovaCore.h"
#include "kernova/KernovaText.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CGeneralPage::CGeneralPage(CKernovaCore& core) : CIMOptionPageIF(0), m_core(core) {
    void* res = core.IMResHandle();
    const auto text = [res](uint32_t id) { return CResourceLoader::LoadString(res, id); };
    setWindowTitle(text(KernovaText::GeneralPage));
    m_serviceDir = new QLineEdit(this);
    m_memberId = new QLineEdit(this);
    m_remember = new QCheckBox(text(KernovaText::RememberId), this);
    m_auto = new QCheckBox(text(KernovaText::AutoLogon), this);
    auto* note = new QLabel(text(KernovaText::ServiceDirNote), this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(text(KernovaText::ServiceDir), m_serviceDir);
    form->addRow(QString(), note);
    form->addRow(text(KernovaText::MemberId), m_memberId);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_remember);
    layout->addWidget(m_auto);
    layout->addStretch();
    Load();
}

void CGeneralPage::Load() {
    m_serviceDir->setText(m_core.ReadRegString(1, ObrixModule::General,
                                               QString::fromUtf16(CKernovaCore::kServiceSection),
                                               QStringLiteral("Dir"), QString()));
    m_memberId->setText(m_core.RememberedID());
    m_remember->setChecked(m_core.IsRememberID());
    m_auto->setChecked(m_core.IsAutoLogon());
}

int CGeneralPage::OnOptionOK() {
    m_core.WriteRegString(1, ObrixModule::General,
                          QString::fromUtf16(CKernovaCore::kServiceSection), QStringLiteral("Dir"),
                          m_serviceDir->text().trimmed());
    m_core.SetLogonPreferences(m_memberId->text().trimmed(), m_remember->isChecked(),
                               m_auto->isChecked(), QString());
    return 1;
}

void CGeneralPage::OnOptionDefault() {
    m_serviceDir->clear();
    m_remember->setChecked(false);
    m_auto->setChecked(false);
}
