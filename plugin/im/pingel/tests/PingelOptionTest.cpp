// The option dialog: what it shows, its enabling rules, the checks on OK, what it writes
// and how it reaches an open notification window.
#include "PingelTestSupport.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/pingel/CColorButton.h"
#include "plugin/im/pingel/CPingelOptionDlg.h"
#include "plugin/im/pingel/CPingelUpDown.h"
#include "plugin/im/pingel/CStaticEx.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Dlg = CPingelOptionDlg;

class OptionDialog : public PingelTest {
protected:
    void SetUp() override {
        PingelTest::SetUp();
        ScriptedCore::SetInt(u"Line"_qs, u"Size"_qs, 7);
        ScriptedCore::SetInt(u"Close"_qs, u"Time"_qs, 30);
        ScriptedCore::SetInt(u"Status"_qs, u"Visible"_qs, 0);
        ScriptedCore::SetInt(u"OffNet"_qs, u"FontSize"_qs, 13); // not in the size list
        ScriptedCore::SetString(u"OnNet"_qs, u"FontName"_qs, u"No Such Face"_qs);
        app->OnOption();
        dlg = app->OptionDialog();
        ASSERT_NE(dlg, nullptr);
        dlg->SetWarner([this](QWidget*, const QString& caption, const QString& text) {
            warnings << caption + u'|' + text;
        });
    }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dlg->Control(id)); }
    QCheckBox* Check(int id) const { return qobject_cast<QCheckBox*>(dlg->Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(dlg->Control(id)); }
    QComboBox* List(int id) const { return qobject_cast<QComboBox*>(dlg->Control(id)); }
    QString Warning() const {
        return CResourceLoader::LoadString(Resources(), 700) + u'|' +
               CResourceLoader::LoadString(Resources(), 719);
    }
    // OK refused: one warning, the field focused with its text selected, nothing written.
    void ExpectRefused(int id) {
        warnings.clear();
        Button(Dlg::IDC_OK)->click();
        EXPECT_EQ(warnings, QStringList{Warning()});
        EXPECT_EQ(dlg->focusWidget(), Edit(id)) << id;
        EXPECT_EQ(Edit(id)->selectedText(), Edit(id)->text()) << id;
        EXPECT_EQ(ScriptedCore::WriteCount(), 0);
        EXPECT_EQ(app->OptionDialog(), dlg.data());
    }
    void PressKey(int key, Qt::KeyboardModifiers mods = {}) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        MSG msg{dlg->focusWidget(), &event};
        lastHandled = app->OnPreTranslateMessage(&msg);
    }

    QPointer<CPingelOptionDlg> dlg;
    QStringList warnings;
    int32_t lastHandled = 0;
};

TEST_F(OptionDialog, ShowsTheStoredSettingsWithTheCoresTexts) {
    EXPECT_EQ(dlg->windowTitle(), CResourceLoader::LoadString(Resources(), 700));
    EXPECT_EQ(Check(Dlg::IDC_VISIBLE)->text(), CResourceLoader::LoadString(Resources(), 701));
    EXPECT_EQ(Edit(Dlg::IDC_LINE_EDIT)->text(), u"7"_qs);
    EXPECT_EQ(Edit(Dlg::IDC_CLOSE_EDIT)->text(), u"30"_qs);
    EXPECT_FALSE(Check(Dlg::kRows[CPingelSettings::Status].check)->isChecked());
    EXPECT_EQ(List(Dlg::kRows[CPingelSettings::OnNet].face)->currentIndex(), -1);
    EXPECT_EQ(List(Dlg::kRows[CPingelSettings::OffNet].size)->currentIndex(), -1);
    EXPECT_EQ(List(Dlg::kRows[CPingelSettings::Message].size)->currentText(), u"9"_qs);
    auto* spin = static_cast<CPingelUpDown*>(dlg->Control(Dlg::IDC_WIDTH_SPIN));
    EXPECT_EQ(spin->Maximum(), QGuiApplication::primaryScreen()->availableGeometry().width());
}

