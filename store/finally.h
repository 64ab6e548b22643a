#pragma once
// Runs a function however the enclosing scope ends.
#include <utility>

namespace volm {

// Runs f however the enclosing scope ends.
template <typename F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    F f_;
};

}  // namespace volm
