#include "host/COSVersion.h"

namespace {

constexpr uint32_t SuitePersonal = 0x200;
constexpr uint32_t SuiteDatacenter = 0x80;
constexpr uint32_t SuiteEnterprise = 0x2;
constexpr uint32_t SuiteBlade = 0x400;

QChar secondChar(const QString& text) {
    return text.size() > 1 ? text.at(1) : QChar();
}

uint32_t windowsWord(const COSVersion::Record& r) {
    if (r.major != 4)
        return 0;
    switch (r.minor) {
    case 0: {
        const QChar c = secondChar(r.servicePack);
        return (c == u'B' || c == u'C') ? 0x200002 : 0x200001;
    }
    case 10:
        return secondChar(r.servicePack) == u'A' ? 0x400002 : 0x400001;
    case 90:
        return 0x800000;
    default:
        return 0;
    }
}

uint32_t ntFamily(const COSVersion::Record& r) {
    if (r.major == 5 && r.minor == 2)
        return 0x80000;
    if (r.major == 5 && r.minor == 1)
        return 0x100000;
    if (r.major == 5 && r.minor == 0)
        return 0x40000;
    if (r.major <= 4)
        return 0x20000;
    return 0;
}

uint32_t ntDetail(const COSVersion::Record& r) {
    if (r.productType == COSVersion::Workstation) {
        if (r.major == 4)
            return 0x1;
        return (r.suiteMask & SuitePersonal) ? 0x2 : 0x1;
    }
    if (r.productType == COSVersion::Server) {
        if (r.suiteMask & SuiteDatacenter)
            return 0x2;
        if (r.suiteMask & SuiteEnterprise)
            return 0x4;
        if (r.suiteMask == SuiteBlade)
            return 0x8;
        return 0x10;
    }
    return 0;
}

} // namespace

uint32_t COSVersion::Word(const Record& r) {
    if (!r.extendedQueryOk && !r.basicQueryOk)
        return QueryFailed;
    if (r.platform == Win32s)
        return 0x1000000;
    if (r.platform == Windows)
        return windowsWord(r);
    if (r.platform != NT)
        return 0;

    uint32_t word = ntFamily(r);
    if (r.extendedQueryOk) {
        word |= ntDetail(r);
    } else {
        if (!r.productOptions)
            return word;
        const QString type = r.productOptions->toUpper();
        if (type == u"WINNT")
            word |= 0x1;
        else if (type == u"LANMANNT")
            word |= 0x10;
        else if (type == u"SERVERNT")
            word |= 0x4;
    }
    if (r.major != 4)
        return word;
    if (r.servicePack.compare(u"Service Pack 6", Qt::CaseInsensitive) == 0)
        word |= r.hotfixQ246009 ? 0x20 : 0x40;
    return word;
}

COSVersion::Record COSVersion::Query() {
    Record record;
    record.extendedQueryOk = true;
    record.platform = NT;
    record.major = 10;
    record.minor = 0;
    return record;
}
