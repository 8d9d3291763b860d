// The find window: searches the entries of one folder for words in their subject, body or
// both, optionally by send date, on a worker thread that can be stopped, and lists the hits as
// the message list does. One at a time: the window holds the name "CTrovaneFindDialog" while it
// is open, and the message box refuses to delete, move or open messages meanwhile.
#pragma once

#include "plugin/im/trovane/CTrovaneFinder.h"
#include "plugin/im/trovane/CTrovaneNamedMutex.h"

#include <QDialog>
#include <QList>
#include <atomic>
#include <functional>
#include <memory>

class CTrovaneListModel;
class CTrovaneMessage;
class CTrovaneStore;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QThread;

class CTrovaneFindDialog : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        // The body of an entry (fetched from the core when the entry does not hold it).
        std::function<QString(CTrovaneMessage&)> body;
        // Makes a hit's folder current in the window and selects the hit there.
        std::function<void(uint32_t localNumber)> show;
        // Runs a command of the results' context menu on the shown hit.
        std::function<void(int command)> command;
    };

    CTrovaneFindDialog(CTrovaneStore& store, void* resources, uint32_t folderId, Hooks hooks,
                       QWidget* parent = nullptr);
    ~CTrovaneFindDialog() override;

    // False when another find window holds the name; such a window must not be shown.
    bool IsHeld() const { return m_hold.Held(); }
    uint32_t Folder() const { return m_folder; }

    // The query as the controls give it.
    CTrovaneFinder::Query Query() const;
    // Starts a search on the worker thread (the running one is stopped first).
    void StartSearch();
    void StopSearch();
    bool IsSearching() const { return m_thread != nullptr; }
    // The hits of the last search, as local numbers, in the order found.
    const QList<uint32_t>& Hits() const { return m_hits; }

    QLineEdit* WordsEdit() const { return m_words; }
    QRadioButton* TargetButton(int target) const;
    QRadioButton* MatchButton(int match) const;
    QCheckBox* WordByWord() const { return m_wordByWord; }
    QCheckBox* CaseSensitive() const { return m_caseSensitive; }
    QCheckBox* DateCheck() const { return m_useDate; }
    QComboBox* DateMode() const { return m_dateMode; }
    QDateEdit* DateEdit() const { return m_date; }
    QPushButton* SearchButton() const { return m_search; }
    QTableView* Results() const { return m_results; }
    CTrovaneListModel* ResultModel() const { return m_model; }
    QString StatusText() const;

signals:
    void SearchFinished();

private:
    QString Text(uint32_t id) const;
    void OnFinished(const QList<uint32_t>& hits);
    void OnProgress(int done, int total);

    CTrovaneStore& m_store;
    void* m_resources;
    uint32_t m_folder;
    Hooks m_hooks;
    CTrovaneNamedMutex::CHold m_hold;
    QString m_separators;
    QLineEdit* m_words = nullptr;
    QRadioButton* m_targets[3] = {};
    QRadioButton* m_matches[3] = {};
    QCheckBox* m_wordByWord = nullptr;
    QCheckBox* m_caseSensitive = nullptr;
    QCheckBox* m_useDate = nullptr;
    QComboBox* m_dateMode = nullptr;
    QDateEdit* m_date = nullptr;
    QPushButton* m_search = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QTableView* m_results = nullptr;
    CTrovaneListModel* m_model = nullptr;
    QList<uint32_t> m_hits;
    // The entries of the last prepared search, with their bodies as plain text.
    QList<CTrovaneFinder::Candidate> m_prepared;
    QList<uint32_t> m_preparedNumbers;
    bool m_preparedBodies = false;
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_stop;
};
