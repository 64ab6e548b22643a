#pragma once
// The calculation in memory for the duration of one run: the rows of НазвРасч,
// Заг and Табл, the nodes, the head changes, the catalogue and the evaluation
// order, read once; the mains, the end-node results and the working set that
// the stages build; and the run state (error text, flags, text, progress).
// Every stage is a function over this structure, with no database and no
// person; what it changes is stored in the file in one transaction when the
// run ends (calculation.h).
#include "calc/calc_text.h"
#include "calc/key_map.h"
#include "calc/progress.h"
#include "calc/stored_number.h"
#include "formulas/catalogue.h"
#include "store/table.h"

#include <QHash>
#include <QString>
#include <utility>
#include <QVariant>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace volm {

struct ReferenceData;

namespace calc {

struct RegimeSettings;

inline constexpr int kNullNode = INT_MIN;
inline constexpr double kNull = std::numeric_limits<double>::quiet_NaN();
inline bool isNull(double v) { return std::isnan(v); }
inline const QChar CR = QChar(13);
// Whether row is marked in a per-row list of marks (rows past its end are not).
inline bool marked(const std::vector<char>& marks, int r) { return size_t(r) < marks.size() && marks[size_t(r)]; }

// Rows of a table held as doubles by column; NaN is Null. Changes mark the row
// and the column for the write-back.
struct ValueTable {
    std::vector<QString> names;       // column names, in table order
    QHash<QString, int> index;        // exact (case-sensitive) name -> column
    int width = 0;
    std::vector<double> values;       // rows * width
    std::vector<char> dirty;          // per row
    std::vector<char> touched;        // per column

    int rowCount() const { return width ? int(values.size() / size_t(width)) : 0; }
    int col(const QString& name) const { return index.value(name, -1); }
    // The column, or DatabaseError naming the missing field.
    int need(const QString& name) const;
    double get(int row, int c) const { return values[size_t(row) * size_t(width) + size_t(c)]; }
    // Section rows reach the file as SQL text with up to 15 significant digits
    // (ZapisatUchastok) and are read back from it: a value set here is that one.
    bool storedAsText = false;

    void set(int row, int c, double v) {
        if (storedAsText && !std::isnan(v)) v = asStoredText(v);
        values[size_t(row) * size_t(width) + size_t(c)] = v;
        dirty[size_t(row)] = 1;
        touched[size_t(c)] = 1;
    }
    const double* row(int r) const { return values.data() + size_t(r) * size_t(width); }
    void setColumns(std::vector<QString> columnNames, int rows);
};

struct Priority {
    QString name;
    int rank = 0;
};

// One main: its sections from the end section (position 1) towards the source.
struct Main {
    std::vector<int> rows;   // rows of Табл; rows[k] has position k + 1
    double flowSup = kNull;  // РасхПод of its rows in МагистралиТС
    double flowRet = kNull;  // РасхОбр of its rows
};

// A row of КонМаг.
struct EndResult {
    int idm = 0;
    int endNode = 0;
    double dlPod = kNull, dlObr = kNull, dlSum = kNull;
    double potPod = kNull, pNapPod = kNull;
    double potObr = kNull, pNapObr = kNull, rNap = kNull;
};

// Everything a run reads from the calculation and the reference book, read
// once (readCalculation): the header, the sections in the order asked, the
// nodes, the head changes, the catalogue, the evaluation order, the reference
// data and the regime rules. A copy is cheap enough for trial inputs: the
// reference data and the rules are shared, never changed.
struct CalculationInput {
    CalculationInput();
    ~CalculationInput();
    CalculationInput(const CalculationInput&);
    CalculationInput(CalculationInput&&) noexcept;
    CalculationInput& operator=(const CalculationInput&);
    CalculationInput& operator=(CalculationInput&&) noexcept;

    int networkType = 0;
    bool twoPipe() const { return networkType == 1; }
    bool computeFlows = false;
    bool looped = false;           // КольцСеть: a node may end several sections, the loops are solved

