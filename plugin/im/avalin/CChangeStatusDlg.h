// The status dialog: a free-input status (index -1) or the editor of one preset. It refuses
// an off-line status and keeps a red status to all groups when it edits a preset.
#pragma once

#include "obrix/CIMPreset.h"

#include <QDialog>

class CAvalinApp;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

class CChangeStatusDlg : public QDialog {
    Q_OBJECT

public:
    CChangeStatusDlg(CAvalinApp& app, int presetIndex, QWidget* parent = nullptr);

    // The status built on OK.
    const CIMPreset& Result() const { return m_result; }

    QLineEdit* StatusEdit() const { return m_status; }
    QComboBox* IconBox() const { return m_icon; }
    QComboBox* ColourBox() const { return m_colour; }
    QCheckBox* AllGroups() const { return m_all; }
    QListWidget* GroupList() const { return m_groups; }

    void accept() override;

    // The colour values of the colour list, in list order (green, yellow, red).
    static int ColourIndex(uint32_t colour);
    static uint32_t ColourOf(int index);

private:
    void SetAllGroups(bool checked);
    void OnGroupChecked();
    bool IsRefused(const QString& status) const;
    CIMPreset Build() const;

    CAvalinApp& m_app;
    int m_index;
    QLineEdit* m_status = nullptr;
    QComboBox* m_icon = nullptr;
    QComboBox* m_colour = nullptr;
    QCheckBox* m_all = nullptr;
    QListWidget* m_groups = nullptr;
    CIMPreset m_result;
};
