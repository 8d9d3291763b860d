// The member sounds file (SndData.zin): any bytes are read or refused (a refused file leaves
// no entry), and what was read is written and read again unchanged.
#include "fuzz/FuzzSupport.h"
#include "obrix/CIMSndInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIMSndInfo first;
    if (!first.FromBytes(fuzz::Bytes(data, size))) {
        FUZZ_CHECK(first.GetCount() == 0);
        return 0;
    }
    const QByteArray written = first.ToBytes();
    CIMSndInfo second;
    FUZZ_CHECK(second.FromBytes(written));
    FUZZ_CHECK(second.GetCount() == first.GetCount());
    FUZZ_CHECK(second.ToBytes().size() == written.size());
    return 0;
}
