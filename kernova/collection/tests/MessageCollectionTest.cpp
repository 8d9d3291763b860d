#include "kernova/collection/CMessageCollection.h"

#include "obrix/CArchive.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

std::unique_ptr<CLetrix> MakeMessage(int i) {
    auto m = std::make_unique<CLetrix>();
    m->SetMessageID(QStringLiteral("2026120711%1-sato").arg(i, 7, 10, QLatin1Char('0')));
    m->SetFromID(S("sato"));
    m->SetFromName(S("佐藤  健一"));
    m->AddDst(CLetrix::DST_TO, QStringLiteral("suzuki,m%1").arg(i % 7));
    if (i % 3 == 0)
        m->AddDst(CLetrix::DST_CC, S("all@eigyo"));
    if (i % 5 == 0)
        m->AddDst(CLetrix::DST_BCC, S("tanaka"));
    SYSTEMTIME t{2026, 12, 1, 7, 11, uint16_t(i % 60), uint16_t(i % 60), uint16_t(i % 1000)};
    m->SetSendTime(t, 0);
    m->SetDstRecvTime(CLetrix::DST_TO, S("suzuki"), t, 0);
    m->SetSubject(QStringLiteral("件名 %1").arg(i));
    m->SetMessage(QStringLiteral("<HTML><BODY><P>本文 %1</P></BODY></HTML>").arg(i) +
                  QString(i % 50, u'あ'));
    m->SetPriority(uint32_t(i % 3));
    m->SetFlags(i % 2 ? LETRIX_FLAG_READ : 0);
    m->SetBgColor(uint32_t(0x00CCFFCC));
    m->SetType(S("type"));
    return m;
}

QByteArray Stored(const CLetrix& m) {
    CArchive ar;
    const_cast<CLetrix&>(m).Serialize(ar);
    return ar.Bytes();
}

// 2 drafts, 3 sent and count - 5 received messages.
CMessageCollection Sample(int count) {
    CMessageCollection c;
    for (int i = 0; i < count; ++i)
        c.Add(i < 2   ? CMessageCollection::Drafts
              : i < 5 ? CMessageCollection::Sent
                      : CMessageCollection::Received,
              MakeMessage(i));
    return c;
}

void ExpectSame(const CMessageCollection& a, const CMessageCollection& b) {
    for (int g = 0; g < CMessageCollection::kGroups; ++g) {
        const auto group = CMessageCollection::Group(g);
        ASSERT_EQ(a.Count(group), b.Count(group)) << g;
        for (size_t i = 0; i < a.Messages(group).size(); ++i)
            EXPECT_EQ(Stored(*a.Messages(group)[i]), Stored(*b.Messages(group)[i]))
                << g << "/" << i;
    }
}

void PutLE64(QByteArray& bytes, qsizetype at, int64_t value) {
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

TEST(MessageCollection, ManyMessagesSurviveAFileRoundTripInTheirGroupsAndOrder) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath(S("ExportFile.zdc"));
    CMessageCollection out = Sample(500);
    ASSERT_TRUE(out.Save(path)) << out.ErrorText().toStdString();
    CMessageCollection in;
    ASSERT_TRUE(in.Load(path)) << in.ErrorText().toStdString();
    EXPECT_EQ(in.Count(CMessageCollection::Drafts), 2);
    EXPECT_EQ(in.Count(CMessageCollection::Sent), 3);
    EXPECT_EQ(in.Count(CMessageCollection::Received), 495);
    ExpectSame(out, in);
    const CLetrix& m = *in.Messages(CMessageCollection::Received)[10];
    EXPECT_EQ(m.GetMessageID(), MakeMessage(15)->GetMessageID());
    EXPECT_EQ(m.GetDstString(CLetrix::DST_CC), S("all@eigyo"));
    SYSTEMTIME recv{};
    EXPECT_EQ(m.GetDstRecvTime(CLetrix::DST_TO, S("suzuki"), recv, 0), 1);

    // The header is as documented.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith(QByteArray("ZELTADC\x1A", 8)));
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 8), 1u);
    EXPECT_EQ(qFromLittleEndian<int64_t>(bytes.constData() + 28), 495);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + bytes.size() - 4), 0x55555555u);

    // An empty collection is a valid file too.
    CMessageCollection empty;
    ASSERT_TRUE(empty.Save(path));
    ASSERT_TRUE(in.Load(path));
    EXPECT_EQ(in.Total(), 0);
}

TEST(MessageCollection, ACutFileIsRefusedWholeAtEveryCutPoint) {
    CMessageCollection out = Sample(12);
    const QByteArray bytes = out.ToBytes();
    CMessageCollection in;
    for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
        in = Sample(3); // something to lose: a refusal leaves nothing, not the old contents
        ASSERT_FALSE(in.FromBytes(bytes.left(cut))) << cut;
        EXPECT_EQ(in.Total(), 0) << cut;
        EXPECT_FALSE(in.ErrorText().isEmpty());
    }
    // Extra bytes after the end mark are refused as well.
    EXPECT_FALSE(in.FromBytes(bytes + QByteArray(1, '\0')));
    EXPECT_TRUE(in.FromBytes(bytes));
    ExpectSame(out, in);
}

