#include "ScriptedCore.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMMember.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixApi.h"

#include <QHash>
#include <QVariant>
#include <map>
#include <memory>

namespace {

struct State {
    std::unique_ptr<CIMGroup> groups;
    QHash<QString, CIMMember> members;
    QHash<QString, std::shared_ptr<CLetrix>> sent;
    std::map<tagLETRIX*, std::unique_ptr<CLetrix>> handedOut;
    QHash<QString, QVariant> settings;
    int writes = 0;
    int foreign = 0;
    void* resources = nullptr;
};

State& S() {
    static State state;
    return state;
}

QString Text(const char16_t* s) {
    return s ? QString::fromUtf16(s) : QString();
}

QString Key(const char16_t* section, const char16_t* key) {
    return Text(section) + u'/' + Text(key);
}

bool Ours(int32_t scope, int32_t module) {
    if (scope == 1 && module == 7)
        return true;
    ++S().foreign;
    return false;
}

CIMGroup* Find(const QString& id) {
    return S().groups ? S().groups->SearchID(id) : nullptr;
}

CIMGroup* LastOf(CIMGroup* g) {
    while (g->GetBros())
        g = g->GetBros();
    return g;
}

} // namespace

namespace ScriptedCore {

void Reset() {
    void* resources = S().resources;
    S() = State();
    S().resources = resources;
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
                   const QString& status) {
    if (CIMGroup* g = Find(groupId)) {
        CIMGrpMember* m = g->AddMember(memberId);
        m->SetName(name);
        m->SetStatus(status);
    }
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

void AddSentMessage(const CLetrix& message) {
    S().sent.insert(message.GetMessageID(), std::make_shared<CLetrix>(message));
}

void SetInt(const QString& section, const QString& key, int32_t value) {
    S().settings.insert(section + u'/' + key, value);
}

void SetString(const QString& section, const QString& key, const QString& value) {
    S().settings.insert(section + u'/' + key, value);
}

std::optional<int32_t> StoredInt(const QString& section, const QString& key) {
    const QVariant v = S().settings.value(section + u'/' + key);
    if (v.typeId() != QMetaType::Int)
        return std::nullopt;
    return v.toInt();
}

std::optional<QString> StoredString(const QString& section, const QString& key) {
    const QVariant v = S().settings.value(section + u'/' + key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

int WriteCount() {
    return S().writes;
}

int ForeignSettingCalls() {
    return S().foreign;
}

int OutstandingMessages() {
    return int(S().handedOut.size());
}

} // namespace ScriptedCore

ZELTA_C_EXPORT const char16_t* OBRIX_GetUserID() {
    return u"user";
}

ZELTA_C_EXPORT uint32_t OBRIX_GetOSVersion() {
    return 0;
}

ZELTA_C_EXPORT void* OBRIX_GetIMResHandle() {
    if (!S().resources)
        S().resources = CResourceLoader::OpenModule(
            CResourceLoader::ModulePath(qEnvironmentVariable("ZELTA_OUT_DIR")));
    return S().resources;
}

ZELTA_C_EXPORT void OBRIX_SaveLog(int32_t, int32_t, const char16_t*) {}

ZELTA_C_EXPORT const tagIMGROUP* OBRIX_GetGroupAll() {
    return S().groups ? static_cast<const tagIMGROUP*>(*S().groups) : nullptr;
}

ZELTA_C_EXPORT const tagIMMEMBER* OBRIX_GetMember(const char16_t* id) {
    auto it = S().members.constFind(Text(id));
    return it == S().members.constEnd() ? nullptr : static_cast<const tagIMMEMBER*>(*it);
}

ZELTA_C_EXPORT tagLETRIX* OBRIX_GetMessage(int32_t box, const char16_t* id) {
    if (box != ObrixBox::Sent)
        return nullptr;
    const auto found = S().sent.value(Text(id));
    if (!found)
        return nullptr;
    auto copy = std::make_unique<CLetrix>(*found);
    tagLETRIX* record = *copy;
    S().handedOut[record] = std::move(copy);
    return record;
}

ZELTA_C_EXPORT void OBRIX_CleanupLetrix(tagLETRIX* record) {
    S().handedOut.erase(record);
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
    if (!buffer || bufferChars <= 0)
        return 0;
    QString text = Text(defaultText);
    if (Ours(scope, module)) {
        const QVariant v = S().settings.value(Key(section, name));
        if (v.typeId() == QMetaType::QString)
            text = v.toString();
    }
    text.truncate(bufferChars - 1);
    std::copy(text.utf16(), text.utf16() + text.size(), buffer);
    buffer[text.size()] = 0;
    return int32_t(text.size()) + 1;
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
