// The OBRIX_ functions: the messaging core as the object library and the IM plug-ins call it.
// Every export checks its arguments, serves the current core and never lets an exception out.
#include "kernova/ObrixExports.h"

#include "kernova/CKernovaCore.h"
#include "kernova/CPasswordVault.h"
#include "obrix/CIMPreset.h"
#include "obrix/ObrixApi.h"
#include "obrix/ObrixTime.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

enum HeldSlot {
    AppDirSlot,
    UserDirSlot,
    AccountDirSlot,
    MessageDirSlot,
    UserIdSlot,
    ModuleDirSlot
};

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

// Runs f with the current core; `fallback` when there is none or f throws.
template <typename R, typename F> R WithCore(R fallback, F f) {
    CKernovaCore* core = CKernovaCore::Instance();
    if (!core)
        return fallback;
    try {
        return f(*core);
    } catch (const std::exception&) {
        return fallback;
    } catch (...) {
        return fallback;
    }
}

template <typename F> void WithCoreVoid(F f) {
    WithCore(0, [&](CKernovaCore& core) {
        f(core);
        return 0;
    });
}

// Copies text into a caller's buffer, cut to fit and terminated; the full length is returned.
int32_t CopyOut(const QString& text, char16_t* buffer, int32_t bufferChars) {
    if (buffer && bufferChars > 0) {
        const qsizetype n = qMin<qsizetype>(text.size(), bufferChars - 1);
        std::memcpy(buffer, text.utf16(), size_t(n) * sizeof(char16_t));
        buffer[n] = 0;
    }
    return int32_t(text.size());
}

} // namespace

// ---- Paths, windows ----

const char16_t* OBRIX_GetAppDir() {
    return WithCore<const char16_t*>(
        u"", [](CKernovaCore& c) { return c.Hold(AppDirSlot, c.AppDir()); });
}
const char16_t* OBRIX_GetUserDir() {
    return WithCore<const char16_t*>(
        u"", [](CKernovaCore& c) { return c.Hold(UserDirSlot, c.UserDir()); });
}
const char16_t* OBRIX_GetAccountDir() {
    return WithCore<const char16_t*>(
        u"", [](CKernovaCore& c) { return c.Hold(AccountDirSlot, c.AccountDir()); });
}
const char16_t* OBRIX_GetModuleDir(int32_t module) {
    return WithCore<const char16_t*>(u"", [module](CKernovaCore& c) {
        return c.Hold(ModuleDirSlot + 1000 + qint64(module), c.ModuleDir(module));
    });
}
const char16_t* OBRIX_GetMessageDir() {
    return WithCore<const char16_t*>(
        u"", [](CKernovaCore& c) { return c.Hold(MessageDirSlot, c.MessageDir()); });
}
int32_t OBRIX_SetMainWnd(HWND wnd) {
    return WithCore(0, [wnd](CKernovaCore& c) { return c.Host().SetMainWnd(wnd); });
}
HWND OBRIX_GetMainWnd() {
    return WithCore<HWND>(nullptr, [](CKernovaCore& c) { return c.Host().MainWnd(); });
}
uint32_t OBRIX_GetOSVersion() {
    return WithCore(0u, [](CKernovaCore& c) { return c.Host().OSVersion(); });
}
void* OBRIX_GetResHandle() {
    return WithCore<void*>(nullptr, [](CKernovaCore& c) { return c.Host().ResHandle(); });
}
void* OBRIX_GetIMResHandle() {
    return WithCore<void*>(nullptr, [](CKernovaCore& c) { return c.IMResHandle(); });
}

// ---- Control, options ----

int32_t OBRIX_Begin(int32_t module, int32_t kind, intptr_t data) {
    return WithCore(0, [=](CKernovaCore& c) { return c.Begin(module, kind, data); });
}
void OBRIX_Kill() {
    WithCoreVoid([](CKernovaCore& c) { c.Host().Kill(); });
}
void OBRIX_Help() {
    // No help system is installed with the program; the request is only recorded.
    WithCoreVoid([](CKernovaCore& c) {
        c.Log(0, QStringLiteral("Help was asked for; none is installed."));
    });
}
void OBRIX_Version() {
    WithCoreVoid([](CKernovaCore& c) { c.Host().ShowVersion(); });
}
int32_t OBRIX_Option(int32_t module) {
    return WithCore(0, [module](CKernovaCore& c) { return c.Option(module); });
}
int32_t OBRIX_ShowOption() {
    return WithCore(0, [](CKernovaCore& c) { return c.ShowOption(); });
}
int32_t OBRIX_AddOptionPage(HWND* pages, int32_t count) {
    return WithCore(0, [=](CKernovaCore& c) { return c.AddOptionPage(pages, count); });
}

