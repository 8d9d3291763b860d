#include "plugin/im/letrix/CIMMesPrintPage.h"

#include "imframe/ImPrint.h"
#include "obrix/CResourceLoader.h"
#include "obrix/ObrixTime.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr uint32_t kSenderLabel = 882, kToLabel = 532, kCcLabel = 525, kBccLabel = 526,
                   kSubjectLabel = 527, kPrintedLabel = 528, kFooter = 1440;

ImPrint::CPageOptions PageOptions(void* resources) {
    return {CResourceLoader::LoadString(resources, kFooter)};
}

} // namespace

QStringList CIMMesPrintPage::HeaderLines(void* resources, const Fields& f,
                                         const QDateTime& printed) {
    const auto line = [resources](uint32_t label, const QString& value) {
        return CResourceLoader::LoadString(resources, label) + u':' + value;
    };
    QStringList lines{line(kSenderLabel, f.sender), line(kToLabel, f.to)};
    if (!f.cc.isEmpty())
        lines << line(kCcLabel, f.cc);
    if (!f.bcc.isEmpty())
        lines << line(kBccLabel, f.bcc);
    const QDateTime local = printed.toLocalTime();
    lines << line(kSubjectLabel, f.subject)
          << line(kPrintedLabel, ObrixTime::DateTimeText(local.date(), local.time(), false));
    return lines;
}

std::unique_ptr<QTextDocument> CIMMesPrintPage::Build(const QStringList& header,
                                                      const QTextDocument& body) {
    std::unique_ptr<QTextDocument> page(body.clone());
    // The header is plain text in the page's default font, whatever the body starts with.
    QTextCharFormat plain;
    plain.setFont(page->defaultFont());
    QTextCursor at(page.get());
    at.insertText(header.join(u'\n') + QStringLiteral("\n\n"), plain);
    return page;
}

void CIMMesPrintPage::Print(QWidget* parent, void* resources, const Fields& fields,
                            const QTextDocument& body, bool preview) {
    const std::unique_ptr<QTextDocument> page =
        Build(HeaderLines(resources, fields, QDateTime::currentDateTime()), body);
    if (preview)
        ImPrint::Preview(*page, parent, fields.subject, PageOptions(resources));
    else
        ImPrint::PrintWithDialog(*page, parent, fields.subject, PageOptions(resources));
}

bool CIMMesPrintPage::WritePdf(void* resources, const Fields& fields, const QTextDocument& body,
                               const QString& path, const QDateTime& printed) {
    const std::unique_ptr<QTextDocument> page =
        Build(HeaderLines(resources, fields, printed), body);
    return ImPrint::WritePdf(*page, path, PageOptions(resources));
}
