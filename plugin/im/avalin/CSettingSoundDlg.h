// The sound window of one member: whether the member has an own arrival sound and which
// file it is. Only one is open at a time. OK stores the choice, saves the sound settings and
// tells the message and chat modules.
#pragma once

#include <QDialog>

class CAvalinApp;
class CIMSndInfo;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CSettingSoundDlg : public QDialog {
    Q_OBJECT

public:
    CSettingSoundDlg(CAvalinApp& app, const QString& memberId, QWidget* parent = nullptr);

    enum Outcome { MemberGone, Cleared, Set };
    // What OK does to the sound settings: nothing for a member the core no longer knows; the
    // entry removed when the box is off or the path empty; else the entry set to the path.
    static Outcome Store(CIMSndInfo& sounds, bool memberKnown, const QString& memberId,
                         bool own, const QString& path);
    // A dropped file is taken only with the extension of the sound file pattern ("*.wav").
    static bool AcceptsFile(const QString& path, const QString& pattern);

    QString MemberId() const { return m_memberId; }
    QCheckBox* OwnSoundBox() const { return m_own; }
    QLineEdit* PathField() const { return m_path; }
    QPushButton* ChooseButton() const { return m_choose; }
    QPushButton* PlayButton() const { return m_play; }
    // Puts a dropped file's path in when the field takes it.
    bool DropFile(const QString& path);

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButtons();
    void Choose();

    CAvalinApp& m_app;
    QString m_memberId;
    QCheckBox* m_own = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_play = nullptr;
};
