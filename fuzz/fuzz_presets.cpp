// The status presets file (Preset.zin): any bytes are read or refused, counts read stay in
// range, and what was read is written and read again unchanged.
#include "fuzz/FuzzSupport.h"
#include "obrix/CIMPreset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QList<CIMPreset> first;
    if (!CIMPreset::LoadAll(fuzz::Bytes(data, size), first))
        return 0;
    for (CIMPreset& p : first) {
        FUZZ_CHECK(p.GetGroupCount() <= unsigned(CIMPreset::kMaxGroupCount));
        CIMPreset edited(p);
        edited.AddGroup(QStringLiteral("g"));
        edited.DeleteGroup(QStringLiteral("g"));
        FUZZ_CHECK(edited.GetGroupCount() <= p.GetGroupCount() + 1);
    }
    const QByteArray written = CIMPreset::StoreAll(first);
    QList<CIMPreset> second;
    FUZZ_CHECK(CIMPreset::LoadAll(written, second));
    FUZZ_CHECK(second.size() == first.size());
    FUZZ_CHECK(CIMPreset::StoreAll(second) == written);
    return 0;
}
