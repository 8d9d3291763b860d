#include "kernova/service/AttachmentNames.h"
#include "kernova/service/tests/ServiceTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <random>

using namespace svctest;

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

QByteArray Bytes(int size, quint32 seed) {
    QByteArray b(size, Qt::Uninitialized);
    QRandomGenerator r(seed);
    for (char& c : b)
        c = char(r.bounded(256));
    return b;
}

SvcMessage WithFiles(const QString& id, const QList<std::pair<QString, QByteArray>>& files) {
    SvcMessage m = MakeMessage(id, {S("b")});
    for (const auto& [name, data] : files)
        m.attachments.append({name, 0, data});
    return m;
}

} // namespace

using Attachments = ServiceFixture;

TEST_F(Attachments, FilesArriveByteIdenticalAndOnlySenderAndRecipientsGetThem) {
    auto a = LogOn(S("a"));
    auto b = LogOn(S("b"));
    EventLog lb(b.get());
    const QByteArray binary = Bytes(300000, 1) + QByteArray(10, '\0');
    const QByteArray text = S("日本語のテキスト\n").toUtf8();
    ASSERT_TRUE(
        a->SendMessage(WithFiles(S("m1"), {{S("図面.bin"), binary}, {S("メモ.txt"), text}})))
        << a->LastError().EnglishText().toStdString();
    ASSERT_TRUE(lb.WaitFor(S("message m1")));
    const SvcMessage& got = lb.messages.first();
    ASSERT_EQ(got.attachments.size(), 2);
    EXPECT_EQ(got.attachments[0].name, S("図面.bin"));
    EXPECT_EQ(got.attachments[0].size, binary.size());
    EXPECT_EQ(got.attachments[1].size, text.size());
    EXPECT_TRUE(got.attachments[0].data.isEmpty()); // bytes only on request
    EXPECT_EQ(b->GetAttachmentData(S("m1"), 0), binary);
    EXPECT_EQ(b->GetAttachmentData(S("m1"), 1), text);
    EXPECT_EQ(a->GetAttachmentData(S("m1"), 1), text);
    EXPECT_FALSE(b->GetAttachmentData(S("m1"), 2));
    EXPECT_EQ(b->LastError().code(), CServiceError::UnknownAttachment);
    auto c = LogOn(S("c"));
    EXPECT_FALSE(c->GetAttachmentData(S("m1"), 0));
    EXPECT_EQ(c->LastError().code(), CServiceError::UnknownAttachment);
    // A message without files has none.
    ASSERT_TRUE(a->SendMessage(MakeMessage(S("m2"), {S("b")})));
    EXPECT_TRUE(b->GetMessage(S("m2"))->attachments.isEmpty());
}

TEST_F(Attachments, TheTotalLimitIsSixtyFourBitAndARefusedMessageLeavesNothing) {
    auto a = LogOn(S("a"));
    EXPECT_EQ(a->AttachmentLimit(), 50LL * 1024 * 1024);
    a->SetAttachmentLimit(100);
    ASSERT_TRUE(
        a->SendMessage(WithFiles(S("m1"), {{S("x"), Bytes(60, 2)}, {S("y"), Bytes(40, 3)}})));
    EXPECT_FALSE(
        a->SendMessage(WithFiles(S("m2"), {{S("x"), Bytes(60, 2)}, {S("y"), Bytes(41, 3)}})));
    EXPECT_EQ(a->LastError().code(), CServiceError::AttachmentsTooLarge);
    EXPECT_TRUE(a->LastError().Text().contains(S("100")));
    EXPECT_FALSE(a->GetMessage(S("m2")));
    auto b = LogOn(S("b"));
    EXPECT_EQ(b->GetPendingMessages().size(), 1);

    // Limits beyond 32 bits are kept whole: cut to 32 bits they would refuse these.
    a->SetAttachmentLimit((1LL << 32) + 10);
    EXPECT_TRUE(a->SendMessage(WithFiles(S("m3"), {{S("x"), Bytes(1000, 4)}})));
    a->SetAttachmentLimit(1LL << 32);
    EXPECT_TRUE(a->SendMessage(WithFiles(S("m4"), {{S("x"), Bytes(1000, 4)}})));

    // Names the receiver could not use at all, and too many files, are refused.
    EXPECT_FALSE(a->SendMessage(WithFiles(S("m5"), {{S("  "), Bytes(1, 5)}})));
    EXPECT_EQ(a->LastError().code(), CServiceError::BadAttachmentName);
    QList<std::pair<QString, QByteArray>> many;
    for (int i = 0; i <= Svc::kMaxAttachments; ++i)
        many.append({QStringLiteral("f%1").arg(i), QByteArray(1, 'x')});
    EXPECT_FALSE(a->SendMessage(WithFiles(S("m6"), many)));
    EXPECT_EQ(a->LastError().code(), CServiceError::TooManyAttachments);
}

