// The message box plug-in's application object: owns the store, the transfer conditions and
// the window; files the messages the core reports; loads the box at log-on (or when another
// plug-in needs it while logged off) and saves it at log-off, at the end of an authorisation
// and at shutdown; rebuilds the index from the core's message directory on request.
#pragma once

#include "imframe/CIMPluginApp.h"
#include "plugin/im/trovane/CTrovaneCoreLink.h"
#include "plugin/im/trovane/CTrovaneFrame.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondList.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class CTrovaneBoxLoader;

class CTrovaneApp : public CIMPluginApp {
public:
    // How the box was loaded.
    enum LoadMode { NotLoaded = 0, LoadedForAuthorization = 1, LoadedAtLogon = 2 };
    // Pause between two slices of a load.
    static constexpr int kLoadPauseMs = 10;

    CTrovaneApp();
    ~CTrovaneApp() override;

    void OnKill() override;
    void OnBegin(int32_t kind, intptr_t data) override;
    void OnLogon(int32_t flag) override;
    void OnLogoff(int32_t flag) override;
    void OnEndAuthorize() override;
    int32_t OnRecvMessage(const char16_t* messageId) override;
    intptr_t OnSendMessage(const char16_t* messageId) override;
    void OnChangeMessageFlags(int32_t box, const char16_t* messageId, uint32_t flags) override;

    CTrovaneStore& Store() { return m_store; }
    CTrovaneTransCondList& TransConds() { return m_conditions; }
    CTrovaneFrame* Frame() const { return m_frame; }
    bool IsLoaded() const { return m_loadMode != NotLoaded; }
    LoadMode Mode() const { return m_loadMode; }
    bool IsLoading() const;
    // Loads whatever is left of a running load at once.
    void FinishLoading();

    // Shows the window; after an abnormal end, the first show offers Restore.
    void ShowWindow();
    // Files every message of the core's message directory that the box lacks; returns the
    // number of entries added.
    int Restore();
    // Writes the three settings files; false when one could not be written.
    bool SaveBox();

    // The question asked after an abnormal end (title, text); true for OK. Tests answer it.
    using Question = std::function<bool(const QString& title, const QString& text)>;
    void SetQuestion(Question question) { m_question = std::move(question); }
    // Warnings and information boxes (title, text), and the choice of a file to save to
    // (title, proposed name, filter); tests answer them.
    using Warning = std::function<void(const QString& title, const QString& text)>;
    void SetWarning(Warning warning) { m_warning = std::move(warning); }
    using SavePath = std::function<QString(const QString&, const QString&, const QString&)>;
    void SetSavePath(SavePath savePath) { m_savePath = std::move(savePath); }
    // Export hands the box's messages outside the trash to the core, which writes the file;
    // false when there was nothing to export, the user cancelled or the core failed. Import
    // files the messages of an export file; the number of entries added, -1 when cancelled
    // or refused.
    bool ExportMessages();
    int ImportMessages();
    // The export and import file dialogs (empty: cancelled) and information boxes; tests
    // answer them.
    using FilePath = std::function<QString()>;
    void SetExportPath(FilePath path) { m_exportPath = std::move(path); }
    void SetImportPath(FilePath path) { m_importPath = std::move(path); }
    void SetInform(Warning inform) { m_inform = std::move(inform); }
    // The pause between load slices (tests and benchmarks shorten it).
    void SetLoadPause(int ms) { m_loadPauseMs = ms; }

private:
    void* Resources() const;
    QString DataDir() const;
    void LoadBox(LoadMode mode);
    void ContinueLoading();
    void EndLoading();
    void ReportProgress(int event, uint32_t wParam, uint32_t lParam);
    // Files a filled entry: the transfer conditions, else the default folder of its kind.
    CTrovaneMessage* FileEntry(CTrovaneMessage& entry);
    // A message of the core as a new entry with these box flags; null when there is none or
    // the box has it already.
    CTrovaneMessage* FileMessage(int32_t kind, const QString& messageId, uint32_t boxFlags);
    bool Authorized();
    void EnsureFrame();
    void DestroyFrame();
    void WriteAbnormal(int value);
    int ReadSetting(const char16_t* key, int fallback) const;
    void WriteSetting(const char16_t* key, int value) const;
    // A request of the message plug-in about an entry (none: a new message); a draft edited
    // again leaves the core and the box.
    void BeginMessage(int kind, CTrovaneMessage* entry);
    void SetDogear(CTrovaneMessage& entry, bool on);
    // Saves a loaded box and, when unloading, empties it.
    void SaveAndUnload(bool unload);

    CTrovaneStore m_store;
    CTrovaneTransCondList m_conditions;
    std::unique_ptr<CTrovaneCoreLink> m_link;
    QPointer<CTrovaneFrame> m_frame;
    std::unique_ptr<CTrovaneBoxLoader> m_loader;
    std::unique_ptr<QTimer> m_loadTimer;
    LoadMode m_loadMode = NotLoaded;
    bool m_firstShow = true;
    // The data directory the box was loaded from; it is saved back there even when the
    // core's current account has changed meanwhile.
    QString m_dataDir;
    int m_loadPauseMs = kLoadPauseMs;
    Question m_question;
    Warning m_warning;
    SavePath m_savePath;
    FilePath m_exportPath;
    FilePath m_importPath;
    Warning m_inform;
};
