// The screenshot that the AppStream metadata shows: the window a user meets first, drawn by
// the real dialog class with the texts of the resource module. The test writes it to
// <test dir>/artifacts/appstream/; scripts/screenshot.sh copies it into the project.
#include "kernova/CLogonDlg.h"
#include "obrix/CResourceLoader.h"
#include "packaging/tests/PackagingTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using PackagingTest::Setting;

TEST(AppStreamScreenshot, ShowsTheLogOnDialogAtTheSizeOfTheProjectsCopy) {
    void* res = CResourceLoader::OpenModule(CResourceLoader::ModulePath(Setting("ZELTA_OUT_DIR")));
    ASSERT_NE(res, nullptr);
    QImage shot;
    {
        CLogonDlg::Values values;
        values.memberId = QStringLiteral("yamada");
        values.password = QStringLiteral("password");
        values.rememberId = true;
        CLogonDlg dialog(res, values, [](const CLogonDlg::Values&, QString*) { return false; });
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        shot = dialog.grab().toImage();
    }
    CResourceLoader::CloseModule(res);

    const QString dir = Setting("ZELTA_TEST_DIR") + QStringLiteral("/artifacts/appstream/");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString copy = Setting("ZELTA_SCREENSHOT_FILE");
    ASSERT_TRUE(shot.save(dir + QFileInfo(copy).fileName()));
    // A dialog large enough to read, drawn (not one flat colour).
    EXPECT_GE(shot.width(), 300);
    EXPECT_GE(shot.height(), 150);
    EXPECT_NE(shot.pixel(shot.width() / 2, 8), shot.pixel(shot.width() / 2, shot.height() / 2));

    // The project's copy is what this test draws; when the dialog changes, the copy is
    // refreshed with scripts/screenshot.sh.
    const QImage projects(copy);
    ASSERT_FALSE(projects.isNull()) << "no screenshot at " << copy.toStdString();
    EXPECT_EQ(projects.size(), shot.size()) << "the project's screenshot is out of date";
}

} // namespace
