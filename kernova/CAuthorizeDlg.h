// Asks for the password of the remembered member while logged off, so that stored messages
// may be opened. It only collects the password; the core checks it.
#pragma once

#include <QDialog>

class QLineEdit;

class CAuthorizeDlg : public QDialog {
    Q_OBJECT
public:
    CAuthorizeDlg(void* resModule, const QString& memberId, QWidget* parent = nullptr);
    QString Password() const;

private:
    QLineEdit* m_password;
};
