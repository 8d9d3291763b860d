#include "plugin/im/avalin/CStatusListDlg.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/AvalinStatus.h"
#include "plugin/im/avalin/CAvalinApp.h"
#include "plugin/im/avalin/CAvalinDlg.h"
#include "plugin/im/avalin/CChangeStatusDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CStatusListDlg::CStatusListDlg(CAvalinApp& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setWindowTitle(app.Text(339));
    m_withIcons = !app.StatusIcons().IsEmpty();
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers = {app.Text(342), app.Text(343)};
    if (m_withIcons)
        headers.append(app.Text(344));
    headers.append(app.Text(345));
    m_list->setHeaderLabels(headers);
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 200);
    if (m_withIcons)
        m_list->setColumnWidth(2, 60);
    m_list->header()->setStretchLastSection(true);
    for (int i = 0; i < 11; ++i) {
        new QTreeWidgetItem(m_list);
        FillRow(i);
    }

    m_change = new QPushButton(app.Text(341), this);
    m_change->setEnabled(false);
    auto* ok = new QPushButton(app.Text(340), this);
    ok->setDefault(true);
    m_default = new QPushButton(app.Text(358), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_change);
    buttons->addStretch(1);
    buttons->addWidget(m_default);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_change->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { EditSelected(); });
    connect(m_change, &QPushButton::clicked, this, &CStatusListDlg::EditSelected);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_default, &QPushButton::clicked, this, [this] {
        m_app.ResetPresets();
        m_app.StorePreset(0, m_app.Presets().At(0)); // saves the file and refreshes the menus
        for (int i = 0; i < 11; ++i)
            FillRow(i);
    });
    resize(QSize(440, 340));
}

void CStatusListDlg::FillRow(int index) {
    QTreeWidgetItem* row = m_list->topLevelItem(index);
    if (!row || index >= m_app.Presets().Count())
        return;
    const CIMPreset& preset = m_app.Presets().At(index);
    row->setText(0, m_app.Text(AvalinRes::TextPresetName + uint32_t(index)));
    row->setText(1, AvalinStatus::Shown(preset.GetStatus()));
    int column = 2;
    if (m_withIcons) {
        row->setIcon(column, QIcon(m_app.StatusIcons().Icon(preset.GetIcon())));
        row->setTextAlignment(column, Qt::AlignCenter);
        ++column;
    }
    const int colour = CChangeStatusDlg::ColourIndex(preset.GetBkColor());
    const QList<QPixmap> swatches = CResourceLoader::LoadBitmapTiles(
        m_app.Resources(), AvalinRes::ColourSwatches, devicePixelRatioF());
    row->setText(column, m_app.Text(AvalinRes::TextGreen + uint32_t(colour)));
    if (colour < swatches.size())
        row->setIcon(column, QIcon(swatches[colour]));
}

void CStatusListDlg::EditSelected() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const int index = m_list->indexOfTopLevelItem(selected.front());
    CChangeStatusDlg dlg(m_app, index, this);
    if (dlg.exec() == QDialog::Accepted)
        FillRow(index);
}
