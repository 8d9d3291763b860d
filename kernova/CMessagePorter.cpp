#include "kernova/CMessagePorter.h"

#include "kernova/collection/CMessageCollection.h"

#include <QFile>
#include <QSet>

bool CMessagePorter::Export(const QString& path, const Groups& ids, QString* error) const {
    CMessageCollection collection;
    for (int box = 0; box < CMessageCollection::kGroups; ++box)
        for (const QString& id : ids[size_t(box)])
            if (std::unique_ptr<CLetrix> message = m_files.Load(box, id))
                collection.Add(CMessageCollection::Group(box), std::move(message));
    if (!collection.Save(path)) {
        *error = collection.ErrorText();
        return false;
    }
    return true;
}

bool CMessagePorter::Import(const QString& path, Groups* ids, QString* error) const {
    CMessageCollection collection;
    if (!collection.Load(path)) {
        *error = collection.ErrorText();
        return false;
    }
    Groups found;
    QStringList written;
    for (int box = 0; box < CMessageCollection::kGroups; ++box) {
        QSet<QString> seen;
        for (const auto& message : collection.Messages(CMessageCollection::Group(box))) {
            const QString id = message->GetMessageID();
            if (seen.contains(id))
                continue;
            seen.insert(id);
            found[size_t(box)].append(id);
            if (m_files.Exists(box, id))
                continue;
            if (!m_files.Save(box, *message, error)) {
                for (const QString& p : written)
                    QFile::remove(p);
                return false;
            }
            written.append(m_files.PathOf(box, id));
        }
    }
    *ids = std::move(found);
    return true;
}
