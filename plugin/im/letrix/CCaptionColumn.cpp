#include "plugin/im/letrix/CCaptionColumn.h"

#include "obrix/CResourceLoader.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

namespace {

// Room between the widest caption and its field.
constexpr int kGap = 12;

} // namespace

CCaptionColumn::CCaptionColumn(const QFontMetrics& fm, void* resources,
                               std::initializer_list<uint32_t> captions)
    : m_resources(resources) {
    for (uint32_t id : captions)
        m_width = std::max(m_width,
                           fm.horizontalAdvance(CResourceLoader::LoadString(resources, id)));
    m_width += kGap;
}

QLabel* CCaptionColumn::Caption(uint32_t caption, QWidget* parent) const {
    auto* label = new QLabel(CResourceLoader::LoadString(m_resources, caption), parent);
    label->setMinimumWidth(m_width);
    return label;
}

QLabel* CCaptionColumn::AddRow(QWidget* bar, uint32_t caption, QWidget* field) const {
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    QLabel* label = Caption(caption, bar);
    label->setBuddy(field);
    row->addWidget(label);
    row->addWidget(field, 1);
    return label;
}
