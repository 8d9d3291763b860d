// What zeltactl makes of the bytes of its command line.
#include "tools/zeltactl/tests/ZeltactlTestSupport.h"

using namespace svctest;

using CommandLineText = ZeltactlTest;

TEST_F(CommandLineText, ArgumentsThatAreNotUtf8AreRefusedNotReplaced) {
    // The shell hands over the raw bytes; a QProcess argument would be encoded first.
    QProcess p;
    p.start(Utf8("/bin/sh"), {Utf8("-c"),
                              Utf8("exec \"$0\" --service \"$1\" member add \"$(printf 'x\\377y')\""
                                   " --password pw"),
                              Zeltactl(), dir});
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_EQ(Finish(p), 2);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(Utf8("UTF-8")));
    QString out;
    ASSERT_EQ(Run({Utf8("member"), Utf8("list")}, &out), 0);
    EXPECT_FALSE(out.contains(QChar(0xFFFD)));
    EXPECT_FALSE(out.contains(Utf8("x")));
}
