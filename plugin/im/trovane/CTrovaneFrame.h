// The message box window. Closing it hides it; the application object owns it and destroys
// it at log-off and at the end of the program.
#pragma once

#include <QMainWindow>
#include <functional>

class CTrovaneMessage;
class CTrovaneStore;
class QLabel;
class QProgressBar;

class CTrovaneFrame : public QMainWindow {
    Q_OBJECT
public:
    CTrovaneFrame(CTrovaneStore& store, void* resources, QWidget* parent = nullptr);
    ~CTrovaneFrame() override;

    // Called whenever the user closes or the program hides the window in an orderly way.
    void SetOnHidden(std::function<void()> onHidden) { m_onHidden = std::move(onHidden); }

    // A new entry of the box; shown when its folder is the one displayed.
    void AddEntry(CTrovaneMessage* entry);
    // Re-reads counts and rows after a change of flags or folders.
    void Refresh();
    // Hides the window as an orderly close does.
    void HideOrderly();

    QProgressBar* LoadProgress() const { return m_progress; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CTrovaneStore& m_store;
    void* m_resources;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    std::function<void()> m_onHidden;
};
