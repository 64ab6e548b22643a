#pragma once
// The result dialog "ВОЛМ" shown after a successful calculation run: the outcome
// text and the follow-up commands "Формировать отчет", "Выгрузить отчет в
// Microsoft Excel" and "Формировать график".
//
// Launch: TRasVipForm::run(app, outcomeText, followUps, parent). The follow-ups
// are the main window's command handlers; each one that is ticked runs, in that
// order, only when the dialog was closed with "OK". An empty handler does nothing.
#include <QDialog>
#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace volm {
class App;
}

class TRasVipForm : public QDialog {
    Q_OBJECT
public:
    struct FollowUps {
        std::function<void()> report;         // "Формировать отчет"
        std::function<void()> exportToExcel;  // "Выгрузить отчет в Microsoft Excel"
        std::function<void()> chart;          // "Формировать график"
    };
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
    static void run(volm::App& app, const QString& outcome, const FollowUps& followUps, QWidget* parent = nullptr);
    // Starts the ticked follow-ups of a confirmed choice.
    static void startFollowUps(const Choice& choice, const FollowUps& followUps);

    QPlainTextEdit* mmRasVip = nullptr;
    QCheckBox* cbFormOtch = nullptr;
    QCheckBox* cbVigrV_ME = nullptr;
    QCheckBox* cbGr = nullptr;
    QPushButton* btnOK = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};
