#include "plugin/im/trovane/CTrovaneFindDialog.h"

#include "obrix/CResourceLoader.h"
#include "plugin/im/trovane/CTrovaneCommands.h"
#include "plugin/im/trovane/CTrovaneListModel.h"
#include "plugin/im/trovane/CTrovaneStore.h"
#include "plugin/im/trovane/CTrovaneTransCondEditor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

using namespace TrovaneBox;

namespace {
constexpr uint32_t kTitleText = 826;
constexpr uint32_t kSeparatorsText = 829;
constexpr uint32_t kStopText = 1149;
constexpr uint32_t kHitsText = 1150;
constexpr uint32_t kSearchingText = 1151;
constexpr uint32_t kListMarks = 811;
} // namespace

CTrovaneFindDialog::CTrovaneFindDialog(CTrovaneStore& store, void* resources, uint32_t folderId,
                                       Hooks hooks, QWidget* parent)
    : QDialog(parent), m_store(store), m_resources(resources), m_folder(folderId),
      m_hooks(std::move(hooks)), m_hold(CTrovaneNamedMutex::kFindDialog),
      m_separators(Text(kSeparatorsText)) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(Text(kTitleText) + QStringLiteral(" :  ") +
                   CTrovaneTransCondEditor::FolderPath(store, folderId));

    auto* layout = new QVBoxLayout(this);
    auto* wordsRow = new QHBoxLayout;
    auto* wordsLabel = new QLabel(Text(458), this);
    m_words = new QLineEdit(this);
    m_words->setObjectName(QStringLiteral("SearchWords"));
    wordsLabel->setBuddy(m_words);
    m_search = new QPushButton(Text(470), this);
    m_search->setDefault(true);
    wordsRow->addWidget(wordsLabel);
    wordsRow->addWidget(m_words, 1);
    wordsRow->addWidget(m_search);
    layout->addLayout(wordsRow);

    auto* options = new QHBoxLayout;
    auto* targetBox = new QGroupBox(Text(459), this);
    auto* targetLayout = new QVBoxLayout(targetBox);
    const uint32_t targetTexts[] = {460, 461, 462};
    for (int i = 0; i < 3; ++i) {
        m_targets[i] = new QRadioButton(Text(targetTexts[i]), targetBox);
        targetLayout->addWidget(m_targets[i]);
    }
    m_targets[CTrovaneFinder::SubjectOnly]->setChecked(true);
    auto* matchBox = new QGroupBox(Text(463), this);
    auto* matchLayout = new QVBoxLayout(matchBox);
    const uint32_t matchTexts[] = {464, 465, 466};
    for (int i = 0; i < 3; ++i) {
        m_matches[i] = new QRadioButton(Text(matchTexts[i]), matchBox);
        matchLayout->addWidget(m_matches[i]);
    }
    m_matches[CTrovaneFinder::MatchAny]->setChecked(true);
    auto* checks = new QVBoxLayout;
    m_wordByWord = new QCheckBox(Text(467), this);
    m_caseSensitive = new QCheckBox(Text(468), this);
    m_useDate = new QCheckBox(Text(469), this);
    m_dateMode = new QComboBox(this);
    for (uint32_t id : {471u, 472u, 473u})
        m_dateMode->addItem(Text(id));
    m_date = new QDateEdit(QDate::currentDate(), this);
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_dateMode->setEnabled(false);
    m_date->setEnabled(false);
    connect(m_useDate, &QCheckBox::toggled, m_dateMode, &QWidget::setEnabled);
    connect(m_useDate, &QCheckBox::toggled, m_date, &QWidget::setEnabled);
    checks->addWidget(m_wordByWord);
    checks->addWidget(m_caseSensitive);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_useDate);
    dateRow->addWidget(m_date);
    dateRow->addWidget(m_dateMode);
    dateRow->addStretch(1);
    checks->addLayout(dateRow);
    checks->addStretch(1);
    options->addWidget(targetBox);
    options->addWidget(matchBox);
    options->addLayout(checks, 1);
    layout->addLayout(options);

    auto* statusRow = new QHBoxLayout;
    m_status = new QLabel(this);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_progress);
    layout->addLayout(statusRow);

    QList<QIcon> marks;
    for (const QPixmap& tile : CResourceLoader::LoadBitmapTiles(m_resources, kListMarks))
        marks << QIcon(tile);
    CTrovaneListModel::Texts texts{
        {Text(392), Text(391), Text(393)}, {Text(395), Text(394), Text(396)}, Text(832), Text(833)};
    m_model = new CTrovaneListModel(m_store, marks, texts, this);
    m_results = new QTableView(this);
    m_results->setObjectName(QStringLiteral("FindResults"));
    m_results->setModel(m_model);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setShowGrid(false);
    m_results->setWordWrap(false);
    m_results->verticalHeader()->hide();
    m_results->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->setIconSize(QSize(32, 16));
    m_results->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[] = {39, 200, 110, 140};
    for (int c = 0; c < 4; ++c)
        m_results->setColumnWidth(c, widths[c]);
    m_results->setMinimumHeight(fontMetrics().lineSpacing() * 8);
    layout->addWidget(m_results, 1);

    connect(m_search, &QPushButton::clicked, this, [this] {
        if (IsSearching())
            StopSearch();
        else
            StartSearch();
    });
    connect(m_results->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                CTrovaneMessage* entry = m_model->Entry(current.row());
                if (entry && m_hooks.show)
                    m_hooks.show(entry->LocalNumber());
            });
    connect(m_results->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column >= 1)
            m_model->SortByColumn(column);
    });
    connect(m_results, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_results->indexAt(at);
        if (!index.isValid())
            return;
        m_results->selectRow(index.row());
        QMenu menu(this);
        for (int command : CTrovaneCommands::MenuItems(CTrovaneCommands::FindResultMenu)) {
            QAction* action = menu.addAction(Text(CTrovaneCommands::TextOf(command)));
            connect(action, &QAction::triggered, this, [this, command] {
                if (m_hooks.command)
                    m_hooks.command(command);
            });
        }
        menu.exec(m_results->viewport()->mapToGlobal(at));
    });

    resize(QSize(fontMetrics().averageCharWidth() * 90, fontMetrics().lineSpacing() * 26));
}

