#include "kernova/CLogonDlg.h"

#include "kernova/KernovaText.h"
#include "obrix/CResourceLoader.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CLogonDlg::CLogonDlg(void* resModule, const Values& initial, Submit submit, QWidget* parent)
    : QDialog(parent), m_res(resModule), m_submit(std::move(submit)) {
    const auto text = [this](uint32_t id) { return CResourceLoader::LoadString(m_res, id); };
    setWindowTitle(text(KernovaText::Logon));
    m_id = new QLineEdit(initial.memberId, this);
    m_password = new QLineEdit(initial.password, this);
    m_password->setEchoMode(QLineEdit::Password);
    m_remember = new QCheckBox(text(KernovaText::RememberId), this);
    m_remember->setChecked(initial.rememberId);
    m_auto = new QCheckBox(text(KernovaText::AutoLogon), this);
    m_auto->setChecked(initial.autoLogon);
    m_error = new QLabel(this);
    m_error->setWordWrap(true);
    m_error->hide();

    auto* form = new QFormLayout;
    form->addRow(text(KernovaText::MemberId), m_id);
    form->addRow(text(KernovaText::Password), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(text(KernovaText::Logon));
    buttons->button(QDialogButtonBox::Cancel)->setText(text(KernovaText::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogonDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLogonDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_remember);
    layout->addWidget(m_auto);
    layout->addWidget(m_error);
    layout->addWidget(buttons);
    // Wide from the start for the usual reasons to keep their lines whole when one is shown.
    m_id->setMinimumWidth(fontMetrics().horizontalAdvance(u'\u3042') * 17);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    (initial.memberId.isEmpty() ? m_id : m_password)->setFocus();
}

void CLogonDlg::FitToContents() {
    // A wrapped label asks for its height only for a given width, which a top-level layout
    // does not do by itself: the dialog is grown to what the text needs at its width.
    layout()->activate();
    const int needed =
        qMax(layout()->totalHeightForWidth(width()), layout()->totalMinimumSize().height());
    if (needed > height())
        resize(width(), needed);
    setMinimumHeight(needed);
}

void CLogonDlg::ShowError(const QString& reason) {
    m_error->setText(reason);
    m_error->show();
    FitToContents();
}

CLogonDlg::Values CLogonDlg::CurrentValues() const {
    return {m_id->text().trimmed(), m_password->text(), m_remember->isChecked(),
            m_auto->isChecked()};
}

QString CLogonDlg::ShownError() const {
    return m_error->isHidden() ? QString() : m_error->text();
}

void CLogonDlg::accept() {
    const Values values = CurrentValues();
    QString reason;
    bool done = false;
    if (values.memberId.isEmpty() || values.password.isEmpty())
        reason = CResourceLoader::LoadString(m_res, KernovaText::EnterId);
    else
        done = m_submit && m_submit(values, &reason);
    if (done) {
        m_password->clear();
        QDialog::accept();
        return;
    }
    ShowError(reason);
    m_password->selectAll();
    m_password->setFocus();
}