TEST(MessageCollection, ForeignFilesHugeCountsAndUnsafeIdsAreRefused) {
    const QByteArray good = Sample(6).ToBytes();
    CMessageCollection in;
    auto refused = [&](const QByteArray& bytes, const char* what) {
        EXPECT_FALSE(in.FromBytes(bytes)) << what;
        EXPECT_EQ(in.Total(), 0) << what;
    };
    refused(QByteArray(), "empty");
    refused(QByteArray("PK\x03\x04 a zip file, not a collection at all......................"),
            "foreign");
    QByteArray wrongVersion = good;
    qToLittleEndian<uint32_t>(2, wrongVersion.data() + 8);
    refused(wrongVersion, "version");
    for (int64_t count : {int64_t(-1), int64_t(1) << 62, int64_t(INT64_MAX), int64_t(7)}) {
        for (qsizetype at : {12, 20, 28}) {
            QByteArray huge = good;
            PutLE64(huge, at, count);
            refused(huge, "count");
        }
    }
    // Counts that each fit but not together.
    QByteArray sum = good;
    const int64_t room = (good.size() - 40) / CMessageCollection::kMinStoredMessageBytes;
    PutLE64(sum, 12, room / 2 + 1);
    PutLE64(sum, 20, room / 2 + 1);
    refused(sum, "sum");
    // A message length beyond the file.
    QByteArray length = good;
    qToLittleEndian<uint32_t>(0xFFFFFFF0u, length.data() + 36);
    refused(length, "length");

    // Message ids that would be paths when the messages are stored.
    for (const char* id : {"../../evil", "a/b", "", ".hidden", "x\\y"}) {
        CMessageCollection c;
        auto m = MakeMessage(1);
        m->SetMessageID(S(id));
        c.Add(CMessageCollection::Received, std::move(m));
        refused(c.ToBytes(), id);
    }

    // A file that is not there, or a directory, is an error and not a crash.
    QTemporaryDir tmp;
    EXPECT_FALSE(in.Load(tmp.filePath(S("none.zdc"))));
    EXPECT_FALSE(in.Load(tmp.path()));
    // Saving into a missing folder fails and leaves no file behind.
    CMessageCollection out = Sample(6);
    EXPECT_FALSE(out.Save(tmp.filePath(S("missing/ExportFile.zdc"))));
    EXPECT_FALSE(out.ErrorText().isEmpty());
}

TEST(MessageCollection, TheSmallestValidMessageIsReadAndIdsFollowTheOneRule) {
    // A message with 8-bit empty strings, the one-character id "a" and no destinations.
    CArchive one;
    for (int i = 0; i < 2; ++i)
        one.WriteUInt8(0); // sender id and name
    for (int i = 0; i < 3; ++i)
        one.WriteInt32(0); // To, Cc, Bcc
    one.WriteInt32(0);     // reply mode
    one.WriteUInt8(0);     // reply-to
    one.WriteUInt8(1);
    one.WriteUInt8('a'); // message id
    one.WriteUInt8(0);   // reference id
    for (int i = 0; i < 5; ++i)
        one.WriteInt32(0); // priority, flags, picture number and version, colour
    for (int i = 0; i < 2; ++i)
        one.WriteUInt8(0); // type and type value
    one.WriteInt64(0);     // send time
    for (int i = 0; i < 2; ++i)
        one.WriteUInt8(0); // subject and body
    CArchive file;         // the archive's integers are the collection's little-endian ones
    for (char c : CMessageCollection::Magic())
        file.WriteUInt8(uint8_t(c));
    file.WriteUInt32(CMessageCollection::kVersion);
    for (int64_t count : {0, 0, 1})
        file.WriteInt64(count);
    file.WriteUInt32(uint32_t(one.Bytes().size()));
    for (char c : one.Bytes())
        file.WriteUInt8(uint8_t(c));
    file.WriteUInt32(CMessageCollection::kEndMark);
    const QByteArray& bytes = file.Bytes();

    CMessageCollection in;
    ASSERT_TRUE(in.FromBytes(bytes)) << in.ErrorText().toStdString();
    ASSERT_EQ(in.Count(CMessageCollection::Received), 1);
    EXPECT_EQ(in.Messages(CMessageCollection::Received)[0]->GetMessageID(), S("a"));

    // Ids that no service accepts: too long in bytes, or two that would name one file.
    for (const QString& id : {QString(43, u'あ'), S("m") + QChar(0xD800), S("m") + QChar(0xDC00)}) {
        CMessageCollection c;
        auto m = MakeMessage(1);
        m->SetMessageID(id);
        c.Add(CMessageCollection::Received, std::move(m));
        EXPECT_FALSE(in.FromBytes(c.ToBytes())) << id.toUtf8().toHex().toStdString();
    }
}
