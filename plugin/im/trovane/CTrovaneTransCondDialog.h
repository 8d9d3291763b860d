// The transfer setting window: the conditions that file messages into one folder, edited in
// place (every button merges into the master list at once). Opened for a folder, it shows that
// folder's path; opened for selected messages, it offers the folders conditions may target and
// keyword values taken from the messages. The keyword box accepts members and groups dragged
// from the member list.
#pragma once

#include "plugin/im/trovane/CTrovaneTransCondEditor.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <optional>

class CTrovaneMessage;
class CTrovaneStore;
class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class CTrovaneTransCondDialog : public QDialog {
    Q_OBJECT
public:
    struct Names {
        CTrovaneTransCondEditor::NameLookup member;
        CTrovaneTransCondEditor::NameLookup group;
    };

    // folderId 0: opened for the messages given, with the folder chosen in the window.
    CTrovaneTransCondDialog(CTrovaneStore& store, CTrovaneTransCondList& conditions,
                            void* resources, uint32_t folderId,
                            const QList<CTrovaneMessage*>& messages, const Names& names,
                            QWidget* parent = nullptr);

    CTrovaneTransCondEditor& Editor() { return m_editor; }
    // The values as entered now.
    CTrovaneTransCondEditor::Values Values() const;
    QComboBox* FolderBox() const { return m_folders; }
    QComboBox* ScopeBox() const { return m_scope; }
    QComboBox* KeywordBox() const { return m_keyword; }
    QListWidget* ConditionList() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ExchangeButton() const { return m_exchange; }
    QPushButton* DeleteButton() const { return m_delete; }
    QRadioButton* SentButton() const { return m_sent; }
    QRadioButton* NotExistButton() const { return m_notExist; }
    // Member drag text dropped on the keyword box: its items join the box's list; the first
    // one is chosen.
    void DropMemberText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text(uint32_t id) const;
    void ChooseFolder(uint32_t folderId);
    void FillList();
    void FillKeywords();
    void OnRowChosen();
    void UpdateButtons();

    CTrovaneStore& m_store;
    void* m_resources;
    CTrovaneTransCondEditor m_editor;
    CTrovaneTransCondEditor::Texts m_texts;
    QList<CTrovaneMessage*> m_messages;
    Names m_names;
    QComboBox* m_folders = nullptr;
    QLabel* m_path = nullptr;
    QRadioButton* m_received = nullptr;
    QRadioButton* m_sent = nullptr;
    QComboBox* m_scope = nullptr;
    QComboBox* m_keyword = nullptr;
    QRadioButton* m_exist = nullptr;
    QRadioButton* m_notExist = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_exchange = nullptr;
    QPushButton* m_delete = nullptr;
    QListWidget* m_list = nullptr;
};
