#include "calc/progress.h"

#include "store/person.h"

namespace volm::calc {

Progress::Progress(Person& person) : person_(person) {}

void Progress::show(const QString& text) {
    person_.status(text);
    person_.processEvents();
    timer_.start();
}

void Progress::stage(const QString& text) { show(text); }

void Progress::clear() {
    person_.status(QString());
    timer_.invalidate();
}

}  // namespace volm::calc
