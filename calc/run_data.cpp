#include "calc/run_data.h"

#include "calc/regime_checks.h"
#include "formulas/reference_data.h"
#include "store/errors.h"

namespace volm::calc {

int ValueTable::need(const QString& name) const {
    const int c = col(name);
    if (c < 0) throw DatabaseError(QStringLiteral("Поле \"%1\" не найдено.").arg(name));
    return c;
}

void ValueTable::setColumns(std::vector<QString> columnNames, int rows) {
    names = std::move(columnNames);
    width = int(names.size());
    index.clear();
    for (int i = 0; i < width; ++i)
        if (!index.contains(names[size_t(i)])) index.insert(names[size_t(i)], i);
    values.assign(size_t(rows) * size_t(width), kNull);
    dirty.assign(size_t(rows), 0);
    touched.assign(size_t(width), 0);
}

CalculationInput::CalculationInput() = default;
CalculationInput::~CalculationInput() = default;
CalculationInput::CalculationInput(const CalculationInput&) = default;
CalculationInput::CalculationInput(CalculationInput&&) noexcept = default;
CalculationInput& CalculationInput::operator=(const CalculationInput&) = default;
CalculationInput& CalculationInput::operator=(CalculationInput&&) noexcept = default;

RunData::RunData() = default;
RunData::RunData(CalculationInput&& input) : CalculationInput(std::move(input)) {}
RunData::~RunData() = default;

CalculationResult RunData::takeResult() {
    CalculationResult r;
    r.error = std::move(error);
    r.faultRow = faultRow;
    if (faultRow >= 0 && size_t(faultRow) < ids.size()) r.faultSection = ids[size_t(faultRow)];
    r.givenHeadNodes = std::move(givenHeadNodes);
    r.header = std::move(header);
    r.headerRowid = headerRowid;
    r.headerRead = headerRead;
    r.sections = std::move(sections);
    r.ids = std::move(ids);
    r.startOf = std::move(startOf);
    r.endOf = std::move(endOf);
    r.mains = std::move(mains);
    r.mainsBuilt = mainsBuilt;
    r.endResults = std::move(endResults);
    r.endResultsBuilt = endResultsBuilt;
    r.worklist = std::move(worklist);
    r.worklistUsed = worklistUsed;
    r.lowHeadNodes = std::move(lowHeadNodes);
    r.warnings = std::move(warnings);
    return r;
}

void RunData::buildIndexes() {
    const int n = sections.rowCount();
    byEnd.clear();
    firstByStart.clear();
    byEnd.reserve(size_t(n));
    firstByStart.reserve(size_t(n));
    for (int r = 0; r < n; ++r) {
        byEnd.tryEmplace(endOf[size_t(r)], r);
        firstByStart.tryEmplace(startOf[size_t(r)], r);
    }
}

QString RunData::fullName(const QString& shortName) const {
    if (shortName == QStringLiteral("ПНапНаУзПод"))
        return QStringLiteral("Полный напор на узле ") + (supplyNode == kNullNode ? QString() : nodeText(supplyNode)) +
               QStringLiteral(" в подающем трубопроводе, м.");
    if (shortName == QStringLiteral("РНапНаУз"))
        return QStringLiteral("Располагаемый напор на узле ") +
               (availNode == kNullNode ? QString() : nodeText(availNode)) + QStringLiteral(", м.");
    const Indicator* i = catalogue.find(shortName);
    return i && !i->fullName.isNull() ? i->fullName.toString() : QString();
}

void RunData::clearWorklist() {
    worklistUsed = true;
    worklist.clear();
    done.assign(size_t(sections.rowCount()), 0);
}

void RunData::markDone(int row) {
    done[size_t(row)] = 1;
    worklist.emplace_back(startOf[size_t(row)], endOf[size_t(row)]);
}

void RunData::putMainChain(CalcText& t, int m) const {
    const Main& main = mains[size_t(m - 1)];
    for (size_t k = main.rows.size(); k-- > 0;) {
        t.node(startOf[size_t(main.rows[k])]).putBytes(" - ");
    }
    if (!main.rows.empty()) t.node(endOf[size_t(main.rows.front())]);
}

void RunData::failAt(int row, const QString& text) {
    if (!ok()) return;
    error = text;
    faultRow = row;
}

bool RunData::putFinite(ValueTable& t, int row, int c, double v) {
    if (std::isfinite(v)) {
        t.set(row, c, v);
        return true;
    }
    const QString what = t.names[size_t(c)] + QStringLiteral(" не является конечным числом.");
    if (&t == &sections)
        failAt(row, sectionName(row) + QStringLiteral(": значение ") + what);
    else if (ok())
        error = QStringLiteral("Значение ") + what;
    return false;
}

QString RunData::sectionName(int row) const {
    // A section computed against its entered direction is named as entered.
    const auto [a, b] = enteredEnds(row);
    return QStringLiteral("Участок ") + (a == kNullNode ? QString() : nodeText(a)) + QStringLiteral(" - ") +
           (b == kNullNode ? QString() : nodeText(b));
}

LossAgainstFlow::LossAgainstFlow(const RunData& d)
    : d_(d),
      startSup_(d.sections.col(QStringLiteral("ПотНОтИНачПод"))),
      endSup_(d.sections.col(QStringLiteral("ПотНОтИКонПод"))),
      startRet_(d.sections.col(QStringLiteral("ПотНОтИНачОбр"))),
      endRet_(d.sections.col(QStringLiteral("ПотНОтИКонОбр"))) {}

double LossAgainstFlow::operator()(int r, int c, double v, const double* row) const {
    if (c >= 0 && c == endSup_ && startSup_ >= 0 && marked(d_.supplyAgainst, r)) return 2 * row[startSup_] - v;
    if (c >= 0 && c == endRet_ && startRet_ >= 0 && marked(d_.returnAgainst, r)) return 2 * row[startRet_] - v;
    return v;
}

}  // namespace volm::calc
