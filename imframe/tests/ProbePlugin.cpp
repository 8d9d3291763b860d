// An IM plug-in for tests. It appends one line per IMCBK_ call to the file named by
// ZELTA_PROBE_LOG: the callback's name and its arguments, separated by tabs (tab, line
// break and backslash escaped as \t, \n, \\; a null string as "(null)"). Each line is written
// with one append, so another process can read the file while the program runs.
//
// Environment:
//   ZELTA_PROBE_LOG           the log file (nothing is recorded without it)
//   ZELTA_PROBE_MODULE        module number reported in the module info (default 9)
//   ZELTA_PROBE_PRETRANSLATE  set: record every pre-translated event; otherwise only events
//                             of user types (window messages between modules)
//   ZELTA_PROBE_SEND          "to|cc|bcc|subject|body": on each log-on, send that message
//                             through OBRIX_SendMessage and record "SendMessage<TAB>result<TAB>id"
//   ZELTA_PROBE_THROW         a callback name (e.g. "OnBegin"): that handler throws after
//                             recording its line
//   ZELTA_PROBE_READ          set: mark each received message read after fetching it,
//                             recording "SetReadMessage<TAB>id<TAB>result"
//   ZELTA_PROBE_CHAT_ANSWER   set (chat variant): join every chat it is invited to and answer
//                             each talk of another member with "re: " and the talk, recording
//                             "ChatJoin<TAB>chat<TAB>result" and "ChatTalk<TAB>chat<TAB>result"
// On each received message it fetches the message through OBRIX_GetMessage from the received
// box and records "GetMessage<TAB>id<TAB>found 0/1<TAB>subject<TAB>sender".
#include "imframe/CIMChatPluginApp.h"
#include "imframe/CImFrame.h"
#include "obrix/CLetrix.h"

#include <QByteArray>
#include <QEvent>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

#ifdef PROBE_CHAT
using ProbeBase = CIMChatPluginApp;
constexpr ImModuleDescriptor kProbe{9, u"ProbeChat.zpm", u"IM Probe Chat Module",
                                    u"IM 試験会議 モジュール"};
#else
using ProbeBase = CIMPluginApp;
constexpr ImModuleDescriptor kProbe{9, u"Probe.zpm", u"IM Probe Module", u"IM 試験 モジュール"};
#endif

QString Escaped(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\t')
            out += u"\\t";
        else if (c == u'\n')
            out += u"\\n";
        else if (c == u'\r')
            out += u"\\r";
        else
            out += c;
    }
    return out;
}

QString Field(const char16_t* s) {
    return s ? Escaped(QString::fromUtf16(s)) : QStringLiteral("(null)");
}
QString Field(const QString& s) {
    return Escaped(s);
}
QString Field(const char* s) {
    return Escaped(QString::fromUtf8(s));
}
template <typename N>
requires std::is_integral_v<N> QString Field(N n) {
    return QString::number(n);
}

class CProbeApp final : public ProbeBase {
public:
    CProbeApp() : ProbeBase(kProbe) {}

