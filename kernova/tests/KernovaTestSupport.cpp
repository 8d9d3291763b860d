#include "kernova/tests/KernovaTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QtCore/qtestsupport_core.h>
#include <stdexcept>

namespace kntest {

namespace {

QString Arg(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QStringLiteral("(null)");
}
QString Arg(int32_t v) {
    return QString::number(v);
}
QString Arg(uint32_t v) {
    return QString::number(v);
}
QString Arg(intptr_t v) {
    return QString::number(v);
}
// A chat event as "<type> <member> <text>", its time checked against the clock in UTC.
QString Arg(const tagCHATEVENT* e) {
    if (!e)
        return QStringLiteral("(null)");
    const SYSTEMTIME& t = e->stTime;
    const QDateTime time(QDate(t.wYear, t.wMonth, t.wDay),
                         QTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds), Qt::UTC);
    const bool now = qAbs(time.secsTo(QDateTime::currentDateTimeUtc())) < 120;
    return QStringLiteral("%1 %2 %3%4")
        .arg(e->nType)
        .arg(Arg(e->pszMemberID), Arg(e->pszText), now ? QString() : QStringLiteral(" (not now)"));
}

template <typename... A> void Record(int module, const char* name, A... args) {
    QStringList fields{QString::number(module), QString::fromLatin1(name)};
    (fields.append(Arg(args)), ...);
    Calls().append(fields.join(u' '));
}

int32_t g_preTranslate[8] = {};
bool g_throwOnLogon[8] = {};

template <int M> struct Recorder {
    static void OnIMZpmInfo(tagMODULEINFO* info) {
        info->nType = M;
        zeltaCopyField(
            info->szFileName,
            reinterpret_cast<const char16_t*>(
                (QStringLiteral("Rec") + QString::number(M) + QStringLiteral(".zpm")).utf16()));
        zeltaCopyField(info->szLocalName, u"試験");
        zeltaCopyField(info->szCompany, u"Tovar, Inc.");
        info->dwVersion = 0x10001;
    }
    static void OnInit() { Record(M, "OnInit"); }
    static void OnStart() { Record(M, "OnStart"); }
    static void OnKill() { Record(M, "OnKill"); }
    static int32_t OnPreTranslateMessage(MSG*) { return g_preTranslate[M]; }
    static void OnBegin(int32_t kind, intptr_t data) { Record(M, "OnBegin", kind, data); }
    static void OnOption() { Record(M, "OnOption"); }
    static void OnBeginOption() { Record(M, "OnBeginOption"); }
    static void OnKillOption() { Record(M, "OnKillOption"); }
    static void OnLogon(int32_t flag) {
        Record(M, "OnLogon", flag);
        if (g_throwOnLogon[M])
            throw std::runtime_error("a plug-in that breaks its contract");
    }
    static void OnLogoff(int32_t flag) { Record(M, "OnLogoff", flag); }
    static int32_t OnRecvMessage(const char16_t* id) {
        Record(M, "OnRecvMessage", id);
        return 0;
    }
    static intptr_t OnSendMessage(const char16_t* id) {
        Record(M, "OnSendMessage", id);
        return 0;
    }
    static void OnRemoveMessage(int32_t box, const char16_t* id) {
        Record(M, "OnRemoveMessage", box, id);
    }
    static void OnChangeMessageFlags(int32_t box, const char16_t* id, uint32_t flags) {
        Record(M, "OnChangeMessageFlags", box, id, flags);
    }
    static void OnRecvNotify(int32_t kind, const char16_t* id, const char16_t* member) {
        Record(M, "OnRecvNotify", kind, id, member);
    }
    static void OnChangeMemPresence(const char16_t* g, const char16_t* m, const char16_t* prev) {
        Record(M, "OnChangeMemPresence", g, m, prev);
    }
    static void OnAddGrp(const char16_t* g, const char16_t* parent, const char16_t* name) {
        Record(M, "OnAddGrp", g, parent, name);
    }
    static void OnAddGrpMember(const char16_t* g, const char16_t* m, const char16_t* name) {
        Record(M, "OnAddGrpMember", g, m, name);
    }
    static int32_t OnRemoveGrp(const char16_t* g) {
        Record(M, "OnRemoveGrp", g);
        return 0;
    }
    static void OnRemoveGrpMember(const char16_t* g, const char16_t* m) {
        Record(M, "OnRemoveGrpMember", g, m);
    }
    static void OnChangeGrpName(const char16_t* g) { Record(M, "OnChangeGrpName", g); }
    static void OnChangeAlias(const char16_t* m) { Record(M, "OnChangeAlias", m); }
    static void OnChangeEmail(const char16_t* m) { Record(M, "OnChangeEmail", m); }
    static void OnChangeFamilyName(const char16_t* m) { Record(M, "OnChangeFamilyName", m); }
    static void OnChangeMiddleName(const char16_t* m, int32_t set) {
        Record(M, "OnChangeMiddleName", m, set);
    }
    static void OnEndAuthorize() { Record(M, "OnEndAuthorize"); }
    static void OnChatCreate(int32_t chat, int32_t result) {
        Record(M, "OnChatCreate", chat, result);
    }
    static void OnChatUpdate(int32_t chat, const tagCHATEVENT* e) {
        Record(M, "OnChatUpdate", chat, e);
    }
    static void OnChatAllLog(int32_t chat, const tagCHATEVENT* e) {
        Record(M, "OnChatAllLog", chat, e);
    }
    static void OnChatInvite(int32_t chat, const char16_t* inviter, const char16_t* text) {
        Record(M, "OnChatInvite", chat, inviter, text);
    }

    static void* Resolve(const char* name) {
#define KNTEST_ENTRY(fn)                                                                           \
    { QByteArray("IMCBK_" #fn), reinterpret_cast<void*>(&fn) }
        static const QHash<QByteArray, void*> table = {KNTEST_ENTRY(OnIMZpmInfo),
                                                       KNTEST_ENTRY(OnInit),
                                                       KNTEST_ENTRY(OnStart),
                                                       KNTEST_ENTRY(OnKill),
                                                       KNTEST_ENTRY(OnPreTranslateMessage),
                                                       KNTEST_ENTRY(OnBegin),
                                                       KNTEST_ENTRY(OnOption),
                                                       KNTEST_ENTRY(OnBeginOption),
                                                       KNTEST_ENTRY(OnKillOption),
                                                       KNTEST_ENTRY(OnLogon),
                                                       KNTEST_ENTRY(OnLogoff),
                                                       KNTEST_ENTRY(OnRecvMessage),
                                                       KNTEST_ENTRY(OnSendMessage),
                                                       KNTEST_ENTRY(OnRemoveMessage),
                                                       KNTEST_ENTRY(OnChangeMessageFlags),
                                                       KNTEST_ENTRY(OnRecvNotify),
                                                       KNTEST_ENTRY(OnChangeMemPresence),
                                                       KNTEST_ENTRY(OnAddGrp),
                                                       KNTEST_ENTRY(OnAddGrpMember),
                                                       KNTEST_ENTRY(OnRemoveGrp),
                                                       KNTEST_ENTRY(OnRemoveGrpMember),
                                                       KNTEST_ENTRY(OnChangeGrpName),
                                                       KNTEST_ENTRY(OnChangeAlias),
                                                       KNTEST_ENTRY(OnChangeEmail),
                                                       KNTEST_ENTRY(OnChangeFamilyName),
                                                       KNTEST_ENTRY(OnChangeMiddleName),
                                                       KNTEST_ENTRY(OnEndAuthorize)};
        // Only the chat plug-in exports the chat callbacks.
        static const QHash<QByteArray, void*> chat = {
            KNTEST_ENTRY(OnChatCreate), KNTEST_ENTRY(OnChatUpdate), KNTEST_ENTRY(OnChatAllLog),
            KNTEST_ENTRY(OnChatInvite)};
        if (M == 5 && chat.contains(QByteArray(name)))
            return chat.value(QByteArray(name));
#undef KNTEST_ENTRY
        return table.value(QByteArray(name));
    }
};

} // namespace

QStringList& Calls() {
    static QStringList calls;
    return calls;
}

QStringList TakeCalls() {
    return std::exchange(Calls(), {});
}

void SetPreTranslateAnswer(int32_t module, int32_t answer) {
    g_preTranslate[module & 7] = answer;
}
void SetThrowOnLogon(int32_t module, bool on) {
    g_throwOnLogon[module & 7] = on;
}

void AddRecordingPlugin(CKernovaCore& core, int32_t module) {
    CImPlugin::Resolver resolve;
    switch (module) {
    case 1:
        resolve = &Recorder<1>::Resolve;
        break;
    case 4:
        resolve = &Recorder<4>::Resolve;
        break;
    case 5:
        resolve = &Recorder<5>::Resolve;
        break;
    case 6:
        resolve = &Recorder<6>::Resolve;
        break;
    default:
        resolve = &Recorder<7>::Resolve;
        break;
    }
    core.Plugins().Add(CImPlugin::FromResolver(QStringLiteral("rec%1").arg(module), resolve));
}

void CoreFixture::SetUp() {
    svctest::ServiceFixture::SetUp();
    ASSERT_TRUE(m_home.isValid());
    qputenv("ZELTA_SERVICE_DIR", QFile::encodeName(dir));
    // The tray's local server lives in the runtime directory; never the real one.
    QDir().mkpath(m_home.path() + QStringLiteral("/run"));
    QFile::setPermissions(m_home.path() + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.path() + QStringLiteral("/run")));
    qunsetenv("ZELTA_AUTOLOGON_ID");
    host.appDir = m_home.path() + QStringLiteral("/app/");
    host.userDir = m_home.path() + QStringLiteral("/user/");
    core = std::make_unique<CKernovaCore>(host);
    CKernovaCore::SetInstance(core.get());
    for (int32_t module : {1, 4})
        AddRecordingPlugin(*core, module);
    for (int i = 0; i < 8; ++i) {
        g_preTranslate[i] = 0;
        g_throwOnLogon[i] = false;
    }
    TakeCalls();
}

void CoreFixture::TearDown() {
    core.reset();
    CKernovaCore::SetInstance(nullptr);
    qunsetenv("ZELTA_SERVICE_DIR");
    TakeCalls();
}

void CoreFixture::LogOnCore() {
    ASSERT_TRUE(core->LogonWith(QStringLiteral("a"), svctest::Password(QStringLiteral("a"))))
        << core->LastLogonError().toStdString();
}

bool CoreFixture::WaitForCall(const QString& prefix, int ms) {
    return QTest::qWaitFor([&] { return !CallsStartingWith(prefix).isEmpty(); }, ms);
}

QStringList CoreFixture::CallsStartingWith(const QString& prefix) const {
    QStringList found;
    for (const QString& call : Calls())
        if (call.startsWith(prefix))
            found.append(call);
    return found;
}

} // namespace kntest
