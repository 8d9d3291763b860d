#include "obrix/CIMOptionPageIF.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class TestPage : public CIMOptionPageIF {
public:
    TestPage() : CIMOptionPageIF(1234) {
        auto* layout = new QVBoxLayout(this);
        button = new QPushButton(QStringLiteral("参照"), this);
        button->setDefault(true);
        layout->addWidget(button);
    }

    int okResult = 1;
    int leaveResult = 1;
    int okCalls = 0, defaultCalls = 0, leaveCalls = 0;
    QPushButton* button;

protected:
    int OnOptionOK() override {
        ++okCalls;
        return okResult;
    }
    void OnOptionDefault() override { ++defaultCalls; }
    int OnOptionKillActive() override {
        ++leaveCalls;
        return leaveResult;
    }
};

// A page that keeps the base behaviour for all three commands.
class PlainPage : public CIMOptionPageIF {
public:
    PlainPage() : CIMOptionPageIF(7) {}
};

intptr_t send(QObject* page, int message) {
    CWndMessageEvent e(message);
    e.setResult(-1);
    QCoreApplication::sendEvent(page, &e);
    return e.result();
}

void pressKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
}

} // namespace

TEST(OptionPage, CreatePageMakesAHiddenTitledTopLevelWindow) {
    TestPage page;
    EXPECT_EQ(page.GetTemplateId(), 1234u);
    EXPECT_NE(page.CreatePage(QStringLiteral("全般")), 0);
    EXPECT_TRUE(page.testAttribute(Qt::WA_WState_Created));
    EXPECT_EQ(page.windowTitle(), u"全般");
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(page.parentWidget(), nullptr);
    EXPECT_FALSE(page.isModal());
}

TEST(OptionPage, SheetCommandsReachThePageAndCarryItsAnswerBack) {
    TestPage page;
    ASSERT_NE(page.CreatePage(QStringLiteral("p")), 0);
    EXPECT_EQ(send(&page, ZeltaMsg::OptionOK), 1);
    page.okResult = 0;
    EXPECT_EQ(send(&page, ZeltaMsg::OptionOK), 0);
    EXPECT_EQ(send(&page, ZeltaMsg::OptionDefault), 1);
    page.leaveResult = 0;
    EXPECT_EQ(send(&page, ZeltaMsg::OptionKillActive), 0);
    page.leaveResult = 1;
    EXPECT_EQ(send(&page, ZeltaMsg::OptionKillActive), 1);
    EXPECT_EQ(page.okCalls, 2);
    EXPECT_EQ(page.defaultCalls, 1);
    EXPECT_EQ(page.leaveCalls, 2);

    // A bare event of the same number is handled without an answer to give.
    QEvent bare(QEvent::Type(ZeltaMsg::OptionDefault));
    QCoreApplication::sendEvent(&page, &bare);
    EXPECT_EQ(page.defaultCalls, 2);
}

TEST(OptionPage, PageWithoutOverridesAcceptsAndMayBeLeft) {
    PlainPage page;
    ASSERT_NE(page.CreatePage(QStringLiteral("p")), 0);
    EXPECT_EQ(send(&page, ZeltaMsg::OptionOK), 1);
    EXPECT_EQ(send(&page, ZeltaMsg::OptionDefault), 1);
    EXPECT_EQ(send(&page, ZeltaMsg::OptionKillActive), 1);
}

TEST(OptionPage, EnterAndEscDoNothingInsideAPage) {
    TestPage page;
    ASSERT_NE(page.CreatePage(QStringLiteral("p")), 0);
    page.show();
    int clicks = 0, finished = 0;
    QObject::connect(page.button, &QPushButton::clicked, &page, [&] { ++clicks; });
    QObject::connect(&page, &QDialog::finished, &page, [&] { ++finished; });

    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        pressKey(&page, key);
    page.accept();
    page.reject();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(finished, 0);
    EXPECT_TRUE(page.isVisible());
}
