#pragma once
// Suspends a cursor's display updates for the life of the guard. Given the
// holder of the cursor, the guard resumes only a cursor the holder still holds
// (a command may close and reopen the file meanwhile). fullResume undoes every
// suspension left behind, as after a command that may have stopped half-way.
#include "store/table.h"

#include <memory>

namespace volm {

class ControlsPause {
public:
    explicit ControlsPause(Table* t, bool fullResume = false) : t_(t), full_(fullResume) {
        if (t_) t_->disableControls();
    }
    explicit ControlsPause(const std::unique_ptr<Table>& holder, bool fullResume = false)
        : ControlsPause(holder.get(), fullResume) {
        holder_ = &holder;
    }
    ~ControlsPause() {
        if (!t_ || (holder_ && holder_->get() != t_)) return;
        t_->enableControls();
        while (full_ && t_->controlsDisabled()) t_->enableControls();
    }
    ControlsPause(const ControlsPause&) = delete;
    ControlsPause& operator=(const ControlsPause&) = delete;

private:
    Table* t_;
    const std::unique_ptr<Table>* holder_ = nullptr;
    bool full_;
};

}  // namespace volm
