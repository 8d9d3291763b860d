// The property window of one group: its administrators (role 2), its member count and a
// message to the first administrator. Modeless; several may be open at a time.
#pragma once

#include <QDialog>

#include <functional>

class CAvalinApp;
class CIMGroup;
class QLineEdit;
class QPushButton;

class CGroupPropDlg : public QDialog {
    Q_OBJECT

public:
    CGroupPropDlg(CAvalinApp& app, const QString& groupId, QWidget* parent = nullptr);

    // The administrators' display names in member order joined with ",", and the first one's
    // member ID. `name` gives a member's display name.
    static QString Administrators(const CIMGroup& group,
                                  const std::function<QString(const QString&)>& name,
                                  QString* firstId);

    QLineEdit* AdminField() const { return m_admins; }
    QLineEdit* CountField() const { return m_count; }
    QPushButton* MessageButton() const { return m_message; }

private:
    void OnMessage();

    CAvalinApp& m_app;
    QString m_firstAdmin;
    QLineEdit* m_admins = nullptr;
    QLineEdit* m_count = nullptr;
    QPushButton* m_message = nullptr;
};
