// The built resource module, opened once for the tests that read through it.
#pragma once

#include "obrix/CResourceLoader.h"

#include <QString>

inline QString outDir() {
    return qEnvironmentVariable("ZELTA_OUT_DIR", QStringLiteral(ZELTA_OUT_DIR_DEFAULT));
}

inline QString sourceDir() {
    return qEnvironmentVariable("ZELTA_SOURCE_DIR", QStringLiteral(ZELTA_SOURCE_DIR_DEFAULT));
}

// Where the build puts the review sheets of the artwork.
inline QString sheetDir() {
    return QStringLiteral(ZELTA_SHEET_DIR_DEFAULT);
}

inline void* resourceModule() {
    static void* module = CResourceLoader::OpenModule(CResourceLoader::ModulePath(outDir()));
    return module;
}
