#include "kernova/CGeneralPage.h"

#include "kernova/CKernovaCore.h"
#include "kernova/KernovaText.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultPort = 5222;
const QString kNetwork = QStringLiteral("network");

} // namespace

CGeneralPage::CGeneralPage(CKernovaCore& core) : CIMOptionPageIF(0), m_core(core) {
    void* res = core.IMResHandle();
    const auto text = [res](uint32_t id) { return CResourceLoader::LoadString(res, id); };
    setWindowTitle(text(KernovaText::GeneralPage));
    m_kind = new QComboBox(this);
    m_kind->addItem(text(KernovaText::ServiceKindLocal));
    m_kind->addItem(text(KernovaText::ServiceKindNetwork));
    m_serviceDir = new QLineEdit(this);
    // The page's texts are short and keep their own lines: a label that wraps inside a form
    // on a tab is given too little height and cut off.
    m_dirNote = new QLabel(text(KernovaText::ServiceDirNote), this);
    m_host = new QLineEdit(this);
    m_host->setPlaceholderText(QStringLiteral("xmpp.example.com"));
    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_port->setValue(kDefaultPort);
    m_port->setAccessibleName(text(KernovaText::ServicePort));
    m_domain = new QLineEdit(this);
    m_domainNote = new QLabel(text(KernovaText::ServiceDomainNote), this);
    m_error = new QLabel(this);
    m_error->setStyleSheet(QStringLiteral("color: #b00020"));
    m_error->hide();
    auto* overridden = new QLabel(this);
    for (const char* variable : {"ZELTA_SERVICE", "ZELTA_SERVICE_DIR"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) {
            overridden->setText(CResourceLoader::Format(res, KernovaText::ServiceOverridden,
                                                        {QString::fromLatin1(variable)}));
            overridden->setToolTip(value);
            break;
        }
    }
    overridden->setVisible(!overridden->text().isEmpty());
    m_memberId = new QLineEdit(this);
    m_remember = new QCheckBox(text(KernovaText::RememberId), this);
    m_auto = new QCheckBox(text(KernovaText::AutoLogon), this);

    auto* form = new QFormLayout;
    form->addRow(text(KernovaText::ServiceKind), m_kind);
    form->addRow(text(KernovaText::ServiceDir), m_serviceDir);
    form->addRow(QString(), m_dirNote);
    form->addRow(text(KernovaText::ServiceHost), m_host);
    form->addRow(text(KernovaText::ServicePort), m_port);
    form->addRow(text(KernovaText::ServiceDomain), m_domain);
    form->addRow(QString(), m_domainNote);
    form->addRow(QString(), m_error);
    form->addRow(QString(), overridden);
    form->addRow(text(KernovaText::MemberId), m_memberId);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_remember);
    layout->addWidget(m_auto);
    layout->addStretch();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &CGeneralPage::ShowKind);
    connect(m_host, &QLineEdit::textEdited, m_error, &QWidget::hide);
    Load();
}

void CGeneralPage::Load() {
    const QString section = QString::fromUtf16(CKernovaCore::kServiceSection);
    auto read = [&](const char* key) {
        return m_core.ReadRegString(1, ObrixModule::General, section, QString::fromLatin1(key),
                                    QString());
    };
    m_kind->setCurrentIndex(read("Kind") == kNetwork ? Network : Local);
    m_serviceDir->setText(read("Dir"));
    m_host->setText(read("Host"));
    const int port = read("Port").toInt();
    m_port->setValue(port > 0 && port <= 65535 ? port : kDefaultPort);
    m_domain->setText(read("Domain"));
    m_memberId->setText(m_core.RememberedID());
    m_remember->setChecked(m_core.IsRememberID());
    m_auto->setChecked(m_core.IsAutoLogon());
    ShowKind();
}

void CGeneralPage::ShowKind() {
    // Only the fields of the chosen kind can be edited; the others keep what they hold.
    const bool network = m_kind->currentIndex() == Network;
    m_serviceDir->setEnabled(!network);
    m_dirNote->setEnabled(!network);
    m_host->setEnabled(network);
    m_port->setEnabled(network);
    m_domain->setEnabled(network);
    m_domainNote->setEnabled(network);
    m_error->hide();
}

int CGeneralPage::OnOptionOK() {
    const bool network = m_kind->currentIndex() == Network;
    const QString host = m_host->text().trimmed();
    if (network &&
        (host.isEmpty() || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char(' ')))) {
        m_error->setText(
            CResourceLoader::LoadString(m_core.IMResHandle(), KernovaText::ServiceHostMissing));
        m_error->show();
        m_host->setFocus();
        return 0;
    }
    const QString section = QString::fromUtf16(CKernovaCore::kServiceSection);
    auto write = [&](const char* key, const QString& value) {
        m_core.WriteRegString(1, ObrixModule::General, section, QString::fromLatin1(key), value);
    };
    write("Kind", network ? kNetwork : QStringLiteral("local"));
    write("Dir", m_serviceDir->text().trimmed());
    write("Host", host);
    write("Port", QString::number(m_port->value()));
    write("Domain", m_domain->text().trimmed().toLower());
    m_core.SetLogonPreferences(m_memberId->text().trimmed(), m_remember->isChecked(),
                               m_auto->isChecked(), QString());
    return 1;
}

void CGeneralPage::OnOptionDefault() {
    m_kind->setCurrentIndex(Local);
    m_serviceDir->clear();
    m_host->clear();
    m_port->setValue(kDefaultPort);
    m_domain->clear();
    m_remember->setChecked(false);
    m_auto->setChecked(false);
}
