#pragma once
// What the run command ("Выполнить расчет") is asked to do and what it
// returns: its options, its outcome and where a successful run shows it.
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace volm {

namespace calc {
struct CalculationInput;
}

// Where a successful run shows its outcome. The program shows its result dialog
// there and starts the follow-ups ticked in it (report, spreadsheet, chart); the
// run calls it after the outcome is known and before its final steps, so that the
// window is still locked and the section table is returned to its row afterwards.
class OutcomeDisplay {
public:
    virtual ~OutcomeDisplay() = default;
    // outcomeText: "Расчет выполнен успешно." and, two-pipe, the nodes whose
    // available head is below 0.1 m.
    virtual void showOutcome(const QString& outcomeText) = 0;
};

struct RunOptions {
    // Texts of the main window's edits edNuzPNapPod and edNuzRNap: the nodes at
    // which ПНапНаУзПод and РНапНаУз are given.
    QString supplyNodeText;
    QString availNodeText;
    // The order in which the run reads the sections, as a sort of Табл
    // ("id ASC"); empty: the order the section grid shows.
    QString sectionOrder;
    // Ask "Данная операция может занять некоторое время. Выполнить расчет?" first;
    // false takes the answer as Yes.
    bool ask = true;
    // Digits after the separator in the text; the settings' ТочностьЧиселВОтч when unset.
    std::optional<int> precision;
    // When not empty, the text is written whatever the keep-text setting and,
    // after a successful run, stored under this name without any dialog. It is
    // written to a temporary file beside that name and renamed over it.
    QString textFile;
    // The calculation as it is to be computed, already read (sizing's input
    // with its chosen diameters, stored with the results); the run moves it
    // in. None: the run reads the calculation.
    calc::CalculationInput* input = nullptr;
    // Whether the text is written, in place of the settings' СохрТекстРас
    // (a named textFile always is).
    std::optional<bool> keepText;
    // BlokirovatOkno (true) and RazblokirovatOkno (false) of the main window.
    std::function<void(bool locked)> lockWindow;
    // Shows a saved calculation text in the viewer (modal); may throw FileError.
    std::function<void(const QString& path)> showText;
    // Shows the outcome of a successful run; none: the outcome is only returned.
    OutcomeDisplay* outcomeDisplay = nullptr;
};

struct RunOutcome {
    enum class Status {
        NotOpen,     // no calculation open: "Расчет невозможен." and what to do
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
    // The id of the section a Fault is about (the section grid is left on its
    // row); 0 when the fault is about no one section.
    qint64 faultSection = 0;
    // An Unexpected end came from a file that could not be written (the text:
    // a full disk, a write error); the message names the file asked for.
    bool fileFault = false;
    // Warnings of the regime checks after a successful run, one per broken rule.
    // The outcome display gets text followed by their block (outcomeWithWarnings).
    std::vector<QString> warnings;
};

// The outcome text followed, when there are warnings, by an empty line and
// "Предупреждения (N):" with one line per warning.
QString outcomeWithWarnings(const RunOutcome& outcome);

}  // namespace volm