// ---- Log-on, presence ----

int32_t OBRIX_Logon(int32_t, int32_t) {
    return WithCore(0, [](CKernovaCore& c) { return c.RequestLogon(); });
}
int32_t OBRIX_Logoff(int32_t, int32_t) {
    return WithCore(0, [](CKernovaCore& c) { return c.RequestLogoff(); });
}
int32_t OBRIX_GetLogonState() {
    return WithCore(0, [](CKernovaCore& c) { return c.LogonState(); });
}
int32_t OBRIX_Authorize() {
    return WithCore(0, [](CKernovaCore& c) { return c.Authorize(); });
}
const char16_t* OBRIX_GetUserID() {
    return WithCore<const char16_t*>(
        u"", [](CKernovaCore& c) { return c.Hold(UserIdSlot, c.UserID()); });
}
int32_t OBRIX_SendStatus(const tagIMSTATUS* status) {
    return WithCore(0, [status](CKernovaCore& c) { return c.SendStatus(status); });
}

// ---- Directory ----

int32_t OBRIX_GetGroupCount(int32_t) {
    return WithCore(0, [](CKernovaCore& c) { return int32_t(c.Directory().GroupCount()); });
}
const tagIMGROUP* OBRIX_GetGroup(const char16_t* groupId) {
    return WithCore<const tagIMGROUP*>(
        nullptr, [groupId](CKernovaCore& c) { return c.Directory().Group(Text(groupId)); });
}
const tagIMGROUP* OBRIX_GetGroupAll() {
    return WithCore<const tagIMGROUP*>(nullptr,
                                       [](CKernovaCore& c) { return c.Directory().All(); });
}
const tagIMGRPMEMBER* OBRIX_GetGroupMembers(const char16_t* groupId, const char16_t* memberId) {
    return WithCore<const tagIMGRPMEMBER*>(nullptr, [=](CKernovaCore& c) {
        return c.Directory().Members(Text(groupId), Text(memberId));
    });
}
const tagIMMEMBER* OBRIX_GetMember(const char16_t* memberId) {
    return WithCore<const tagIMMEMBER*>(
        nullptr, [memberId](CKernovaCore& c) { return c.Directory().Member(Text(memberId)); });
}

// ---- Messages ----

