#pragma once
// The calculation in three steps, none of which knows of the program's windows
// or of the person: everything the run needs is read from the file once, the
// stages compute on it in memory, and what they computed is stored in one
// transaction. The program's run command, the headless runner and sizing are
// built on them.
#include "calc/progress.h"
#include "calc/run_data.h"

#include <QLocale>
#include <QString>

namespace volm {

class Database;

namespace calc {

struct ReadOptions {
    // The order in which the sections are read, as a sort of Табл ("id ASC").
    QString sectionOrder;
    // The locale the reference book's texts are read in.
    QLocale locale;
};

// Reads the header, the sections in the order asked, the nodes, the head
// changes, the catalogue, the evaluation order, the regime rules and the
// reference data. Throws DatabaseError when the file cannot be read.
CalculationInput readCalculation(Database& calculation, Database& referenceBook, const ReadOptions& options);

struct ComputeOptions {
    // Texts of the edits of the nodes at which ПНапНаУзПод and РНапНаУз are given.
    QString supplyNodeText;
    QString availNodeText;
    // Digits after the separator in the text.
    int precision = 2;
    QChar decimal = QLatin1Char(',');
    // Where the text is written while the stages run; empty: no text.
    QString textPath;
};

// Runs the stages in their order on the calculation in memory, each only while
// no fault has been found: the checks, the mains, the lengths, the
// temperatures, the flows, the heights, the indicators, the heads and the end
// results; then, after a successful run, the low-head nodes and the regime
// warnings. A fault is the result's error (and fault section) and ends the
// stages. The text is complete on disk when the run succeeded and abandoned
// (closed as it stands, for the caller to remove) when it did not. Throws when
// the text cannot be written or when progress stops the run. The input is
// taken by value: a caller that keeps no copy moves it in.
CalculationResult compute(CalculationInput input, const ComputeOptions& options, const ProgressSink& progress = {});

// Stores what compute changed (also when it stopped at a fault): the given-head
// nodes, the changed columns of Заг and Табл, and МагистралиТС, КонМаг and
// СписокРасчУчастков as rebuilt, in one transaction: all of it, or nothing.
// Returns the tables it wrote, for those who show them to read again.
struct StoredTables {
    bool name = false;        // НазвРасч
    bool header = false;      // Заг
    bool sections = false;    // Табл
    bool mains = false;       // МагистралиТС
    bool endResults = false;  // КонМаг
    bool worklist = false;    // СписокРасчУчастков
};
StoredTables storeResults(Database& calculation, const CalculationResult& result);

}  // namespace calc
}  // namespace volm
