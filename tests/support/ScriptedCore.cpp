#include "ScriptedCore.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/CIMMember.h"
#include "obrix/CIMMesTime.h"
#include "obrix/CIMPreset.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"
#include "obrix/ObrixTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct State {
    int32_t ownModule = 7;
    QString root;
    QString userId = QStringLiteral("user");
    int32_t logonState = ObrixLogon::LoggedOn;
    std::unique_ptr<CIMGroup> groups;
    std::map<QString, std::unique_ptr<CIMGrpMember>> membershipCopies;
    QHash<QString, CIMMember> members;
    int directoryReads = 0;
    QHash<QString, std::shared_ptr<CLetrix>> boxes[3];
    QList<CLetrix> sent;
    QList<CLetrix> drafts;
    QList<CIMPreset> statuses;
    std::map<tagLETRIX*, std::unique_ptr<CLetrix>> handedOut;
    std::map<tagIMMESTIME*, std::unique_ptr<CIMMesTime>> handedOutTimes;
    uint64_t attachmentLimit = 10u * 1024 * 1024;
    QHash<QString, QVariant> settings;
    int writes = 0;
    int foreign = 0;
    QStringList calls;
    QHash<QString, int32_t> results;
    QSet<int32_t> presentModules;
    QStringList logLines;
    HWND mainWnd = nullptr;
    int32_t nextChat = 1;
    int32_t nextDraft = 1;
    // What the next import hands out: drafts, sent and received message IDs.
    std::optional<std::array<QStringList, 3>> importIds;
    int importsOutstanding = 0;
};

State& S() {
    static State state;
    return state;
}

// The resource module stays open for the life of the process, like the core's.
void* Resources() {
    static void* handle = CResourceLoader::OpenModule(
        CResourceLoader::ModulePath(qEnvironmentVariable("ZELTA_OUT_DIR")));
    return handle;
}

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

QString Key(const char16_t* section, const char16_t* key) {
    return Text(section) + u'/' + Text(key);
}

bool Ours(int32_t scope, int32_t module) {
    if (scope == 1 && module == S().ownModule)
        return true;
    ++S().foreign;
    return false;
}

void Log(const QString& name, const QStringList& args = {}) {
    S().calls.append((QStringList{name} + args).join(u'\t'));
}

int32_t Result(const QString& name, int32_t natural = 1) {
    return S().results.value(name, natural);
}

// Strings handed out by pointer live as long as the process, so that no caller depends on
// copying before the next call.
const char16_t* Hand(const QString& text) {
    static QSet<QString> pool;
    return reinterpret_cast<const char16_t*>(pool.insert(text)->utf16());
}

QString Dir(const QString& below) {
    return S().root.isEmpty() ? QString() : S().root + u'/' + below;
}

const char16_t* HandDir(const QString& below) {
    const QString dir = Dir(below);
    return dir.isEmpty() ? nullptr : Hand(dir);
}

CIMGroup* Find(const QString& id) {
    return S().groups ? S().groups->SearchID(id) : nullptr;
}

CIMGroup* LastOf(CIMGroup* g) {
    while (g->GetBros())
        g = g->GetBros();
    return g;
}

int CountGroups(const CIMGroup* g) {
    int n = 0;
    for (; g; g = g->GetBros())
        n += 1 + CountGroups(g->GetChild());
    return n;
}

tagLETRIX* HandOut(const CLetrix& message) {
    auto copy = std::make_unique<CLetrix>(message);
    tagLETRIX* record = *copy;
    S().handedOut[record] = std::move(copy);
    return record;
}

int32_t CopyOut(const QString& text, char16_t* buffer, int32_t bufferChars) {
    if (!buffer || bufferChars <= 0)
        return 0;
    const QString cut = text.left(bufferChars - 1);
    std::copy(cut.utf16(), cut.utf16() + cut.size(), buffer);
    buffer[cut.size()] = 0;
    return int32_t(cut.size()) + 1;
}

QString BoxName(int32_t box) {
    return QString::number(box);
}

