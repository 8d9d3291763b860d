#include "plugin/im/trovane/CTrovaneApp.h"

#include "host/CoreApi.h"
#include "imframe/CImFrame.h"
#include "imframe/MessageBoxRequests.h"
#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneBoxLoader.h"
#include "plugin/im/trovane/CTrovaneExchangeDialogs.h"
#include "plugin/im/trovane/CTrovaneFrame.h"
#include "plugin/im/trovane/CTrovaneProgressEvent.h"
#include "plugin/im/trovane/CTrovaneSettingsFiles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

using namespace TrovaneBox;
namespace Files = CTrovaneSettingsFiles;

namespace {

constexpr const char16_t* kSection = u"MESBOX";
constexpr const char16_t* kAbnormalKey = u"Abnormal";
constexpr uint32_t kTitleText = 823;
constexpr uint32_t kAbnormalQuestionText = 907;

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

// The message directory's sub-directories that Restore scans, with the kind and box flags of
// the messages they hold.
struct MessageFolder {
    const char* name;
    int32_t kind;
    uint32_t boxFlags;
};
constexpr MessageFolder kMessageFolders[] = {
    {"recv/", KindReceived, Received},
    {"send/", KindSent, Sent},
    {"draft/", KindDraft, Draft},
};

// Question and warning boxes with the buttons named by the core's texts.
bool AskOkCancel(const QString& title, const QString& text) {
    void* res = CImFrame::Instance().Obrix().GetIMResHandle
                    ? CImFrame::Instance().Obrix().GetIMResHandle()
                    : nullptr;
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(CResourceLoader::LoadString(res, 1093));
    box.button(QMessageBox::Cancel)->setText(CResourceLoader::LoadString(res, 1094));
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void ShowWarning(const QString& title, const QString& text) {
    void* res = CImFrame::Instance().Obrix().GetIMResHandle
                    ? CImFrame::Instance().Obrix().GetIMResHandle()
                    : nullptr;
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(CResourceLoader::LoadString(res, 1093));
    box.exec();
}

QString AskSavePath(const QString& title, const QString& proposed, const QString& filter) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposed, filter);
}

} // namespace

CTrovaneApp::CTrovaneApp()
    : CIMPluginApp(ImModules::MessageBox), m_link(std::make_unique<CTrovaneObrixLink>(Obrix())),
      m_question(AskOkCancel), m_warning(ShowWarning), m_savePath(AskSavePath) {
    m_store.SetTransConds(&m_conditions);
    m_exportPath = [this] {
        return CTrovaneExchangeDialogs::AskExportPath(Resources(), QApplication::activeWindow());
    };
    m_importPath = [this] {
        return CTrovaneExchangeDialogs::AskImportPath(Resources(), QApplication::activeWindow());
    };
    m_inform = [this](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.button(QMessageBox::Ok)->setText(CResourceLoader::LoadString(Resources(), 1093));
        box.exec();
    };
}

CTrovaneApp::~CTrovaneApp() = default;

void* CTrovaneApp::Resources() const {
    return Obrix().GetIMResHandle ? Obrix().GetIMResHandle() : nullptr;
}

QString CTrovaneApp::DataDir() const {
    const char16_t* dir =
        Obrix().GetModuleDir ? Obrix().GetModuleDir(ObrixModule::MessageBox) : nullptr;
    const QString moduleDir = Text(dir);
    return moduleDir.isEmpty() ? QString() : moduleDir + QStringLiteral("data/");
}

// ---- Callbacks ----

void CTrovaneApp::OnKill() {
    DestroyFrame();
    SaveAndUnload(true);
}

void CTrovaneApp::OnLogon(int32_t flag) {
    if (flag != 1)
        return;
    LoadBox(LoadedAtLogon);
    EnsureFrame();
}

void CTrovaneApp::OnLogoff(int32_t flag) {
    if (!flag)
        return;
    DestroyFrame();
    SaveAndUnload(true);
}

void CTrovaneApp::OnEndAuthorize() {
    if (m_frame)
        m_frame->HideOrderly();
    SaveAndUnload(false);
}

int32_t CTrovaneApp::OnRecvMessage(const char16_t* messageId) {
    FileMessage(KindReceived, Text(messageId), Received);
    return 0;
}

intptr_t CTrovaneApp::OnSendMessage(const char16_t* messageId) {
    FileMessage(KindSent, Text(messageId), Sent);
    return 0;
}

void CTrovaneApp::OnChangeMessageFlags(int32_t box, const char16_t* messageId, uint32_t flags) {
    if (box != KindSent && box != KindReceived)
        return;
    if (m_store.ChangeFlags(Text(messageId), flags, box == KindReceived) && m_frame)
        m_frame->RefreshFlags();
}