TEST_F(Attachments, MessageIdsThatWouldBePathsAreRefused) {
    auto a = LogOn(S("a"));
    for (const char* id : {"../x", "a/b", "a\\b", ".hidden", "..", "c:x", "a\u202Eb"}) {
        EXPECT_FALSE(a->SendMessage(MakeMessage(S(id), {S("b")}))) << id;
        EXPECT_EQ(a->LastError().code(), CServiceError::BadId) << id;
    }
    EXPECT_TRUE(a->SendMessage(MakeMessage(S("20261207110203045-a"), {S("b")})));
}

TEST(SafeAttachmentName, HostileNamesStayInsideTheFilesDirectory) {
    QTemporaryDir tmp;
    const QString files = tmp.path() + S("/files");
    ASSERT_TRUE(QDir().mkpath(files));
    const QString messageId = S("20261207110203045-a");
    const QString longName = QString(300, u'長') + S(".pdf");
    const QStringList hostile = {S("../../etc/passwd"),
                                 S("..\\..\\Windows\\system.ini"),
                                 S("/etc/shadow"),
                                 S("C:\\boot.ini"),
                                 S(".."),
                                 S("."),
                                 S(""),
                                 S("   "),
                                 S("a/"),
                                 S("x/.."),
                                 S("con"),
                                 S("NUL.txt"),
                                 S("Com1 .log"),
                                 S("lpt9"),
                                 S(".bashrc"),
                                 S("...."),
                                 S("evil\nname\t.txt"),
                                 QString::fromUtf16(u"nul\0byte.txt", 12),
                                 S("report\u202Etxt.exe"),
                                 S("a:b"),
                                 S("ok?*<>|\".txt"),
                                 S("trailing. . "),
                                 longName,
                                 QString(200, u'.') + S("/x"),
                                 S("😀😀😀.png"),
                                 QString(QChar(0xD800)) + S("lone")};
    for (const QString& name : hostile) {
        const QString safe = Svc::SafeAttachmentName(name);
        const std::string shown = name.toUtf8().toStdString();
        EXPECT_FALSE(safe.isEmpty()) << shown;
        EXPECT_FALSE(safe.contains(u'/') || safe.contains(u'\\')) << shown;
        EXPECT_FALSE(safe.startsWith(u'.') || safe.endsWith(u'.') || safe.endsWith(u' ')) << shown;
        EXPECT_LE(safe.toUtf8().size(), Svc::kMaxSafeNameBytes) << shown;
        for (QChar c : safe)
            EXPECT_FALSE(c.category() == QChar::Other_Control ||
                         c.category() == QChar::Other_Format)
                << shown;
        EXPECT_EQ(Svc::SafeAttachmentName(safe), safe) << shown;
        // Written where the core writes it, the file is a direct child of the files directory.
        QFile f(QDir(files).filePath(messageId + safe));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << shown << " -> " << safe.toStdString();
        f.close();
        EXPECT_EQ(QFileInfo(f.fileName()).canonicalPath(), QFileInfo(files).canonicalFilePath())
            << shown;
    }
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{S("files")});

    EXPECT_EQ(Svc::SafeAttachmentName(S("../../etc/passwd")), S("passwd"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("C:\\Users\\yamada\\見積書.xlsx")), S("見積書.xlsx"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("con")), S("_con"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("NUL.txt")), S("_NUL.txt"));
    // Blanks before the extension do not hide a device name either.
    EXPECT_EQ(Svc::SafeAttachmentName(S("Com1 .log")), S("_Com1 .log"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("aux  .txt")), S("_aux  .txt"));
    EXPECT_EQ(Svc::SafeAttachmentName(S(".bashrc")), S("_bashrc"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("..")), S("添付ファイル"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("report\u202Etxt.exe")), S("report_txt.exe"));
    EXPECT_TRUE(Svc::SafeAttachmentName(longName).endsWith(S(".pdf")));
    EXPECT_EQ(Svc::SafeAttachmentName(S("普通の名前 (1).txt")), S("普通の名前 (1).txt"));
}

TEST(SafeAttachmentName, NamesOfOneMessageNeverCollideEvenIgnoringCase) {
    const QStringList names = Svc::SafeAttachmentNames(
        {S("a.txt"), S("A.TXT"), S("dir/a.txt"), S("../a.txt"), S("b"), S("B")});
    EXPECT_EQ(names, (QStringList{S("a.txt"), S("A (2).TXT"), S("a (3).txt"), S("a (4).txt"),
                                  S("b"), S("B (2)")}));
    // Long names keep their numbers inside the byte limit.
    const QString longName = QString(300, u'x') + S(".dat");
    const QStringList longOnes = Svc::SafeAttachmentNames({longName, longName});
    EXPECT_NE(longOnes[0], longOnes[1]);
    EXPECT_TRUE(longOnes[1].endsWith(S(" (2).dat")));
    EXPECT_LE(longOnes[1].toUtf8().size(), Svc::kMaxSafeNameBytes);
}

