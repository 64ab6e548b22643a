#pragma once
// The hydraulic calculation run ("Выполнить расчет"): checks the network,
// finds its mains, computes lengths, temperatures, flows, node heights, every
// indicator defined by formula, the heads at every node and the end-node
// results, writes the calculation text and reports the outcome. The program's
// command and the headless runner both call runCalculation; the run reaches the
// person only through App::person().
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace volm {

class App;

struct RunOptions {
    // Texts of the main window's edits edNuzPNapPod and edNuzRNap: the nodes at
    // which ПНапНаУзПод and РНапНаУз are given.
    QString supplyNodeText;
    QString availNodeText;
    // Ask "Данная операция может занять некоторое время. Выполнить расчет?" first;
    // false takes the answer as Yes.
    bool ask = true;
    // Digits after the separator in the text; the settings' ТочностьЧиселВОтч when unset.
    std::optional<int> precision;
    // When not empty, the text is written whatever the keep-text setting and,
    // after a successful run, stored under this name without any dialog. It is
    // written to a temporary file beside that name and renamed over it.
    QString textFile;
    // Whether the text is written, in place of the settings' СохрТекстРас
    // (a named textFile always is).
    std::optional<bool> keepText;
    // BlokirovatOkno (true) and RazblokirovatOkno (false) of the main window.
    std::function<void(bool locked)> lockWindow;
    // Shows a saved calculation text in the viewer (modal); may throw FileError.
    std::function<void(const QString& path)> showText;
};

struct RunOutcome {
    enum class Status {
        NotOpen,     // no calculation open: "Расчет невозможен."
        Declined,    // the person answered No to the question
        Refused,     // formulas not checked or initial data wrong: "Расчет невозможен."
        Fault,       // a check or a stage stopped the run; text is its error text
        Unexpected,  // an unexpected fault ended the run; text is its message
        Success,     // text is the outcome text
    };
    Status status = Status::NotOpen;
    bool success() const { return status == Status::Success; }
    // The outcome text on success ("Расчет выполнен успешно." and, two-pipe, the
    // nodes whose available head is below 0.1 m); the error text otherwise.
    QString text;
    // Nodes whose available head is below 0.1 m, in the order collected.
    std::vector<int> lowHeadNodes;
    // The file the calculation text was stored in; empty when none.
    QString savedText;
};

// Runs the calculation of the open calculation file. Every message (refusals,
// the error text of a fault, an unexpected fault) is shown through the person,
// and so are the question, the status texts, the hourglass and the save dialog
// of the text; the outcome text of a successful run is returned for the result
// dialog, which the caller shows.
//
// The program's command passes the main window's edit texts (App::supplyNodeText,
// App::availNodeText), lockWindow and showText; the headless runner passes the
// node numbers stored in НазвРасч, ask = false and its text file.
//
// Results are computed in memory and written back in one transaction when the
// stages end, also when one of them stops at a fault (what the stages before it
// computed is kept); the cursors of the written tables are then re-read.
RunOutcome runCalculation(App& app, const RunOptions& options);

}  // namespace volm