void CTrovaneApp::OnBegin(int32_t kind, intptr_t data) {
    if (!Authorized())
        return;
    switch (kind) {
    case MessageBoxBegin::DraftStored: {
        const QString messageId = Text(reinterpret_cast<const char16_t*>(data));
        CTrovaneHeldMessage held(*m_link, KindDraft, messageId);
        if (!held)
            return;
        CTrovaneMessage entry;
        entry.SetBoxFlags(Draft);
        entry.Fill(held.Record(), *m_link);
        FileEntry(entry);
        return;
    }
    case MessageBoxBegin::DeleteMessage: {
        const auto* request = reinterpret_cast<const tagMESBOXDELETE*>(data);
        if (!request ||
            (request->nKind != uint32_t(KindReceived) && request->nKind != uint32_t(KindSent)))
            return;
        CTrovaneMessage* entry = m_store.FindEntry(Text(request->pszMessageID),
                                                   request->nKind == uint32_t(KindReceived));
        if (!entry || (entry->BoxFlags() & InTrash))
            return;
        m_store.MoveEntry(TrashFolder, entry->LocalNumber());
        if (m_frame)
            m_frame->Refresh();
        return;
    }
    default:
        ShowWindow();
    }
}

// ---- Filing ----

CTrovaneMessage* CTrovaneApp::FileEntry(CTrovaneMessage& entry) {
    if (!IsLoaded())
        return nullptr;
    uint32_t folder = m_conditions.Match(entry);
    if (folder == 0)
        folder = DefaultFolderOf(entry.BoxFlags());
    entry.SetFolder(folder, nullptr);
    CTrovaneMessage* stored = m_store.AddEntry(entry);
    if (stored && m_frame)
        m_frame->AddEntry(stored);
    return stored;
}

CTrovaneMessage* CTrovaneApp::FileMessage(int32_t kind, const QString& messageId,
                                          uint32_t boxFlags) {
    if (!IsLoaded())
        return nullptr;
    CTrovaneHeldMessage held(*m_link, kind, messageId);
    if (!held)
        return nullptr;
    CTrovaneMessage entry;
    entry.SetBoxFlags(boxFlags);
    entry.Fill(held.Record(), *m_link);
    return FileEntry(entry);
}

// ---- Loading and saving ----

bool CTrovaneApp::IsLoading() const {
    return m_loader && m_loader->IsLoading();
}

void CTrovaneApp::LoadBox(LoadMode mode) {
    const QString userId = Text(Obrix().GetUserID ? Obrix().GetUserID() : nullptr);
    if (m_loadMode != NotLoaded && m_loadMode != LoadedForAuthorization &&
        userId == m_store.UserID()) {
        m_loadMode = mode;
        return;
    }
    DestroyFrame();
    // A load still running belongs to the box being replaced.
    if (m_loadTimer)
        m_loadTimer->stop();
    m_loader.reset();

    m_store.Clear();
    m_conditions.Clear();
    m_dataDir = DataDir();
    QByteArray bytes;
    if (m_dataDir.isEmpty() || !m_link->ReadFile(m_dataDir + Text(Files::kTreeFile), bytes) ||
        !Files::ReadTree(bytes, m_store))
        Files::CreateSystemFolders(m_store);
    Files::ResetSystemFolders(m_store, Resources());
    if (!m_dataDir.isEmpty() && m_link->ReadFile(m_dataDir + Text(Files::kConditionsFile), bytes))
        Files::ReadConditions(bytes, m_conditions);

    m_store.SetUserID(userId);
    m_loadMode = mode;

    if (m_dataDir.isEmpty() || !m_link->ReadFile(m_dataDir + Text(Files::kEntriesFile), bytes))
        return;
    const QString messageDir = Text(Obrix().GetMessageDir ? Obrix().GetMessageDir() : nullptr);
    m_loader = std::make_unique<CTrovaneBoxLoader>(
        m_store, *m_link, bytes,
        messageDir.isEmpty() ? QString() : messageDir + QStringLiteral("draft/"));
    m_loader->SetProgress([this](int event, uint32_t wParam, uint32_t lParam) {
        ReportProgress(event, wParam, lParam);
    });
    if (!m_loadTimer) {
        m_loadTimer = std::make_unique<QTimer>();
        m_loadTimer->setSingleShot(true);
        QObject::connect(m_loadTimer.get(), &QTimer::timeout, m_loadTimer.get(),
                         [this] { ContinueLoading(); });
    }
    m_loadTimer->start(0);
}

void CTrovaneApp::ContinueLoading() {
    if (!m_loader)
        return;
    if (m_loader->Step())
        m_loadTimer->start(m_loadPauseMs);
    else
        EndLoading();
}

void CTrovaneApp::FinishLoading() {
    if (!m_loader)
        return;
    if (m_loadTimer)
        m_loadTimer->stop();
    m_loader->Finish();
    EndLoading();
}

