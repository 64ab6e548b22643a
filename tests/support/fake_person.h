#pragma once
// The scripted person of the tests: records every message, question, dialog and
// status text, and answers questions and file dialogs from queues the test fills.
#include "store/person.h"
#include <QString>
#include <QStringList>
#include <deque>

namespace volm::test {

class FakePerson : public Person {
public:
    // Everything the core showed, in order.
    QStringList messages;
    QStringList questions;
    QStringList statuses;
    struct Dialog {
        bool save;
        QString title, filter, initialDir;
    };
    std::vector<Dialog> dialogs;
    int busyDepth = 0;
    int processed = 0;

    // Scripted answers; an empty queue answers No / Cancel.
    std::deque<bool> answers;
    std::deque<QString> fileNames;

    void message(const QString& text) override { messages << text; }
    bool ask(const QString& text) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialDir) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& initialDir) override;
    void status(const QString& text) override { statuses << text; }
    void busy(bool on) override { busyDepth += on ? 1 : -1; }
    void processEvents() override { ++processed; }

    void clear();
};

}  // namespace volm::test