int32_t OBRIX_SendMessage(const tagLETRIX* message) {
    return WithCore(0, [message](CKernovaCore& c) { return c.SendMessage(message); });
}
int32_t OBRIX_SetReadMessage(int32_t box, const char16_t* messageId) {
    return WithCore(
        0, [=](CKernovaCore& c) { return int32_t(c.Messages().SetRead(box, Text(messageId))); });
}
int32_t OBRIX_SetReplyMessage(int32_t box, const char16_t* messageId) {
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.Messages().SetFlag(box, Text(messageId), LETRIX_FLAG_REPLY, true));
    });
}
int32_t OBRIX_SetForwardMessage(int32_t box, const char16_t* messageId) {
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.Messages().SetFlag(box, Text(messageId), LETRIX_FLAG_FORWARD, true));
    });
}
int32_t OBRIX_SetDogearMessage(int32_t box, const char16_t* messageId, int32_t on) {
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.Messages().SetFlag(box, Text(messageId), LETRIX_FLAG_DOGEAR, on != 0));
    });
}
tagLETRIX* OBRIX_GetMessage(int32_t box, const char16_t* messageId) {
    return WithCore<tagLETRIX*>(
        nullptr, [=](CKernovaCore& c) { return c.Messages().Get(box, Text(messageId)); });
}
int32_t OBRIX_RemoveMessage(int32_t box, const char16_t* messageId) {
    return WithCore(
        0, [=](CKernovaCore& c) { return int32_t(c.Messages().Remove(box, Text(messageId))); });
}
int32_t OBRIX_SaveDraftMessage(const tagLETRIX* message, char16_t* idBuffer, int32_t bufferChars) {
    return WithCore(0,
                    [=](CKernovaCore& c) { return c.SaveDraft(message, idBuffer, bufferChars); });
}
tagLETRIX* OBRIX_DuplicateLetrix(const tagLETRIX* message) {
    return WithCore<tagLETRIX*>(
        nullptr, [message](CKernovaCore& c) { return c.Messages().Duplicate(message); });
}
tagIMMESTIME* OBRIX_DuplicateIMMesTime(const tagIMMESTIME* destination) {
    return WithCore<tagIMMESTIME*>(nullptr, [destination](CKernovaCore& c) {
        return c.Messages().DuplicateMesTime(destination);
    });
}
void OBRIX_CleanupLetrix(tagLETRIX* message) {
    WithCoreVoid([message](CKernovaCore& c) { c.Messages().Cleanup(message); });
}
void OBRIX_CleanupIMMesTime(tagIMMESTIME* destination) {
    WithCoreVoid([destination](CKernovaCore& c) { c.Messages().CleanupMesTime(destination); });
}
uint64_t OBRIX_QueryMTS() {
    return WithCore<uint64_t>(0,
                              [](CKernovaCore& c) { return uint64_t(c.SendableAttachmentBytes()); });
}
int32_t OBRIX_ExportMessage(const char16_t* path, const tagIMEXPORTCOUNT* counts,
                            const char16_t* const* ids) {
    if (!path || !counts)
        return 0;
    const uint64_t wanted[3] = {counts->nDraft, counts->nSent, counts->nRecv};
    if (wanted[0] + wanted[1] + wanted[2] > 0 && !ids)
        return 0;
    for (const uint64_t n : wanted)
        if (n > uint64_t(INT32_MAX))
            return 0;
    std::array<QStringList, 3> groups;
    for (size_t box = 0, at = 0; box < 3; ++box)
        for (uint64_t i = 0; i < wanted[box]; ++i, ++at)
            groups[box].append(Text(ids[at]));
    return WithCore(0,
                    [&](CKernovaCore& c) { return int32_t(c.ExportMessages(Text(path), groups)); });
}
int32_t OBRIX_ImportMessage(const char16_t* path, char16_t*** ids, tagIMEXPORTCOUNT* counts) {
    if (!ids || !counts)
        return 0;
    *ids = nullptr;
    *counts = {};
    if (!path)
        return 0;
    return WithCore(0, [&](CKernovaCore& c) {
        std::array<QStringList, 3> groups;
        if (!c.ImportMessages(Text(path), &groups))
            return 0;
        // One block: the pointers, then the strings they point at; CleanupImport frees it.
        const size_t total = size_t(groups[0].size() + groups[1].size() + groups[2].size());
        size_t bytes = (total + 1) * sizeof(char16_t*);
        for (const QStringList& g : groups)
            for (const QString& id : g)
                bytes += (size_t(id.size()) + 1) * sizeof(char16_t);
        auto* block = static_cast<char*>(std::malloc(bytes));
        if (!block)
            return 0;
        auto** table = reinterpret_cast<char16_t**>(block);
        auto* text = reinterpret_cast<char16_t*>(block + (total + 1) * sizeof(char16_t*));
        size_t at = 0;
        for (const QStringList& g : groups)
            for (const QString& id : g) {
                table[at++] = text;
                std::memcpy(text, id.utf16(), (size_t(id.size()) + 1) * sizeof(char16_t));
                text += id.size() + 1;
            }
        table[total] = nullptr;
        *ids = table;
        *counts = {uint64_t(groups[0].size()), uint64_t(groups[1].size()),
                   uint64_t(groups[2].size())};
        return 1;
    });
}
void OBRIX_CleanupImport(char16_t** ids, uint64_t) {
    // The array and its strings are one block (see ImportMessage).
    std::free(ids);
}

// ---- Services ----

