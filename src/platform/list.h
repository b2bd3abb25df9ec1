// An ordered list of shared objects: appended at the tail, visited from head
// to tail, cleared at once. An object may be removed while the list is being
// visited: a removed node keeps its link to the next one, so a visit standing
// on it walks on to the rest of the list.
#pragma once

#include <memory>

template <class T>
class TList {
 public:
  using Ref = std::shared_ptr<T>;

  class iterator {
   public:
    const Ref& operator*() const { return node_->value; }
    const Ref* operator->() const { return &node_->value; }
    iterator& operator++() {
      node_ = node_->next;
      skipRemoved();
      return *this;
    }
    bool operator==(const iterator& other) const { return node_ == other.node_; }
    bool operator!=(const iterator& other) const { return node_ != other.node_; }

   private:
    friend class TList;
    explicit iterator(std::shared_ptr<typename TList::Node> node) : node_(std::move(node)) {
      skipRemoved();
    }
    void skipRemoved() {
      while (node_ && node_->removed) node_ = node_->next;
    }
    std::shared_ptr<typename TList::Node> node_;
  };

  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  ~TList() { Clear(); }

  iterator begin() const { return iterator(head_); }
  iterator end() const { return iterator(nullptr); }
  int Count() const { return count_; }

  void AddLast(Ref value) {
    auto node = std::make_shared<Node>();
    node->value = std::move(value);
    node->prev = tail_;
    if (tail_)
      tail_->next = node;
    else
      head_ = node;
    tail_ = node.get();
    ++count_;
  }

  // Removes the first occurrence of `value`; false when it is not in the list.
  bool Remove(const Ref& value) {
    for (Node* n = head_.get(); n; n = n->next.get()) {
      if (n->value != value) continue;
      Unlink(n);
      return true;
    }
    return false;
  }

  void Clear() {
    // Mark every node first so that a visit in progress sees them all gone.
    for (Node* n = head_.get(); n; n = n->next.get()) {
      n->removed = true;
      n->prev = nullptr;
    }
    tail_ = nullptr;
    count_ = 0;
    // Release iteratively: a long chain of shared links must not recurse.
    std::shared_ptr<Node> n = std::move(head_);
    while (n && n.use_count() == 1) {
      std::shared_ptr<Node> next = std::move(n->next);
      n = std::move(next);
    }
  }

 private:
  struct Node {
    Ref value;
    std::shared_ptr<Node> next;
    Node* prev = nullptr;
    bool removed = false;
  };

  void Unlink(Node* n) {
    // Whoever links to `n` owns it; hold it while the links are rewritten.
    std::shared_ptr<Node> keep = n->prev ? n->prev->next : head_;
    if (n->prev)
      n->prev->next = n->next;
    else
      head_ = n->next;
    if (n->next)
      n->next->prev = n->prev;
    else
      tail_ = n->prev;
    n->prev = nullptr;
    n->removed = true;
    --count_;
  }

  std::shared_ptr<Node> head_;
  Node* tail_ = nullptr;
  int count_ = 0;
};

template <class T>
using TListRef = std::shared_ptr<TList<T>>;

template <class T>
TListRef<T> CreateList() {
  return std::make_shared<TList<T>>();
}

template <class T, class U>
void ListAddLast(const TListRef<T>& list, std::shared_ptr<U> value) {
  list->AddLast(std::move(value));
}

template <class T, class U>
bool ListRemove(const TListRef<T>& list, const std::shared_ptr<U>& value) {
  return list->Remove(value);
}

template <class T>
void ClearList(const TListRef<T>& list) {
  list->Clear();
}