CTrovaneFindDialog::~CTrovaneFindDialog() {
    StopSearch();
}

QString CTrovaneFindDialog::Text(uint32_t id) const {
    return CResourceLoader::LoadString(m_resources, id);
}

QRadioButton* CTrovaneFindDialog::TargetButton(int target) const {
    return target >= 0 && target < 3 ? m_targets[target] : nullptr;
}

QRadioButton* CTrovaneFindDialog::MatchButton(int match) const {
    return match >= 0 && match < 3 ? m_matches[match] : nullptr;
}

QString CTrovaneFindDialog::StatusText() const {
    return m_status->text();
}

CTrovaneFinder::Query CTrovaneFindDialog::Query() const {
    CTrovaneFinder::Query q;
    q.text = m_words->text();
    for (int i = 0; i < 3; ++i) {
        if (m_targets[i]->isChecked())
            q.target = CTrovaneFinder::Target(i);
        if (m_matches[i]->isChecked())
            q.match = CTrovaneFinder::Match(i);
    }
    q.wordByWord = m_wordByWord->isChecked();
    q.caseSensitive = m_caseSensitive->isChecked();
    q.useDate = m_useDate->isChecked();
    q.dateMode = CTrovaneFinder::DateMode(qMax(0, m_dateMode->currentIndex()));
    q.day = m_date->date();
    q.separators = m_separators;
    return q;
}

