// The settings INI file: any bytes are read, and what the writer writes of what was read, the
// reader reads back to the same file.
#include "fuzz/FuzzSupport.h"
#include "settings/CIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIniFile first;
    if (!first.Parse(fuzz::Bytes(data, size)))
        return 0;
    const QByteArray written = first.Serialize();
    CIniFile second;
    FUZZ_CHECK(second.Parse(written));
    FUZZ_CHECK(second.Serialize() == written);
    return 0;
}
