#include "plugin/im/avalin/CGroupPropDlg.h"

#include "obrix/CIMGroup.h"
#include "obrix/CIMGrpMember.h"
#include "obrix/CIMMember.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CAvalinApp.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int32_t kAdministrator = 2;
} // namespace

QString CGroupPropDlg::Administrators(const CIMGroup& group,
                                      const std::function<QString(const QString&)>& name,
                                      QString* firstId) {
    QStringList names;
    for (const CIMGrpMember* m = group.GetMember(); m; m = m->GetBros()) {
        if (int32_t(m->GetRole()) != kAdministrator)
            continue;
        if (firstId && firstId->isEmpty())
            *firstId = m->GetID();
        names.append(name(m->GetID()));
    }
    return names.join(u',');
}

CGroupPropDlg::CGroupPropDlg(CAvalinApp& app, const QString& groupId, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const CObrixTable& core = app.Obrix();
    const tagIMGROUP* record =
        core.GetGroup ? core.GetGroup(reinterpret_cast<const char16_t*>(groupId.utf16())) : nullptr;
    // The on-line members group is the plug-in's own: the core does not know it.
    CIMGroup group;
    if (record)
        group = record;
    else if (groupId.compare(CAvalinDirectory::kOnNettersID, Qt::CaseInsensitive) == 0)
        group = app.Directory().OnNetters();
    void* res = app.Resources();
    setWindowTitle(CResourceLoader::Format(res, 252, {group.GetName()}));

    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(CResourceLoader::Format(res, 195, {group.GetName()}), this);
    auto* form = new QFormLayout(box);
    const auto displayName = [&core](const QString& id) {
        const tagIMMEMBER* m =
            core.GetMember ? core.GetMember(reinterpret_cast<const char16_t*>(id.utf16())) : nullptr;
        return m ? CIMMember::DisplayName(m) : id;
    };
    m_admins = new QLineEdit(Administrators(group, displayName, &m_firstAdmin), box);
    m_admins->setReadOnly(true);
    m_admins->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    m_admins->setCursorPosition(0);
    int count = 0;
    for (const CIMGrpMember* m = group.GetMember(); m; m = m->GetBros())
        ++count;
    m_count = new QLineEdit(QString::number(count), box);
    m_count->setReadOnly(true);
    form->addRow(app.Text(196), m_admins);
    form->addRow(app.Text(197), m_count);
    layout->addWidget(box);

    auto* buttons = new QHBoxLayout;
    m_message = new QPushButton(app.Text(199), this);
    m_message->setEnabled(!m_firstAdmin.isEmpty());
    auto* close = new QPushButton(app.Text(200), this);
    close->setDefault(true);
    buttons->addWidget(m_message);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_message, &QPushButton::clicked, this, &CGroupPropDlg::OnMessage);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void CGroupPropDlg::OnMessage() {
    if (m_app.LogonState() != ObrixLogon::LoggedOn) {
        m_app.WarnNotLoggedOn(this, m_message->text());
        return;
    }
    m_app.MessageTo({m_firstAdmin});
}
