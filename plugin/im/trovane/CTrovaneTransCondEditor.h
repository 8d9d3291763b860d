// What the transfer setting window edits, without the window: the working copy of one folder's
// conditions over the master list (every button merges at once), the rows it shows, when its
// buttons are enabled, the folders conditions may target with their paths, the keyword values
// offered from selected messages and the items that dragged members become.
#pragma once

#include "plugin/im/trovane/CTrovaneTransCond.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class CTrovaneMessage;
class CTrovaneStore;
class CTrovaneTransCondList;

class CTrovaneTransCondEditor {
public:
    // Texts of a row: target labels (received, sent), scope texts in scope order, mode labels
    // (exists, does not exist) and the row format with four "%s".
    struct Texts {
        QString targets[2];
        QString scopes[4];
        QString modes[2];
        QString rowFormat;
    };
    // The values entered in the window.
    struct Values {
        uint32_t target = CTrovaneTransCond::TargetReceived;
        int scope = -1; // -1: none chosen
        QString keyword;
        uint32_t mode = CTrovaneTransCond::ModeExists;
    };

    explicit CTrovaneTransCondEditor(CTrovaneTransCondList& conditions)
        : m_conditions(conditions) {}

    // Loads the working copy of a folder (0: none).
    void SetFolder(uint32_t folderId);
    uint32_t Folder() const { return m_folder; }
    // The conditions shown, in master order (deleted ones are not shown).
    const QList<CTrovaneTransCond>& Rows() const { return m_rows; }
    QString RowText(int row, const Texts& texts) const;

    bool CanAdd(const Values& v) const;
    bool CanExchange(const Values& v, int row) const;
    bool CanDelete(int row) const;
    // Each merges into the master list and reloads the folder's working copy.
    bool Add(const Values& v);
    bool Exchange(const Values& v, int row);
    bool Delete(int row);

    // The path of a folder as the window shows it: its ancestors' names below the root and
    // its own, joined by "/".
    static QString FolderPath(const CTrovaneStore& store, uint32_t folderId);
    // The folders conditions may target: user folders outside the trash and the drafts, by
    // path.
    struct Target {
        uint32_t id;
        QString path;
    };
    static QList<Target> Targets(const CTrovaneStore& store);
    // Keyword values taken from selected messages for a scope, each once.
    static QStringList KeywordValues(const QList<CTrovaneMessage*>& entries, int scope);
    // "name [ID]" items of a member drag text; members and groups the directory does not know
    // give nothing. OnNetters gives "OnNetMembers [OnNetters]".
    using NameLookup = std::function<std::optional<QString>(const QString& id)>;
    static QStringList DropItems(const QString& dragText, const NameLookup& member,
                                 const NameLookup& group);

private:
    CTrovaneTransCond Condition(const Values& v) const;
    bool Matches(const Values& v, const CTrovaneTransCond& c) const;
    void Reload();

    CTrovaneTransCondList& m_conditions;
    uint32_t m_folder = 0;
    QList<CTrovaneTransCond> m_rows;
};
