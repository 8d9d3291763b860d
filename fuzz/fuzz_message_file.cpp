// The stored message file (<id>.zmf): any bytes are read or refused, a message read is bounded
// in its destinations, and writing it then reading it back gives the same message.
#include "fuzz/FuzzSupport.h"
#include "obrix/CArchive.h"
#include "obrix/CLetrix.h"

#include <optional>

namespace {

std::optional<QByteArray> Write(CLetrix& m) {
    try {
        CArchive ar;
        m.Serialize(ar);
        return ar.Bytes();
    } catch (const CArchiveException&) {
        return std::nullopt; // a time that the C library cannot convert
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLetrix first;
    try {
        CArchive ar(fuzz::Bytes(data, size));
        first.Serialize(ar);
    } catch (const CArchiveException&) {
        return 0;
    }
    int destinations = 0;
    for (int d = CLetrix::DST_TO; d <= CLetrix::DST_BCC; ++d)
        destinations += first.GetDstCount(CLetrix::eDest(d));
    FUZZ_CHECK(destinations <= CLetrix::kMaxStoredDestinations);

    const std::optional<QByteArray> written = Write(first);
    if (!written)
        return 0;
    CLetrix second;
    try {
        CArchive ar(*written);
        second.Serialize(ar);
        FUZZ_CHECK(ar.AtEnd());
    } catch (const CArchiveException&) {
        FUZZ_CHECK(!"a written message reads back");
    }
    FUZZ_CHECK(Write(second) == written);
    return 0;
}
