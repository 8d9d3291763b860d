// The core's own option page (module 0): where the service lies, the remembered member ID and
// the automatic log-on at start.
#pragma once

#include "obrix/CIMOptionPageIF.h"

class CKernovaCore;
class QCheckBox;
class QLineEdit;

class CGeneralPage : public CIMOptionPageIF {
    Q_OBJECT
public:
    explicit CGeneralPage(CKernovaCore& core);

    QLineEdit* ServiceDirEdit() const { return m_serviceDir; }
    QLineEdit* MemberIdEdit() const { return m_memberId; }
    QCheckBox* RememberBox() const { return m_remember; }
    QCheckBox* AutoLogonBox() const { return m_auto; }

protected:
    int OnOptionOK() override;
    void OnOptionDefault() override;

private:
    void Load();

    CKernovaCore& m_core;
    QLineEdit* m_serviceDir;
    QLineEdit* m_memberId;
    QCheckBox* m_remember;
    QCheckBox* m_auto;
};
