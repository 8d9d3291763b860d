// The presence page of the option sheet: absent handling (minutes, absent status and icon,
// when to switch, return to OnNet), the URL question, the width of the member-name column
// and what a double-click on a member does.
#pragma once

#include "obrix/CIMOptionPageIF.h"

#include <QList>

class CAvalinApp;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

class COptionStatusPage : public CIMOptionPageIF {
    Q_OBJECT

public:
    explicit COptionStatusPage(CAvalinApp& app);

    QCheckBox* ChangeStatusBox() const { return m_changeStatus; }
    QSpinBox* TimeBox() const { return m_time; }
    QComboBox* IconBox() const { return m_icon; }
    QLineEdit* StatusEdit() const { return m_status; }
    QButtonGroup* Reservation() const { return m_reservation; }
    QCheckBox* ReturnBox() const { return m_return; }
    QCheckBox* UrlBox() const { return m_url; }
    QSpinBox* ColumnBox() const { return m_column; }
    QButtonGroup* DoubleClick() const { return m_doubleClick; }

protected:
    int OnOptionOK() override;
    void OnOptionDefault() override;

private:
    void UpdateAbsentControls();
    void SelectIcon(const QString& key);

    CAvalinApp& m_app;
    QCheckBox* m_changeStatus;
    QSpinBox* m_time;
    QComboBox* m_icon;
    QLineEdit* m_status;
    QButtonGroup* m_reservation;
    QCheckBox* m_return;
    QCheckBox* m_url;
    QSpinBox* m_column;
    QButtonGroup* m_doubleClick;
    // The controls that follow the absent check box.
    QList<QWidget*> m_absentControls;
};
