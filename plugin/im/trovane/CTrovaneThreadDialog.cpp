#include "plugin/im/trovane/CTrovaneThreadDialog.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneThreadModel.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr uint32_t kSubjectText = 392;
constexpr uint32_t kSenderText = 391;
constexpr uint32_t kDateText = 393;
constexpr uint32_t kTitleText = 1145;
constexpr uint32_t kCloseText = 1146;
// Column widths of the subject, the sender and the date.
constexpr int kWidths[] = {320, 96, 120};

} // namespace

CTrovaneThreadDialog::CTrovaneThreadDialog(CTrovaneStore& store, void* resources,
                                           const QList<QIcon>& marks,
                                           std::function<void(uint32_t)> show, QWidget* parent)
    : QDialog(parent), m_hold(CTrovaneNamedMutex::kThreadDialog), m_show(std::move(show)) {
    const auto text = [resources](uint32_t id) {
        return CResourceLoader::LoadString(resources, id);
    };
    setWindowTitle(text(kTitleText));
    setObjectName(QStringLiteral("CTrovaneThreadDialog"));
    m_model = new CTrovaneThreadModel(
        store, marks, {text(kSubjectText), text(kSenderText), text(kDateText)}, this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("CTrovaneThreadTreeCtrl"));
    m_view->setModel(m_model);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_view->header()->setStretchLastSection(false);
    m_view->header()->setSectionsMovable(false);
    for (int c = 0; c < 3; ++c)
        m_view->header()->resizeSection(c, kWidths[c]);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CTrovaneThreadDialog::OnSelection);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(text(kCloseText), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(buttons);
    setModal(false);
    // The keyboard starts in the tree; Tab reaches the close button, Escape closes.
    m_view->setFocus();
    setTabOrder(m_view, close);
    resize(kWidths[0] + kWidths[1] + kWidths[2] + 60, 320);
}

CTrovaneThreadDialog::~CTrovaneThreadDialog() = default;

void CTrovaneThreadDialog::Open(uint32_t localNumber) {
    m_rebuilding = true;
    m_model->Tree().Open(localNumber);
    ExpandAsTree();
    // The send time is shown whole in the locale's form, however wide that is.
    m_view->resizeColumnToContents(2);
    if (m_view->header()->sectionSize(2) < kWidths[2])
        m_view->header()->resizeSection(2, kWidths[2]);
    const QModelIndex index = m_model->IndexOf(localNumber);
    if (index.isValid()) {
        m_view->setCurrentIndex(index);
        m_view->scrollTo(index);
    }
    m_rebuilding = false;
}

void CTrovaneThreadDialog::Refresh() {
    const uint32_t selected = Selected();
    m_rebuilding = true;
    const bool rebuilt = m_model->Tree().Refresh();
    if (rebuilt) {
        const QModelIndex index = m_model->IndexOf(selected);
        if (index.isValid())
            m_view->setCurrentIndex(index);
    }
    // In place, the user's own expanding and collapsing stays; only nodes that lost their
    // replies fold up.
    ExpandAsTree(!rebuilt);
    m_rebuilding = false;
}

uint32_t CTrovaneThreadDialog::Selected() const {
    return m_model->LocalNumber(m_view->currentIndex());
}

// Nodes with replies are expanded, nodes without are collapsed, as the tree says.
void CTrovaneThreadDialog::ExpandAsTree(bool collapseOnly) {
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int r = 0; r < m_model->rowCount(parent); ++r) {
            const QModelIndex child = m_model->index(r, 0, parent);
            const CTrovaneThreadTree::Node* node =
                m_model->Tree().Find(m_model->LocalNumber(child));
            const bool expanded = node && node->expanded;
            if (!collapseOnly || !expanded)
                m_view->setExpanded(child, expanded);
            walk(child);
        }
    };
    walk({});
}

void CTrovaneThreadDialog::OnSelection() {
    if (m_rebuilding || !m_show)
        return;
    if (const uint32_t n = Selected())
        m_show(n);
}

bool CTrovaneThreadDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !m_rebuilding)
        Refresh();
    return QDialog::event(event);
}
