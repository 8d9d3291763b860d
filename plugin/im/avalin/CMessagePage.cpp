#include "plugin/im/avalin/CMessagePage.h"

#include "imframe/MessageRequests.h"
#include "obrix/CLetrix.h"
#include "obrix/CResourceLoader.h"
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CAvalinSettings.h"
#include "plugin/im/avalin/CMessageList.h"

#include <QVBoxLayout>

namespace {
// The property window of a message belongs to module 2.
constexpr int32_t kPropertyModule = 2;
const QString kDefaultSizes = QStringLiteral("100:100:100");
} // namespace

CMessagePage::CMessagePage(const CObrixTable& core, void* resources, int32_t box,
                           QWidget* parent)
    : QWidget(parent), m_core(core), m_resources(resources), m_box(box) {
    const auto text = [resources](uint32_t id) { return CResourceLoader::LoadString(resources, id); };
    m_model.SetHeaders({text(AvalinRes::TextSubjectColumn),
                        text(box == ObrixBox::Received ? AvalinRes::TextFromColumn
                                                       : AvalinRes::TextToColumn),
                        text(AvalinRes::TextDateColumn)});
    m_model.SetYesterdayText(text(AvalinRes::TextYesterday));
    m_list = new CMessageList(&m_model, resources, this);
    m_list->setObjectName(box == ObrixBox::Received ? QStringLiteral("NewMessageList")
                                                    : QStringLiteral("SendMessageList"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &CMessageList::ContextMenuWanted, this, &CMessagePage::ContextMenuWanted);
    connect(m_list, &CMessageList::OpenWanted, this,
            [this] { RunMessageCommand(AvalinCmd::Open); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMessagePage::SelectionChanged);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &CMessagePage::SelectionChanged);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &CMessagePage::SelectionChanged);
}

CMessagePage::~CMessagePage() = default;

const char16_t* CMessagePage::Section() const {
    return m_box == ObrixBox::Received ? u"NewPage" : u"SendPage";
}

const CLetrix* CMessagePage::AddMessage(const QString& messageId, int limit) {
    if (messageId.isEmpty() || m_model.Contains(messageId) || !m_core.GetMessage)
        return nullptr;
    tagLETRIX* record =
        m_core.GetMessage(m_box, reinterpret_cast<const char16_t*>(messageId.utf16()));
    if (!record)
        return nullptr;
    auto message = std::make_unique<CLetrix>(record);
    if (m_core.CleanupLetrix)
        m_core.CleanupLetrix(record);
    const QString second = SecondColumn(*message);
    m_model.Add(std::move(message), second, limit);
    return m_model.At(m_model.RowOf(messageId));
}

void CMessagePage::ChangeFlags(const QString& messageId, uint32_t flags, bool keepRead) {
    if (!m_model.SetFlags(messageId, flags))
        return;
    if (!keepRead && (flags & LETRIX_FLAG_READ))
        m_model.Remove(messageId);
}

void CMessagePage::RemoveMessage(const QString& messageId) {
    m_model.Remove(messageId);
}

void CMessagePage::Refresh(int limit, bool keepRead) {
    m_model.Trim(limit);
    if (!keepRead)
        m_model.RemoveRead();
}

int CMessagePage::SelectedCount() const {
    return int(m_list->SelectedRows().size());
}

void CMessagePage::RunMessageCommand(int command) {
    const QList<int> rows = m_list->SelectedRows();
    CLetrix* message = rows.size() == 1 ? m_model.At(rows.front()) : nullptr;
    if (!message || !m_core.Begin)
        return;
    if (command == AvalinCmd::Property) {
        const QString id = message->GetMessageID();
        m_core.Begin(kPropertyModule, m_box, intptr_t(id.utf16()));
        return;
    }
    const int32_t kind = MessageKind(command);
    if (kind < 0)
        return;
    tagMESBEGIN request{uint32_t(m_box), message->Record()};
    m_core.Begin(ObrixModule::Message, kind, intptr_t(&request));
}

void CMessagePage::RemoveSelected() {
    m_model.RemoveRows(m_list->SelectedRows());
}

void CMessagePage::RemoveAll() {
    m_model.Clear();
}

void CMessagePage::SortByPosition(int position, bool ascending) {
    if (position < 1 || position > 3)
        position = 1;
    m_model.Sort(CMessageListModel::SortKey(3 - position), ascending);
    m_list->ShowSortMark();
}

int CMessagePage::SortPosition() const {
    return 3 - int(m_model.Key());
}

void CMessagePage::LoadLayout() {
    m_list->ApplyColumnSizes(
        CAvalinSettings::ReadString(m_core, Section(), u"ColSize", kDefaultSizes));
    SortByPosition(CAvalinSettings::ReadInt(m_core, Section(), u"SortIndex", 1),
                   CAvalinSettings::ReadInt(m_core, Section(), u"SortAsc", 1) != 0);
}

void CMessagePage::SaveLayout() const {
    CAvalinSettings::WriteString(m_core, Section(), u"ColSize", m_list->ColumnSizes());
    CAvalinSettings::WriteInt(m_core, Section(), u"SortIndex", SortPosition());
    CAvalinSettings::WriteInt(m_core, Section(), u"SortAsc", m_model.Ascending() ? 1 : 0);
}

void CMessagePage::ResetLayout() {
    m_list->ApplyColumnSizes(kDefaultSizes);
    SortByPosition(1, true);
}
