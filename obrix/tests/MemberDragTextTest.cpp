#include "obrix/CMemberDragText.h"

#include <QMimeData>
#include <gtest/gtest.h>

#include <memory>

using Item = CMemberDragText::Item;

TEST(MemberDragText, SelectionBecomesMarkedFieldsAndKind) {
    CMemberDragText one;
    one.Add(CMemberDragText::Member, QStringLiteral("suzuki"));
    EXPECT_EQ(one.Text(), QStringLiteral("M,suzuki"));
    EXPECT_EQ(one.Kind(), CMemberDragText::OneMember);

    CMemberDragText members(
        {{CMemberDragText::Member, QStringLiteral("a")}, {CMemberDragText::Member, "b"}});
    EXPECT_EQ(members.Kind(), CMemberDragText::Members);

    CMemberDragText group({{CMemberDragText::OnNetters, QStringLiteral("OnNetters")}});
    EXPECT_EQ(group.Text(), QStringLiteral("O,OnNetters"));
    EXPECT_EQ(group.Kind(), CMemberDragText::OneGroup);
    group.Add(CMemberDragText::Group, QStringLiteral("sales"));
    EXPECT_EQ(group.Kind(), CMemberDragText::Groups);

    CMemberDragText mixed({{CMemberDragText::Group, QStringLiteral("sales")},
                           {CMemberDragText::Member, QStringLiteral("tanaka")}});
    EXPECT_EQ(mixed.Text(), QStringLiteral("G,sales,M,tanaka"));
    EXPECT_EQ(mixed.Kind(), CMemberDragText::Mixed);
}

TEST(MemberDragText, BytesAreUtf16LittleEndianWithTerminator) {
    const QByteArray bytes = CMemberDragText::ToBytes(QStringLiteral("M,鈴"));
    EXPECT_EQ(bytes, QByteArray("M\0,\0\x34\x92\0\0", 8));
    EXPECT_EQ(CMemberDragText::FromBytes(bytes), QStringLiteral("M,鈴"));
    // A sender without a terminator, or with bytes after it, or with a torn last character.
    EXPECT_EQ(CMemberDragText::FromBytes(QByteArray("G\0,\0x\0", 6)), QStringLiteral("G,x"));
    EXPECT_EQ(CMemberDragText::FromBytes(QByteArray("M\0\0\0junk", 8)), QStringLiteral("M"));
    EXPECT_EQ(CMemberDragText::FromBytes(QByteArray("M\0,", 3)), QStringLiteral("M"));
}

TEST(MemberDragText, MimeDataCarriesTheTextUnderItsOwnType) {
    CMemberDragText drag({{CMemberDragText::Member, QStringLiteral("m1")}});
    std::unique_ptr<QMimeData> data(drag.ToMimeData());
    QString text;
    ASSERT_TRUE(CMemberDragText::FromMimeData(data.get(), text));
    EXPECT_EQ(text, QStringLiteral("M,m1"));

    QMimeData plain;
    plain.setText(QStringLiteral("M,m1"));
    EXPECT_FALSE(CMemberDragText::FromMimeData(&plain, text));
    EXPECT_FALSE(CMemberDragText::FromMimeData(nullptr, text));
}

TEST(MemberDragText, ParseReadsWhatTheWriterWritesAndMarkerRuns) {
    const QList<Item> written = {{CMemberDragText::Member, QStringLiteral("G")},
                                 {CMemberDragText::Group, QStringLiteral("m")},
                                 {CMemberDragText::OnNetters, QStringLiteral("OnNetters")}};
    bool complete = false;
    EXPECT_EQ(CMemberDragText::Parse(CMemberDragText(written).Text(), &complete), written);
    EXPECT_TRUE(complete);

    // Several ids after one marker, lower-case markers, empty fields.
    EXPECT_EQ(CMemberDragText::Parse(QStringLiteral("m,a,b,,g,s")),
              (QList<Item>{{CMemberDragText::Member, "a"},
                           {CMemberDragText::Member, "b"},
                           {CMemberDragText::Group, "s"}}));

    // An id before any marker stops the reading.
    EXPECT_TRUE(CMemberDragText::Parse(QStringLiteral("x,M,a"), &complete).isEmpty());
    EXPECT_FALSE(complete);
    EXPECT_TRUE(CMemberDragText::Parse(QString()).isEmpty());
}