TEST_F(OptionDialog, EnablingFollowsTheMasterAndEachSwitch) {
    const auto& status = Dlg::kRows[CPingelSettings::Status];
    for (int id : std::initializer_list<int>{status.preview, status.color, status.icon, status.face,
                                             status.size})
        EXPECT_FALSE(dlg->Control(id)->isEnabled()) << id;
    EXPECT_TRUE(dlg->Control(Dlg::kRows[CPingelSettings::OnNet].face)->isEnabled());

    Check(Dlg::IDC_WIDTH_CHECK)->setChecked(false);
    for (int id : {Dlg::IDC_WIDTH_EDIT, Dlg::IDC_WIDTH_SPIN, Dlg::IDC_WIDTH_UNIT})
        EXPECT_FALSE(dlg->Control(id)->isEnabled()) << id;
    EXPECT_TRUE(Edit(Dlg::IDC_CLOSE_EDIT)->isEnabled());

    Check(Dlg::IDC_VISIBLE)->setChecked(false);
    for (int id : std::initializer_list<int>{
             Dlg::IDC_LINE_EDIT, Dlg::IDC_CLOSE_CHECK, Dlg::IDC_CLOSE_EDIT, Dlg::IDC_ALPHA_EDIT,
             Dlg::IDC_BORDER, Dlg::IDC_BACK_COLOR, Dlg::kRows[CPingelSettings::OnNet].check,
             Dlg::kRows[CPingelSettings::OnNet].face})
        EXPECT_FALSE(dlg->Control(id)->isEnabled()) << id;
    for (int id : {Dlg::IDC_VISIBLE, Dlg::IDC_OK, Dlg::IDC_CANCEL, Dlg::IDC_DEFAULT})
        EXPECT_TRUE(dlg->Control(id)->isEnabled()) << id;

    Check(Dlg::IDC_VISIBLE)->setChecked(true);
    EXPECT_TRUE(Edit(Dlg::IDC_LINE_EDIT)->isEnabled());
    EXPECT_FALSE(Edit(Dlg::IDC_WIDTH_EDIT)->isEnabled()) << "its own switch is still off";
}

TEST_F(OptionDialog, RangesAreCheckedInOrderAndTheFirstBadFieldTakesTheFocus) {
    Edit(Dlg::IDC_LINE_EDIT)->setText(u"0"_qs);
    Edit(Dlg::IDC_WIDTH_EDIT)->setText(u"0"_qs);
    Edit(Dlg::IDC_CLOSE_EDIT)->setText(u""_qs);
    Edit(Dlg::IDC_ALPHA_EDIT)->setText(u"71"_qs);
    ExpectRefused(Dlg::IDC_LINE_EDIT);
    Edit(Dlg::IDC_LINE_EDIT)->setText(u"101"_qs);
    ExpectRefused(Dlg::IDC_LINE_EDIT);
    Edit(Dlg::IDC_LINE_EDIT)->setText(u"100"_qs);
    ExpectRefused(Dlg::IDC_WIDTH_EDIT);
    const int work = QGuiApplication::primaryScreen()->availableGeometry().width();
    Edit(Dlg::IDC_WIDTH_EDIT)->setText(QString::number(work + 1));
    ExpectRefused(Dlg::IDC_WIDTH_EDIT);
    Edit(Dlg::IDC_WIDTH_EDIT)->setText(QString::number(work));
    ExpectRefused(Dlg::IDC_CLOSE_EDIT);
    Edit(Dlg::IDC_CLOSE_EDIT)->setText(u"10000"_qs);
    ExpectRefused(Dlg::IDC_CLOSE_EDIT);
    Edit(Dlg::IDC_CLOSE_EDIT)->setText(u"9999"_qs);
    ExpectRefused(Dlg::IDC_ALPHA_EDIT);
    Edit(Dlg::IDC_ALPHA_EDIT)->setText(u"70"_qs);

    warnings.clear();
    Button(Dlg::IDC_OK)->click();
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(app->OptionDialog(), nullptr);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Line"_qs, u"Size"_qs), 100);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Width"_qs, u"Size"_qs), work);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Close"_qs, u"Time"_qs), 9999);
    EXPECT_EQ(ScriptedCore::StoredInt(u"PINGEL"_qs, u"Alpha"_qs), 70);
}

TEST_F(OptionDialog, DisabledFieldsAreNotCheckedAndStoredAsTheyStand) {
    Check(Dlg::IDC_WIDTH_CHECK)->setChecked(false);
    Edit(Dlg::IDC_WIDTH_EDIT)->setText(u"0"_qs);
    Check(Dlg::IDC_CLOSE_CHECK)->setChecked(false);
    Edit(Dlg::IDC_CLOSE_EDIT)->setText(u""_qs);
    Button(Dlg::IDC_OK)->click();
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(ScriptedCore::StoredInt(u"Width"_qs, u"Enable"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Width"_qs, u"Size"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Close"_qs, u"Time"_qs), 0);
}

