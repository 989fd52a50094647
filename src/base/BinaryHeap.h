// A binary heap of values, earliest first by a strict order `Before`, kept in one vector
// that is reused: the time order of the lanes of a run and of the axles on a bridge. Ties
// go the way the sift steps below take them, which is part of both users' exact output:
// a child replaces its parent only when it comes strictly before it, and of two children
// the right one is taken only when it comes strictly before the left.
#pragma once

#include <cassert>
#include <cstddef>
#include <vector>

template <typename T, typename Before>
class BinaryHeap {
 public:
  explicit BinaryHeap(Before before = Before()) : before(before) {}

  bool empty() const { return items.empty(); }
  std::size_t size() const { return items.size(); }
  void reserve(std::size_t count) { items.reserve(count); }
  // The earliest item. REQUIRES: !empty().
  const T& top() const {
    assert(!empty());
    return items.front();
  }
  T& top() {
    assert(!empty());
    return items.front();
  }
  // The items in heap order, to change in place; call rebuild() after.
  std::vector<T>& all() { return items; }

  void push(const T& item) {
    items.push_back(item);
    siftUp(items.size() - 1);
  }
  // Puts the top back in its place after it was changed. REQUIRES: !empty().
  void topChanged() {
    assert(!empty());
    siftDown(0);
  }
  // Removes the top. REQUIRES: !empty().
  void pop() {
    assert(!empty());
    items.front() = items.back();
    items.pop_back();
    if (!items.empty()) {
      siftDown(0);
    }
  }
  // Restores the order after items were changed through all().
  void rebuild() {
    for (std::size_t at = items.size() / 2; at > 0; --at) {
      siftDown(at - 1);
    }
  }

 private:
  void siftDown(std::size_t at) {
    T moving = items[at];
    std::size_t count = items.size();
    while (true) {
      std::size_t child = 2 * at + 1;
      if (child >= count) {
        break;
      }
      if (child + 1 < count && before(items[child + 1], items[child])) {
        ++child;
      }
      if (!before(items[child], moving)) {
        break;
      }
      items[at] = items[child];
      at = child;
    }
    items[at] = moving;
  }
  void siftUp(std::size_t at) {
    T moving = items[at];
    while (at > 0) {
      std::size_t parent = (at - 1) / 2;
      if (!before(moving, items[parent])) {
        break;
      }
      items[at] = items[parent];
      at = parent;
    }
    items[at] = moving;
  }

  std::vector<T> items;
  Before before;
};
