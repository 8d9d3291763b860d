// A plug-in for the end-to-end run: loaded by the messaging core next to Trovane.zpm. Once the
// user is logged on it asks the message box to show itself, then watches the folder whose id
// ZELTA_WITNESS_FOLDER names: whenever its unread count or weight changes it appends
//   folder<TAB><id><TAB><unread count><TAB><bold 0/1>
// to the file named by ZELTA_WITNESS_LOG. The first time the folder holds an unread message it
// keeps a picture of the window in ZELTA_WITNESS_SHOTS, makes the folder current and selects
// the message as a user's click would ("opened"); when the count has fallen again it keeps a
// second picture ("read").
#include "imframe/CIMPluginApp.h"
#include "tests/support/Witness.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>

namespace {

using Witness::Record;
using Witness::Shot;

constexpr ImModuleDescriptor kWitness{8, u"TrovaneWitness.zpm", u"IM Witness Module",
                                      u"IM 観察 モジュール"};
// Roles of the folder tree's model.
constexpr int kFolderIdRole = Qt::UserRole + 1;
constexpr int kUnreadRole = Qt::UserRole + 2;

QWidget* Frame() {
    return Witness::TopLevelOfClass("CTrovaneFrame");
}

QModelIndex Find(const QAbstractItemModel* model, const QModelIndex& parent, uint32_t id) {
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex i = model->index(r, 0, parent);
        if (i.data(kFolderIdRole).toUInt() == id)
            return i;
        if (const QModelIndex found = Find(model, i, id); found.isValid())
            return found;
    }
    return {};
}

class CWitnessApp final : public CIMPluginApp {
public:
    CWitnessApp() : CIMPluginApp(kWitness) {}

    void OnLogon(int32_t flag) override {
        if (!flag)
            return;
        QTimer::singleShot(500, qApp, [this] {
            Obrix().Begin(6, 0, 0);
            Record(QStringLiteral("shown\t") + QString::number(Frame() != nullptr));
        });
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { Look(); });
        m_timer->start(100);
    }
    void OnKill() override { m_timer.reset(); }

private:
    void Look() {
        QWidget* frame = Frame();
        auto* tree = frame ? frame->findChild<QTreeView*>(QStringLiteral("FolderTree")) : nullptr;
        if (!tree)
            return;
        const uint32_t id = qEnvironmentVariable("ZELTA_WITNESS_FOLDER").toUInt();
        const QModelIndex node = Find(tree->model(), {}, id);
        if (!node.isValid())
            return;
        const int unread = node.data(kUnreadRole).toInt();
        const bool bold = node.data(Qt::FontRole).value<QFont>().bold();
        const QString state = QStringLiteral("folder\t%1\t%2\t%3").arg(id).arg(unread).arg(bold);
        if (state == m_state)
            return;
        m_state = state;
        Record(state);
        const QString scale =
            qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")) == QStringLiteral("2")
                ? QStringLiteral("200")
                : QStringLiteral("100");
        if (unread == 1 && !m_opened) {
            m_opened = true;
            tree->expand(node.parent());
            frame->repaint();
            Shot(frame, QStringLiteral("trovane-e2e-unread-") + scale + QStringLiteral(".png"));
            tree->setCurrentIndex(node);
            auto* list = frame->findChild<QTableView*>(QStringLiteral("MessageList"));
            if (list && list->model()->rowCount() > 0) {
                list->setFocus();
                list->selectRow(0);
                Record(QStringLiteral("opened\t") + list->model()->index(0, 1).data().toString());
            }
        } else if (unread == 0 && m_opened && !m_read) {
            m_read = true;
            QTimer::singleShot(200, qApp, [frame, scale] {
                Shot(frame, QStringLiteral("trovane-e2e-read-") + scale + QStringLiteral(".png"));
                Record(QStringLiteral("read"));
            });
        }
    }

    std::unique_ptr<QTimer> m_timer;
    QString m_state;
    bool m_opened = false;
    bool m_read = false;
};

CWitnessApp theApp;

} // namespace
