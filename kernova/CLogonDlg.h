// The log-on dialog: member ID, password, remember the ID, log on automatically at start.
// It only collects the values; the core decides, and a refusal keeps the dialog open with
// the reason shown.
#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

class CLogonDlg : public QDialog {
    Q_OBJECT
public:
    struct Values {
        QString memberId;
        QString password;
        bool rememberId = false;
        bool autoLogon = false;
    };
    // True when the log-on succeeded; otherwise *reason is shown.
    using Submit = std::function<bool(const Values&, QString* reason)>;

    CLogonDlg(void* resModule, const Values& initial, Submit submit, QWidget* parent = nullptr);

    Values CurrentValues() const;
    QString ShownError() const;
    // Shows why the log-on failed between the check boxes and the buttons; the dialog grows
    // so that every line of it stays in view.
    void ShowError(const QString& reason);

    void accept() override;

private:
    void FitToContents();

    void* m_res;
    Submit m_submit;
    QLineEdit* m_id;
    QLineEdit* m_password;
    QCheckBox* m_remember;
    QCheckBox* m_auto;
    QLabel* m_error;
};
