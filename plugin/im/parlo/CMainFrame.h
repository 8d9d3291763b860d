// A chat window: the participant list and the log side by side in a splitter, the font bar
// and the input line with its "送信" button below, and the menus. A thin view over its
// CParloDoc; what it does with the core goes through the application object.
#pragma once

#include "plugin/im/parlo/CParloDoc.h"
#include "plugin/im/parlo/CParloLog.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class CColorSwatch;
class CEntryListView;
class CMessageEditCtrl;
class CParloApp;
class QComboBox;
class QPushButton;
class QSplitter;
class QTextCharFormat;
class QTextEdit;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CParloApp& app, int32_t chat);
    ~CMainFrame() override;

    CParloDoc& Doc() { return m_doc; }
    const CParloDoc& Doc() const { return m_doc; }
    CParloLog& Log() { return *m_log; }
    QTextEdit* LogView() const { return m_logView; }
    CMessageEditCtrl* Input() const { return m_input; }
    CEntryListView* List() const { return m_list; }
    QSplitter* Splitter() const { return m_splitter; }
    QPushButton* SendButton() const { return m_send; }
    QTimer& PollTimer() { return m_poll; }

    // Shows one event of the chat (the application object has applied it to the doc).
    void AppendEvent(int type, const QString& memberId, const QString& text);
    // Redraws the participant list and the title from the doc, and starts or stops the alone
    // timer.
    void RefreshParticipants();
    // Empties the input line and gives it the option font again.
    void ResetInput();
    // One tick of the alone timer (every 500 ms); closes the window once the time is up.
    void CheckAlone();
    // Puts the participant list on the side the options say.
    void ApplyListSide(int memberListPosition);
    // Flashes the window until it comes to the front.
    void Flash();

    // The print page and the commands of the menus.
    std::unique_ptr<QTextDocument> PrintPage() const;
    void PrintToPdf(const QString& path) const;
    // Selected participants' ids (all of them when everyone is wanted).
    QStringList SelectedIds() const;
    void NewMessageTo(const QStringList& ids);
    void ShowProperties();

    // Close without running the close path again (the path itself, log-off).
    void CloseQuietly();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    QWidget* BuildInputBar();
    void ApplyInputFormat();
    void ShowFormat(const QTextCharFormat& format);
    void ShowListMenu(const QPoint& at);

    CParloApp& m_app;
    CParloDoc m_doc;
    QSplitter* m_splitter = nullptr;
    CEntryListView* m_list = nullptr;
    QTextEdit* m_logView = nullptr;
    std::unique_ptr<CParloLog> m_log;
    CMessageEditCtrl* m_input = nullptr;
    QPushButton* m_send = nullptr;
    QComboBox* m_faces = nullptr;
    QComboBox* m_sizes = nullptr;
    CColorSwatch* m_color = nullptr;
    QTimer m_poll;
    QTimer m_alone;
    bool m_closingQuietly = false;
};
