#include "tests/support/fake_person.h"

namespace volm::test {

bool FakePerson::ask(const QString& text) {
    questions << text;
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
}

QString FakePerson::openFileName(const QString& title, const QString& filter, const QString& initialDir) {
    dialogs.push_back({false, title, filter, initialDir});
    if (fileNames.empty()) return {};
    QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString FakePerson::saveFileName(const QString& title, const QString& filter, const QString& initialDir) {
    dialogs.push_back({true, title, filter, initialDir});
    if (fileNames.empty()) return {};
    QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

void FakePerson::clear() {
    messages.clear();
    questions.clear();
    statuses.clear();
    dialogs.clear();
}

}  // namespace volm::test
