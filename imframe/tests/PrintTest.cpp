// Printed pages are read back with pdftotext, a reader nobody here wrote.
#include "imframe/ImPrint.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString PdfText(const QString& pdf, int page) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
             QStringLiteral("-")});
    p.waitForFinished(30000);
    // The CJK font maps some ideographs to their radical look-alikes (目 to ⽬) in the PDF's
    // text; compatibility normalisation folds them back.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

} // namespace

TEST(ImPrint, PagesCarryTheTextAndTheirNumberedFooter) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QTextDocument doc;
    QString html = QStringLiteral("<p>件名: 会議の件</p>");
    for (int i = 0; i < 300; ++i)
        html += QStringLiteral("<p>%1 行目の本文です</p>").arg(i);
    doc.setHtml(html);

    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    ASSERT_TRUE(ImPrint::WritePdf(doc, pdf, {QStringLiteral("%d ページ")}));

    const QString first = PdfText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("件名: 会議の件"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("1 ページ")));
    const QString second = PdfText(pdf, 2);
    EXPECT_TRUE(second.contains(QStringLiteral("2 ページ"))) << second.toStdString();
    EXPECT_FALSE(second.contains(QStringLiteral("件名: 会議の件")));
    // Every line is printed once, none lost between pages.
    QString all;
    for (int page = 1; !PdfText(pdf, page).trimmed().isEmpty() && page < 50; ++page)
        all += PdfText(pdf, page);
    EXPECT_EQ(all.count(QStringLiteral("299 行目の本文です")), 1);
    EXPECT_EQ(all.count(QStringLiteral("行目の本文です")), 300);
}

TEST(ImPrint, WithoutFooterNoPageNumberIsPrinted) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("こんにちは"));
    const QString pdf = dir.filePath(QStringLiteral("plain.pdf"));
    ASSERT_TRUE(ImPrint::WritePdf(doc, pdf));
    const QString text = PdfText(pdf, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("こんにちは")));
    EXPECT_FALSE(text.contains(QStringLiteral("ページ")));
}
