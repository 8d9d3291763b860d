// The "about" window: one line per core module and per sub-module it reports (the messaging
// core reports its IM plug-ins), and the product version from the application data. Built
// once, hidden at the end of start-up, shown by COREAPI_DispVersion, hidden again by OK.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>

class CCoreModuleList;
class QLabel;
class QListWidget;
class QPushButton;

class CVersionDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 132, IDC_OK = 1, IDC_LIST = 1001, IDC_VERSION = 1003 };

    CVersionDlg(const CCoreModuleList& modules, const QString& title, QWidget* parent);

    QStringList Lines() const;
    QString VersionText() const;

    // "<file>    version <major>.<minor>    (<company>)    <local name>" per module, each
    // followed by the lines of its sub-modules in the order the module enumerates them.
    static QStringList ModuleLines(const CCoreModuleList& modules);
    // "Ver.H.L.R.B" from the application data (section "GENERAL"), through the host services.
    static QString ProductVersionText();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_bitmap;
    QListWidget* m_list = nullptr;
    QLabel* m_version = nullptr;
    QPushButton* m_ok = nullptr;
};