// Flags of a stored message changed by a mark call; 0 when there is no such message.
int32_t Mark(const QString& name, int32_t box, const char16_t* id, uint32_t set, uint32_t clear) {
    Log(name, {BoxName(box), Text(id)});
    if (box < 0 || box > 2)
        return 0;
    const auto found = S().boxes[box].value(Text(id));
    if (!found)
        return 0;
    const int32_t result = Result(name);
    if (result)
        found->SetFlags((found->GetFlags() | set) & ~clear);
    return result;
}

} // namespace

namespace ScriptedCore {

void Reset(int32_t ownModule) {
    S() = State();
    S().ownModule = ownModule;
}

void SetRoot(const QString& root) {
    S().root = root;
}

void SetUserId(const QString& id) {
    S().userId = id;
}

void SetLogonState(int32_t state) {
    S().logonState = state;
}

void AddGroup(const QString& id, const QString& name, const QString& parentId) {
    CIMGroup* added = nullptr;
    if (parentId.isEmpty()) {
        if (!S().groups)
            added = (S().groups = std::make_unique<CIMGroup>()).get();
        else
            added = LastOf(S().groups.get())->CreateBros();
    } else if (CIMGroup* parent = Find(parentId)) {
        added =
            parent->GetChild() ? LastOf(parent->GetChild())->CreateBros() : parent->CreateChild();
    }
    if (added) {
        added->SetID(id);
        added->SetName(name);
    }
}

void AddMembership(const QString& groupId, const QString& memberId, const QString& name,
                   const QString& status, int32_t role) {
    if (CIMGroup* g = Find(groupId)) {
        CIMGrpMember* m = g->AddMember(memberId);
        m->SetName(name);
        m->SetStatus(status);
        m->SetRole(tageIMROLE(role));
    }
}

void RemoveMembership(const QString& groupId, const QString& memberId) {
    if (CIMGroup* g = Find(groupId))
        g->RemoveMember(memberId);
}

void SetStatus(const QString& groupId, const QString& memberId, const QString& status) {
    if (CIMGroup* g = Find(groupId)) {
        if (CIMGrpMember* m = g->GetMember(memberId))
            m->SetStatus(status);
    }
}

void AddMember(const QString& id, const QString& family, const QString& middle,
               const QString& first) {
    CIMMember m;
    m.SetID(id);
    m.SetFamilyName(family, 1);
    m.SetMiddleName(middle, 1);
    m.SetFirstName(first, 1);
    // The other name set differs, so that a caller reading the wrong one shows it.
    m.SetFamilyName(QStringLiteral("kana-") + family, 0);
    S().members.insert(id, m);
}

int DirectoryReads() {
    return S().directoryReads;
}

void AddMessage(int32_t box, const CLetrix& message) {
    if (box >= 0 && box <= 2)
        S().boxes[box].insert(message.GetMessageID(), std::make_shared<CLetrix>(message));
}

void AddSentMessage(const CLetrix& message) {
    AddMessage(ObrixBox::Sent, message);
}

std::optional<uint32_t> MessageFlags(int32_t box, const QString& id) {
    if (box < 0 || box > 2)
        return std::nullopt;
    const auto found = S().boxes[box].value(id);
    return found ? std::optional<uint32_t>(found->GetFlags()) : std::nullopt;
}

QList<CLetrix> SentMessages() {
    return S().sent;
}

QList<CLetrix> SavedDrafts() {
    return S().drafts;
}

QList<CIMPreset> SentStatuses() {
    return S().statuses;
}

int OutstandingMessages() {
    return int(S().handedOut.size() + S().handedOutTimes.size());
}

void SetAttachmentLimit(uint64_t bytes) {
    S().attachmentLimit = bytes;
}

void SetImportIds(const QStringList& drafts, const QStringList& sent, const QStringList& received) {
    S().importIds = std::array<QStringList, 3>{drafts, sent, received};
}

int OutstandingImports() {
    return S().importsOutstanding;
}

void SetInt(const QString& section, const QString& key, int32_t value) {
    S().settings.insert(section + u'/' + key, value);
}

void SetString(const QString& section, const QString& key, const QString& value) {
    S().settings.insert(section + u'/' + key, value);
}

void SetBinary(const QString& section, const QString& key, const QByteArray& value) {
    S().settings.insert(section + u'/' + key, value);
}

namespace {
template <typename T> std::optional<T> Stored(const QString& section, const QString& key) {
    const QVariant v = S().settings.value(section + u'/' + key);
    if (v.typeId() != QMetaType::fromType<T>().id())
        return std::nullopt;
    return v.value<T>();
}
} // namespace

std::optional<int32_t> StoredInt(const QString& section, const QString& key) {
    return Stored<int>(section, key);
}

std::optional<QString> StoredString(const QString& section, const QString& key) {
    return Stored<QString>(section, key);
}

std::optional<QByteArray> StoredBinary(const QString& section, const QString& key) {
    return Stored<QByteArray>(section, key);
}

int WriteCount() {
    return S().writes;
}

int ForeignSettingCalls() {
    return S().foreign;
}

QStringList Calls() {
    return S().calls;
}

QStringList CallsOf(const QString& name) {
    QStringList out;
    for (const QString& line : S().calls)
        if (line == name || line.startsWith(name + u'\t'))
            out.append(line);
    return out;
}

void ClearCalls() {
    S().calls.clear();
}

void SetResult(const QString& name, int32_t result) {
    S().results.insert(name, result);
}

void SetModulePresent(int32_t module, bool present) {
    if (present)
        S().presentModules.insert(module);
    else
        S().presentModules.remove(module);
}

QStringList LogLines() {
    return S().logLines;
}

} // namespace ScriptedCore

