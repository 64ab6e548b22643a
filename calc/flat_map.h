#pragma once
// A map from whole numbers (node numbers, pairs of them) to small values, for
// the indexes of a run: open addressing in one array, so that a lookup costs a
// multiplication and, as a rule, one cache line, and building and dropping it
// costs no allocation per entry. Entries are only added, never removed.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace volm::calc {

template <typename Key, typename Value>
class FlatMap {
public:
    // Room for n entries without growing.
    void reserve(size_t n) {
        size_t want = 16;
        while (want < n * 2) want *= 2;
        if (want > slots_.size()) rehash(want);
    }
    void clear() {
        slots_.clear();
        size_ = 0;
    }
    size_t size() const { return size_; }

    // Adds the entry unless the key is present; the entry of the key and whether it was added.
    std::pair<Value*, bool> tryEmplace(Key key, Value value) {
        if ((size_ + 1) * 2 > slots_.size()) rehash(slots_.empty() ? 16 : slots_.size() * 2);
        Slot& s = slotFor(key);
        if (s.used) return {&s.value, false};
        s = {key, std::move(value), true};
        ++size_;
        return {&s.value, true};
    }
    // The value of the key; nullptr when absent.
    const Value* find(Key key) const {
        if (slots_.empty()) return nullptr;
        const Slot& s = const_cast<FlatMap*>(this)->slotFor(key);
        return s.used ? &s.value : nullptr;
    }
    Value* find(Key key) {
        if (slots_.empty()) return nullptr;
        Slot& s = slotFor(key);
        return s.used ? &s.value : nullptr;
    }
    bool contains(Key key) const { return find(key) != nullptr; }

private:
    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };

    // The slot holding the key, or the free slot where it would go.
    Slot& slotFor(Key key) {
        const size_t mask = slots_.size() - 1;
        size_t i = size_t((std::uint64_t(key) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
        while (slots_[i].used && slots_[i].key != key) i = (i + 1) & mask;
        return slots_[i];
    }
    void rehash(size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(slots_);
        size_ = 0;
        for (Slot& s : old)
            if (s.used) tryEmplace(s.key, std::move(s.value));
    }

    std::vector<Slot> slots_;  // a power of two in size, at most half used
    size_t size_ = 0;
};

}  // namespace volm::calc
