#include "obrix/CHtmlTagString.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString deleteTag(const QString& text, const char16_t* tag) {
    CHtmlTagString s(text);
    s.DeleteTag(tag);
    return s.GetString();
}

QString insertAttr(const QString& text, const char16_t* tag, const char16_t* attr,
                   const char16_t* value) {
    CHtmlTagString s(text);
    s.InsertTagAttr(tag, attr, value);
    return s.GetString();
}

QString s2cOld(const QString& text) {
    CHtmlTagString s(text);
    s.ReplaceMarkS2COld();
    return s.GetString();
}

} // namespace

TEST(HtmlTagString, DeleteAllTagKeepsTextOutsideTagsAndDropsAnUnclosedTail) {
    CHtmlTagString s(QStringLiteral("a<b>c</b>d"));
    s.DeleteAllTag();
    EXPECT_EQ(s.GetString(), u"acd");
    s = QStringLiteral("a>b<<i>x>");
    s.DeleteAllTag();
    EXPECT_EQ(s.GetString(), u"a>bx>");
    s = QStringLiteral("x<br>y<FONT SIZE=3");
    s.DeleteAllTag();
    EXPECT_EQ(s.GetString(), u"xy");
}

TEST(HtmlTagString, DeleteTagRemovesEveryOpeningTagOfTheToken) {
    EXPECT_EQ(deleteTag(QStringLiteral("<FONT SIZE=3>x</FONT>"), u"<font"), u"x</FONT>");
    // Only the token of the argument counts; adjacent and repeated tags all go.
    EXPECT_EQ(deleteTag(QStringLiteral("<font a><FoNt>1<FONT b>2</font>"), u"<FONT COLOR=red>"),
              u"12</font>");
    // A tag without its '>' ends the work; the ones before it are already gone.
    EXPECT_EQ(deleteTag(QStringLiteral("<font>a<FONT SIZE=3"), u"<FONT"), u"a<FONT SIZE=3");
    EXPECT_EQ(deleteTag(QStringLiteral("<b>x</b>"), u""), u"<b>x</b>");
    EXPECT_EQ(deleteTag(QStringLiteral("<b>x</b>"), u" <b>"), u"<b>x</b>");
}

TEST(HtmlTagString, EditsLandAtTheSamePlaceWhateverUpperCaseDoesToOtherLetters) {
    // Letters whose full upper case is longer must not shift the edit positions.
    EXPECT_EQ(deleteTag(QStringLiteral("ßﬁ<font>ßx"), u"<FONT"), u"ßﬁßx");
    EXPECT_EQ(insertAttr(QStringLiteral("ßﬁ<font>"), u"<FONT", u"SIZE", u"2"), u"ßﬁ<font SIZE=2>");
    CHtmlTagString s(QStringLiteral("ßßß<a>é</a>"));
    QString inner;
    EXPECT_EQ(s.GetSplitTag(u"<A", u"</A>", inner, 0), 11);
    EXPECT_EQ(inner, u"é");
}

TEST(HtmlTagString, DeleteSplitTagRemovesWholeElements) {
    CHtmlTagString s(QStringLiteral("a<SCRIPT x>1</script>b<script>2</SCRIPT>c"));
    s.DeleteSplitTag(u"<script type=x>", u"</SCRIPT>");
    EXPECT_EQ(s.GetString(), u"abc");
    s = QStringLiteral("a<A>b</A>c<A>d");
    s.DeleteSplitTag(u"<A", u"</A>");
    EXPECT_EQ(s.GetString(), u"ac<A>d");
    s.DeleteSplitTag(u"<A", u"");
    EXPECT_EQ(s.GetString(), u"ac<A>d");
}

TEST(HtmlTagString, InsertTagAttrAddsOnlyWhereTheAttributeIsMissing) {
    EXPECT_EQ(insertAttr(QStringLiteral("<FONT SIZE=3>"), u"<FONT", u"COLOR", u"#FF0000"),
              u"<FONT SIZE=3 COLOR=#FF0000>");
    EXPECT_EQ(insertAttr(QStringLiteral("<font color=blue>"), u"<FONT", u"COLOR", u"#FF0000"),
              u"<font color=blue>");
    EXPECT_EQ(insertAttr(QStringLiteral("<font color=red>a<FONT>b</FONT>COLOR<font"), u"<FONT",
                         u"Color", u"x"),
              u"<font color=red>a<FONT Color=x>b</FONT>COLOR<font");
    EXPECT_EQ(insertAttr(QStringLiteral("<FONT>"), u"<FONT", u"", u"x"), u"<FONT>");
}