int32_t OBRIX_ConvUtcToLocalTime(const SYSTEMTIME* utc, SYSTEMTIME* local) {
    if (!utc || !local)
        return 0;
    *local = ObrixTime::UtcToLocal(*utc);
    return 1;
}
void OBRIX_SaveLog(int32_t category, int32_t level, const char16_t* text) {
    WithCoreVoid([=](CKernovaCore& c) { c.Host().SaveLog(category, level, Text(text)); });
}
int32_t OBRIX_ReadRegBinary(int32_t scope, int32_t module, const char16_t* section,
                            const char16_t* name, uint8_t* buffer, int32_t bufferBytes) {
    return WithCore(0, [=](CKernovaCore& c) {
        const QByteArray data = c.ReadRegBinary(scope, module, Text(section), Text(name));
        if (buffer && bufferBytes > 0)
            std::memcpy(buffer, data.constData(),
                        size_t(qMin<qsizetype>(data.size(), bufferBytes)));
        return int32_t(data.size());
    });
}
int32_t OBRIX_ReadRegInt(int32_t scope, int32_t module, const char16_t* section,
                         const char16_t* name, int32_t defaultValue) {
    return WithCore(defaultValue, [=](CKernovaCore& c) {
        return c.ReadRegInt(scope, module, Text(section), Text(name), defaultValue);
    });
}
int32_t OBRIX_ReadRegString(int32_t scope, int32_t module, const char16_t* section,
                            const char16_t* name, char16_t* buffer, int32_t bufferChars,
                            const char16_t* defaultText) {
    const int32_t noCore = CopyOut(Text(defaultText), buffer, bufferChars);
    return WithCore(noCore, [=](CKernovaCore& c) {
        return CopyOut(c.ReadRegString(scope, module, Text(section), Text(name), Text(defaultText)),
                       buffer, bufferChars);
    });
}
int32_t OBRIX_WriteRegBinary(int32_t scope, int32_t module, const char16_t* section,
                             const char16_t* name, const uint8_t* data, int32_t bytes) {
    if (bytes < 0 || (!data && bytes > 0))
        return 0;
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.WriteRegBinary(scope, module, Text(section), Text(name),
                                        QByteArray(reinterpret_cast<const char*>(data), bytes)));
    });
}
int32_t OBRIX_WriteRegInt(int32_t scope, int32_t module, const char16_t* section,
                          const char16_t* name, int32_t value) {
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.WriteRegInt(scope, module, Text(section), Text(name), value));
    });
}
int32_t OBRIX_WriteRegString(int32_t scope, int32_t module, const char16_t* section,
                             const char16_t* name, const char16_t* text) {
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.WriteRegString(scope, module, Text(section), Text(name), Text(text)));
    });
}
int32_t OBRIX_ReadFile(const char16_t* path, uint8_t** buffer, uint32_t* length) {
    if (!path || !buffer || !length)
        return 0;
    *buffer = nullptr;
    *length = 0;
    return WithCore(0, [=](CKernovaCore& c) {
        QByteArray bytes;
        if (!c.ReadWholeFile(Text(path), &bytes))
            return 0;
        // Released by the caller with free(); an empty file still gets a buffer.
        auto* out = static_cast<uint8_t*>(std::malloc(size_t(qMax<qsizetype>(bytes.size(), 1))));
        if (!out)
            return 0;
        std::memcpy(out, bytes.constData(), size_t(bytes.size()));
        *buffer = out;
        *length = uint32_t(bytes.size());
        return 1;
    });
}
int32_t OBRIX_WriteFile(const char16_t* path, const uint8_t* data, uint32_t length,
                        int32_t createDirs) {
    if (!path || (!data && length > 0) || length > uint32_t(CKernovaCore::kMaxReadBytes))
        return 0;
    return WithCore(0, [=](CKernovaCore& c) {
        return int32_t(c.WriteWholeFile(
            Text(path), QByteArray(reinterpret_cast<const char*>(data), qsizetype(length)),
            createDirs != 0));
    });
}
int32_t OBRIX_GetAppDataInt(const char16_t* section, const char16_t* key, int32_t defaultValue,
                            int32_t) {
    return WithCore(defaultValue, [=](CKernovaCore& c) {
        return c.Host().GetAppDataInt(Text(section), Text(key), 1, defaultValue);
    });
}
int32_t OBRIX_GetAppDataBool(const char16_t* section, const char16_t* key, int32_t defaultValue,
                             int32_t) {
    return WithCore(defaultValue, [=](CKernovaCore& c) {
        return c.Host().GetAppDataBool(Text(section), Text(key), 1, defaultValue);
    });
}
int32_t OBRIX_GetAppDataString(const char16_t* section, const char16_t* key, char16_t* buffer,
                               int32_t bufferChars, const char16_t* defaultText, int32_t) {
    const int32_t noCore = CopyOut(Text(defaultText), buffer, bufferChars);
    return WithCore(noCore, [=](CKernovaCore& c) {
        return CopyOut(c.Host().GetAppDataString(Text(section), Text(key), 1, Text(defaultText)),
                       buffer, bufferChars);
    });
}
// Sealed with the core's key: the result is inBytes + 48 bytes (nonce, data, tag). A null out
// asks for the size; too small a buffer gets nothing and 0.
int32_t OBRIX_Encrypt(const uint8_t* in, int32_t inBytes, uint8_t* out, int32_t outBytes) {
    if (inBytes < 0 || (!in && inBytes > 0) ||
        inBytes > CPasswordVault::kMaxSealedBytes - CPasswordVault::kOverheadBytes)
        return 0;
    const int32_t needed = inBytes + CPasswordVault::kOverheadBytes;
    if (!out)
        return needed;
    if (outBytes < needed)
        return 0;
    return WithCore(0, [=](CKernovaCore& c) {
        const QByteArray sealed = c.Seal(QByteArray(reinterpret_cast<const char*>(in), inBytes));
        if (sealed.size() != needed)
            return 0;
        std::memcpy(out, sealed.constData(), size_t(needed));
        return needed;
    });
}
// The bytes sealed by Encrypt with this user's key; 0 for altered, foreign or too short input.
// A null out asks for the size (known only once the seal is checked).
int32_t OBRIX_Decrypt(const uint8_t* in, int32_t inBytes, uint8_t* out, int32_t outBytes) {
    if (!in || inBytes < CPasswordVault::kOverheadBytes)
        return 0;
    return WithCore(0, [=](CKernovaCore& c) {
        const std::optional<QByteArray> plain =
            c.Unseal(QByteArray(reinterpret_cast<const char*>(in), inBytes));
        if (!plain)
            return 0;
        if (!out)
            return int32_t(plain->size());
        if (outBytes < plain->size())
            return 0;
        std::memcpy(out, plain->constData(), size_t(plain->size()));
        return int32_t(plain->size());
    });
}
int32_t OBRIX_IsExistModule(int32_t module, const char16_t* name) {
    return WithCore(
        0, [=](CKernovaCore& c) { return int32_t(c.Plugins().Exists(module, Text(name))); });
}

