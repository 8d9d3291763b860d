#include "plugin/im/trovane/CTrovaneThreads.h"

#include "plugin/im/trovane/CTrovaneStore.h"

#include <QSet>
#include <algorithm>
#include <tuple>

using namespace TrovaneBox;

namespace CTrovaneThreads {

CTrovaneMessage* Root(const CTrovaneStore& store, CTrovaneMessage* start) {
    if (!start)
        return nullptr;
    // The map is chosen once, by the entry the walk starts from.
    const bool received = !(start->BoxFlags() & Sent);
    CTrovaneMessage* current = start;
    QSet<uint32_t> seen{current->LocalNumber()};
    QString reference = current->GetReferenceID();
    while (!reference.isEmpty()) {
        CTrovaneMessage* parent = store.FindEntry(reference, received);
        if (!parent || seen.contains(parent->LocalNumber()))
            break;
        seen.insert(parent->LocalNumber());
        current = parent;
        reference = current->GetReferenceID();
    }
    return current;
}

namespace {

auto TimeKey(const CTrovaneMessage* e) {
    const SYSTEMTIME t = e->GetSendTime(0);
    return std::tuple(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

} // namespace

QList<CTrovaneMessage*> Replies(const CTrovaneStore& store, const CTrovaneMessage& entry) {
    const QString id = entry.GetMessageID();
    if (id.isEmpty())
        return {};
    QList<CTrovaneMessage*> replies = store.Replies(id);
    // A received message and the sent copy of the same message are one reply: the sent copy
    // stays.
    std::stable_sort(replies.begin(), replies.end(),
                     [](const CTrovaneMessage* a, const CTrovaneMessage* b) {
                         const int order = a->GetMessageID().compare(b->GetMessageID());
                         if (order != 0)
                             return order < 0;
                         return (a->BoxFlags() & Sent) && !(b->BoxFlags() & Sent);
                     });
    const auto last = std::unique(replies.begin(), replies.end(),
                                  [](const CTrovaneMessage* a, const CTrovaneMessage* b) {
                                      return a->GetMessageID() == b->GetMessageID();
                                  });
    replies.erase(last, replies.end());
    std::stable_sort(
        replies.begin(), replies.end(),
        [](const CTrovaneMessage* a, const CTrovaneMessage* b) { return TimeKey(a) < TimeKey(b); });
    return replies;
}

} // namespace CTrovaneThreads

// ---- The tree of a thread window ----

int CTrovaneThreadTree::Node::Row() const {
    if (!parent)
        return 0;
    for (size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i].get() == this)
            return int(i);
    return 0;
}

bool CTrovaneThreadTree::Open(uint32_t localNumber) {
    m_openedFor = localNumber;
    CTrovaneMessage* root = CTrovaneThreads::Root(m_store, m_store.FindEntry(localNumber));
    if (!root) {
        Reset(nullptr);
        return false;
    }
    auto node = std::make_unique<Node>();
    node->localNumber = root->LocalNumber();
    QList<uint32_t> path;
    Build(*node, path);
    Reset(std::move(node));
    return true;
}

bool CTrovaneThreadTree::Refresh() {
    CTrovaneMessage* root = CTrovaneThreads::Root(m_store, m_store.FindEntry(m_openedFor));
    if (!root) {
        if (m_root)
            Reset(nullptr);
        return true;
    }
    if (!m_root || root->LocalNumber() != m_root->localNumber) {
        Open(m_openedFor);
        return true;
    }
    QList<uint32_t> path;
    Update(*m_root, path);
    return false;
}

void CTrovaneThreadTree::Reset(std::unique_ptr<Node> root) {
    if (m_observer.beginReset)
        m_observer.beginReset();
    m_root = std::move(root);
    if (m_observer.endReset)
        m_observer.endReset();
}

// The path guards against references that loop: an entry already above a node is not shown
// again below it.
void CTrovaneThreadTree::Build(Node& node, QList<uint32_t>& path) {
    node.children.clear();
    const CTrovaneMessage* entry = m_store.FindEntry(node.localNumber);
    if (!entry)
        return;
    path.append(node.localNumber);
    for (CTrovaneMessage* reply : CTrovaneThreads::Replies(m_store, *entry)) {
        if (path.contains(reply->LocalNumber()))
            continue;
        auto child = std::make_unique<Node>();
        child->localNumber = reply->LocalNumber();
        child->parent = &node;
        Build(*child, path);
        node.children.push_back(std::move(child));
    }
    path.removeLast();
    node.expanded = !node.children.empty();
}

void CTrovaneThreadTree::Update(Node& node, QList<uint32_t>& path) {
    const CTrovaneMessage* entry = m_store.FindEntry(node.localNumber);
    QList<uint32_t> wanted;
    if (entry) {
        path.append(node.localNumber);
        for (CTrovaneMessage* reply : CTrovaneThreads::Replies(m_store, *entry))
            if (!path.contains(reply->LocalNumber()))
                wanted.append(reply->LocalNumber());
        path.removeLast();
    }
    // Children that are no longer replies leave, last first.
    for (int i = int(node.children.size()) - 1; i >= 0; --i) {
        if (wanted.contains(node.children[size_t(i)]->localNumber))
            continue;
        if (m_observer.beginRemove)
            m_observer.beginRemove(&node, i, i);
        node.children.erase(node.children.begin() + i);
        if (m_observer.endRemove)
            m_observer.endRemove();
    }
    // Missing replies enter at their place; a child out of place moves there.
    for (int i = 0; i < wanted.size(); ++i) {
        if (size_t(i) < node.children.size() && node.children[size_t(i)]->localNumber == wanted[i])
            continue;
        for (size_t j = size_t(i) + 1; j < node.children.size(); ++j)
            if (node.children[j]->localNumber == wanted[i]) {
                if (m_observer.beginRemove)
                    m_observer.beginRemove(&node, int(j), int(j));
                node.children.erase(node.children.begin() + qsizetype(j));
                if (m_observer.endRemove)
                    m_observer.endRemove();
                break;
            }
        auto child = std::make_unique<Node>();
        child->localNumber = wanted[i];
        child->parent = &node;
        path.append(node.localNumber);
        Build(*child, path);
        path.removeLast();
        if (m_observer.beginInsert)
            m_observer.beginInsert(&node, i, i);
        node.children.insert(node.children.begin() + i, std::move(child));
        if (m_observer.endInsert)
            m_observer.endInsert();
    }
    path.append(node.localNumber);
    for (auto& child : node.children)
        Update(*child, path);
    path.removeLast();
    if (node.children.empty())
        node.expanded = false;
}

CTrovaneThreadTree::Node* CTrovaneThreadTree::Find(uint32_t localNumber) const {
    return m_root ? FindIn(m_root.get(), localNumber) : nullptr;
}

CTrovaneThreadTree::Node* CTrovaneThreadTree::FindIn(Node* node, uint32_t localNumber) {
    if (node->localNumber == localNumber)
        return node;
    for (auto& child : node->children)
        if (Node* found = FindIn(child.get(), localNumber))
            return found;
    return nullptr;
}

int CTrovaneThreadTree::NodeCount() const {
    return m_root ? CountIn(m_root.get()) : 0;
}

int CTrovaneThreadTree::CountIn(const Node* node) {
    int n = 1;
    for (const auto& child : node->children)
        n += CountIn(child.get());
    return n;
}
