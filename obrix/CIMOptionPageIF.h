// Base of every page of the option dialog. The dialog owns the pages and sends each its three
// commands (OK, defaults, leaving the page) as window messages, which arrive here as virtual
// calls. Enter and Esc do nothing inside a page: closing is the dialog's business.
#pragma once

#include "obrix/ZeltaPlatform.h"

#include <QDialog>
#include <QString>

class QEvent;
class QKeyEvent;

class OBRIX_API CIMOptionPageIF : public QDialog {
    Q_OBJECT
public:
    explicit CIMOptionPageIF(unsigned templateId);
    ~CIMOptionPageIF() override;

    // Creates the page's window on its own, titled, and hidden until the dialog shows it.
    // Returns non-zero when the window exists.
    int CreatePage(const QString& title);

    unsigned GetTemplateId() const { return m_templateId; }

    // The page's own OK and Cancel: empty, so that no key closes a page.
    void accept() override;
    void reject() override;

protected:
    // Take over the values shown; 0 refuses them and keeps the dialog open.
    virtual int OnOptionOK();
    // Show the default values.
    virtual void OnOptionDefault();
    // The user turns to another page; 0 keeps this one.
    virtual int OnOptionKillActive();

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    unsigned m_templateId;
};
