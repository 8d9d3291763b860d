#include "plugin/im/avalin/CSettingSoundDlg.h"

#include "imframe/ImSound.h"
#include "obrix/CIMMember.h"
#include "obrix/CIMSndInfo.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CAvalinApp.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

CSettingSoundDlg::Outcome CSettingSoundDlg::Store(CIMSndInfo& sounds, bool memberKnown,
                                                  const QString& memberId, bool own,
                                                  const QString& path) {
    if (!memberKnown)
        return MemberGone;
    if (!own || path.isEmpty()) {
        sounds.ClearIMSndData(memberId);
        return Cleared;
    }
    sounds.AddIMSndData(CIMSndData(memberId, path));
    return Set;
}

bool CSettingSoundDlg::AcceptsFile(const QString& path, const QString& pattern) {
    const QString wanted = QFileInfo(pattern).suffix();
    return !path.isEmpty() && !wanted.isEmpty() &&
           QFileInfo(path).suffix().compare(wanted, Qt::CaseInsensitive) == 0;
}

CSettingSoundDlg::CSettingSoundDlg(CAvalinApp& app, const QString& memberId, QWidget* parent)
    : QDialog(parent), m_app(app), m_memberId(memberId) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(app.Text(1010));
    const CObrixTable& core = app.Obrix();
    const tagIMMEMBER* member =
        core.GetMember ? core.GetMember(reinterpret_cast<const char16_t*>(memberId.utf16()))
                       : nullptr;

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* name = new QLineEdit(CIMMember::DisplayName(member), this);
    name->setReadOnly(true);
    form->addRow(app.Text(1011), name);
    layout->addLayout(form);

    m_own = new QCheckBox(app.Text(1012), this);
    layout->addWidget(m_own);
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setReadOnly(true);
    m_path->setAcceptDrops(true);
    m_path->installEventFilter(this);
    m_path->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_choose = new QPushButton(app.Text(1013), this);
    m_play = new QPushButton(app.Text(1014), this);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_choose);
    pathRow->addWidget(m_play);
    layout->addLayout(pathRow);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(app.Text(1015), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(app.Text(1016), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    if (const CIMSndData* entry = app.Sounds().GetIMSndData(memberId)) {
        m_own->setChecked(true);
        m_path->setText(entry->GetPath());
    }
    connect(m_own, &QCheckBox::toggled, this, &CSettingSoundDlg::UpdateButtons);
    connect(m_path, &QLineEdit::textChanged, this, &CSettingSoundDlg::UpdateButtons);
    connect(m_choose, &QPushButton::clicked, this, &CSettingSoundDlg::Choose);
    connect(m_play, &QPushButton::clicked, this, [this] { ImSound::Play(m_path->text(), this); });
    connect(buttons, &QDialogButtonBox::accepted, this, &CSettingSoundDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateButtons();
}

void CSettingSoundDlg::UpdateButtons() {
    m_choose->setEnabled(m_own->isChecked());
    m_path->setEnabled(m_own->isChecked());
    m_play->setEnabled(!m_path->text().isEmpty());
}

void CSettingSoundDlg::Choose() {
    const QString chosen = QFileDialog::getOpenFileName(
        this, m_app.Text(1013), m_path->text(),
        m_app.Text(1017) + QStringLiteral(";;"), nullptr, QFileDialog::ReadOnly);
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

bool CSettingSoundDlg::DropFile(const QString& path) {
    if (!m_path->isEnabled() || !AcceptsFile(path, m_app.Text(220)))
        return false;
    m_path->setText(path);
    return true;
}

bool CSettingSoundDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_path)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyRelease: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && m_path->isEnabled())
            m_path->clear();
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drag->mimeData()->urls();
        if (urls.size() == 1 && urls.front().isLocalFile() && m_path->isEnabled() &&
            AcceptsFile(urls.front().toLocalFile(), m_app.Text(220)))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        if (urls.size() == 1 && urls.front().isLocalFile() && DropFile(urls.front().toLocalFile()))
            drop->acceptProposedAction();
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void CSettingSoundDlg::accept() {
    const CObrixTable& core = m_app.Obrix();
    const bool known =
        core.GetMember && core.GetMember(reinterpret_cast<const char16_t*>(m_memberId.utf16()));
    const Outcome outcome =
        Store(m_app.Sounds(), known, m_memberId, m_own->isChecked(), m_path->text());
    if (outcome == MemberGone) {
        m_app.Window()->Warn(windowTitle(), m_app.Text(1018), this);
        QDialog::reject();
        return;
    }
    m_app.SoundChanged(m_memberId, outcome == Set ? m_path->text() : QString());
    QDialog::accept();
}