    // НазвРасч.
    std::vector<Field> nameFields;  // its columns, for the given-head nodes
    QVariant calcName;             // НазвРасч, may be Null
    int startNode = kNullNode;     // NНачУз
    int supplyNode = kNullNode;    // NузПНапПод
    int availNode = kNullNode;     // NузРНап

    // Заг (one row) and Табл (rows in the section grid's order).
    ValueTable header;
    qint64 headerRowid = 0;
    bool headerRead = false;
    ValueTable sections;
    std::vector<qint64> ids;
    std::vector<int> startOf, endOf;  // node numbers; kNullNode for Null

    // УзлыТС: node -> height (NaN when Null); the node exists when present.
    KeyMap<int, double> nodes;
    // ИзмПНапВУзлахТС: the first change per node and pipeline.
    KeyMap<int, double> changeSup, changeRet;

    // Формулы in the order of Nпп, ФлыПредопрПок by short name.
    Catalogue catalogue;

    // Evaluation order, ascending Nприоритета.
    std::vector<Priority> headerOrder, tableOrder;
    // The evaluation order of the indicators computed after the heads, taken
    // out of headerOrder and tableOrder.
    std::vector<Priority> headerAfterHeads, tableAfterHeads;

    // Reference book, read once.
    std::shared_ptr<const ReferenceData> reference;
    // The regime rules and head limits; none when they could not be read.
    std::shared_ptr<const RegimeSettings> regimeSettings;
};

// What a run computed, for the file and for the person: the first fault and
// the section it is about, the header and the sections with their changed
// values marked, the mains, the end results and the worklist as rebuilt, and
// the outcome of a successful run.
struct CalculationResult {
    QString error;                 // the first fault; empty when the run succeeded
    int faultRow = -1;             // the section row the fault is about; -1 for none
    qint64 faultSection = 0;       // its id; 0 for none
    bool ok() const { return error.isEmpty(); }

    // NузПНапПод and, two-pipe, NузРНап as the edits gave them: column and value.
    std::vector<std::pair<QString, QVariant>> givenHeadNodes;
    // Заг and Табл, changed values marked (dirty rows, touched columns).
    ValueTable header;
    qint64 headerRowid = 0;
    bool headerRead = false;
    ValueTable sections;
    std::vector<qint64> ids;
    std::vector<int> startOf, endOf;

    std::vector<Main> mains;       // main m is mains[m - 1]
    bool mainsBuilt = false;       // МагистралиТС rewritten
    std::vector<EndResult> endResults;  // КонМаг in the order of id_m
    bool endResultsBuilt = false;
    std::vector<std::pair<int, int>> worklist;  // СписокРасчУчастков
    bool worklistUsed = false;

    // Two-pipe, the nodes whose available head is below 0.1 m, in the order
    // collected; the regime warnings, one per broken rule.
    std::vector<int> lowHeadNodes;
    std::vector<QString> warnings;
    // The text is complete in the file asked for.
    bool textWritten = false;
};

// The working structure the stages share while one run computes: the input,
// moved in, with the run state and what the stages build.
struct RunData : CalculationInput {
    RunData();
    explicit RunData(CalculationInput&& input);
    ~RunData();

    Progress progress;
    QChar decimal = QLatin1Char(',');  // the decimal separator of texts and messages

