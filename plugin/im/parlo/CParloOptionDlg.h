// The chat option window ("オプション設定 - 会議"): where invitations appear, the chat window's
// defaults, the two time-outs, the two tones and how logs are saved. Modeless, one at a time.
#pragma once

#include "plugin/im/parlo/CParloSettings.h"

#include <QDialog>

class CColorSwatch;
class CParloApp;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CParloOptionDlg : public QDialog {
    Q_OBJECT
public:
    CParloOptionDlg(CParloApp& app, const CParloSettings& values);

    void Load(const CParloSettings& values);
    // The values the controls show, with the rules of OK applied (a file tone without a
    // file is the built-in tone; "する" forgets the folder).
    CParloSettings Values() const;
    // OK: checks the time-outs, stores and closes; false (and the dialog stays) when one is
    // out of range.
    bool Confirm();

    QSpinBox* AloneTimeoutField() const { return m_timeout; }
    QSpinBox* EntryTimeoutField() const { return m_entryTimeout; }
    QCheckBox* AskBox() const { return m_ask; }
    QLineEdit* LogPathField() const { return m_logPath; }
    QPushButton* DefaultsButton() const { return m_defaults; }

private:
    struct ToneControls {
        QButtonGroup* type = nullptr;
        QLineEdit* path = nullptr;
    };
    QWidget* ToneGroup(uint32_t title, ToneControls& controls);

    CParloApp& m_app;
    QButtonGroup* m_position = nullptr;
    QButtonGroup* m_side = nullptr;
    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    CColorSwatch* m_color = nullptr;
    QSpinBox* m_timeout = nullptr;
    QSpinBox* m_entryTimeout = nullptr;
    ToneControls m_entryTone;
    ToneControls m_talkTone;
    QCheckBox* m_ask = nullptr;
    QLineEdit* m_logPath = nullptr;
    QPushButton* m_defaults = nullptr;
};