void CTrovaneApp::EndLoading() {
    if (m_loader && !m_loader->IsComplete())
        CImFrame::Instance().SaveLog(ZeltaLogLevel::Warning,
                                     QStringLiteral("Message box: the entries file ended early; "
                                                    "the entries read before are kept"));
    m_loader.reset();
}

void CTrovaneApp::ReportProgress(int event, uint32_t wParam, uint32_t lParam) {
    if (!m_frame || !m_frame->isVisible())
        return;
    CTrovaneProgressEvent progress(QEvent::Type(event), wParam, lParam);
    QCoreApplication::sendEvent(m_frame, &progress);
}

bool CTrovaneApp::SaveBox() {
    if (!IsLoaded() || m_dataDir.isEmpty())
        return false;
    // A running load finishes first, so that the files never hold half a box.
    FinishLoading();
    const bool tree =
        m_link->WriteFile(m_dataDir + Text(Files::kTreeFile), Files::WriteTree(m_store));
    const bool conditions = m_link->WriteFile(m_dataDir + Text(Files::kConditionsFile),
                                              Files::WriteConditions(m_conditions));
    const bool entries =
        m_link->WriteFile(m_dataDir + Text(Files::kEntriesFile), Files::WriteEntries(m_store));
    const bool saved = tree && conditions && entries;
    if (!saved)
        CImFrame::Instance().SaveLog(ZeltaLogLevel::Error,
                                     QStringLiteral("Message box: a settings file could not be "
                                                    "written; the previous file is kept"));
    return saved;
}

void CTrovaneApp::SaveAndUnload(bool unload) {
    if (!IsLoaded())
        return;
    SaveBox();
    if (unload) {
        m_store.Clear();
        m_conditions.Clear();
        m_loadMode = NotLoaded;
    }
}

int CTrovaneApp::Restore() {
    if (!IsLoaded())
        return 0;
    FinishLoading();
    const QString messageDir = Text(Obrix().GetMessageDir ? Obrix().GetMessageDir() : nullptr);
    if (messageDir.isEmpty())
        return 0;
    int added = 0;
    for (const MessageFolder& folder : kMessageFolders) {
        const QFileInfoList files =
            QDir(messageDir + QLatin1String(folder.name))
                .entryInfoList({QStringLiteral("*.zmf")}, QDir::Files, QDir::Name);
        for (const QFileInfo& file : files)
            if (FileMessage(folder.kind, file.completeBaseName(), folder.boxFlags))
                ++added;
    }
    if (m_frame)
        m_frame->Refresh();
    return added;
}

// ---- Authorisation and the window ----

bool CTrovaneApp::Authorized() {
    const int32_t state = Obrix().GetLogonState ? Obrix().GetLogonState() : ObrixLogon::LoggedOff;
    if (state != ObrixLogon::LoggedOn) {
        if (!Obrix().Authorize || Obrix().Authorize() != 1)
            return false;
        LoadBox(LoadedForAuthorization);
    }
    EnsureFrame();
    return true;
}

void CTrovaneApp::EnsureFrame() {
    if (m_frame)
        return;
    CTrovaneFrameActions actions;
    actions.body = [this](CTrovaneMessage& entry) { return entry.Body(*m_link); };
    actions.markRead = [this](const CTrovaneMessage& entry) {
        if (Obrix().SetReadMessage)
            Obrix().SetReadMessage(KindReceived,
                                   reinterpret_cast<const char16_t*>(entry.GetMessageID().utf16()));
    };
    actions.messageDir = [this] {
        return Text(Obrix().GetMessageDir ? Obrix().GetMessageDir() : nullptr);
    };
    actions.beginMessage = [this](int kind, CTrovaneMessage* entry) { BeginMessage(kind, entry); };
    actions.setDogear = [this](CTrovaneMessage& entry, bool on) { SetDogear(entry, on); };
    actions.removeFromCore = [this](const CTrovaneMessage& entry) {
        const QString id = entry.GetMessageID();
        if (Obrix().RemoveMessage)
            Obrix().RemoveMessage(entry.Kind(), reinterpret_cast<const char16_t*>(id.utf16()));
    };
    actions.property = [this](const CTrovaneMessage& entry) {
        // The message properties module takes the message kind and the message ID.
        const QString id = entry.GetMessageID();
        if (Obrix().Begin)
            Obrix().Begin(ObrixModule::MessageProperty, entry.Kind(),
                          reinterpret_cast<intptr_t>(id.utf16()));
    };
    actions.help = [this] {
        if (Obrix().Help)
            Obrix().Help();
    };
    actions.version = [this] {
        if (Obrix().Version)
            Obrix().Version();
    };
    actions.restore = [this] { Restore(); };
    actions.exportMessages = [this] { ExportMessages(); };
    actions.importMessages = [this] { ImportMessages(); };
    actions.memberName = [this](const QString& id) { return m_link->MemberName(id); };
    actions.groupName = [this](const QString& id) { return m_link->GroupName(id); };
    actions.question = [this](const QString& title, const QString& text) {
        return m_question && m_question(title, text);
    };
    actions.warn = [this](const QString& title, const QString& text) {
        if (m_warning)
            m_warning(title, text);
    };
    actions.inform = actions.warn;
    actions.savePath = [this](const QString& title, const QString& proposed,
                              const QString& filter) {
        return m_savePath ? m_savePath(title, proposed, filter) : QString();
    };
    actions.openFile = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    m_frame = new CTrovaneFrame(m_store, m_conditions, Resources(), std::move(actions));
    m_frame->SetOnHidden([this] { WriteAbnormal(0); });
    // "Top" holds the horizontal position and "Left" the vertical one.
    CTrovanePlacement placement;
    placement.window = QRect(ReadSetting(u"Top", 0), ReadSetting(u"Left", 0),
                             ReadSetting(u"Width", 640), ReadSetting(u"Height", 460));
    placement.treeWidth = ReadSetting(u"TreeWidth", 200);
    placement.listHeight = ReadSetting(u"ListHeight", 140);
    m_frame->SetPlacement(placement);
}

