// The core's own option page (module 0): which service the core uses (a local service folder,
// or a network service on an XMPP server: host, port, domain), the remembered member ID and the
// automatic log-on at start. The choices are stored in the core's "SERVICE" settings; the
// environment (ZELTA_SERVICE, ZELTA_SERVICE_DIR) still wins over them, and the page says so.
#pragma once

#include "obrix/CIMOptionPageIF.h"

class CKernovaCore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class CGeneralPage : public CIMOptionPageIF {
    Q_OBJECT
public:
    explicit CGeneralPage(CKernovaCore& core);

    // Entries of the kind box, in order.
    enum Kind { Local = 0, Network = 1 };

    QComboBox* KindBox() const { return m_kind; }
    QLineEdit* ServiceDirEdit() const { return m_serviceDir; }
    QLineEdit* HostEdit() const { return m_host; }
    QSpinBox* PortBox() const { return m_port; }
    QLineEdit* DomainEdit() const { return m_domain; }
    QLabel* ErrorLabel() const { return m_error; }
    QLineEdit* MemberIdEdit() const { return m_memberId; }
    QCheckBox* RememberBox() const { return m_remember; }
    QCheckBox* AutoLogonBox() const { return m_auto; }

protected:
    int OnOptionOK() override;
    void OnOptionDefault() override;

private:
    void Load();
    void ShowKind();

    CKernovaCore& m_core;
    QComboBox* m_kind;
    QLineEdit* m_serviceDir;
    QLabel* m_dirNote;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_domain;
    QLabel* m_domainNote;
    QLabel* m_error;
    QLineEdit* m_memberId;
    QCheckBox* m_remember;
    QCheckBox* m_auto;
};
