// The core's resource module: the numbered texts of strings.tsv and the generated images,
// both embedded as Qt resources under ":/zelta-res/", served through the C interface of
// ZeltaRes.h. The tables are parsed once, on first use, and live as long as the module.
#include "resources/ZeltaRes.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QResource>
#include <QString>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct ImageEntry {
    ZeltaResImageInfo info{};
    std::vector<int32_t> variants; // scales of bitmaps and cursors, pixel sizes of icons
};

struct Catalogue {
    std::map<uint32_t, std::u16string> strings;
    std::map<std::pair<uint32_t, uint32_t>, ImageEntry> images; // (kind, id)
};

QByteArray readResource(const QString& name) {
    QFile file(QStringLiteral(":/zelta-res/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Undoes the escapes of the text column: \t \n \r \\ and \uXXXX. A backslash before any
// other character stands for itself, so a stray one never loses text.
QString unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[i + 1];
        if (n == u't') {
            out += u'\t';
        } else if (n == u'n') {
            out += u'\n';
        } else if (n == u'r') {
            out += u'\r';
        } else if (n == u'\\') {
            out += u'\\';
        } else if (n == u'u' && i + 5 < text.size()) {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (!ok) {
                out += c;
                continue;
            }
            out += QChar(code);
            i += 4;
        } else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

bool parseNumber(QStringView field, uint32_t& value) {
    bool ok = false;
    value = field.trimmed().toUInt(&ok, 10);
    return ok;
}

void loadStrings(Catalogue& c) {
    const QString table = QString::fromUtf8(readResource(QStringLiteral("strings.tsv")));
    for (QStringView line : QStringView(table).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        uint32_t id = 0;
        if (fields.size() < 2 || !parseNumber(fields[0], id))
            continue;
        // The first line of a number wins; the catalogue test reports repeated numbers.
        const QString text = unescape(fields[1]);
        c.strings.emplace(id, std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                             size_t(text.size())));
    }
}

void loadImages(Catalogue& c) {
    const QString table = QString::fromUtf8(readResource(QStringLiteral("images.tsv")));
    for (QStringView line : QStringView(table).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QList<QStringView> f = line.split(u'\t');
        if (f.size() < 11)
            continue;
        uint32_t v[10] = {};
        bool ok = true;
        for (int i = 0; i < 9 && ok; ++i)
            ok = parseNumber(f[i], v[i]);
        bool maskOk = false;
        const uint32_t mask = f[9].toUInt(&maskOk, 16);
        if (!ok || !maskOk)
            continue;
        ImageEntry e;
        e.info = {int32_t(v[2]), int32_t(v[3]), int32_t(v[4]), int32_t(v[5]),
                  int32_t(v[6]), int32_t(v[7]), int32_t(v[8]), mask};
        for (QStringView s : f[10].split(u',')) {
            uint32_t n = 0;
            if (parseNumber(s, n))
                e.variants.push_back(int32_t(n));
        }
        std::sort(e.variants.begin(), e.variants.end());
        c.images.emplace(std::make_pair(v[0], v[1]), std::move(e));
    }
}

const Catalogue& catalogue() {
    static const Catalogue c = [] {
        Catalogue made;
        loadStrings(made);
        loadImages(made);
        return made;
    }();
    return c;
}

const ImageEntry* findImage(uint32_t kind, uint32_t id) {
    const auto& images = catalogue().images;
    const auto it = images.find({kind, id});
    return it == images.end() ? nullptr : &it->second;
}

// Bytes of an embedded file that stay put while the module is loaded. Uncompressed
// resources are used in place; a compressed one is expanded once and kept.
const uint8_t* resourceBytes(const QString& name, int32_t* bytes) {
    static std::mutex mutex;
    static std::map<QString, QByteArray> expanded;
    const QResource resource(QStringLiteral(":/zelta-res/") + name);
    if (!resource.isValid())
        return nullptr;
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        if (bytes)
            *bytes = int32_t(resource.size());
        return resource.data();
    }
    std::lock_guard lock(mutex);
    auto it = expanded.find(name);
    if (it == expanded.end())
        it = expanded.emplace(name, resource.uncompressedData()).first;
    if (bytes)
        *bytes = int32_t(it->second.size());
    return reinterpret_cast<const uint8_t*>(it->second.constData());
}

bool hasVariant(const ImageEntry& e, int32_t v) {
    return std::find(e.variants.begin(), e.variants.end(), v) != e.variants.end();
}

} // namespace

int32_t ZeltaRes_ApiVersion(void) {
    return ZELTARES_API_VERSION;
}

const char16_t* ZeltaRes_FindString(uint32_t id, int32_t* length) {
    const auto& strings = catalogue().strings;
    const auto it = strings.find(id);
    if (it == strings.end())
        return nullptr;
    if (length)
        *length = int32_t(it->second.size());
    return it->second.c_str();
}

int32_t ZeltaRes_LoadString(uint32_t id, char16_t* buffer, int32_t capacity) {
    int32_t length = 0;
    const char16_t* text = ZeltaRes_FindString(id, &length);
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = 0;
    if (!text)
        return 0;
    const int32_t n = std::min(length, capacity - 1);
    std::copy(text, text + n, buffer);
    buffer[n] = 0;
    return n;
}

int32_t ZeltaRes_EnumStrings(uint32_t* ids, int32_t capacity) {
    const auto& strings = catalogue().strings;
    int32_t i = 0;
    for (const auto& [id, text] : strings) {
        if (ids && i < capacity)
            ids[i] = id;
        ++i;
    }
    return i;
}

int32_t ZeltaRes_GetImageInfo(uint32_t kind, uint32_t id, ZeltaResImageInfo* info) {
    const ImageEntry* e = findImage(kind, id);
    if (!e)
        return 0;
    if (info)
        *info = e->info;
    return 1;
}

const uint8_t* ZeltaRes_FindImage(uint32_t kind, uint32_t id, int32_t scale, int32_t* bytes) {
    if (kind == ZELTARES_ICON)
        return nullptr;
    const ImageEntry* e = findImage(kind, id);
    if (!e || !hasVariant(*e, scale))
        return nullptr;
    return resourceBytes(QStringLiteral("img/%1-%2@%3x.png").arg(kind).arg(id).arg(scale), bytes);
}

const uint8_t* ZeltaRes_FindIcon(uint32_t id, int32_t pixels, int32_t* bytes) {
    const ImageEntry* e = findImage(ZELTARES_ICON, id);
    if (!e || !hasVariant(*e, pixels))
        return nullptr;
    return resourceBytes(QStringLiteral("img/3-%1-%2.png").arg(id).arg(pixels), bytes);
}

int32_t ZeltaRes_GetIconSizes(uint32_t id, int32_t* sizes, int32_t capacity) {
    const ImageEntry* e = findImage(ZELTARES_ICON, id);
    if (!e)
        return 0;
    for (int32_t i = 0; sizes && i < capacity && i < int32_t(e->variants.size()); ++i)
        sizes[i] = e->variants[size_t(i)];
    return int32_t(e->variants.size());
}

int32_t ZeltaRes_EnumImages(uint32_t kind, uint32_t* ids, int32_t capacity) {
    int32_t i = 0;
    for (const auto& [key, entry] : catalogue().images) {
        if (key.first != kind)
            continue;
        if (ids && i < capacity)
            ids[i] = key.second;
        ++i;
    }
    return i;
}
