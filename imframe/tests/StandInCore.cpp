// A stand-in for the messaging core with a handful of OBRIX_ functions, for tests of the
// binding and of the core's file functions. Its soname is the core's, so that a library bound
// by name finds it once a test has loaded it. Plain C library calls only, so that it unloads
// again when the test closes it.
//
// Module directories lie below $ZELTA_STANDIN_DIR ("<dir>/module<n>/"); the OS version word
// comes from $ZELTA_STANDIN_OSVERSION (default 0).
#include "obrix/ZeltaPlatform.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Utf8(const char16_t* s) {
    std::string out;
    for (; s && *s; ++s) {
        uint32_t c = *s;
        if (c >= 0xD800 && c < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (*++s - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool MakeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

char16_t moduleDir[1024];
std::string lastLog;
int32_t logCount = 0;
int32_t fileCalls = 0;

} // namespace

ZELTA_C_EXPORT const char16_t* OBRIX_GetUserID() {
    return u"standin";
}

ZELTA_C_EXPORT uint32_t OBRIX_GetOSVersion() {
    const char* v = getenv("ZELTA_STANDIN_OSVERSION");
    return v ? uint32_t(strtoul(v, nullptr, 0)) : 0;
}

ZELTA_C_EXPORT const char16_t* OBRIX_GetModuleDir(int32_t module) {
    const char* base = getenv("ZELTA_STANDIN_DIR");
    if (!base)
        return nullptr;
    char dir[1024];
    snprintf(dir, sizeof dir, "%s/module%d/", base, int(module));
    size_t i = 0;
    for (; dir[i] && i + 1 < sizeof moduleDir / sizeof moduleDir[0]; ++i)
        moduleDir[i] = char16_t(static_cast<unsigned char>(dir[i])); // test paths are ASCII
    moduleDir[i] = 0;
    return moduleDir;
}

ZELTA_C_EXPORT int32_t OBRIX_ReadFile(const char16_t* path, uint8_t** buffer, uint32_t* length) {
    ++fileCalls;
    FILE* f = fopen(Utf8(path).c_str(), "rb");
    if (!f)
        return 0;
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes.append(chunk, n);
    fclose(f);
    *buffer = static_cast<uint8_t*>(malloc(bytes.size() + 1));
    for (size_t i = 0; i < bytes.size(); ++i)
        (*buffer)[i] = uint8_t(bytes[i]);
    *length = uint32_t(bytes.size());
    return 1;
}

ZELTA_C_EXPORT int32_t OBRIX_WriteFile(const char16_t* path, const uint8_t* data, uint32_t length,
                                       int32_t createDirs) {
    ++fileCalls;
    const std::string target = Utf8(path);
    if (createDirs && !MakeParents(target))
        return 0;
    const std::string temp = target + ".tmp";
    FILE* f = fopen(temp.c_str(), "wb");
    if (!f)
        return 0;
    const bool ok = fwrite(data, 1, length, f) == length;
    if (fclose(f) != 0 || !ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return 0;
    }
    return 1;
}

ZELTA_C_EXPORT void OBRIX_SaveLog(int32_t, int32_t, const char16_t* text) {
    ++logCount;
    lastLog = Utf8(text);
}

// What the tests read back.
ZELTA_C_EXPORT int32_t StandIn_LogCount() {
    return logCount;
}
ZELTA_C_EXPORT const char* StandIn_LastLog() {
    return lastLog.c_str();
}
ZELTA_C_EXPORT int32_t StandIn_FileCalls() {
    return fileCalls;
}
