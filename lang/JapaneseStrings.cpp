// Japanese strings of the host program.
#include "lang/ZeltaLang.h"
#include "obrix/ZeltaPlatform.h"

ZELTA_C_EXPORT const char16_t* ZeltaLang_GetString(int32_t id) {
    switch (id) {
    case ZeltaLangId::Loading:
        return u"%s を読み込んでいます...";
    case ZeltaLangId::Loaded:
        return u"%s を読み込みました";
    case ZeltaLangId::VersionTitle:
        return u"Zelta のバージョン情報";
    case ZeltaLangId::NoCoreModule:
        return u"コアモジュールが見つかりませんでした。\n"
               u"Zelta を起動できません。インストールを確認してください。\n\n"
               u"検索したフォルダ: %s";
    default:
        return nullptr;
    }
}
