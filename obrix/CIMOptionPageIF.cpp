#include "obrix/CIMOptionPageIF.h"

#include <QKeyEvent>

CIMOptionPageIF::CIMOptionPageIF(unsigned templateId)
    : QDialog(nullptr), m_templateId(templateId) {}

CIMOptionPageIF::~CIMOptionPageIF() = default;

int CIMOptionPageIF::CreatePage(const QString& title) {
    setModal(false);
    create();
    if (!testAttribute(Qt::WA_WState_Created))
        return 0;
    setWindowTitle(title);
    hide();
    return 1;
}

void CIMOptionPageIF::accept() {}
void CIMOptionPageIF::reject() {}

// A page that keeps what it does not override accepts, changes nothing and may be left.
int CIMOptionPageIF::OnOptionOK() {
    return 1;
}
void CIMOptionPageIF::OnOptionDefault() {}
int CIMOptionPageIF::OnOptionKillActive() {
    return 1;
}

bool CIMOptionPageIF::event(QEvent* e) {
    const int type = int(e->type());
    if (type != ZeltaMsg::OptionOK && type != ZeltaMsg::OptionDefault &&
        type != ZeltaMsg::OptionKillActive)
        return QDialog::event(e);

    intptr_t result = 1;
    if (type == ZeltaMsg::OptionOK)
        result = OnOptionOK();
    else if (type == ZeltaMsg::OptionDefault)
        OnOptionDefault();
    else
        result = OnOptionKillActive();
    // Only a window message carries an answer back to its sender.
    if (auto* msg = dynamic_cast<CWndMessageEvent*>(e))
        msg->setResult(result);
    e->accept();
    return true;
}

void CIMOptionPageIF::keyPressEvent(QKeyEvent* e) {
    // QDialog would press the page's default button on Enter and hide the page on Esc. The page
    // leaves both keys alone; the dialog that holds it may still act on them.
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        e->ignore();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}
