#include "imframe/ImPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

#include <memory>

namespace ImPrint {

void Render(const QTextDocument& document, QPrinter& printer, const CPageOptions& options) {
    std::unique_ptr<QTextDocument> copy(document.clone());
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    copy->documentLayout()->setPaintDevice(painter.device());

    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QRectF area(0, 0, page.width(), page.height());
    const qreal footerHeight =
        options.footerFormat.isEmpty()
            ? 0
            : QFontMetricsF(copy->defaultFont(), painter.device()).height() * 2;
    const QSizeF body(area.width(), area.height() - footerHeight);
    copy->setPageSize(body);

    const int pages = qMax(1, copy->pageCount());
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.translate(0, -i * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
        if (!options.footerFormat.isEmpty()) {
            painter.setFont(copy->defaultFont());
            QString footer = options.footerFormat;
            footer.replace(QLatin1String("%d"), QString::number(i + 1));
            painter.drawText(QRectF(0, body.height(), body.width(), footerHeight), Qt::AlignCenter,
                             footer);
        }
    }
    painter.end();
}

bool PrintWithDialog(const QTextDocument& document, QWidget* parent, const QString& title,
                     const CPageOptions& options) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Render(document, printer, options);
    return true;
}

void Preview(const QTextDocument& document, QWidget* parent, const QString& title,
             const CPageOptions& options) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { Render(document, *target, options); });
    dialog.exec();
}

bool WritePdf(const QTextDocument& document, const QString& path, const CPageOptions& options) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    Render(document, printer, options);
    return QFileInfo(path).size() > 0;
}

} // namespace ImPrint
