// Loading the entries of a box: the records of the entries file, each filled from the core's
// stored message, then the drafts the core holds that the file does not list.
//
// The core's message and directory functions belong to the user-interface thread, so the
// load runs there in short slices: after the first entry and after every tenth one the load
// pauses (the caller waits 10 ms before the next slice), which keeps the window responsive
// while a large box fills. Finish() loads the rest without pauses; saving calls it so that
// no save ever writes a half-loaded box.
#pragma once

#include "plugin/im/trovane/CTrovaneSettingsFiles.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

class CTrovaneCoreLink;
class CTrovaneStore;

class CTrovaneBoxLoader {
public:
    // Progress reports: 0x8064 after every step-th entry (wParam = index / step) and 0x8065
    // when the load is done (wParam = count / step); lParam is 10, the number of steps.
    static constexpr int kProgressEvent = 0x8064;
    static constexpr int kDoneEvent = 0x8065;
    static constexpr uint32_t kSteps = 10;
    using Progress = std::function<void(int event, uint32_t wParam, uint32_t lParam)>;

    // entriesFile: the bytes of "MesboxMESGSet.zin"; draftDir: the core's draft directory
    // (empty to skip the draft scan).
    CTrovaneBoxLoader(CTrovaneStore& store, CTrovaneCoreLink& core, const QByteArray& entriesFile,
                      const QString& draftDir);
    ~CTrovaneBoxLoader();
    CTrovaneBoxLoader(const CTrovaneBoxLoader&) = delete;
    CTrovaneBoxLoader& operator=(const CTrovaneBoxLoader&) = delete;

    void SetProgress(Progress progress) { m_progress = std::move(progress); }

    // Loads up to the next pause; false once everything is loaded.
    bool Step();
    // Loads everything that is left, without pauses.
    void Finish();

    bool IsLoading() const { return m_state != State::Done; }
    // The entries file ended with its end mark after all its records.
    bool IsComplete() const { return m_complete; }
    // Records announced by the entries file, and entries added from it and from the scan.
    uint32_t Announced() const { return m_reader.Count(); }
    uint32_t Added() const { return m_added; }

    // A draft of the core as an entry of the drafts folder (the scan, Restore and a draft
    // stored by the message window all file drafts this way).
    static bool FileDraft(CTrovaneStore& store, CTrovaneCoreLink& core, const QString& messageId);

private:
    enum class State { Entries, Drafts, Done };

    // One record; true when a pause is due after it.
    bool LoadNextEntry();
    void ScanDrafts();
    void Report(int event, uint32_t wParam);

    CTrovaneStore& m_store;
    CTrovaneCoreLink& m_core;
    CTrovaneSettingsFiles::EntryReader m_reader;
    QString m_draftDir;
    Progress m_progress;
    State m_state = State::Entries;
    uint32_t m_step = 1;
    uint32_t m_index = 0;
    uint32_t m_added = 0;
    bool m_complete = false;
};
