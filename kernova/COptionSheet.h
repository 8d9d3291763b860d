// The common option sheet: one tab per page, OK, Cancel and Default. Pages get the window
// messages 0x900B (OK), 0x900C (Default, the current page) and 0x900D (the page is being
// left); a page that answers 0 keeps the sheet open or keeps itself shown. Pages stay their
// creators': when the sheet closes they are handed back hidden and without a parent.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

class QTabWidget;

class COptionSheet : public QDialog {
    Q_OBJECT
public:
    explicit COptionSheet(void* resModule, QWidget* parent = nullptr);
    ~COptionSheet() override;

    // The tab caption is the page's window title.
    void AddPage(QWidget* page);
    QList<QWidget*> Pages() const;
    QWidget* CurrentPage() const;
    bool SelectPage(int index);

    // OK: every page takes its values; false (and the refusing page shown) when one refuses.
    bool ApplyAll();
    void DefaultCurrent();

    void accept() override;
    void done(int result) override;

signals:
    void Closed();

private:
    void OnCurrentChanged(int index);
    static intptr_t SendToPage(QWidget* page, int message);
    void ReleasePages();

    QTabWidget* m_tabs;
    QList<QPointer<QWidget>> m_pages;
    int m_current = -1;
    bool m_reverting = false;
    bool m_closed = false;
};
