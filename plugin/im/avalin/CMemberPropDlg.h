// The property window of one member: display name and member ID, and the way to the member's
// own sound. Modeless; several may be open at a time.
#pragma once

#include <QDialog>

class CAvalinApp;
class QLineEdit;
class QPushButton;

class CMemberPropDlg : public QDialog {
    Q_OBJECT

public:
    CMemberPropDlg(CAvalinApp& app, const QString& memberId, QWidget* parent = nullptr);

    QString MemberId() const { return m_memberId; }
    QLineEdit* IdField() const { return m_id; }
    QPushButton* SoundButton() const { return m_sound; }

private:
    void OnSound();

    CAvalinApp& m_app;
    QString m_memberId;
    QLineEdit* m_id = nullptr;
    QPushButton* m_sound = nullptr;
};