// ---- paths and windows ----

ZELTA_C_EXPORT const char16_t* OBRIX_GetAppDir() {
    return HandDir(QStringLiteral("app/"));
}
ZELTA_C_EXPORT const char16_t* OBRIX_GetUserDir() {
    return HandDir(QStringLiteral("user/"));
}
ZELTA_C_EXPORT const char16_t* OBRIX_GetAccountDir() {
    return HandDir(QStringLiteral("account/"));
}
ZELTA_C_EXPORT const char16_t* OBRIX_GetModuleDir(int32_t module) {
    return HandDir(QStringLiteral("account/module%1/").arg(module));
}
ZELTA_C_EXPORT const char16_t* OBRIX_GetMessageDir() {
    return HandDir(QStringLiteral("account/message/"));
}
ZELTA_C_EXPORT int32_t OBRIX_SetMainWnd(HWND wnd) {
    S().mainWnd = wnd;
    return 1;
}
ZELTA_C_EXPORT HWND OBRIX_GetMainWnd() {
    return S().mainWnd;
}
ZELTA_C_EXPORT uint32_t OBRIX_GetOSVersion() {
    return 0;
}
ZELTA_C_EXPORT void* OBRIX_GetResHandle() {
    return Resources();
}
ZELTA_C_EXPORT void* OBRIX_GetIMResHandle() {
    return Resources();
}

// ---- control ----

ZELTA_C_EXPORT int32_t OBRIX_Begin(int32_t module, int32_t kind, intptr_t data) {
    Log(QStringLiteral("Begin"),
        {QString::number(module), QString::number(kind), QString::number(data != 0)});
    return Result(QStringLiteral("Begin"));
}
ZELTA_C_EXPORT void OBRIX_Kill() {
    Log(QStringLiteral("Kill"));
}
ZELTA_C_EXPORT void OBRIX_Help() {
    Log(QStringLiteral("Help"));
}
ZELTA_C_EXPORT void OBRIX_Version() {
    Log(QStringLiteral("Version"));
}
ZELTA_C_EXPORT int32_t OBRIX_Option(int32_t module) {
    Log(QStringLiteral("Option"), {QString::number(module)});
    return Result(QStringLiteral("Option"));
}
ZELTA_C_EXPORT int32_t OBRIX_ShowOption() {
    Log(QStringLiteral("ShowOption"));
    return Result(QStringLiteral("ShowOption"));
}
ZELTA_C_EXPORT int32_t OBRIX_AddOptionPage(HWND* pages, int32_t count) {
    Log(QStringLiteral("AddOptionPage"), {QString::number(pages ? count : 0)});
    return Result(QStringLiteral("AddOptionPage"));
}

// ---- log-on ----