void CTrovaneFindDialog::StartSearch() {
    StopSearch();
    m_hits.clear();
    m_model->ShowEntries(0, {});
    const CTrovaneFinder::Query query = Query();
    const CTrovaneFolder* folder = m_store.FindFolder(m_folder);
    if (CTrovaneFinder::Words(query).isEmpty() || !folder) {
        m_status->setText(CResourceLoader::Format(m_resources, kHitsText, {0}));
        emit SearchFinished();
        return;
    }
    // The texts are copied here, on the thread that owns the box; the worker searches the copy.
    // The bodies' plain text, once prepared, serves every later search of the same entries.
    const QList<CTrovaneMessage*> entries = m_store.EntriesOf(m_folder);
    QList<uint32_t> numbers;
    for (const CTrovaneMessage* e : entries)
        numbers.append(e->LocalNumber());
    const bool needBodies = query.target != CTrovaneFinder::SubjectOnly;
    const bool reuse = numbers == m_preparedNumbers && (m_preparedBodies || !needBodies);
    QList<CTrovaneFinder::Candidate> candidates;
    if (reuse) {
        candidates = m_prepared;
    } else {
        for (CTrovaneMessage* e : entries)
            candidates.append(CTrovaneFinder::RawSnapshot(
                *e, !needBodies ? QString() : (m_hooks.body ? m_hooks.body(*e) : e->GetMessage())));
    }
    const bool prepare = !reuse && needBodies;
    m_stop = std::make_shared<std::atomic_bool>(false);
    auto stop = m_stop;
    QPointer<CTrovaneFindDialog> self(this);
    m_thread = QThread::create([candidates, query, stop, self, prepare, numbers]() mutable {
        // Taking the tags out of the bodies is most of the work; it happens here as well.
        if (prepare)
            CTrovaneFinder::Prepare(candidates, stop.get());
        const QList<uint32_t> hits = CTrovaneFinder::Search(
            candidates, query, stop.get(), [self, stop](int done, int total) {
                if (!stop->load())
                    QMetaObject::invokeMethod(
                        self, [self, done, total, stop] {
                            if (self && self->m_stop == stop)
                                self->OnProgress(done, total);
                        },
                        Qt::QueuedConnection);
            });
        if (!stop->load())
            QMetaObject::invokeMethod(
                self, [self, hits, candidates, numbers, prepare, stop] {
                    // A search stopped or replaced meanwhile reports nothing.
                    if (!self || self->m_stop != stop || stop->load())
                        return;
                    if (prepare) {
                        self->m_prepared = candidates;
                        self->m_preparedNumbers = numbers;
                        self->m_preparedBodies = true;
                    }
                    self->OnFinished(hits);
                },
                Qt::QueuedConnection);
    });
    m_search->setText(Text(kStopText));
    m_status->setText(Text(kSearchingText));
    m_progress->setRange(0, int(candidates.size()));
    m_progress->setValue(0);
    m_progress->show();
    m_thread->start();
}

void CTrovaneFindDialog::StopSearch() {
    if (!m_thread)
        return;
    m_stop->store(true);
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_search->setText(Text(470));
    m_progress->hide();
}

void CTrovaneFindDialog::OnProgress(int done, int total) {
    m_progress->setRange(0, total);
    m_progress->setValue(done);
}

void CTrovaneFindDialog::OnFinished(const QList<uint32_t>& hits) {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    m_search->setText(Text(470));
    m_progress->hide();
    // Entries deleted meanwhile are left out.
    QList<CTrovaneMessage*> entries;
    for (uint32_t n : hits)
        if (CTrovaneMessage* e = m_store.FindEntry(n)) {
            entries.append(e);
            m_hits.append(n);
        }
    const CTrovaneFolder* folder = m_store.FindFolder(m_folder);
    const uint32_t flags = folder ? m_store.WithFolders([&] { return folder->nFlags; }) : 0;
    m_model->ShowEntries(flags, entries);
    m_status->setText(CResourceLoader::Format(m_resources, kHitsText, {int(entries.size())}));
    emit SearchFinished();
}
