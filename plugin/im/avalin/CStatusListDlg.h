// The list of the eleven presets with their key, status, icon and colour; a preset is
// edited with the status dialog, and all of them can go back to the defaults.
#pragma once

#include <QDialog>

class CAvalinApp;
class QPushButton;
class QTreeWidget;

class CStatusListDlg : public QDialog {
    Q_OBJECT

public:
    CStatusListDlg(CAvalinApp& app, QWidget* parent = nullptr);

    QTreeWidget* List() const { return m_list; }
    QPushButton* ChangeButton() const { return m_change; }
    QPushButton* DefaultButton() const { return m_default; }

private:
    void FillRow(int index);
    void EditSelected();

    CAvalinApp& m_app;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_default = nullptr;
    bool m_withIcons = false;
};