ZELTA_C_EXPORT int32_t OBRIX_Logon(int32_t flags, int32_t reserved) {
    Log(QStringLiteral("Logon"), {QString::number(flags), QString::number(reserved)});
    return Result(QStringLiteral("Logon"));
}
ZELTA_C_EXPORT int32_t OBRIX_Logoff(int32_t flags, int32_t reserved) {
    Log(QStringLiteral("Logoff"), {QString::number(flags), QString::number(reserved)});
    return Result(QStringLiteral("Logoff"));
}
ZELTA_C_EXPORT int32_t OBRIX_GetLogonState() {
    return S().logonState;
}
ZELTA_C_EXPORT int32_t OBRIX_Authorize() {
    Log(QStringLiteral("Authorize"));
    return Result(QStringLiteral("Authorize"));
}
ZELTA_C_EXPORT const char16_t* OBRIX_GetUserID() {
    return Hand(S().userId);
}
ZELTA_C_EXPORT int32_t OBRIX_SendStatus(const tagIMSTATUS* status) {
    if (!status)
        return 0;
    CIMPreset copy;
    copy.SetBuffer(status);
    S().statuses.append(copy);
    Log(QStringLiteral("SendStatus"), {copy.GetStatus()});
    return Result(QStringLiteral("SendStatus"));
}

// ---- directory ----

ZELTA_C_EXPORT int32_t OBRIX_GetGroupCount(int32_t) {
    return CountGroups(S().groups.get());
}
ZELTA_C_EXPORT const tagIMGROUP* OBRIX_GetGroup(const char16_t* groupId) {
    ++S().directoryReads;
    const CIMGroup* g = Find(Text(groupId));
    return g ? static_cast<const tagIMGROUP*>(*g) : nullptr;
}
ZELTA_C_EXPORT const tagIMGROUP* OBRIX_GetGroupAll() {
    ++S().directoryReads;
    return S().groups ? static_cast<const tagIMGROUP*>(*S().groups) : nullptr;
}
ZELTA_C_EXPORT const tagIMGRPMEMBER* OBRIX_GetGroupMembers(const char16_t* groupId,
                                                           const char16_t* memberId) {
    ++S().directoryReads;
    CIMGroup* g = Find(Text(groupId));
    if (!g)
        return nullptr;
    // Without a member: the group's chain. With one: a copy of that membership alone.
    if (Text(memberId).isEmpty())
        return g->GetMember() ? static_cast<const tagIMGRPMEMBER*>(*g->GetMember()) : nullptr;
    CIMGrpMember* found = g->GetMember(Text(memberId));
    if (!found)
        return nullptr;
    auto& copy = S().membershipCopies[Text(groupId) + u'\n' + Text(memberId)];
    copy = std::make_unique<CIMGrpMember>();
    copy->SetID(found->GetID());
    copy->SetName(found->GetName());
    copy->SetRole(found->GetRole());
    static_cast<CAvalin&>(*copy) = *found;
    return *copy;
}
ZELTA_C_EXPORT const tagIMMEMBER* OBRIX_GetMember(const char16_t* memberId) {
    auto it = S().members.constFind(Text(memberId));
    return it == S().members.constEnd() ? nullptr : static_cast<const tagIMMEMBER*>(*it);
}

// ---- messages ----

