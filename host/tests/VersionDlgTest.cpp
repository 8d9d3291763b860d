// The version dialog's lines and product version, and the language module's strings.
#include "host/CCoreModuleList.h"
#include "host/CHostCore.h"
#include "host/CLangModule.h"
#include "host/CVersionDlg.h"
#include "host/tests/HostTestSupport.h"
#include "obrix/QtTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(VersionDialog, ListsEachModuleFollowedByItsSubModulesAndTheProductVersion) {
    CTestProgramDir dir;
    ASSERT_TRUE(dir.AddFixture("FixtureCore", "a.so",
                               {"type=4", "subModules=2", "version=0x0003000C", "company=ACME"}));
    ASSERT_TRUE(dir.AddFixture("FixtureCore", "b.so", {"type=2", "local=設定"}));
    CHostCore core;
    CCoreModuleList list;
    core.SetModules(&list);
    ASSERT_EQ(list.Load(dir.PluginDir()), 1);

    const QStringList expected = {
        "b.so    version 1.2    (Tovar)    設定",
        "a.so    version 3.12    (ACME)    テスト用モジュール",
        "Sub0.zpm    version 2.0    (Maker0)    サブ0",
        "Sub1.zpm    version 2.1    (Maker1)    サブ1",
    };
    EXPECT_EQ(CVersionDlg::ModuleLines(list), expected);

    CVersionDlg dialog(list, "Zelta のバージョン情報", nullptr);
    EXPECT_EQ(dialog.Lines(), expected);
    // The fixture provider answers VERSION_H..B with 1, 2, 3, 4.
    EXPECT_EQ(dialog.VersionText(), "Ver.1.2.3.4");
    EXPECT_EQ(dialog.windowTitle(), "Zelta のバージョン情報");

    dialog.show();
    auto* ok = dialog.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    EXPECT_EQ(dialog.Lines(), expected);
    list.Release();
}

TEST(VersionDialog, ProductVersionIsZeroWithoutASettingsProvider) {
    EXPECT_EQ(CVersionDlg::ProductVersionText(), "Ver.0.0.0.0"); // no host at all
    CHostCore core;
    CCoreModuleList list;
    core.SetModules(&list);
    EXPECT_EQ(CVersionDlg::ProductVersionText(), "Ver.0.0.0.0");
}

TEST(LanguageModule, JapaneseStringsAreFormatsWithOneArgumentAndMissingOnesAreEmpty) {
    CLangModule lang;
    EXPECT_EQ(lang.String(102), QString()); // not loaded
    ASSERT_TRUE(lang.Load(OutDir() + "/lang/Japanese.so"));
    for (int id : {102, 103, 105})
        EXPECT_EQ(lang.String(id).count("%s"), 1) << id;
    EXPECT_FALSE(lang.String(104).isEmpty());
    EXPECT_EQ(lang.String(999), QString());
    EXPECT_EQ(CLangModule::Format(lang.String(102), "Kernova.so"),
              QString::fromUtf8("Kernova.so を読み込んでいます..."));
    EXPECT_EQ(CLangModule::Format("%s 100%% %s", "a"), "a 100% ");
    EXPECT_EQ(CLangModule::Format("", "a"), "");
}

} // namespace

namespace {

TEST(QtTexts, StandardButtonsAndMenusAreInJapanese) {
    ASSERT_TRUE(QtTexts::InstallJapanese())
        << "Qt's Japanese texts (qt6-translations-l10n) are not installed";
    EXPECT_TRUE(QtTexts::InstallJapanese()) << "a second call changes nothing";
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_NE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Yes"));
}

} // namespace