TEST_F(OptionDialog, WithTheMasterOffEveryValueIsWrittenUnchecked) {
    Check(Dlg::IDC_VISIBLE)->setChecked(false);
    Edit(Dlg::IDC_LINE_EDIT)->setText(u"0"_qs);
    Edit(Dlg::IDC_ALPHA_EDIT)->setText(u"99"_qs);
    Button(Dlg::IDC_OK)->click();
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(app->OptionDialog(), nullptr);
    EXPECT_EQ(ScriptedCore::StoredInt(u"PINGEL"_qs, u"Visible"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Line"_qs, u"Size"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"PINGEL"_qs, u"Alpha"_qs), 99);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Status"_qs, u"Visible"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Message"_qs, u"Color"_qs), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"BackGround"_qs, u"Color"_qs), 0x00FFFFFF);
    // Faces and sizes that the lists do not hold keep their stored values.
    EXPECT_EQ(ScriptedCore::StoredString(u"OnNet"_qs, u"FontName"_qs), u"No Such Face"_qs);
    EXPECT_EQ(ScriptedCore::StoredInt(u"OffNet"_qs, u"FontSize"_qs), 13);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Message"_qs, u"FontSize"_qs), 9);
}

TEST_F(OptionDialog, DefaultThenCancelChangesNothing) {
    Button(Dlg::IDC_DEFAULT)->click();
    EXPECT_EQ(Edit(Dlg::IDC_LINE_EDIT)->text(), u"10"_qs);
    EXPECT_EQ(Edit(Dlg::IDC_CLOSE_EDIT)->text(), u"5"_qs);
    EXPECT_TRUE(Check(Dlg::kRows[CPingelSettings::Status].check)->isChecked());
    EXPECT_TRUE(dlg->Control(Dlg::kRows[CPingelSettings::Status].face)->isEnabled());
    Button(Dlg::IDC_CANCEL)->click();
    EXPECT_EQ(app->OptionDialog(), nullptr);
    EXPECT_EQ(ScriptedCore::WriteCount(), 0);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Line"_qs, u"Size"_qs), 7);
}

TEST_F(OptionDialog, ColoursFacesAndSizesReachThePreviewsAndTheSettings) {
    dlg->SetColorChooser([](QWidget*, COLORREF initial) -> std::optional<COLORREF> {
        return initial == 0x000000FF ? std::optional<COLORREF>(0x00112233) : 0x00445566;
    });
    const auto& on = Dlg::kRows[CPingelSettings::OnNet];
    Button(on.color)->click();
    Button(Dlg::IDC_BACK_COLOR)->click();
    auto* preview = static_cast<CStaticEx*>(dlg->Control(on.preview));
    EXPECT_EQ(preview->TextColor(), 0x00112233u);
    for (const auto& row : Dlg::kRows)
        EXPECT_EQ(static_cast<CStaticEx*>(dlg->Control(row.preview))->BackColor(), 0x00445566u);

    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    List(on.face)->setCurrentIndex(List(on.face)->findText(families.first()));
    List(on.size)->setCurrentIndex(List(on.size)->findText(u"24"_qs));
    EXPECT_EQ(preview->font().pointSize(), 24);
    EXPECT_TRUE(preview->font().families().contains(families.first()));

    dlg->SetColorChooser([](QWidget*, COLORREF) { return std::optional<COLORREF>(); });
    Button(Dlg::kRows[CPingelSettings::Message].color)->click(); // cancelled: unchanged

    Button(Dlg::IDC_OK)->click();
    EXPECT_EQ(ScriptedCore::StoredInt(u"OnNet"_qs, u"Color"_qs), 0x00112233);
    EXPECT_EQ(ScriptedCore::StoredInt(u"BackGround"_qs, u"Color"_qs), 0x00445566);
    EXPECT_EQ(ScriptedCore::StoredString(u"OnNet"_qs, u"FontName"_qs), families.first());
    EXPECT_EQ(ScriptedCore::StoredInt(u"OnNet"_qs, u"FontSize"_qs), 24);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Message"_qs, u"Color"_qs), 0);
}

TEST_F(OptionDialog, ASecondOpenRaisesTheSameDialog) {
    app->OnOption();
    EXPECT_EQ(app->OptionDialog(), dlg.data());
    int dialogs = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        dialogs += qobject_cast<CPingelOptionDlg*>(w) && w->isVisible();
    EXPECT_EQ(dialogs, 1);
    app->OnLogoff(1);
    EXPECT_TRUE(dlg.isNull()) << "log-off destroys the dialog";
}

TEST_F(OptionDialog, OkAppliesTheNewSettingsToAnOpenWindow) {
    ScriptedCore::AddGroup(u"g"_qs, u"総務"_qs);
    ScriptedCore::AddMembership(u"g"_qs, u"m"_qs, u"田中"_qs, u"外出"_qs);
    ScriptedCore::SetInt(u"Status"_qs, u"Visible"_qs, 1);
    app->OnChangeMemPresence(u"g", u"m", u"");
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->frameWidth(), 1);

    now += 20'000; // the close time read from the dialog is 30 s from here
    Edit(Dlg::IDC_ALPHA_EDIT)->setText(u"50"_qs);
    Check(Dlg::IDC_BORDER)->setChecked(false);
    Button(Dlg::IDC_OK)->click();
    ASSERT_EQ(app->Window(), wnd);
    EXPECT_EQ(qRound(wnd->windowOpacity() * 255), 127) << "the new opacity at once";
    EXPECT_FALSE(wnd->Timeline().Fading());
    EXPECT_EQ(wnd->frameWidth(), 0);
    now += 29'999;
    wnd->CloseTick();
    EXPECT_EQ(app->Window(), wnd) << "the close count started again at OK";
    now += 1;
    wnd->CloseTick();
    EXPECT_EQ(app->Window(), nullptr);
}

TEST_F(OptionDialog, TabSkipsWhatCannotTakeTheFocusAndEnterPressesButtons) {
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
    Check(Dlg::IDC_VISIBLE)->setFocus();
    Check(Dlg::IDC_WIDTH_CHECK)->setChecked(false);

    PressKey(Qt::Key_Tab);
    EXPECT_EQ(lastHandled, 1);
    EXPECT_EQ(dlg->focusWidget(), Edit(Dlg::IDC_LINE_EDIT)) << "labels are skipped";
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(dlg->focusWidget(), Check(Dlg::IDC_WIDTH_CHECK)) << "the up-down is skipped";
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(dlg->focusWidget(), Check(Dlg::IDC_CLOSE_CHECK)) << "a disabled field is skipped";
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dlg->focusWidget(), Check(Dlg::IDC_WIDTH_CHECK));
    PressKey(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(dlg->focusWidget(), Edit(Dlg::IDC_LINE_EDIT));
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dlg->focusWidget(), Button(Dlg::IDC_CANCEL)) << "wraps around";

    PressKey(Qt::Key_A);
    EXPECT_EQ(lastHandled, 0);
    Edit(Dlg::IDC_LINE_EDIT)->setFocus();
    PressKey(Qt::Key_Return);
    EXPECT_EQ(lastHandled, 0) << "Enter in a field is left to the dialog";
    Button(Dlg::IDC_CANCEL)->setFocus();
    PressKey(Qt::Key_Return);
    EXPECT_EQ(lastHandled, 1);
    EXPECT_EQ(app->OptionDialog(), nullptr);
    EXPECT_EQ(ScriptedCore::WriteCount(), 0);
}

using PingelSettingsStore = PingelTest;

TEST_F(PingelSettingsStore, EveryValueWrittenIsReadBackUnderTheSameKey) {
    CPingelSettings changed;
    changed.visible = 0;
    changed.lineSize = 3;
    changed.widthEnable = 0;
    changed.widthSize = 321;
    changed.closeEnable = 0;
    changed.closeTime = 77;
    changed.alpha = 42;
    changed.border = 0;
    changed.background = 0x00010203;
    for (int k = 0; k < CPingelSettings::LineKindCount; ++k)
        changed.lines[size_t(k)] = {0, COLORREF(0x00100000 + k), u"Face"_qs + QString::number(k),
                                    20 + k};
    ASSERT_TRUE(changed.Write(app->Obrix()));
    CPingelSettings read;
    read.Read(app->Obrix());
    EXPECT_TRUE(read == changed);
    EXPECT_EQ(ScriptedCore::StoredInt(u"Message"_qs, u"FontSize"_qs), 23);
}

} // namespace