TEST(ObjectElements, FilesAreTheElementsOutsideTheBodyAndAreRewrittenInOrder) {
    const QString body =
        S("<HTML><BODY><P>&lt;OBJECT&gt; is text, and so is <object>/in/body</object></P>"
          "</BODY></HTML><OBJECT>/home/yamada/見積書.xlsx</OBJECT><object>C:\\a\\b.txt</Object>"
          "<OBJECT>unterminated");
    const auto elements = Svc::FindObjectElements(body);
    ASSERT_EQ(elements.size(), 2);
    EXPECT_EQ(elements[0].text, S("/home/yamada/見積書.xlsx"));
    EXPECT_EQ(elements[1].text, S("C:\\a\\b.txt"));
    EXPECT_EQ(body.mid(elements[1].start, elements[1].length), elements[1].text);

    QStringList paths;
    for (const auto& e : elements)
        paths.append(e.text);
    const QString sent = Svc::ReplaceObjectElements(body, Svc::SafeAttachmentNames(paths));
    EXPECT_TRUE(sent.endsWith(S("</HTML><OBJECT>見積書.xlsx</OBJECT><object>b.txt</Object>"
                                "<OBJECT>unterminated")));
    EXPECT_TRUE(sent.contains(S("<object>/in/body</object>")));
    // Fewer names than elements leave the rest alone.
    EXPECT_EQ(Svc::FindObjectElements(Svc::ReplaceObjectElements(body, {S("x")}))[1].text,
              S("C:\\a\\b.txt"));
    EXPECT_TRUE(Svc::FindObjectElements(S("<P>no files</P>")).isEmpty());
}

TEST(ObjectElements, AnElementHoldingABodyTagHidesNoElementFromTheRewrite) {
    const QString body = S("<HTML><BODY><P>x</P></BODY></HTML><OBJECT>a<BODY</OBJECT>"
                           "<OBJECT>/home/yamada/.ssh/id_ed25519</OBJECT>");
    const auto elements = Svc::FindObjectElements(body);
    ASSERT_EQ(elements.size(), 2);
    EXPECT_EQ(elements[1].text, S("/home/yamada/.ssh/id_ed25519"));
    const QString stored = Svc::RewriteReceivedBody(body, {S("a.txt")});
    EXPECT_TRUE(stored.endsWith(S("<OBJECT>a.txt</OBJECT><OBJECT>id_ed25519</OBJECT>")))
        << stored.toStdString();
    EXPECT_TRUE(Svc::NamesOnlySafeFiles(stored));
}

TEST(ObjectElements, EveryRewrittenBodyNamesOnlySafeFilesWhateverItsPieces) {
    // Bodies strung together from the pieces that steer the scan, in every order a seeded
    // generator comes up with; the fuzz target goes on from here.
    const QString pieces[] = {S("<OBJECT>"), S("</OBJECT>"), S("<BODY"),       S("<body>"),
                              S("</BODY>"),  S("</body>"),   S("/etc/passwd"), S("..\\..\\x"),
                              S("<"),        S(">"),         S("a"),           S("<OBJECT"),
                              S("OBJECT>"),  S("<BO"),       S("DY")};
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> piece(0, int(std::size(pieces)) - 1);
    std::uniform_int_distribution<int> length(1, 24);
    for (int round = 0; round < 20000; ++round) {
        QString body;
        for (int n = length(random); n > 0; --n)
            body += pieces[piece(random)];
        const QString stored = Svc::RewriteReceivedBody(body, {S("one.txt")});
        ASSERT_TRUE(Svc::NamesOnlySafeFiles(stored)) << body.toStdString();
        // Storing the stored body again changes nothing.
        ASSERT_EQ(Svc::RewriteReceivedBody(stored, {}), stored) << body.toStdString();
    }
}

TEST(AttachmentNames, InvisibleCharactersOutsideTheBasicPlaneAreReplacedToo) {
    const char32_t tagA = 0xE0041, unassigned = 0xE0080, language = 0xE0001;
    for (char32_t c : {tagA, unassigned, language}) {
        const QString name = S("report") + QString::fromUcs4(&c, 1) + S(".pdf");
        EXPECT_EQ(Svc::SafeAttachmentName(name), S("report_.pdf"));
    }
    EXPECT_EQ(Svc::SafeAttachmentName(S("a") + QChar(0xD800) + S(".txt")), S("a_.txt"));
    EXPECT_EQ(Svc::SafeAttachmentName(S("写真😀.jpg")), S("写真😀.jpg"));
}
