// Where arrival notices go and which tone announces a message.
#include "LetrixTestSupport.h"

#include "obrix/CIMSndData.h"
#include "obrix/CIMSndInfo.h"
#include "plugin/im/letrix/CIMMesNoticePlacement.h"
#include "plugin/im/letrix/CIMMesRingTone.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const CIMMesNoticePlacement::Metrics kScreen{QSize(1000, 400), 15, 20, QSize(3, 5)};
const QSize kNotice(280, 80);

} // namespace

TEST(NoticePlacement, FixedPositions) {
    CIMMesNoticePlacement p;
    EXPECT_EQ(p.Place(0, kNotice, kScreen), QPoint(360, 160));
    EXPECT_EQ(p.Place(1, kNotice, kScreen), QPoint(720, 0));
    EXPECT_EQ(p.Place(4, kNotice, kScreen), QPoint(0, 20 + 400 - 80));
    EXPECT_EQ(p.Place(1, QSize(281, 81), {QSize(1001, 401), 0, 0, QSize()}), QPoint(720, 0));
    // Odd sizes halve down.
    EXPECT_EQ(p.Place(0, QSize(281, 81), {QSize(1001, 401), 0, 0, QSize()}), QPoint(360, 160));
}

TEST(NoticePlacement, CascadesWrapAndRestartOnAChangeOfPosition) {
    CIMMesNoticePlacement p;
    // Going down in steps of small caption + frame height (20): the fourth notice is three
    // steps below the first.
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(p.Place(2, kNotice, kScreen), QPoint(0, 20 * n)) << n;
    // 16 steps fit (15 x 20 + 80 = 380 < 400); the 17th would reach the bottom (320 + 80).
    for (int n = 4; n < 16; ++n)
        p.Place(2, kNotice, kScreen);
    EXPECT_EQ(p.Place(2, kNotice, kScreen), QPoint(0, 0));
    EXPECT_EQ(p.Place(2, kNotice, kScreen), QPoint(0, 20));

    // Going right in steps of small caption + frame width (18); a change restarts.
    EXPECT_EQ(p.Place(3, kNotice, kScreen), QPoint(0, 0));
    EXPECT_EQ(p.Place(3, kNotice, kScreen), QPoint(18, 0));
    p.Place(1, kNotice, kScreen);
    EXPECT_EQ(p.Place(3, kNotice, kScreen), QPoint(0, 0));
    // 40 x 18 + 280 = 1000 reaches the width: back to the left.
    CIMMesNoticePlacement right;
    for (int n = 0; n < 40; ++n)
        right.Place(3, kNotice, kScreen);
    EXPECT_EQ(right.Place(3, kNotice, kScreen), QPoint(0, 0));
}

TEST(RingTone, MemberToneFirstThenTheOption) {
    CIMSndInfo tones;
    tones.AddIMSndData(CIMSndData(QStringLiteral("taro"), QStringLiteral("/t/taro.wav")));
    CIMMesSettings s;
    const QString app = QStringLiteral("/opt/zelta/");
    EXPECT_EQ(CIMMesRingTone::PathFor(tones, QStringLiteral("hana"), s, app),
              QStringLiteral("/opt/zelta/plugin/im/MessageArrival.wav"));
    s.ringToneSetType = CIMMesSettings::File;
    s.ringToneFilePath = QStringLiteral("/t/own.wav");
    EXPECT_EQ(CIMMesRingTone::PathFor(tones, QStringLiteral("hana"), s, app), s.ringToneFilePath);
    s.ringToneSetType = CIMMesSettings::NoTone;
    EXPECT_TRUE(CIMMesRingTone::PathFor(tones, QStringLiteral("hana"), s, app).isEmpty());
    // The member's own tone wins even over "no tone".
    EXPECT_EQ(CIMMesRingTone::PathFor(tones, QStringLiteral("taro"), s, app),
              QStringLiteral("/t/taro.wav"));

    QTemporaryDir dir;
    const QString wav = WriteTestFile(dir, QStringLiteral("a.wav"), "RIFF");
    EXPECT_TRUE(CIMMesRingTone::IsPlayable(wav));
    EXPECT_FALSE(CIMMesRingTone::IsPlayable(dir.filePath(QStringLiteral("missing.wav"))));
    EXPECT_FALSE(CIMMesRingTone::IsPlayable(dir.path()));
    EXPECT_FALSE(CIMMesRingTone::IsPlayable(QString()));
}
