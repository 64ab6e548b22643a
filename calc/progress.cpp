#include "calc/progress.h"

namespace volm::calc {

void Progress::show(const QString& text) {
    if (sink_) sink_(text);
    timer_.start();
}

void Progress::stage(const QString& text) { show(text); }

void Progress::clear() {
    if (sink_) sink_(QString());
    timer_.invalidate();
}

}  // namespace volm::calc
