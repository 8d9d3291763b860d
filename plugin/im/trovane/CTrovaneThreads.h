// Conversations of the message box: a reply carries, as its reference ID, the message ID of the
// message it answers, and the store's reply index leads from a message to its replies. The
// thread of an entry is the tree below its root, the first message that the box still holds.
//
// CTrovaneThreadTree keeps the tree a thread window shows, by local numbers, and brings it up
// to date in place as long as the root stays the same, so that the window keeps its selection
// and scroll position; an observer hears of every row it removes or inserts.
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CTrovaneMessage;
class CTrovaneStore;

namespace CTrovaneThreads {

// The root of the thread of an entry: the walk follows reference IDs through the sent map when
// the entry is a sent message (drafts included), else through the received map, and stops at
// a reference that the box does not hold. A reference that leads back into the walk ends it too.
CTrovaneMessage* Root(const CTrovaneStore& store, CTrovaneMessage* start);

// The replies of an entry: one per message ID (the sent copy before the received one), oldest
// send time first.
QList<CTrovaneMessage*> Replies(const CTrovaneStore& store, const CTrovaneMessage& entry);

} // namespace CTrovaneThreads

class CTrovaneThreadTree {
public:
    struct Node {
        uint32_t localNumber = 0;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool expanded = false;
        int Row() const;
    };

    // Told before and after rows leave or enter under a parent (null parent: the top level).
    struct Observer {
        std::function<void(Node* parent, int first, int last)> beginRemove;
        std::function<void()> endRemove;
        std::function<void(Node* parent, int first, int last)> beginInsert;
        std::function<void()> endInsert;
        std::function<void()> beginReset;
        std::function<void()> endReset;
    };

    explicit CTrovaneThreadTree(const CTrovaneStore& store) : m_store(store) {}

    void SetObserver(Observer observer) { m_observer = std::move(observer); }

    // The thread of the entry with this local number; false when the box no longer holds it
    // (the tree is then empty).
    bool Open(uint32_t localNumber);
    // Computes the root again for the entry the tree was opened for: the same root updates the
    // tree in place, another one rebuilds it, none empties it. Returns true when it rebuilt or
    // emptied the tree.
    bool Refresh();

    uint32_t OpenedFor() const { return m_openedFor; }
    uint32_t RootNumber() const { return m_root ? m_root->localNumber : 0; }
    const Node* RootNode() const { return m_root.get(); }
    Node* RootNode() { return m_root.get(); }
    // The node of a local number; null when the tree does not show it.
    Node* Find(uint32_t localNumber) const;
    int NodeCount() const;

private:
    void Build(Node& node, QList<uint32_t>& path);
    void Update(Node& node, QList<uint32_t>& path);
    void Reset(std::unique_ptr<Node> root);
    static Node* FindIn(Node* node, uint32_t localNumber);
    static int CountIn(const Node* node);

    const CTrovaneStore& m_store;
    Observer m_observer;
    uint32_t m_openedFor = 0;
    std::unique_ptr<Node> m_root;
};
