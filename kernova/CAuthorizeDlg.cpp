#include "kernova/CAuthorizeDlg.h"

#include "kernova/KernovaText.h"
#include "obrix/CResourceLoader.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAuthorizeDlg::CAuthorizeDlg(void* resModule, const QString& memberId, QWidget* parent)
    : QDialog(parent) {
    const auto text = [resModule](uint32_t id) {
        return CResourceLoader::LoadString(resModule, id);
    };
    setWindowTitle(text(KernovaText::AuthorizeTitle));
    auto* prompt =
        new QLabel(CResourceLoader::Format(resModule, KernovaText::AuthorizePrompt, {memberId}));
    prompt->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(text(KernovaText::Password), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(text(KernovaText::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(text(KernovaText::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CAuthorizeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAuthorizeDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_password->setFocus();
}

QString CAuthorizeDlg::Password() const {
    return m_password->text();
}