ZELTA_C_EXPORT int32_t OBRIX_SendMessage(const tagLETRIX* message) {
    if (!message)
        return 0;
    const CLetrix copy(message);
    Log(QStringLiteral("SendMessage"), {copy.GetMessageID()});
    const int32_t result = Result(QStringLiteral("SendMessage"));
    if (result)
        S().sent.append(copy);
    return result;
}
ZELTA_C_EXPORT int32_t OBRIX_SetReadMessage(int32_t box, const char16_t* messageId) {
    return Mark(QStringLiteral("SetReadMessage"), box, messageId, 0x1, 0);
}
ZELTA_C_EXPORT int32_t OBRIX_SetReplyMessage(int32_t box, const char16_t* messageId) {
    return Mark(QStringLiteral("SetReplyMessage"), box, messageId, 0, 0);
}
ZELTA_C_EXPORT int32_t OBRIX_SetForwardMessage(int32_t box, const char16_t* messageId) {
    return Mark(QStringLiteral("SetForwardMessage"), box, messageId, 0, 0);
}
ZELTA_C_EXPORT int32_t OBRIX_SetDogearMessage(int32_t box, const char16_t* messageId, int32_t on) {
    Log(QStringLiteral("SetDogearMessage"), {BoxName(box), Text(messageId), QString::number(on)});
    return Result(QStringLiteral("SetDogearMessage"));
}
ZELTA_C_EXPORT tagLETRIX* OBRIX_GetMessage(int32_t box, const char16_t* messageId) {
    if (box < 0 || box > 2)
        return nullptr;
    const auto found = S().boxes[box].value(Text(messageId));
    return found ? HandOut(*found) : nullptr;
}
ZELTA_C_EXPORT int32_t OBRIX_RemoveMessage(int32_t box, const char16_t* messageId) {
    Log(QStringLiteral("RemoveMessage"), {BoxName(box), Text(messageId)});
    if (box < 0 || box > 2)
        return 0;
    const int32_t result = Result(QStringLiteral("RemoveMessage"));
    if (result)
        S().boxes[box].remove(Text(messageId));
    return result;
}
ZELTA_C_EXPORT int32_t OBRIX_SaveDraftMessage(const tagLETRIX* message, char16_t* idBuffer,
                                              int32_t bufferChars) {
    if (!message)
        return 0;
    CLetrix copy(message);
    if (copy.GetMessageID().isEmpty())
        copy.SetMessageID(QStringLiteral("draft-%1").arg(S().nextDraft++));
    Log(QStringLiteral("SaveDraftMessage"), {copy.GetMessageID()});
    const int32_t result = Result(QStringLiteral("SaveDraftMessage"));
    if (!result)
        return 0;
    S().drafts.append(copy);
    ScriptedCore::AddMessage(ObrixBox::Draft, copy);
    CopyOut(copy.GetMessageID(), idBuffer, bufferChars);
    return result;
}
ZELTA_C_EXPORT tagLETRIX* OBRIX_DuplicateLetrix(const tagLETRIX* message) {
    return message ? HandOut(CLetrix(message)) : nullptr;
}
ZELTA_C_EXPORT tagIMMESTIME* OBRIX_DuplicateIMMesTime(const tagIMMESTIME* destination) {
    if (!destination)
        return nullptr;
    auto copy = std::make_unique<CIMMesTime>();
    *copy = destination;
    tagIMMESTIME* record = *copy;
    S().handedOutTimes[record] = std::move(copy);
    return record;
}
ZELTA_C_EXPORT void OBRIX_CleanupLetrix(tagLETRIX* message) {
    S().handedOut.erase(message);
}
ZELTA_C_EXPORT void OBRIX_CleanupIMMesTime(tagIMMESTIME* destination) {
    S().handedOutTimes.erase(destination);
}
ZELTA_C_EXPORT uint64_t OBRIX_QueryMTS() {
    return S().attachmentLimit;
}
ZELTA_C_EXPORT int32_t OBRIX_ExportMessage(const char16_t* path, const tagIMEXPORTCOUNT* counts,
                                           const char16_t* const* ids) {
    QStringList args{Text(path)};
    if (counts && ids) {
        const uint64_t total = counts->nDraft + counts->nSent + counts->nRecv;
        for (uint64_t i = 0; i < total; ++i)
            args.append(Text(ids[i]));
    }
    Log(QStringLiteral("ExportMessage"), args);
    return Result(QStringLiteral("ExportMessage"));
}
ZELTA_C_EXPORT int32_t OBRIX_ImportMessage(const char16_t* path, char16_t*** ids,
                                           tagIMEXPORTCOUNT* counts) {
    Log(QStringLiteral("ImportMessage"), {Text(path)});
    if (!ids || !counts)
        return 0;
    *ids = nullptr;
    *counts = {};
    const int32_t result = Result(QStringLiteral("ImportMessage"), S().importIds ? 1 : 0);
    if (!result || !S().importIds)
        return result;
    const std::array<QStringList, 3>& groups = *S().importIds;
    const QStringList all = groups[0] + groups[1] + groups[2];
    // Handed out as the core does: an array of zero-terminated strings, released with
    // OBRIX_CleanupImport.
    auto** array = static_cast<char16_t**>(malloc(sizeof(char16_t*) * size_t(all.size() + 1)));
    for (qsizetype i = 0; i < all.size(); ++i) {
        array[i] = static_cast<char16_t*>(malloc(sizeof(char16_t) * size_t(all[i].size() + 1)));
        memcpy(array[i], all[i].utf16(), sizeof(char16_t) * size_t(all[i].size() + 1));
    }
    *ids = array;
    *counts = {uint64_t(groups[0].size()), uint64_t(groups[1].size()), uint64_t(groups[2].size())};
    S().importsOutstanding += int(all.size());
    return result;
}
ZELTA_C_EXPORT void OBRIX_CleanupImport(char16_t** ids, uint64_t total) {
    Log(QStringLiteral("CleanupImport"), {QString::number(total)});
    if (ids)
        for (uint64_t i = 0; i < total; ++i) {
            free(ids[i]);
            --S().importsOutstanding;
        }
    free(ids);
}

