// Export and import of stored messages through an export collection (.zdc, the layout is
// described in collection/CMessageCollection.h).
//
// Export writes the named messages of the three boxes (drafts, sent, received) in that order;
// an id whose message is missing or unreadable is passed over. Import is all or nothing: a
// damaged or foreign file stores nothing, and a failure while storing removes every file this
// import wrote. A message whose id is already stored in its box is kept as it is (the user's
// own flags and changes win) and not written again; its id is still handed back, so that a
// message box that lost its entry can file it again.
#pragma once

#include "kernova/CMessageFiles.h"

#include <QStringList>
#include <array>

class CMessagePorter {
public:
    using Groups = std::array<QStringList, 3>; // drafts, sent, received

    explicit CMessagePorter(const CMessageFiles& files) : m_files(files) {}

    // False when nothing could be written; *error tells why (English, for the log).
    bool Export(const QString& path, const Groups& ids, QString* error) const;
    // The ids of the file's messages by box, or false with nothing stored.
    bool Import(const QString& path, Groups* ids, QString* error) const;

private:
    const CMessageFiles& m_files;
};
