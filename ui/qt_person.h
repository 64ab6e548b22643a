#pragma once
// The person at the screen, in Qt: plain message boxes, questions titled "ВОЛМ"
// with Yes and No, file dialogs, the hourglass cursor, the status-bar text and
// repainting during long commands.
#include "store/person.h"

#include <QPointer>
#include <QWidget>
#include <functional>

namespace volm::ui {

class QtPerson : public Person {
public:
    // The window the boxes and dialogs belong to (may be set later, may be null).
    void setWindow(QWidget* window) { window_ = window; }
    // Where status texts go (the main window's status bar).
    std::function<void(const QString&)> showStatus;

    void message(const QString& text) override;
    bool ask(const QString& text) override;
    bool askTitled(const QString& title, const QString& text) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialDir) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& initialDir) override;
    void status(const QString& text) override;
    void busy(bool on) override;
    void processEvents() override;

    // "База данных (*.mdb)|*.mdb" -> "База данных (*.mdb)": pairs of description
    // and masks separated by "|" become Qt's filter list.
    static QString qtFilter(const QString& filter);
    // Line breaks of the system's texts (CR, CR LF) as Qt shows them.
    static QString displayText(const QString& text);

private:
    QPointer<QWidget> window_;
    int busy_ = 0;
};

}  // namespace volm::ui