void CTrovaneApp::DestroyFrame() {
    if (!m_frame)
        return;
    const CTrovanePlacement placement = m_frame->Placement();
    WriteSetting(u"Top", placement.window.x());
    WriteSetting(u"Left", placement.window.y());
    WriteSetting(u"Width", placement.window.width());
    WriteSetting(u"Height", placement.window.height());
    WriteSetting(u"TreeWidth", placement.treeWidth);
    WriteSetting(u"ListHeight", placement.listHeight);
    m_frame->HideOrderly();
    delete m_frame.data();
}

int CTrovaneApp::ReadSetting(const char16_t* key, int fallback) const {
    return Obrix().ReadRegInt
               ? Obrix().ReadRegInt(1, ObrixModule::MessageBox, kSection, key, fallback)
               : fallback;
}

void CTrovaneApp::WriteSetting(const char16_t* key, int value) const {
    if (Obrix().WriteRegInt)
        Obrix().WriteRegInt(1, ObrixModule::MessageBox, kSection, key, value);
}

void CTrovaneApp::WriteAbnormal(int value) {
    WriteSetting(kAbnormalKey, value);
}

void CTrovaneApp::BeginMessage(int kind, CTrovaneMessage* entry) {
    if (!Obrix().Begin)
        return;
    if (!entry) {
        // A new message: the request names no earlier message.
        const tagMESBEGIN request{5, nullptr};
        Obrix().Begin(ObrixModule::Message, MessageBegin::New,
                      reinterpret_cast<intptr_t>(&request));
        return;
    }
    entry->Body(*m_link);
    const tagMESBEGIN request{uint32_t(entry->Kind()), *entry};
    Obrix().Begin(ObrixModule::Message, kind, reinterpret_cast<intptr_t>(&request));
    if (kind != MessageBegin::EditDraft || !entry->IsDraft())
        return;
    // The compose window holds the draft now; saving it again files it anew.
    const QString id = entry->GetMessageID();
    if (Obrix().RemoveMessage)
        Obrix().RemoveMessage(KindDraft, reinterpret_cast<const char16_t*>(id.utf16()));
    m_store.DeleteEntry(entry);
    if (m_frame)
        m_frame->Refresh();
}

void CTrovaneApp::SetDogear(CTrovaneMessage& entry, bool on) {
    const QString id = entry.GetMessageID();
    const uint32_t flags =
        on ? entry.GetFlags() | LETRIX_FLAG_DOGEAR : entry.GetFlags() & ~LETRIX_FLAG_DOGEAR;
    m_store.ChangeFlags(id, flags, entry.IsReceivedEntry());
    if (Obrix().SetDogearMessage)
        Obrix().SetDogearMessage(entry.Kind(), reinterpret_cast<const char16_t*>(id.utf16()),
                                 on ? 1 : 0);
}

void CTrovaneApp::ShowWindow() {
    EnsureFrame();
    const int32_t abnormal = Obrix().ReadRegInt ? Obrix().ReadRegInt(1, ObrixModule::MessageBox,
                                                                     kSection, kAbnormalKey, 0)
                                                : 0;
    WriteAbnormal(1);
    m_frame->showNormal();
    m_frame->raise();
    m_frame->activateWindow();
    const bool firstShow = m_firstShow;
    m_firstShow = false;
    if (abnormal != 0 && firstShow && m_question &&
        m_question(CResourceLoader::LoadString(Resources(), kTitleText),
                   CResourceLoader::LoadString(Resources(), kAbnormalQuestionText)) &&
        m_frame && m_frame->isVisible())
        Restore();
}
