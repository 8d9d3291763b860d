// The catalogue the plug-ins rely on: every text and image number that their windows load
// exists, texts are not empty, formats carry exactly the placeholders their callers fill,
// and the editable table reaches the module unchanged.
#include "resources/tests/ResourceModule.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// Ranges of text numbers loaded by the IM plug-ins (first, last).
const QList<QPair<uint32_t, uint32_t>> kUsedTexts = {
    {123, 124}, {127, 127}, {143, 153}, {164, 172}, {192, 197}, {199, 202},   {207, 208},
    {220, 220}, {222, 232}, {241, 245}, {251, 254}, {258, 258}, {261, 264},   {266, 268},
    {274, 276}, {282, 284}, {287, 290}, {304, 305}, {307, 308}, {312, 313},   {321, 324},
    {335, 337}, {339, 359}, {384, 386}, {388, 388}, {391, 396}, {458, 491},   {493, 496},
    {525, 528}, {532, 532}, {700, 707}, {713, 713}, {715, 722}, {724, 727},   {823, 824},
    {826, 829}, {832, 833}, {836, 839}, {842, 871}, {873, 875}, {881, 884},   {888, 891},
    {896, 904}, {906, 907}, {910, 910}, {912, 912}, {917, 918}, {1001, 1008}, {1400, 1446},
    {2030, 2031}, {2050, 2058},
    {1100, 1151}, // message box menus and windows
    {1500, 1569}, // chat windows, invitations, log saving and chat options
};

// Texts used as formats and the values their callers pass, in order ('s' text, 'd' number).
const QHash<uint32_t, QString> kFormats = {
    {195, "s"},    // group box: group name
    {201, "s"},    // group box: member display name
    {231, "s"},    // status dialog description: preset name
    {251, "s"},    // IM window title: tab name
    {252, "s"},    // group property title: group name
    {253, "s"},    // own property title: display name
    {254, "s"},    // member property title: display name
    {289, "s"},    // URL question: the URL
    {305, "ss"},   // busy warning: step in progress, step offered
    {357, "s"},    // not-logged-on warning: button caption
    {493, "ssss"}, // transfer condition row: target, scope, keyword, mode
    {715, "ssss"}, // notification: group, member, status, date and time
    {716, "sss"},  // notification: member, on/off word, date and time
    {724, "ss"},   // receipts: display name, time
    {725, "ss"},   {726, "ss"}, {727, "ss"}, {828, "dd"}, // message box status bar: unread, entries
    {890, "s"},                                           // unreadable attachment: file name
    {917, "d"},                                           // body too long: limit
    {918, "d"},                                           // subject too long: limit
    {1140, "d"}, {1150, "d"},                            // message box: page number, hits
    {1162, "dd"},                                         // message box: imported, known
    {1440, "d"},                                          // printed page footer: page number
    {1501, "d"}, {1503, "d"}, {1511, "d"},                // chat: rooms, members, page number
    {1532, "s"}, {1535, "s"},                             // chat: window title names, save error
    {2005, "s"},                                          // log-on failed: reason
    {2021, "s"},                                          // tray tip: member ID
    {2031, "s"},                                          // authorisation: member ID
    {2042, "s"}, {2043, "s"}, {2044, "s"},                // session notices: member ID
    {2045, "s"},                                          // unwritable folder: path
    {2046, "ss"},                                         // service unreachable: location, reason
    {2058, "s"},                                          // general page: overriding variable
};

QString tableText(QStringView raw) {
    // The table's escapes, decoded independently of the module.
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const QChar n = raw[++i];
        if (n == u'u' && i + 4 < raw.size()) {
            out += QChar(raw.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else {
            out += n == u't'   ? QChar(u'\t')
                   : n == u'n' ? QChar(u'\n')
                   : n == u'r' ? QChar(u'\r')
                               : n;
        }
    }
    return out;
}

} // namespace

TEST(Catalogue, EveryTextNumberThePlugInsLoadExistsAndIsNotEmpty) {
    void* module = resourceModule();
    ASSERT_NE(module, nullptr) << "res/ZeltaRes.so did not open";
    QStringList missing;
    for (const auto& [first, last] : kUsedTexts)
        for (uint32_t id = first; id <= last; ++id)
            if (CResourceLoader::LoadString(module, id).trimmed().isEmpty())
                missing << QString::number(id);
    EXPECT_TRUE(missing.isEmpty()) << "missing or empty: " << missing.join(", ").toStdString();
}

TEST(Catalogue, FormatsCarryExactlyThePlaceholdersTheirCallersFill) {
    void* module = resourceModule();
    ASSERT_NE(module, nullptr);
    const QList<uint32_t> ids = CResourceLoader::StringIds(module);
    ASSERT_FALSE(ids.isEmpty());
    for (uint32_t id : ids) {
        const QString text = CResourceLoader::LoadString(module, id);
        EXPECT_EQ(CResourceLoader::Placeholders(text).toStdString(),
                  kFormats.value(id).toStdString())
            << "text " << id << ": " << text.toStdString();
    }
    for (auto it = kFormats.begin(); it != kFormats.end(); ++it)
        EXPECT_TRUE(CResourceLoader::HasString(module, it.key())) << it.key();
}

TEST(Catalogue, EditableTableReachesTheModuleUnchanged) {
    void* module = resourceModule();
    ASSERT_NE(module, nullptr);
    QFile file(sourceDir() + "/resources/strings.tsv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString table = QString::fromUtf8(file.readAll());
    QSet<uint32_t> seen;
    int lineNo = 0;
    for (const QString& line : table.split(u'\n')) {
        ++lineNo;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        ASSERT_EQ(f.size(), 3) << "line " << lineNo << " needs number, text and role";
        bool ok = false;
        const uint32_t id = f[0].toUInt(&ok);
        ASSERT_TRUE(ok) << "line " << lineNo;
        EXPECT_FALSE(seen.contains(id)) << "number " << id << " appears twice";
        seen.insert(id);
        EXPECT_FALSE(f[1].trimmed().isEmpty()) << "text " << id << " is empty";
        EXPECT_FALSE(f[2].trimmed().isEmpty()) << "text " << id << " has no role";
        EXPECT_EQ(CResourceLoader::LoadString(module, id).toStdU16String(),
                  tableText(f[1]).toStdU16String())
            << "text " << id;
    }
    EXPECT_EQ(CResourceLoader::StringIds(module).size(), seen.size());
}

TEST(Catalogue, SeparatorSetHoldsTheCarriageReturn) {
    // Whole-word search frames each text with a carriage return and needs it as a separator.
    const QString separators = CResourceLoader::LoadString(resourceModule(), 829);
    EXPECT_TRUE(separators.contains(u'\r'));
    EXPECT_TRUE(separators.contains(u' '));
}

TEST(Catalogue, PresetKeyTextsNameThePresetsAfterATab) {
    // 143..153 are appended to a status text in menus, so each starts with a tab to keep the
    // key apart from the status, and names the same key as the preset name 346 + index.
    void* module = resourceModule();
    for (uint32_t i = 0; i < 11; ++i) {
        const QString key = CResourceLoader::LoadString(module, 143 + i);
        ASSERT_FALSE(key.isEmpty());
        EXPECT_EQ(key.front(), u'\t') << 143 + i;
        EXPECT_EQ(key.mid(1), CResourceLoader::LoadString(module, 346 + i)) << 143 + i;
    }
}
