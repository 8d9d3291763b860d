// The export collection (.zdc): any bytes are read whole or refused whole, every message read
// has an id that can name a file, and what was read is written and read again unchanged.
#include "fuzz/FuzzSupport.h"
#include "kernova/collection/CMessageCollection.h"
#include "kernova/service/ServiceRules.h"
#include "obrix/CArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMessageCollection first;
    if (!first.FromBytes(fuzz::Bytes(data, size))) {
        FUZZ_CHECK(first.Total() == 0);
        return 0;
    }
    for (int g = 0; g < CMessageCollection::kGroups; ++g)
        for (const auto& m : first.Messages(CMessageCollection::Group(g)))
            FUZZ_CHECK(Svc::IsValidMessageId(m->GetMessageID()));
    QByteArray written;
    try {
        written = first.ToBytes();
    } catch (const CArchiveException&) {
        return 0; // a time that the C library cannot convert
    }
    CMessageCollection second;
    FUZZ_CHECK(second.FromBytes(written));
    FUZZ_CHECK(second.Total() == first.Total());
    FUZZ_CHECK(second.ToBytes() == written);
    return 0;
}
