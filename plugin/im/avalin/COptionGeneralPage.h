// The general page of the option sheet: the log-off question and how many new and sent
// messages the IM window lists. Default also resets the window's layout when the page is
// taken with OK.
#pragma once

#include "obrix/CIMOptionPageIF.h"

class CAvalinApp;
class QCheckBox;
class QSpinBox;

class COptionGeneralPage : public CIMOptionPageIF {
    Q_OBJECT

public:
    explicit COptionGeneralPage(CAvalinApp& app);

    QCheckBox* LogoffBox() const { return m_logoff; }
    QSpinBox* NewCountBox() const { return m_newCount; }
    QCheckBox* UnreadBox() const { return m_unread; }
    QSpinBox* SendCountBox() const { return m_sendCount; }
    bool ResetPending() const { return m_reset; }

protected:
    int OnOptionOK() override;
    void OnOptionDefault() override;

private:
    CAvalinApp& m_app;
    QCheckBox* m_logoff;
    QSpinBox* m_newCount;
    QCheckBox* m_unread;
    QSpinBox* m_sendCount;
    bool m_reset = false;
};