// ---- services ----

ZELTA_C_EXPORT int32_t OBRIX_ConvUtcToLocalTime(const SYSTEMTIME* utc, SYSTEMTIME* local) {
    if (!utc || !local)
        return 0;
    *local = ObrixTime::UtcToLocal(*utc);
    return 1;
}
ZELTA_C_EXPORT void OBRIX_SaveLog(int32_t category, int32_t level, const char16_t* text) {
    S().logLines.append(
        QStringLiteral("%1\t%2\t%3").arg(category).arg(level).arg(Text(text)));
}
ZELTA_C_EXPORT int32_t OBRIX_ReadRegBinary(int32_t scope, int32_t module, const char16_t* section,
                                           const char16_t* name, uint8_t* buffer,
                                           int32_t bufferBytes) {
    if (!Ours(scope, module))
        return 0;
    const QVariant v = S().settings.value(Key(section, name));
    if (v.typeId() != QMetaType::QByteArray)
        return 0;
    const QByteArray data = v.toByteArray();
    if (buffer && bufferBytes > 0)
        std::memcpy(buffer, data.constData(), size_t(std::min<qsizetype>(data.size(), bufferBytes)));
    return int32_t(data.size());
}
ZELTA_C_EXPORT int32_t OBRIX_ReadRegInt(int32_t scope, int32_t module, const char16_t* section,
                                        const char16_t* name, int32_t defaultValue) {
    if (!Ours(scope, module))
        return defaultValue;
    const QVariant v = S().settings.value(Key(section, name));
    return v.typeId() == QMetaType::Int ? v.toInt() : defaultValue;
}
ZELTA_C_EXPORT int32_t OBRIX_ReadRegString(int32_t scope, int32_t module, const char16_t* section,
                                           const char16_t* name, char16_t* buffer,
                                           int32_t bufferChars, const char16_t* defaultText) {
    QString text = Text(defaultText);
    if (Ours(scope, module)) {
        const QVariant v = S().settings.value(Key(section, name));
        if (v.typeId() == QMetaType::QString)
            text = v.toString();
    }
    return CopyOut(text, buffer, bufferChars);
}
ZELTA_C_EXPORT int32_t OBRIX_WriteRegBinary(int32_t scope, int32_t module, const char16_t* section,
                                            const char16_t* name, const uint8_t* data,
                                            int32_t bytes) {
    if (!Ours(scope, module) || bytes < 0 || (!data && bytes > 0))
        return 0;
    ++S().writes;
    S().settings.insert(Key(section, name),
                        QByteArray(reinterpret_cast<const char*>(data), bytes));
    return 1;
}
ZELTA_C_EXPORT int32_t OBRIX_WriteRegInt(int32_t scope, int32_t module, const char16_t* section,
                                         const char16_t* name, int32_t value) {
    if (!Ours(scope, module))
        return 0;
    ++S().writes;
    S().settings.insert(Key(section, name), value);
    return 1;
}
ZELTA_C_EXPORT int32_t OBRIX_WriteRegString(int32_t scope, int32_t module, const char16_t* section,
                                            const char16_t* name, const char16_t* text) {
    if (!Ours(scope, module))
        return 0;
    ++S().writes;
    S().settings.insert(Key(section, name), Text(text));
    return 1;
}
ZELTA_C_EXPORT int32_t OBRIX_ReadFile(const char16_t* path, uint8_t** buffer, uint32_t* length) {
    if (!path || !buffer || !length)
        return 0;
    *buffer = nullptr;
    *length = 0;
    QFile file(Text(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = file.readAll();
    *buffer = static_cast<uint8_t*>(malloc(size_t(std::max<qsizetype>(data.size(), 1))));
    if (!*buffer)
        return 0;
    std::memcpy(*buffer, data.constData(), size_t(data.size()));
    *length = uint32_t(data.size());
    return 1;
}
ZELTA_C_EXPORT int32_t OBRIX_WriteFile(const char16_t* path, const uint8_t* data, uint32_t length,
                                       int32_t createDirs) {
    if (!path || (!data && length > 0))
        return 0;
    const QString target = Text(path);
    if (createDirs)
        QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(length));
    return file.commit() ? 1 : 0;
}
ZELTA_C_EXPORT int32_t OBRIX_GetAppDataInt(const char16_t*, const char16_t*, int32_t defaultValue,
                                           int32_t) {
    return defaultValue;
}
ZELTA_C_EXPORT int32_t OBRIX_GetAppDataBool(const char16_t*, const char16_t*, int32_t defaultValue,
                                            int32_t) {
    return defaultValue;
}
ZELTA_C_EXPORT int32_t OBRIX_GetAppDataString(const char16_t*, const char16_t*, char16_t* buffer,
                                              int32_t bufferChars, const char16_t* defaultText,
                                              int32_t) {
    return CopyOut(Text(defaultText), buffer, bufferChars);
}
// Sealing is the identity here with a one-byte mark, enough for a plug-in's round trip.
ZELTA_C_EXPORT int32_t OBRIX_Encrypt(const uint8_t* in, int32_t inBytes, uint8_t* out,
                                     int32_t outBytes) {
    if (inBytes < 0 || (!in && inBytes > 0))
        return 0;
    if (!out)
        return inBytes + 1;
    if (outBytes < inBytes + 1)
        return 0;
    out[0] = 0x5A;
    if (inBytes > 0)
        std::memcpy(out + 1, in, size_t(inBytes));
    return inBytes + 1;
}
ZELTA_C_EXPORT int32_t OBRIX_Decrypt(const uint8_t* in, int32_t inBytes, uint8_t* out,
                                     int32_t outBytes) {
    if (inBytes < 1 || !in || in[0] != 0x5A)
        return 0;
    if (!out)
        return inBytes - 1;
    if (outBytes < inBytes - 1)
        return 0;
    std::memcpy(out, in + 1, size_t(inBytes - 1));
    return inBytes - 1;
}
ZELTA_C_EXPORT int32_t OBRIX_IsExistModule(int32_t module, const char16_t*) {
    return S().presentModules.contains(module) ? 1 : 0;
}

// ---- chats ----

ZELTA_C_EXPORT int32_t OBRIX_ChatCreate() {
    Log(QStringLiteral("ChatCreate"));
    return Result(QStringLiteral("ChatCreate"), S().nextChat++);
}
ZELTA_C_EXPORT int32_t OBRIX_ChatJoin(int32_t chat) {
    Log(QStringLiteral("ChatJoin"), {QString::number(chat)});
    return Result(QStringLiteral("ChatJoin"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatTalk(int32_t chat, const char16_t* html) {
    Log(QStringLiteral("ChatTalk"), {QString::number(chat), Text(html)});
    return Result(QStringLiteral("ChatTalk"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatUpdate(int32_t chat) {
    Log(QStringLiteral("ChatUpdate"), {QString::number(chat)});
    return Result(QStringLiteral("ChatUpdate"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatInvite(int32_t chat, const char16_t* memberId) {
    Log(QStringLiteral("ChatInvite"), {QString::number(chat), Text(memberId)});
    return Result(QStringLiteral("ChatInvite"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatDecline(int32_t chat, int32_t refused) {
    Log(QStringLiteral("ChatDecline"), {QString::number(chat), QString::number(refused)});
    return Result(QStringLiteral("ChatDecline"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatClose(int32_t chat) {
    Log(QStringLiteral("ChatClose"), {QString::number(chat)});
    return Result(QStringLiteral("ChatClose"));
}
ZELTA_C_EXPORT int32_t OBRIX_ChatGetAllLog(int32_t chat) {
    Log(QStringLiteral("ChatGetAllLog"), {QString::number(chat)});
    return Result(QStringLiteral("ChatGetAllLog"));
}
