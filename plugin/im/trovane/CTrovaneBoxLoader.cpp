#include "plugin/im/trovane/CTrovaneBoxLoader.h"

#include "plugin/im/trovane/CTrovaneCoreLink.h"
#include "plugin/im/trovane/CTrovaneStore.h"

#include <QDir>
#include <QFileInfo>

using namespace TrovaneBox;

CTrovaneBoxLoader::CTrovaneBoxLoader(CTrovaneStore& store, CTrovaneCoreLink& core,
                                     const QByteArray& entriesFile, const QString& draftDir)
    : m_store(store), m_core(core), m_reader(entriesFile), m_draftDir(draftDir) {
    const uint32_t count = m_reader.Count();
    m_step = count < kSteps ? 1 : count / kSteps;
}

CTrovaneBoxLoader::~CTrovaneBoxLoader() = default;

void CTrovaneBoxLoader::Report(int event, uint32_t wParam) {
    if (m_progress)
        m_progress(event, wParam, kSteps);
}

bool CTrovaneBoxLoader::LoadNextEntry() {
    auto entry = std::make_unique<CTrovaneMessage>();
    if (!m_reader.Next(*entry)) {
        m_complete = m_reader.ReadEndMark();
        m_state = State::Drafts;
        return false;
    }
    const uint32_t index = m_index++;
    {
        CTrovaneHeldMessage held(m_core, entry->Kind(), entry->GetMessageID());
        if (held) {
            // Stored flags keep their low half; the folder decides the rest.
            entry->Fill(held.Record(), m_core);
        }
        // A message the core lost stays in the box with its ID alone.
    }
    if (m_store.AddEntry(std::move(entry)))
        ++m_added;
    if (index % m_step == 0)
        Report(kProgressEvent, index / m_step);
    return index % 10 == 0;
}

void CTrovaneBoxLoader::ScanDrafts() {
    if (!m_draftDir.isEmpty()) {
        const QFileInfoList files =
            QDir(m_draftDir).entryInfoList({QStringLiteral("*.zmf")}, QDir::Files, QDir::Name);
        for (const QFileInfo& file : files)
            if (FileDraft(m_store, m_core, file.completeBaseName()))
                ++m_added;
    }
    m_state = State::Done;
    Report(kDoneEvent, m_reader.Count() / m_step);
}

bool CTrovaneBoxLoader::Step() {
    while (m_state == State::Entries)
        if (LoadNextEntry())
            return true;
    if (m_state == State::Drafts)
        ScanDrafts();
    return false;
}

void CTrovaneBoxLoader::Finish() {
    while (Step()) {
    }
}

bool CTrovaneBoxLoader::FileDraft(CTrovaneStore& store, CTrovaneCoreLink& core,
                                  const QString& messageId) {
    CTrovaneHeldMessage held(core, KindDraft, messageId);
    if (!held)
        return false;
    auto entry = std::make_unique<CTrovaneMessage>();
    entry->SetBoxFlags(Draft);
    entry->Fill(held.Record(), core);
    entry->SetFolder(DraftsFolder, nullptr);
    return store.AddEntry(std::move(entry)) != nullptr;
}
