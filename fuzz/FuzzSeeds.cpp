// Writes the seed corpora of the fuzz targets with the project's own writers, and the inputs
// that once broke a reader (named "repro-..."), into DIR/<reader>/.
//
//   zelta_fuzz_seeds DIR
#include "fuzz/FuzzSupport.h"
#include "kernova/collection/CMessageCollection.h"
#include "obrix/CArchive.h"
#include "obrix/CIMPreset.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/CLetrix.h"
#include "settings/CIniFile.h"

#include <QDir>
#include <QFile>
#include <limits>

namespace {

QString g_dir;

void Put(const char* reader, const char* name, const QByteArray& bytes) {
    const QString dir = g_dir + u'/' + QString::fromLatin1(reader);
    QDir().mkpath(dir);
    QFile f(dir + u'/' + QString::fromLatin1(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
}

QString S(const char* s) {
    return QString::fromUtf8(s);
}

std::unique_ptr<CLetrix> Message(int i) {
    auto m = std::make_unique<CLetrix>();
    m->SetFromID(S("sato"));
    m->SetFromName(S("佐藤  健一"));
    m->SetMessageID(QStringLiteral("2026120710300012%1-sato").arg(i));
    m->AddDst(CLetrix::DST_TO, S("suzuki,tanaka"));
    if (i % 2)
        m->AddDst(CLetrix::DST_CC, S("all@eigyo"));
    if (i % 3 == 2)
        m->AddDst(CLetrix::DST_BCC, S("all@OnNetters"));
    const SYSTEMTIME t{2026, 12, 1, 7, 10, 30, uint16_t(i), 0};
    m->SetSendTime(t, 0);
    m->SetDstRecvTime(CLetrix::DST_TO, S("suzuki"), t, 0);
    m->SetDstReadTime(CLetrix::DST_TO, S("suzuki"), t, 0);
    m->SetSubject(S("見積書の件"));
    m->SetMessage(S("<HTML><BODY><P><FONT SIZE=3 COLOR=#000000>よろしく</FONT></P></BODY>"
                    "</HTML><OBJECT>見積書.xlsx</OBJECT>"));
    m->SetPriority(uint32_t(i % 3));
    m->SetFlags(i % 2 ? LETRIX_FLAG_READ : 0);
    m->SetBgColor(uint32_t(0x00CCFFCC));
    return m;
}

QByteArray Stored(CLetrix& m) {
    CArchive ar;
    m.Serialize(ar);
    return ar.Bytes();
}

// A stored message whose To list holds the given stored ids without times.
QByteArray StoredWithTo(const QStringList& ids) {
    CArchive ar;
    ar << S("sato") << S("佐藤") << int32_t(ids.size());
    for (const QString& id : ids)
        ar << id << int64_t(0) << int64_t(0);
    ar << int32_t(0) << int32_t(0) << uint32_t(0) << QString() << S("20261207-sato") << QString();
    for (int i = 0; i < 5; ++i)
        ar << uint32_t(0);
    ar << QString() << QString() << int64_t(0) << S("件名") << S("本文");
    return ar.Bytes();
}

void MessageFiles() {
    for (int i = 0; i < 3; ++i)
        Put("message_file", qPrintable(QStringLiteral("seed-%1").arg(i)), Stored(*Message(i)));
    QStringList many;
    for (int i = 0; i < 12000; ++i)
        many.append(QString::number(i));
    Put("message_file", "repro-destinations-expand", StoredWithTo({many.join(u',')}));
    Put("message_file", "repro-destinations-change-on-rewrite",
        StoredWithTo({S(" a"), S("x,,y"), S("b , c ,"), S(""), S(" ")}));
}

void Collections() {
    CMessageCollection c;
    for (int i = 0; i < 3; ++i)
        c.Add(CMessageCollection::Group(i), *Message(i));
    Put("collection", "seed-0", c.ToBytes());
    // The smallest message there is: 8-bit empty strings, the id "a", no destinations.
    CArchive smallest;
    smallest.WriteUInt8(0); // sender id
    smallest.WriteUInt8(0); // sender name
    for (int list = 0; list < 3; ++list)
        smallest.WriteInt32(0);
    smallest.WriteInt32(0); // reply mode
    smallest.WriteUInt8(0); // reply-to
    smallest.WriteUInt8(1); // message id "a"
    smallest.WriteUInt8('a');
    smallest.WriteUInt8(0); // reference id
    for (int number = 0; number < 5; ++number)
        smallest.WriteInt32(0);
    smallest.WriteUInt8(0); // type
    smallest.WriteUInt8(0); // type value
    smallest.WriteInt64(0); // send time
    smallest.WriteUInt8(0); // subject
    smallest.WriteUInt8(0); // body
    CArchive one;
    for (char c : CMessageCollection::Magic())
        one.WriteUInt8(uint8_t(c));
    one.WriteUInt32(CMessageCollection::kVersion);
    for (int64_t count : {0, 0, 1})
        one.WriteInt64(count);
    one.WriteUInt32(uint32_t(smallest.Bytes().size()));
    for (char c : smallest.Bytes())
        one.WriteUInt8(uint8_t(c));
    one.WriteUInt32(CMessageCollection::kEndMark);
    Put("collection", "repro-smallest-message", one.Bytes());
    CMessageCollection twins;
    for (char16_t unit : {char16_t(0xD800), char16_t(0xDBFF)}) {
        auto m = Message(0);
        m->SetMessageID(S("m") + QChar(unit));
        twins.Add(CMessageCollection::Received, std::move(m));
    }
    Put("collection", "repro-surrogate-ids", twins.ToBytes());
}

void Presets() {
    QList<CIMPreset> presets;
    CIMPreset p;
    p.SetStatus(S("会議中"));
    p.SetIcon(S("busy"));
    p.SetBkColor(uint32_t(0x00CCCCFF));
    p.SetMaxGroup(3);
    p.AddGroup(S("eigyo"));
    p.AddGroup(S("kaihatsu"));
    presets.append(p);
    CIMPreset q;
    q.SetStatus(S("外出"));
    q.SetBkColor(uint32_t(0x00CCFFFF));
    presets.append(q);
    Put("presets", "seed-0", CIMPreset::StoreAll(presets));
    CArchive ar;
    ar << uint32_t(0) << int32_t(0) << std::numeric_limits<int32_t>::max() << int32_t(0);
    ar << S("x") << S("") << S("0") << S("g");
    Put("presets", "repro-group-count-overflow", ar.Bytes());
}

void Sounds() {
    CIMSndInfo info;
    info.AddIMSndData(CIMSndData(S("sato"), S("/home/sato/sounds/chime.wav")));
    info.AddIMSndData(CIMSndData(S("鈴木"), S("ベル.wav")));
    Put("sounds", "seed-0", info.ToBytes());
    CArchive negative;
    negative << int32_t(-1);
    Put("sounds", "repro-negative-count", negative.Bytes());
}

void SettingsFiles() {
    CIniFile ini;
    ini.SetValue(S(""), S("top"), S("1"));
    ini.SetValue(S("GENERAL"), S("VERSION_H"), S("7"));
    ini.SetValue(S("GENERAL"), S(" lead=["), S("line\nbreak\\ "));
    ini.SetValue(S("PINGEL"), S("WinPos"), S("100,200"));
    Put("settings_ini", "seed-0", ini.Serialize());
    // What the writer wrote for these before it escaped U+FEFF, and a value under the empty key.
    Put("settings_ini", "repro-bom-key",
        QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFkey=value\n=empty key\n"));
}

void HtmlBodies() {
    const QString body =
        S("<HTML><BODY BGCOLOR=#FFFFFF><P><FONT SIZE=3 COLOR=#000000>本文 [EQ] "
          "<A HREF=\"http://example.invalid/\">リンク</A></FONT></P><P>2 行目</P></BODY></HTML>"
          "<OBJECT>a.txt</OBJECT>");
    for (int op = 0; op < 7; ++op)
        Put("html_tags", qPrintable(QStringLiteral("seed-%1").arg(op)),
            QByteArray(1, char(op * 8)) + fuzz::Utf16Bytes(body));
    // Enough tags that an edit of each, made in place, took seconds.
    Put("html_tags", "repro-many-tags",
        QByteArray(1, char(3 * 8)) + fuzz::Utf16Bytes(S("<FONT>x").repeated(20000)));
}

void ReceivedBodies() {
    const QChar sep(1);
    Put("received_body", "seed-0",
        fuzz::Utf16Bytes(S("<HTML><BODY><P>見積書を送ります</P></BODY></HTML>"
                           "<OBJECT>/home/sato/見積書.xlsx</OBJECT><OBJECT>C:\\a\\b.txt</OBJECT>") +
                         sep + S("見積書.xlsx") + sep + S("b.txt") + sep +
                         S("2026120710300012-sato")));
    Put("received_body", "repro-body-tag-hides-element",
        fuzz::Utf16Bytes(S("<HTML><BODY><P>x</P></BODY></HTML><OBJECT>a<BODY</OBJECT>"
                           "<OBJECT>/home/sato/.ssh/id_ed25519</OBJECT>") +
                         sep + S("a.txt")));
    char32_t tag = 0xE0041;
    Put("received_body", "repro-invisible-names-and-ids",
        fuzz::Utf16Bytes(sep + S("report") + QString::fromUcs4(&tag, 1) + S(".pdf") + sep +
                         QString(90, u'あ') + sep + S("m") + QChar(0xD800)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelta_fuzz_seeds DIR\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    MessageFiles();
    Collections();
    Presets();
    Sounds();
    SettingsFiles();
    HtmlBodies();
    ReceivedBodies();
    return 0;
}
