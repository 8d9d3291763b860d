#include "kernova/collection/CMessageCollection.h"

#include "kernova/service/ServiceRules.h"
#include "obrix/CArchive.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace {

template <typename T> void AppendLE(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// The caller has made sure that sizeof(T) bytes are left at pos.
template <typename T> T TakeLE(const QByteArray& in, qsizetype& pos) {
    const T value = qFromLittleEndian<T>(in.constData() + pos);
    pos += sizeof(T);
    return value;
}

} // namespace

CMessageCollection::CMessageCollection() = default;
CMessageCollection::~CMessageCollection() = default;
CMessageCollection::CMessageCollection(CMessageCollection&&) noexcept = default;
CMessageCollection& CMessageCollection::operator=(CMessageCollection&&) noexcept = default;

QByteArray CMessageCollection::Magic() {
    return QByteArray("ZELTADC\x1A", 8);
}

void CMessageCollection::Add(Group group, const CLetrix& message) {
    auto copy = std::make_unique<CLetrix>(message);
    copy->ClearBros();
    Add(group, std::move(copy));
}

void CMessageCollection::Add(Group group, std::unique_ptr<CLetrix> message) {
    m_groups.at(group).push_back(std::move(message));
}

const std::vector<std::unique_ptr<CLetrix>>& CMessageCollection::Messages(Group group) const {
    return m_groups.at(group);
}

qint64 CMessageCollection::Count(Group group) const {
    return qint64(m_groups.at(group).size());
}

qint64 CMessageCollection::Total() const {
    return Count(Drafts) + Count(Sent) + Count(Received);
}

void CMessageCollection::Clear() {
    for (auto& g : m_groups)
        g.clear();
}

bool CMessageCollection::Fail(const QString& why) const {
    m_error = why;
    return false;
}

bool CMessageCollection::IsFileSafeId(const QString& id) {
    return Svc::IsValidMessageId(id);
}

QByteArray CMessageCollection::ToBytes() const {
    QByteArray out = Magic();
    AppendLE(out, kVersion);
    for (const auto& g : m_groups)
        AppendLE(out, int64_t(g.size()));
    for (const auto& g : m_groups) {
        for (const auto& m : g) {
            CArchive one;
            // Storing only reads the message; Serialize is one function for both directions.
            const_cast<CLetrix&>(*m).Serialize(one);
            AppendLE(out, uint32_t(one.Bytes().size()));
            out += one.Bytes();
        }
    }
    AppendLE(out, kEndMark);
    return out;
}

bool CMessageCollection::FromBytes(const QByteArray& bytes) {
    Clear();
    m_error.clear();
    if (bytes.size() < kHeaderBytes + 4 || !bytes.startsWith(Magic()))
        return Fail(QStringLiteral("not an export collection"));
    qsizetype pos = Magic().size();
    const auto version = TakeLE<uint32_t>(bytes, pos);
    if (version != kVersion)
        return Fail(QStringLiteral("unknown collection version %1").arg(version));
    // Each count alone, then their sum, must fit in what follows: no sum can overflow.
    const qint64 room = (bytes.size() - kHeaderBytes - 4) / kMinStoredMessageBytes;
    int64_t counts[kGroups];
    int64_t total = 0;
    for (int64_t& count : counts) {
        count = TakeLE<int64_t>(bytes, pos);
        if (count < 0 || count > room)
            return Fail(QStringLiteral("message count %1 does not fit the file").arg(count));
        total += count;
    }
    if (total > room)
        return Fail(QStringLiteral("message counts do not fit the file"));

    std::array<std::vector<std::unique_ptr<CLetrix>>, kGroups> groups;
    try {
        for (int g = 0; g < kGroups; ++g) {
            groups[g].reserve(size_t(counts[g]));
            for (int64_t i = 0; i < counts[g]; ++i) {
                // The end mark must still follow the message.
                if (bytes.size() - pos < 4 + 4)
                    return Fail(QStringLiteral("message %1 is cut off").arg(i));
                const auto length = TakeLE<uint32_t>(bytes, pos);
                if (qint64(length) > bytes.size() - pos - 4)
                    return Fail(QStringLiteral("message %1 is cut off").arg(i));
                CArchive one(bytes.mid(pos, length));
                pos += length;
                auto m = std::make_unique<CLetrix>();
                m->Serialize(one);
                if (!one.AtEnd())
                    return Fail(QStringLiteral("message %1 has trailing bytes").arg(i));
                if (!IsFileSafeId(m->GetMessageID()))
                    return Fail(QStringLiteral("message %1 has an unusable id").arg(i));
                groups[g].push_back(std::move(m));
            }
        }
    } catch (const CArchiveException& e) {
        return Fail(QStringLiteral("damaged message: %1").arg(QString::fromUtf8(e.what())));
    }
    if (bytes.size() - pos != 4 || TakeLE<uint32_t>(bytes, pos) != kEndMark)
        return Fail(QStringLiteral("the collection does not end where its messages end"));
    m_groups = std::move(groups);
    return true;
}

bool CMessageCollection::Save(const QString& path) const {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    const QByteArray bytes = ToBytes();
    if (f.write(bytes) != bytes.size() || !f.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, f.errorString()));
    return true;
}

bool CMessageCollection::Load(const QString& path) {
    Clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
    if (f.size() > kMaxFileBytes)
        return Fail(QStringLiteral("%1 is too large for a collection").arg(path));
    // Read at most one byte beyond the limit: a file that grew meanwhile is still refused.
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return Fail(QStringLiteral("%1 is too large for a collection").arg(path));
    return FromBytes(bytes);
}
