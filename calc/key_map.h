#pragma once
// A map from whole numbers (node numbers, pairs of them) to small values, for
// the indexes of a run: an entry is only added, never replaced or removed, so
// that the first value given for a key is the one kept.
#include <cstddef>
#include <unordered_map>
#include <utility>

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

}  // namespace volm::calc
