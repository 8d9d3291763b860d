#include "plugin/im/letrix/CEditMenus.h"

#include "obrix/CResourceLoader.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTextEdit>
#include <QUrl>

namespace {

constexpr uint32_t kUndo = 1416, kCut = 1417, kCopy = 1418, kPaste = 1419, kSelectAll = 1420,
                   kOpenLink = 1443, kCopyLink = 1444;

} // namespace

namespace CEditMenus {

void Install(QLineEdit* edit, void* resources, bool typing) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(edit, &QWidget::customContextMenuRequested, edit,
                     [edit, resources, typing](const QPoint& at) {
                         const auto text = [resources](uint32_t id) {
                             return CResourceLoader::LoadString(resources, id);
                         };
                         const bool editable = typing && !edit->isReadOnly();
                         QMenu menu(edit);
                         if (editable) {
                             menu.addAction(text(kUndo), edit, &QLineEdit::undo)
                                 ->setEnabled(edit->isUndoAvailable());
                             menu.addSeparator();
                             menu.addAction(text(kCut), edit, &QLineEdit::cut)
                                 ->setEnabled(edit->hasSelectedText());
                         }
                         menu.addAction(text(kCopy), edit, &QLineEdit::copy)
                             ->setEnabled(edit->hasSelectedText());
                         if (editable)
                             menu.addAction(text(kPaste), edit, &QLineEdit::paste);
                         menu.addSeparator();
                         menu.addAction(text(kSelectAll), edit, &QLineEdit::selectAll)
                             ->setEnabled(!edit->text().isEmpty());
                         menu.exec(edit->mapToGlobal(at));
                     });
}

QMenu* BodyMenu(QTextEdit* body, void* resources, const QPoint& at, bool reading) {
    const auto text = [resources](uint32_t id) {
        return CResourceLoader::LoadString(resources, id);
    };
    auto* menu = new QMenu(body);
    const bool selected = body->textCursor().hasSelection();
    if (reading) {
        const QString href = body->anchorAt(at);
        if (!href.isEmpty()) {
            menu->addAction(text(kOpenLink), body,
                            [href] { QDesktopServices::openUrl(QUrl(href)); });
            menu->addAction(text(kCopyLink), body,
                            [href] { QGuiApplication::clipboard()->setText(href); });
            menu->addSeparator();
        }
        menu->addAction(text(kCopy), body, &QTextEdit::copy)->setEnabled(selected);
    } else {
        menu->addAction(text(kUndo), body, &QTextEdit::undo)
            ->setEnabled(body->document()->isUndoAvailable());
        menu->addSeparator();
        menu->addAction(text(kCut), body, &QTextEdit::cut)->setEnabled(selected);
        menu->addAction(text(kCopy), body, &QTextEdit::copy)->setEnabled(selected);
        menu->addAction(text(kPaste), body, &QTextEdit::paste)->setEnabled(body->canPaste());
    }
    menu->addSeparator();
    menu->addAction(text(kSelectAll), body, &QTextEdit::selectAll)
        ->setEnabled(!body->document()->isEmpty());
    return menu;
}

void Install(QTextEdit* view, void* resources, bool reading) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view,
                     [view, resources, reading](const QPoint& at) {
                         QMenu* menu = BodyMenu(view, resources, at, reading);
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         menu->popup(view->viewport()->mapToGlobal(at));
                     });
}

} // namespace CEditMenus
