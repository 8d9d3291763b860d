// Platforms without a desktop-wide input source: installing the hook fails, which the IM
// window tolerates (it only loses the idle handling).
#include "plugin/im/avalinh/CActivityReader.h"

struct CActivityReader::Impl {};

CActivityReader::CActivityReader(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

CActivityReader::~CActivityReader() = default;

std::unique_ptr<CActivityReader> CActivityReader::start(CActivityNotifier&, tagACTIVITYPOS&) {
    return nullptr;
}
