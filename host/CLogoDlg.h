// The start-up window: bitmap 130 with a status line along its bottom, centred on the screen
// while the core modules load. It stays in existence, hidden, as the process's main window
// until shutdown.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <functional>

class QLabel;

class CLogoDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 102, IDC_STATUS = 1000 };

    // onOk runs when the user confirms the window (Enter): the host ends the session.
    explicit CLogoDlg(std::function<void()> onOk);

    void SetStatusText(const QString& text);
    QString StatusText() const;
    // Hidden for the rest of the run: hidden, then moved to 0,0 and shrunk to nothing.
    void HideForGood();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override; // Esc does nothing

private:
    QPixmap m_bitmap;
    QLabel* m_status = nullptr;
    std::function<void()> m_onOk;
};