TEST(HtmlTagString, GetSplitTagWalksThroughSuccessiveElements) {
    CHtmlTagString s(QStringLiteral("x<a href=y>link</a>z"));
    QString inner;
    EXPECT_EQ(s.GetSplitTag(u"<A", u"</A>", inner, 0), 19);
    EXPECT_EQ(inner, u"link");

    s = QStringLiteral("<a>1</a>-<A x>Two</A><a></a><a>open");
    QStringList found;
    int pos = 0;
    while ((pos = s.GetSplitTag(u"<A", u"</A>", inner, pos)) >= 0)
        found << inner;
    EXPECT_EQ(found, QStringList({QStringLiteral("1"), QStringLiteral("Two"), QString()}));

    inner = QStringLiteral("kept");
    EXPECT_EQ(s.GetSplitTag(u"<A", u"</A>", inner, 1000), -1);
    EXPECT_EQ(s.GetSplitTag(u"<B", u"</B>", inner, 0), -1);
    s = QStringLiteral("<a href=x</a>");
    EXPECT_EQ(s.GetSplitTag(u"<A", u"</A>", inner, 0), -1);
    EXPECT_EQ(inner, u"kept");
}

TEST(HtmlTagString, IsTagAndIsSplitTagNeedTheClosingParts) {
    CHtmlTagString s(QStringLiteral("x<font"));
    EXPECT_EQ(s.IsTag(u"<FONT"), 0);
    s = QStringLiteral("x<font size=1>");
    EXPECT_EQ(s.IsTag(u"<FONT SIZE=2>"), 1);
    EXPECT_EQ(s.IsTag(u""), 0);
    s = QStringLiteral("</a> <a");
    EXPECT_EQ(s.IsSplitTag(u"<A", u"</A>"), 0);
    s = QStringLiteral("<a>x</A>");
    EXPECT_EQ(s.IsSplitTag(u"<A", u"</a>"), 1);
    EXPECT_EQ(s.IsTag(QStringLiteral("<A")), 1);
}

TEST(HtmlTagString, OldMarksBecomeHtmlInOrder) {
    EXPECT_EQ(s2cOld(QStringLiteral("1[EQ]2[LF]")), u"<BODY><DT>1=2<BR>\n</DT></BODY>");
    EXPECT_EQ(s2cOld(QStringLiteral("[BR]EQ]")), u"<BODY><DT>[EQ]</DT></BODY>");
    EXPECT_EQ(s2cOld(QStringLiteral("a[AP]b[CR][LF][CR][ap]")),
              u"<BODY><DT>a&b<BR>\n[ap]</DT></BODY>");
}

TEST(HtmlTagString, OldFontSizesMapOntoHtmlSizes) {
    EXPECT_EQ(s2cOld(QStringLiteral("SIZE=8 SIZE=9 SIZE=10 SIZE=11 SIZE=12 SIZE=14 SIZE=16 "
                                    "SIZE=18 SIZE=20 SIZE=24 SIZE=32 SIZE=48 SIZE=64 size=8")),
              u"<BODY><DT>SIZE=1 SIZE=2 SIZE=3 SIZE=4 SIZE=4 SIZE=5 SIZE=5 SIZE=6 SIZE=6 SIZE=6 "
              u"SIZE=7 SIZE=7 SIZE=7 size=8</DT></BODY>");
    // The rules apply one after the other, so an earlier result can meet a later rule.
    EXPECT_EQ(s2cOld(QStringLiteral("<FONT SIZE=80>")), u"<BODY><DT><FONT SIZE=3></DT></BODY>");
    EXPECT_EQ(s2cOld(QStringLiteral("SIZE[EQ]9")), u"<BODY><DT>SIZE=2</DT></BODY>");
}
