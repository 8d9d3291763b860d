// Adding files to a message: the checks in order and the limits.
#include "LetrixTestSupport.h"

#include "plugin/im/letrix/CIMMesAttachList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AttachList : public ::testing::Test {
protected:
    QString Make(const QString& name, int bytes) {
        return WriteTestFile(dir, name, QByteArray(bytes, 'x'));
    }
    QTemporaryDir dir;
    uint64_t limit = 1000;
    CIMMesAttachList list{[this] { return limit; }};
};

} // namespace

TEST_F(AttachList, ThirtiethFileIsTakenTheThirtyFirstRefused) {
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(list.Add(Make(QStringLiteral("f%1.txt").arg(i), 1)), CIMMesAttachList::Accepted)
            << i;
    EXPECT_EQ(list.Add(Make(QStringLiteral("f30.txt"), 1)), CIMMesAttachList::TooMany);
    EXPECT_EQ(list.Count(), 30);
    EXPECT_EQ(list.Items().front().displayName, QStringLiteral("f0.txt"));
}

TEST_F(AttachList, RefusalsLeaveTheListAsItWas) {
    EXPECT_EQ(list.Add(Make(QStringLiteral("empty"), 0)), CIMMesAttachList::Empty);
    EXPECT_EQ(list.Add(dir.filePath(QStringLiteral("missing"))), CIMMesAttachList::Unreadable);
    EXPECT_EQ(list.Add(dir.path()), CIMMesAttachList::Unreadable);
    const QString a = Make(QStringLiteral("a.bin"), 600);
    EXPECT_EQ(list.Add(a), CIMMesAttachList::Accepted);
    EXPECT_EQ(list.Add(a), CIMMesAttachList::Duplicate); // silent
    // 600 + 400 reaches the limit exactly: refused; 399 stays below it.
    EXPECT_EQ(list.Add(Make(QStringLiteral("b.bin"), 400)), CIMMesAttachList::TooLarge);
    EXPECT_EQ(list.Add(Make(QStringLiteral("c.bin"), 399)), CIMMesAttachList::Accepted);
    EXPECT_EQ(list.TotalSize(), 999u);
    EXPECT_EQ(list.Paths(), QStringList({a, dir.filePath(QStringLiteral("c.bin"))}));
    list.RemoveAt(0);
    EXPECT_EQ(list.Add(Make(QStringLiteral("b.bin"), 400)), CIMMesAttachList::Accepted);
}

TEST(AttachIcons, ExtensionAfterTheLastDotOrIco) {
    EXPECT_EQ(CIMMesAttachList::IconExtension(QStringLiteral("/a.b/report.tar.gz")),
              QStringLiteral("gz"));
    EXPECT_EQ(CIMMesAttachList::IconExtension(QStringLiteral("/a.b/README")),
              QStringLiteral("ico"));
}

TEST(ReceivedFiles, OneFilePerObjectElementAfterTheBody) {
    const QString body = QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\">本文 <OBJECT>not a file</OBJECT>"
                                        "</BODY><OBJECT>資料.pdf</OBJECT><object>b 1.txt</object>");
    EXPECT_EQ(CIMMesAttachList::ReceivedFiles(QStringLiteral("/home/u/message/"),
                                              QStringLiteral("m-9"), body),
              QStringList({QStringLiteral("/home/u/message/files/m-9資料.pdf"),
                           QStringLiteral("/home/u/message/files/m-9b 1.txt")}));
    EXPECT_TRUE(CIMMesAttachList::ReceivedFiles(QStringLiteral("/m/"), QStringLiteral("x"),
                                                QStringLiteral("<BODY>x</BODY>"))
                    .isEmpty());
}
