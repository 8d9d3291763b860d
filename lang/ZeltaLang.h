// The language module's contract: lang/<Language>.so below the program directory exports one
// lookup of the host's numbered strings. The host loads the module as a plain library and
// works on without it (every string is then empty).
#pragma once

#include <cstdint>

// Returns the NUL-terminated UTF-16 string with the number, or nullptr when there is none.
// The strings are static data of the module.
using ZeltaLang_GetString_t = const char16_t* (*)(int32_t id);
inline constexpr char ZeltaLangGetStringName[] = "ZeltaLang_GetString";

namespace ZeltaLangId {
constexpr int32_t Loading = 102;      // status line while a module loads; one "%s"
constexpr int32_t Loaded = 103;       // status line once its init callback was found; one "%s"
constexpr int32_t VersionTitle = 104; // title of the version dialog
constexpr int32_t NoCoreModule = 105; // no core module could be loaded; one "%s" (directory)
} // namespace ZeltaLangId
