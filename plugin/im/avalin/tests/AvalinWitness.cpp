// A plug-in for the end-to-end run: loaded by the messaging core next to Avalin.zpm, it looks
// at the IM window from inside the program and appends what it sees to the file named by
// ZELTA_WITNESS_LOG, one append per record:
//   rows<TAB><kind>,<name>,<status>|...      the member tree whenever its rows change
//   new<TAB><subject>,<sender>|...            the new-message list whenever it changes
//   read<TAB><id>                             a message marked read for the test
//   shot<TAB><file>                          a picture saved below ZELTA_WITNESS_SHOTS
//   shots done                               every picture was taken
// Pictures are taken once the file named by ZELTA_WITNESS_TRIGGER exists: the IM window, the
// free-input status dialog, the preset list and the task-tray menu, each grabbed at the
// program's scale, the dialogs opened through the window's own commands and closed again.
// A message id written to the file named by ZELTA_WITNESS_READ is marked read, as the
// message module does when the user opens it.
#include "imframe/CIMPluginApp.h"
#include "tests/support/Witness.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <memory>

namespace {

using Witness::Record;

constexpr ImModuleDescriptor kWitness{8, u"AvalinWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};
constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kFreeInput = 0x9102;
constexpr int kPresetList = 32956;

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnInit() override {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { Look(); });
        m_timer->start(100);
    }
    void OnKill() override { m_timer.reset(); }

private:
    static QWidget* ImWindow() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("ZeltaIMWindow"))
                return w;
        }
        return nullptr;
    }
    template <typename T> static T* Shown(const char* className) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->inherits(className))
                return qobject_cast<T*>(w);
        }
        return nullptr;
    }

    void Look() {
        QWidget* window = ImWindow();
        if (!window)
            return;
        QTreeView* list = nullptr;
        for (QTreeView* view : window->findChildren<QTreeView*>())
            list = view->inherits("CPresenceList") ? view : list;
        if (list) {
            const QAbstractItemModel* model = list->model();
            QStringList rows;
            for (int r = 0; model && r < model->rowCount(); ++r)
                rows.append(QStringLiteral("%1,%2,%3")
                                .arg(model->index(r, 0).data(kKindRole).toInt())
                                .arg(model->index(r, 1).data().toString(),
                                     model->index(r, 2).data().toString()));
            const QString snapshot = rows.join(u'|');
            if (snapshot != m_rows) {
                m_rows = snapshot;
                Record(QStringLiteral("rows\t") + snapshot);
            }
        }
        if (auto* list = window->findChild<QTreeView*>(QStringLiteral("NewMessageList"))) {
            const QAbstractItemModel* model = list->model();
            QStringList rows;
            for (int r = 0; model && r < model->rowCount(); ++r)
                rows.append(model->index(r, 0).data().toString() + u',' +
                            model->index(r, 1).data().toString());
            const QString snapshot = rows.join(u'|');
            if (snapshot != m_newRows) {
                m_newRows = snapshot;
                Record(QStringLiteral("new\t") + snapshot);
            }
        }
        MarkRead();
        TakePictures(window);
    }

    void MarkRead() {
        QFile file(qEnvironmentVariable("ZELTA_WITNESS_READ"));
        if (file.fileName().isEmpty() || !file.exists() || !file.open(QIODevice::ReadOnly))
            return;
        const QString id = QString::fromUtf8(file.readAll()).trimmed();
        file.close();
        file.remove();
        if (!id.isEmpty() && Obrix().SetReadMessage &&
            Obrix().SetReadMessage(2, reinterpret_cast<const char16_t*>(id.utf16())))
            Record(QStringLiteral("read\t") + id);
    }

    void TakePictures(QWidget* window) {
        const QString dir = qEnvironmentVariable("ZELTA_WITNESS_SHOTS");
        const QString trigger = qEnvironmentVariable("ZELTA_WITNESS_TRIGGER");
        if (dir.isEmpty() || m_step < 0 || trigger.isEmpty() || !QFile::exists(trigger))
            return;
        switch (m_step) {
        case 0:
            Save(window, QStringLiteral("avalin-window"));
            QApplication::postEvent(window, new QEvent(QEvent::Type(kFreeInput)));
            m_step = 1;
            break;
        case 1:
            if (auto* dlg = Shown<QDialog>("CChangeStatusDlg")) {
                Save(dlg, QStringLiteral("avalin-status-dialog"));
                dlg->reject();
                m_step = 2;
                QTimer::singleShot(0, window, [window] { Trigger(window, kPresetList); });
            }
            break;
        case 2:
            if (auto* dlg = Shown<QDialog>("CStatusListDlg")) {
                Save(dlg, QStringLiteral("avalin-preset-list"));
                dlg->reject();
                m_step = 3;
                QTimer::singleShot(0, window, [this] {
                    if (Obrix().Begin)
                        Obrix().Begin(1, 1, 0); // the task-tray menu
                });
            }
            break;
        case 3:
            if (auto* menu = Shown<QMenu>("QMenu")) {
                Save(menu, QStringLiteral("avalin-tray-menu"));
                menu->close();
                m_step = 4;
                SelectTab(window, 1);
            }
            break;
        case 4:
            Save(window, QStringLiteral("avalin-new-tab"));
            SelectTab(window, 2);
            m_step = 5;
            break;
        case 5:
            Save(window, QStringLiteral("avalin-sent-tab"));
            SelectTab(window, 0);
            m_step = 6;
            QTimer::singleShot(0, window, [this] {
                if (Obrix().ShowOption)
                    Obrix().ShowOption();
            });
            break;
        case 6:
            if (auto* sheet = Shown<QDialog>("COptionSheet")) {
                Save(sheet, QStringLiteral("avalin-option-general"));
                if (auto* tabs = sheet->findChild<QTabWidget*>())
                    tabs->setCurrentIndex(2);
                m_step = 7;
            }
            break;
        case 7:
            if (auto* sheet = Shown<QDialog>("COptionSheet")) {
                Save(sheet, QStringLiteral("avalin-option-presence"));
                sheet->reject();
                m_step = 8;
                QTimer::singleShot(0, window, [this] {
                    if (Obrix().Begin)
                        Obrix().Begin(1, 2, intptr_t(u"c")); // a member's properties
                });
            }
            break;
        case 8:
            if (auto* dlg = Shown<QDialog>("CMemberPropDlg")) {
                Save(dlg, QStringLiteral("avalin-member-property"));
                const QList<QPushButton*> buttons = dlg->findChildren<QPushButton*>();
                if (!buttons.isEmpty())
                    buttons.front()->click(); // the member's own sound
                m_step = 9;
            }
            break;
        case 9:
            if (auto* dlg = Shown<QDialog>("CSettingSoundDlg")) {
                Save(dlg, QStringLiteral("avalin-sound-dialog"));
                dlg->reject();
                if (auto* member = Shown<QDialog>("CMemberPropDlg"))
                    member->close();
                SelectFirstGroupRow(window);
                QTimer::singleShot(0, window, [window] { Trigger(window, 32931); });
                m_step = 10;
            }
            break;
        case 10:
            if (auto* dlg = Shown<QDialog>("CGroupPropDlg")) {
                Save(dlg, QStringLiteral("avalin-group-property"));
                dlg->close();
                m_step = -1;
                Record(QStringLiteral("shots done"));
            }
            break;
        default:
            break;
        }
    }

    // The first group below the on-line members group.
    static void SelectFirstGroupRow(QWidget* window) {
        for (QTreeView* view : window->findChildren<QTreeView*>()) {
            if (!view->inherits("CPresenceList"))
                continue;
            const QAbstractItemModel* model = view->model();
            for (int r = 1; r < model->rowCount(); ++r) {
                if (model->index(r, 0).data(kKindRole).toInt() == 0) {
                    view->setCurrentIndex(model->index(r, 1));
                    view->selectionModel()->select(model->index(r, 1),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
                    return;
                }
            }
        }
    }

    static void SelectTab(QWidget* window, int tab) {
        if (auto* tabs = window->findChild<QTabWidget*>())
            tabs->setCurrentIndex(tab);
    }

    // Runs a command through the window's menu bars, as a click on the item would.
    static bool TriggerIn(const QList<QAction*>& actions, int command) {
        for (QAction* action : actions) {
            if (action->menu() ? TriggerIn(action->menu()->actions(), command)
                               : action->data().toInt() == command) {
                if (!action->menu())
                    action->trigger();
                return true;
            }
        }
        return false;
    }
    static void Trigger(QWidget* window, int command) {
        for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
            if (TriggerIn(bar->actions(), command))
                return;
        }
    }

    static void Save(QWidget* widget, const QString& name) {
        const QString file = name + u'@' + qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_qs) +
                             QStringLiteral("x.png");
        if (Witness::Shot(widget, file))
            Record(QStringLiteral("shot\t") + file);
    }

    std::unique_ptr<QTimer> m_timer;
    QString m_rows;
    QString m_newRows;
    int m_step = 0;
};

CWitnessApp theApp;

} // namespace
