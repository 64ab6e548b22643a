#pragma once
// What the core asks of the person at the screen. The program implements it with
// Qt widgets; tests implement it with a scripted fake; the headless runner prints.
#include <QString>

namespace volm {

class Person {
public:
    virtual ~Person() = default;

    // A plain message box (refusals, results, the standard error report).
    // A line break inside the text is the single character 13.
    virtual void message(const QString& text) = 0;

    // A question in a box titled "ВОЛМ" with Yes and No; true means Yes.
    virtual bool ask(const QString& text) = 0;
    // The same question in a box with a title of its own ("Выполнить расчет").
    virtual bool askTitled(const QString& title, const QString& text) {
        (void)title;
        return ask(text);
    }

    // File dialogs. filter is given as "База данных (*.mdb)|*.mdb"; initialDir may be
    // empty. An empty result means Cancel.
    virtual QString openFileName(const QString& title, const QString& filter, const QString& initialDir) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter, const QString& initialDir) = 0;

    // Status-bar text of the main window.
    virtual void status(const QString& text) = 0;

    // Hourglass cursor on (nested calls are counted by the caller's guard).
    virtual void busy(bool on) = 0;

    // Let the screen repaint during a long command.
    virtual void processEvents() = 0;
};

// Shows the hourglass for the life of the guard, however the command ends.
class BusyGuard {
public:
    explicit BusyGuard(Person& p) : p_(p) { p_.busy(true); }
    ~BusyGuard() { p_.busy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    Person& p_;
};

}  // namespace volm