    void OnIMZpmInfo(tagMODULEINFO* info) override {
        Record("OnIMZpmInfo");
        ProbeBase::OnIMZpmInfo(info);
        bool ok = false;
        const int module = qEnvironmentVariableIntValue("ZELTA_PROBE_MODULE", &ok);
        info->nType = ok ? module : kProbe.nType;
    }
    void OnInit() override { Record("OnInit"); }
    void OnStart() override { Record("OnStart"); }
    void OnKill() override { Record("OnKill"); }
    int32_t OnPreTranslateMessage(MSG* msg) override {
        const int type = msg && msg->event ? int(msg->event->type()) : -1;
        if (type >= QEvent::User || qEnvironmentVariableIsSet("ZELTA_PROBE_PRETRANSLATE"))
            Record("OnPreTranslateMessage", type);
        return 0;
    }
    void OnBegin(int32_t kind, intptr_t data) override { Record("OnBegin", kind, data); }
    void OnOption() override { Record("OnOption"); }
    void OnBeginOption() override { Record("OnBeginOption"); }
    void OnKillOption() override { Record("OnKillOption"); }
    void OnLogon(int32_t flag) override {
        Record("OnLogon", flag);
        if (flag)
            SendRequested();
    }
    void OnLogoff(int32_t flag) override { Record("OnLogoff", flag); }
    void OnEndAuthorize() override { Record("OnEndAuthorize"); }
    int32_t OnRecvMessage(const char16_t* id) override {
        Record("OnRecvMessage", id);
        FetchReceived(id);
        return 0;
    }
    intptr_t OnSendMessage(const char16_t* id) override {
        Record("OnSendMessage", id);
        return 0;
    }
    void OnRemoveMessage(int32_t box, const char16_t* id) override {
        Record("OnRemoveMessage", box, id);
    }
    void OnChangeMessageFlags(int32_t box, const char16_t* id, uint32_t flags) override {
        Record("OnChangeMessageFlags", box, id, flags);
    }
    void OnRecvNotify(int32_t kind, const char16_t* id, const char16_t* member) override {
        Record("OnRecvNotify", kind, id, member);
    }
    void OnChangeMemPresence(const char16_t* group, const char16_t* member,
                             const char16_t* previous) override {
        Record("OnChangeMemPresence", group, member, previous);
    }
    void OnAddGrp(const char16_t* group, const char16_t* parent, const char16_t* name) override {
        Record("OnAddGrp", group, parent, name);
    }
    void OnAddGrpMember(const char16_t* group, const char16_t* member,
                        const char16_t* name) override {
        Record("OnAddGrpMember", group, member, name);
    }
    int32_t OnRemoveGrp(const char16_t* group) override {
        Record("OnRemoveGrp", group);
        return 0;
    }
    void OnRemoveGrpMember(const char16_t* group, const char16_t* member) override {
        Record("OnRemoveGrpMember", group, member);
    }
    void OnChangeGrpName(const char16_t* group) override { Record("OnChangeGrpName", group); }
    void OnChangeGrpPresence(const char16_t* group) override {
        Record("OnChangeGrpPresence", group);
    }
    void OnChangeAlias(const char16_t* m) override { Record("OnChangeAlias", m); }
    void OnChangeBirth(const char16_t* m) override { Record("OnChangeBirth", m); }
    void OnChangeEmail(const char16_t* m) override { Record("OnChangeEmail", m); }
    void OnChangeFamilyName(const char16_t* m) override { Record("OnChangeFamilyName", m); }
    void OnChangeFirstName(const char16_t* m) override { Record("OnChangeFirstName", m); }
    void OnChangeMemo(const char16_t* m) override { Record("OnChangeMemo", m); }
    void OnChangeSex(const char16_t* m) override { Record("OnChangeSex", m); }
    void OnChangeTelephone(const char16_t* m) override { Record("OnChangeTelephone", m); }
    void OnChangeMiddleName(const char16_t* m, int32_t nameSet) override {
        Record("OnChangeMiddleName", m, nameSet);
    }
    void OnChangeMemRole(const char16_t* group, const char16_t* member) override {
        Record("OnChangeMemRole", group, member);
    }
    void OnBltDMenu() override { Record("OnBltDMenu"); }
    void OnBltSMenu() override { Record("OnBltSMenu"); }

#ifdef PROBE_CHAT
    void OnChatCreate(int32_t chat, int32_t result) override {
        Record("OnChatCreate", chat, result);
    }
    void OnChatUpdate(int32_t chat, const tagCHATEVENT* e) override {
        RecordChatEvent("OnChatUpdate", chat, e);
        if (e && e->nType == 0 && Answering() && Obrix().ChatTalk && Obrix().GetUserID &&
            Field(e->pszMemberID) != Field(Obrix().GetUserID())) {
            const QString reply = QStringLiteral("re: ") + QString::fromUtf16(e->pszText);
            Write(
                {Field("ChatTalk"), Field(chat),
                 Field(Obrix().ChatTalk(chat, reinterpret_cast<const char16_t*>(reply.utf16())))});
        }
    }
    void OnChatAllLog(int32_t chat, const tagCHATEVENT* e) override {
        RecordChatEvent("OnChatAllLog", chat, e);
    }
    void OnChatInvite(int32_t chat, const char16_t* inviter, const char16_t* text) override {
        Record("OnChatInvite", chat, inviter, text);
        if (Answering() && Obrix().ChatJoin)
            Write({Field("ChatJoin"), Field(chat), Field(Obrix().ChatJoin(chat))});
    }
    static bool Answering() {
        return qEnvironmentVariableIsSet("ZELTA_PROBE_CHAT_ANSWER");
    }
#endif

private:
    template <typename... Args> void Record(const char* name, const Args&... args) {
        Write(QStringList{Field(name), Field(args)...});
        if (qgetenv("ZELTA_PROBE_THROW") == name)
            throw std::runtime_error(std::string("probe asked to fail in ") + name);
    }

