#include "plugin/im/trovane/CTrovaneFrame.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneProgressEvent.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace {
constexpr uint32_t kTitleText = 823;
} // namespace

CTrovaneFrame::CTrovaneFrame(CTrovaneStore& store, void* resources, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_resources(resources) {
    setObjectName(QStringLiteral("TrovaneFrame"));
    setWindowTitle(CResourceLoader::LoadString(m_resources, kTitleText));
    m_status = new QLabel(this);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_progress);
    resize(760, 520);
}

CTrovaneFrame::~CTrovaneFrame() = default;

void CTrovaneFrame::AddEntry(CTrovaneMessage*) {
    Refresh();
}

void CTrovaneFrame::Refresh() {
    update();
}

void CTrovaneFrame::HideOrderly() {
    if (isVisible())
        hide();
    if (m_onHidden)
        m_onHidden();
}

bool CTrovaneFrame::event(QEvent* event) {
    if (event->type() == CTrovaneProgressEvent::kProgress ||
        event->type() == CTrovaneProgressEvent::kDone) {
        const auto* progress = static_cast<CTrovaneProgressEvent*>(event);
        const bool done = event->type() == CTrovaneProgressEvent::kDone;
        m_progress->setRange(0, int(progress->LParam()));
        m_progress->setValue(int(qMin(progress->WParam(), progress->LParam())));
        m_progress->setVisible(!done);
        if (done)
            Refresh();
        return true;
    }
    return QMainWindow::event(event);
}

void CTrovaneFrame::closeEvent(QCloseEvent* event) {
    event->ignore();
    HideOrderly();
}
