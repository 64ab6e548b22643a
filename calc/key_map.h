#pragma once
// A map from whole numbers (node numbers, pairs of them) to small values, for
// the indexes of a run: an entry is only added, never replaced or removed, so
// that the first value given for a key is the one kept.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace volm::calc {

template <typename Key, typename Value>
class KeyMap {
public:
    // Room for n entries without growing.
    void reserve(size_t n) { map_.reserve(n); }
    void clear() { map_.clear(); }
    size_t size() const { return map_.size(); }

    // Adds the entry unless the key is present; the entry of the key and whether it was added.
    std::pair<Value*, bool> tryEmplace(Key key, Value value) {
        auto [it, added] = map_.try_emplace(key, std::move(value));
        return {&it->second, added};
    }
    // The value of the key; nullptr when absent.
    const Value* find(Key key) const {
        const auto it = map_.find(key);
        return it == map_.end() ? nullptr : &it->second;
    }
    Value* find(Key key) {
        const auto it = map_.find(key);
        return it == map_.end() ? nullptr : &it->second;
    }
    bool contains(Key key) const { return map_.count(key) != 0; }

private:
    std::unordered_map<Key, Value> map_;
};

// Node numbers are 16-bit (the loader refuses others), so a node number
// indexes a table of 65,536 entries directly, made on the first entry; any
// other whole number (the Null mark among them) goes to a map beside it.
template <typename Value>
class KeyMap<int, Value> {
public:
    KeyMap() = default;
    // A copy has a table of its own (trial inputs are copies).
    KeyMap(const KeyMap& o) : present_(o.present_), others_(o.others_), size_(o.size_) {
        if (!o.slots_) return;
        slots_ = std::make_unique<Value[]>(kNodes);
        std::copy(o.slots_.get(), o.slots_.get() + kNodes, slots_.get());
    }
    KeyMap(KeyMap&&) noexcept = default;
    KeyMap& operator=(const KeyMap& o) {
        if (this != &o) *this = KeyMap(o);
        return *this;
    }
    KeyMap& operator=(KeyMap&&) noexcept = default;

    void reserve(size_t) {}
    void clear() {
        slots_.reset();
        present_.clear();
        others_.clear();
        size_ = 0;
    }
    size_t size() const { return size_; }

    std::pair<Value*, bool> tryEmplace(int key, Value value) {
        if (!node(key)) {
            auto [it, added] = others_.try_emplace(key, std::move(value));
            size_ += added ? 1 : 0;
            return {&it->second, added};
        }
        if (!slots_) {
            slots_ = std::make_unique<Value[]>(kNodes);
            present_.assign(kNodes, 0);
        }
        const size_t i = slot(key);
        if (present_[i]) return {&slots_[i], false};
        present_[i] = 1;
        slots_[i] = std::move(value);
        ++size_;
        return {&slots_[i], true};
    }
    const Value* find(int key) const { return const_cast<KeyMap*>(this)->find(key); }
    Value* find(int key) {
        if (!node(key)) {
            const auto it = others_.find(key);
            return it == others_.end() ? nullptr : &it->second;
        }
        const size_t i = slot(key);
        return !present_.empty() && present_[i] ? &slots_[i] : nullptr;
    }
    bool contains(int key) const { return find(key) != nullptr; }

private:
    static constexpr size_t kNodes = 65536;
    static bool node(int key) { return key >= -32768 && key <= 32767; }
    static size_t slot(int key) { return size_t(key + 32768); }

    std::unique_ptr<Value[]> slots_;
    std::vector<char> present_;
    std::unordered_map<int, Value> others_;
    size_t size_ = 0;
};

}  // namespace volm::calc