    static void Write(const QStringList& fields) {
        const QByteArray path = qgetenv("ZELTA_PROBE_LOG");
        if (path.isEmpty())
            return;
        const QByteArray line = (fields.join(u'\t') + u'\n').toUtf8();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), line.size());
        ::close(fd);
    }

#ifdef PROBE_CHAT
    void RecordChatEvent(const char* name, int32_t chat, const tagCHATEVENT* e) {
        if (e)
            Record(name, chat, e->nType, e->pszMemberID, e->pszText);
        else
            Record(name, chat, "(null)");
    }
#endif

    void SendRequested() {
        const QString request = qEnvironmentVariable("ZELTA_PROBE_SEND");
        if (request.isEmpty() || !Obrix().SendMessage)
            return;
        const QStringList parts = request.split(u'|');
        const auto part = [&](int i) { return i < parts.size() ? parts[i] : QString(); };
        CLetrix message;
        message.SetFromID(Obrix().GetUserID ? QString::fromUtf16(Obrix().GetUserID()) : QString());
        message.CreateMessageID();
        message.AddDst(CLetrix::DST_TO, part(0));
        message.AddDst(CLetrix::DST_CC, part(1));
        message.AddDst(CLetrix::DST_BCC, part(2));
        message.SetSubject(part(3));
        message.SetMessage(part(4));
        const int32_t result = Obrix().SendMessage(message.Record());
        Write({Field("SendMessage"), Field(result), Field(message.GetMessageID())});
    }

    void FetchReceived(const char16_t* id) {
        if (!id || !Obrix().GetMessage)
            return;
        tagLETRIX* record = Obrix().GetMessage(ObrixBox::Received, id);
        if (!record) {
            Write({Field("GetMessage"), Field(id), Field(0)});
            return;
        }
        const CLetrix message(record);
        if (Obrix().CleanupLetrix)
            Obrix().CleanupLetrix(record);
        Write({Field("GetMessage"), Field(id), Field(1), Field(message.GetSubject()),
               Field(message.GetFromID())});
        if (!qEnvironmentVariableIsEmpty("ZELTA_PROBE_READ") && Obrix().SetReadMessage)
            Write({Field("SetReadMessage"), Field(id),
                   Field(Obrix().SetReadMessage(ObrixBox::Received, id))});
    }
};

CProbeApp theApp;

} // namespace

// State of the frame for tests: bit 0 the object library reference is held, bit 1 the core's
// functions are bound, bit 2 the theme is loaded.
ZELTA_C_EXPORT int32_t Probe_FrameState() {
    CImFrame& frame = CImFrame::Instance();
    return (frame.ObjectLibrary().IsHeld() ? 1 : 0) | (frame.Obrix().IsBound() ? 2 : 0) |
           (frame.Lustra().IsLoaded() ? 4 : 0);
}
