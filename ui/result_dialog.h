#pragma once
// The result dialog "ВОЛМ" shown after a successful calculation run: the outcome
// text and the follow-up commands "Формировать отчет", "Выгрузить отчет в
// Microsoft Excel" and "Формировать график".
//
// A successful run shows it through ResultDialogDisplay, its outcome display,
// before the run's final steps. The follow-ups are started in one place,
// TRasVipForm::startFollowUps: each one that is ticked, in that order, only when
// the dialog was closed with "OK", through the ResultFollowUps the main window
// implements with its commands.
#include "commands/run_options.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace volm {
class App;
}

namespace volm::ui {

// The commands the result dialog can start next.
class ResultFollowUps {
public:
    virtual ~ResultFollowUps() = default;
    virtual void startReport() = 0;             // "Формировать отчет"
    virtual void startSpreadsheetExport() = 0;  // "Выгрузить отчет в Microsoft Excel"
    virtual void startChart() = 0;              // "Формировать график"
};

}  // namespace volm::ui

class TRasVipForm : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        bool confirmed = false;
        bool report = false;
        bool exportToExcel = false;
        bool chart = false;
    };

    explicit TRasVipForm(QWidget* parent = nullptr);

    // Puts the outcome into the memo and clears the three check boxes.
    void setOutcome(const QString& text);
    // What the person chose; confirmed only after "OK".
    Choice choice() const;

    // Shows the dialog modally with the outcome and returns the choice.
    static Choice ask(volm::App& app, const QString& outcome, QWidget* parent = nullptr);
    // ask(), then starts the ticked follow-ups when confirmed.
    static void run(volm::App& app, const QString& outcome, volm::ui::ResultFollowUps& followUps,
                    QWidget* parent = nullptr);
    // Starts the ticked follow-ups of a confirmed choice: the one place where
    // each of them is started.
    static void startFollowUps(const Choice& choice, volm::ui::ResultFollowUps& followUps);

    QPlainTextEdit* mmRasVip = nullptr;
    QCheckBox* cbFormOtch = nullptr;
    QCheckBox* cbVigrV_ME = nullptr;
    QCheckBox* cbGr = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void widenForLongLines();
};

namespace volm::ui {

// The run's outcome display in the program: the result dialog over parent, then
// the follow-ups ticked in it.
class ResultDialogDisplay : public volm::OutcomeDisplay {
public:
    ResultDialogDisplay(volm::App& app, ResultFollowUps& followUps, QWidget* parent)
        : app_(app), followUps_(followUps), parent_(parent) {}
    void showOutcome(const QString& outcomeText) override;

private:
    volm::App& app_;
    ResultFollowUps& followUps_;
    QWidget* parent_;
};

}  // namespace volm::ui
