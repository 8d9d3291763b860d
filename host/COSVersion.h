// The OS version word: a family value with detail bits, which the IM plug-ins test (0x180000)
// to decide whether to draw with the native theme. The detection is a pure function over the
// facts a version query reports, so that every platform it distinguishes can be checked.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class COSVersion {
public:
    enum Platform { Win32s = 0, Windows = 1, NT = 2 };
    enum ProductType { NoProduct = 0, Workstation = 1, DomainController = 2, Server = 3 };

    // What the version query found.
    struct Record {
        bool extendedQueryOk = false; // version, product type and suite mask are known
        bool basicQueryOk = false;    // only version, platform and service-pack text
        int platform = NT;
        uint32_t major = 0;
        uint32_t minor = 0;
        QString servicePack;
        int productType = NoProduct;
        uint32_t suiteMask = 0;
        // Product type text of the system's product options; nullopt when it is missing,
        // could not be read or is 256 bytes or longer.
        std::optional<QString> productOptions;
        bool hotfixQ246009 = false; // the hotfix key that marks NT 4.0 service pack 6a
    };

    static constexpr uint32_t QueryFailed = 0x8000000;

    // The word for a record.
    static uint32_t Word(const Record& record);
    // The record of the running system. Linux reports a newer NT family without a product
    // type, which gives the word 0 (no themed drawing).
    static Record Query();
};
