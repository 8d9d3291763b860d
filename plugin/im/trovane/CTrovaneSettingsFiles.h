// The three settings files of the message box, each framed as a header word (0), a body and
// the end mark 0x55555555 in the archive encoding:
//   "MesboxTREESet.zin"  the folder tree, parents before children;
//   "MesboxTRANSet.zin"  the transfer conditions;
//   "MesboxMESGSet.zin"  the entries (folder, previous folder, box flags, message ID).
// Building and reading the bytes happens here; the application object reads and writes the
// files whole through the core.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class CArchive;
class CTrovaneCoreLink;
class CTrovaneMessage;
class CTrovaneStore;
class CTrovaneTransCondList;

namespace CTrovaneSettingsFiles {

inline constexpr const char16_t* kTreeFile = u"MesboxTREESet.zin";
inline constexpr const char16_t* kConditionsFile = u"MesboxTRANSet.zin";
inline constexpr const char16_t* kEntriesFile = u"MesboxMESGSet.zin";
inline constexpr uint32_t kHeader = 0;
inline constexpr uint32_t kEndMark = 0x55555555;

QByteArray WriteTree(const CTrovaneStore& store);
// Adds the folders of a tree file to the store; a folder whose parent has not been added is
// dropped. False when the bytes are not a whole tree file (the store then holds what was
// added before the damage).
bool ReadTree(const QByteArray& bytes, CTrovaneStore& store);

QByteArray WriteConditions(const CTrovaneTransCondList& conditions);
// False (and no conditions) when the bytes are not a whole conditions file.
bool ReadConditions(const QByteArray& bytes, CTrovaneTransCondList& conditions);

QByteArray WriteEntries(const CTrovaneStore& store);

// Empties the store and creates the root and the system folders.
void CreateSystemFolders(CTrovaneStore& store);
// Gives the system folders their names, flags and icons again (names from the core's texts).
void ResetSystemFolders(CTrovaneStore& store, void* resources);

// The entry records of an entries file, read one at a time (the load thread's part).
class EntryReader {
public:
    // Skips the header word; Count() is then the number of records announced.
    explicit EntryReader(const QByteArray& bytes);
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    bool IsValid() const { return m_valid; }
    uint32_t Count() const { return m_count; }
    // The next record into entry (folder, previous folder, box flags, message ID); false at
    // the end of the announced records or where the bytes are damaged.
    bool Next(CTrovaneMessage& entry);
    // Reads the end mark after the last record; true when it is 0x55555555.
    bool ReadEndMark();

private:
    std::unique_ptr<CArchive> m_archive;
    uint32_t m_count = 0;
    uint32_t m_read = 0;
    bool m_valid = false;
};

} // namespace CTrovaneSettingsFiles