// ---- Chat: answered while logged on; results arrive as IMCBK_OnChat* calls ----

namespace {
template <typename F> int32_t WithChats(F f) {
    return WithCore(0, [&](CKernovaCore& c) {
        if (c.LogonState() != ObrixLogon::LoggedOn)
            return 0;
        return int32_t(f(c.Chats()));
    });
}
} // namespace

int32_t OBRIX_ChatCreate() {
    // Even a refusal is answered, so that the plug-in's pending request ends.
    return WithCore(0, [](CKernovaCore& c) { return c.ChatCreate(); });
}
int32_t OBRIX_ChatJoin(int32_t chat) {
    return WithChats([=](CChatDesk& d) { return d.Join(chat); });
}
int32_t OBRIX_ChatTalk(int32_t chat, const char16_t* html) {
    return WithChats([=](CChatDesk& d) { return d.Talk(chat, Text(html)); });
}
int32_t OBRIX_ChatUpdate(int32_t chat) {
    return WithChats([=](CChatDesk& d) { return d.Update(chat); });
}
int32_t OBRIX_ChatInvite(int32_t chat, const char16_t* memberId) {
    return WithCore(0, [=](CKernovaCore& c) { return c.ChatInvite(chat, Text(memberId)); });
}
int32_t OBRIX_ChatDecline(int32_t chat, int32_t refused) {
    return WithChats([=](CChatDesk& d) { return d.Decline(chat, refused != 0); });
}
int32_t OBRIX_ChatClose(int32_t chat) {
    return WithChats([=](CChatDesk& d) { return d.Close(chat); });
}
int32_t OBRIX_ChatGetAllLog(int32_t chat) {
    return WithChats([=](CChatDesk& d) { return d.ReplayLog(chat); });
}
