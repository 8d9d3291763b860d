// The message options as stored by the core and edited in the option dialog.
#include "LetrixTestSupport.h"

#include "plugin/im/letrix/CIMMesPropDialog.h"
#include "plugin/im/letrix/CIMMesSettings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

TEST_F(LetrixTest, SettingsDefaultWhenNothingIsStoredAndReadBackWhatWasWritten) {
    CIMMesSettings read;
    read.Read(core);
    EXPECT_EQ(read, CIMMesSettings());
    EXPECT_EQ(read.noticePosition, 1);
    EXPECT_EQ(read.fontName, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(read.OptionFont().heightTwips, 240);
    EXPECT_EQ(read.backColor, 0xFFFFFFu);

    CIMMesSettings s;
    s.noticePosition = 3;
    s.checkItem1 = 1;
    s.checkItem2 = 1;
    s.fontName = QStringLiteral("ＭＳ 明朝");
    s.fontSize = QStringLiteral("18");
    s.foreColor = 0x00123456;
    s.backColor = 0x00ABCDEF;
    s.ringToneSetType = 1;
    s.ringToneFilePath = QStringLiteral("/home/u/音.wav");
    ASSERT_TRUE(s.Write(core));
    EXPECT_EQ(
        ScriptedCore::StoredInt(QStringLiteral("DefaultSetting"), QStringLiteral("ForeColor")),
        0x00123456);
    EXPECT_EQ(
        ScriptedCore::StoredString(QStringLiteral("DefaultSetting"), QStringLiteral("FontSize")),
        QStringLiteral("18"));
    EXPECT_EQ(ScriptedCore::WriteCount(), 9);
    read.Read(core);
    EXPECT_EQ(read, s);
}

TEST_F(LetrixTest, OptionDialogStoresBuiltInToneForAFileWithoutPath) {
    CIMMesSettings s;
    s.ringToneSetType = CIMMesSettings::File;
    s.ringToneFilePath = QStringLiteral("/x.wav");
    CIMMesPropDialog dlg(Resources(), s);
    EXPECT_TRUE(dlg.PathField()->isEnabled());
    dlg.ToneButton(CIMMesSettings::NoTone)->click();
    EXPECT_FALSE(dlg.PathField()->isEnabled());
    dlg.ToneButton(CIMMesSettings::File)->click();
    dlg.PathField()->clear();
    std::optional<CIMMesSettings> stored;
    QObject::connect(&dlg, &CIMMesPropDialog::Stored, &dlg,
                     [&](const CIMMesSettings& v) { stored = v; });
    dlg.OnOK();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->ringToneSetType, CIMMesSettings::BuiltIn);

    // Default puts every default back into the controls.
    dlg.PositionButton(CIMMesSettings::Center)->click();
    dlg.SizeList()->setCurrentText(QStringLiteral("36"));
    dlg.SetDefaults();
    EXPECT_EQ(dlg.Values(), CIMMesSettings());
    // A size that is no number cannot be taken.
    dlg.SizeList()->setCurrentText(QStringLiteral("大"));
    EXPECT_FALSE(dlg.Values());
}