    // Run state.
    QString error;                 // the first fault; empty while none
    int faultRow = -1;             // the section row the fault is about; -1 for none
    bool ok() const { return error.isEmpty(); }
    // A fault about the section in row (the first fault wins).
    void failAt(int row, const QString& text);
    // Sets column c of row of t (the header or the sections) to v when v is a
    // finite number. Otherwise nothing is set and the run stops with a fault
    // naming the section (or the header) and the quantity; false then.
    bool putFinite(ValueTable& t, int row, int c, double v);
    std::vector<char> reversed;    // per section row of a looped network: computed against its entered direction
    bool turned(int row) const { return marked(reversed, row); }
    // The section's start and end nodes as entered, also when it is computed the other way.
    std::pair<int, int> enteredEnds(int row) const {
        return turned(row) ? std::pair{endOf[size_t(row)], startOf[size_t(row)]} : std::pair{startOf[size_t(row)], endOf[size_t(row)]};
    }
    // Per section row of a looped network: its supply (return) flow runs
    // against the direction the section is computed in. The flow is kept as
    // its size; the section's loss is taken off the start loss, not added.
    std::vector<char> supplyAgainst, returnAgainst;
    // The supply flows of a looped network found with the directions that
    // settled: the lengths and temperatures found again with those directions
    // are the same, and so are the flows.
    struct SettledLoopFlows {
        std::vector<double> flow;  // per section row, signed
        int iterations = 0;
        double imbalance = 0;
    };
    std::optional<SettledLoopFlows> settledSupply;
    int precision = 2;
    bool keepText = false;
    bool retLenEntered = false;    // ВводПольз of ДлНаУчОбр
    bool retFlowEntered = false;   // ВводПольз of РасхОбр
    std::unique_ptr<CalcText> text;  // open while the text is written
    CalcText* txt() const { return text && text->isOpen() ? text.get() : nullptr; }

    // NузПНапПод and, two-pipe, NузРНап as the edits gave them, stored with
    // the results: column and value.
    std::vector<std::pair<QString, QVariant>> givenHeadNodes;

    // Indexes over the sections, built once the node fields have passed their checks.
    KeyMap<int, int> byEnd;         // end node -> row (unique)
    KeyMap<int, int> firstByStart;  // start node -> first row in order
    void buildIndexes();
    int sectionEndingAt(int node) const {
        const int* r = byEnd.find(node);
        return r ? *r : -1;
    }
    int firstSectionStartingAt(int node) const {
        const int* r = firstByStart.find(node);
        return r ? *r : -1;
    }

    bool hasNode(int n) const { return nodes.contains(n); }
    double deltaSup(int n) const {
        const double* c = changeSup.find(n);
        return c ? *c : 0.0;
    }
    double deltaRet(int n) const {
        const double* c = changeRet.find(n);
        return c ? *c : 0.0;
    }

    // Full name as the text shows it (ПНапНаУзПод and РНапНаУз name their node).
    QString fullName(const QString& shortName) const;

    // Built by the stages.
    std::vector<Main> mains;       // main m is mains[m - 1]
    bool mainsBuilt = false;       // МагистралиТС rewritten
    std::vector<EndResult> endResults;  // КонМаг in the order of id_m
    std::vector<int> endOrder;          // КонМаг's current sort (indexes into endResults)
    bool endResultsBuilt = false;
    // СписокРасчУчастков: the sections (or, at the end, the nodes) of the last stage
    // that used it.
    std::vector<std::pair<int, int>> worklist;
    std::vector<char> done;        // per section row: in the worklist
    bool worklistUsed = false;
    void clearWorklist();

    // The outcome of a successful run: two-pipe, the nodes whose available
    // head is below 0.1 m, in the order collected; the regime warnings, one
    // per broken rule.
    std::vector<int> lowHeadNodes;
    std::vector<QString> warnings;
    void markDone(int row);

    // Moves what the run computed out; d is spent afterwards.
    CalculationResult takeResult();

    // Node numbers of a main from the source to its end node (SpisokUzlovMagistrali).
    void putMainChain(CalcText& t, int m) const;
    // "Участок a - b" of a section row, its nodes as entered.
    QString sectionName(int row) const;
    // Messages that begin with the section: "Участок a - b:" + CR.
    QString sectionHeading(int row) const { return sectionName(row) + QLatin1Char(':') + CR; }
};

// Where a section's flow runs against it (RunData::supplyAgainst,
// returnAgainst), its formulas give its loss at the flow's size, and its end
// loss is its start loss less that loss.
class LossAgainstFlow {
public:
    explicit LossAgainstFlow(const RunData& d);
    // v as evaluated for column c of row r, whose columns so far are in row.
    double operator()(int r, int c, double v, const double* row) const;

private:
    const RunData& d_;
    int startSup_, endSup_, startRet_, endRet_;
};

// A node number as messages and texts write it.
inline QString nodeText(int n) { return QString::number(n); }

}  // namespace calc
}  // namespace volm
