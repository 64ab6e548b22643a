#include "tests/formulas/catalogue_fixtures.h"

#include "formulas/catalogue_check.h"
#include "store/startup.h"

namespace volm::test {

namespace {

struct Row {
    const char* name;
    bool table, entered, one, two;
};

const Row kPredefined[] = {
    {"ГеодВысКон", true, false, true, true},       {"ГеодВысНач", true, false, true, true},
    {"ДлКонОбр", true, false, false, true},        {"ДлКонПод", true, false, true, true},
    {"ДлНаУчОбр", true, false, false, true},       {"ДлНаУчПод", true, true, true, true},
    {"ДлНачОбр", true, false, false, true},        {"ДлНачПод", true, false, true, true},
    {"МаксГеодВысТС", false, false, true, true},   {"МаксДлОбр", false, false, false, true},
    {"МаксДлПод", false, false, true, true},       {"МаксСумДлПодОбр", false, false, false, true},
    {"МаксТВоды", false, true, true, true},        {"МинГеодВысТС", false, false, true, true},
    {"МинТВоды", false, true, true, true},         {"ПНапКонОбр", true, false, false, true},
    {"ПНапКонПод", true, false, true, true},       {"ПНапНаУзПод", false, true, true, true},
    {"ПНапНачОбр", true, false, false, true},      {"ПНапНачПод", true, false, true, true},
    {"ПотНОтИКонОбр", true, false, false, true},   {"ПотНОтИКонПод", true, false, true, true},
    {"ПотНОтИНачОбр", true, false, false, true},   {"ПотНОтИНачПод", true, false, true, true},
    {"РНапКон", true, false, false, true},         {"РНапНаУз", false, true, false, true},
    {"РНапНач", true, false, false, true},         {"РасхОбр", true, false, false, true},
    {"РасхПод", true, true, true, true},           {"ТВодыКонОбр", true, false, false, true},
    {"ТВодыКонПод", true, false, true, true},      {"ТВодыНачОбр", true, false, false, true},
    {"ТВодыНачПод", true, false, true, true},
};

QString boolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace

std::vector<Indicator> predefinedIndicators(const QString& supplyEnd, const QString& returnEnd) {
    std::vector<Indicator> out;
    for (const Row& r : kPredefined) {
        Indicator i;
        i.shortName = QString::fromUtf8(r.name);
        i.fullName = QStringLiteral("Наименование ") + i.shortName;
        i.table = r.table;
        i.userEntered = r.entered;
        i.inReport = true;
        i.onePipe = r.one;
        i.twoPipe = r.two;
        if (i.shortName == QStringLiteral("ПотНОтИКонПод")) i.formula = supplyEnd;
        if (i.shortName == QStringLiteral("ПотНОтИКонОбр")) i.formula = returnEnd;
        out.push_back(i);
    }
    return out;
}

Indicator userIndicator(const QString& name, bool table, bool entered, const QString& formula) {
    Indicator i;
    i.shortName = name;
    i.fullName = QStringLiteral("Показатель ") + name;
    i.table = table;
    i.userEntered = entered;
    i.formula = formula;
    i.inReport = true;
    return i;
}

Catalogue makeCatalogue(std::vector<Indicator> user, const QString& supplyEnd, const QString& returnEnd) {
    Catalogue c;
    c.user = std::move(user);
    c.predefined = predefinedIndicators(supplyEnd, returnEnd);
    return c;
}

QString sqlText(const QString& s) {
    if (s.isEmpty()) return QStringLiteral("Null");
    QString q = s;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QStringList userInserts(const std::vector<Indicator>& user) {
    QStringList out;
    int n = 0;
    for (const Indicator& i : user)
        out << QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (%1, %2, %3, %4, %5, %6, True)")
                   .arg(++n)
                   .arg(sqlText(i.fullName.toString()), sqlText(i.shortName), boolText(i.table),
                        boolText(i.userEntered), sqlText(i.formula));
    return out;
}

void FormulaHarness::SetUp() {
    app = std::make_unique<App>(folder.path(), person);
    QObject::connect(app.get(), &App::tablesShaped, [this](bool twoPipe) { twoPipeShaped = twoPipe; });
}

void FormulaHarness::start(int networkType, const std::vector<Indicator>& user, const QStringList& statements) {
    calc = folder.data(QStringLiteral("calc.mdb"));
    makeCalculationDb(calc, networkType);
    QStringList sql{QStringLiteral("DELETE FROM ФлыПредопрПок")};
    for (const Indicator& p : predefinedIndicators())
        sql << QStringLiteral("INSERT INTO ФлыПредопрПок VALUES (%1, %2, %3, %4, %5, True, %6, %7)")
                   .arg(sqlText(p.fullName.toString()), sqlText(p.shortName), boolText(p.table),
                        boolText(p.userEntered), sqlText(p.formula), boolText(p.onePipe), boolText(p.twoPipe));
    sql << userInserts(user) << statements;
    execOn(calc, sql);
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    useFormulaCheck(*app);
    ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(app->dm.acGR.isOpen());
}

void FormulaHarness::exec(const QStringList& statements) {
    for (const QString& s : statements) app->dm.acGR.exec(s);
}

QStringList FormulaHarness::rows(const QString& sql, bool scratch) {
    Database& db = scratch ? app->dm.acVremDB : app->dm.acGR;
    QStringList out;
    auto st = db.prepare(sql);
    while (st->step()) {
        QStringList cells;
        for (int i = 0; i < st->columnCount(); ++i) {
            const QVariant v = st->column(i);
            cells << (v.isNull() ? QStringLiteral("∅") : v.toString());
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList FormulaHarness::columns(const QString& table, bool scratch) {
    Database& db = scratch ? app->dm.acVremDB : app->dm.acGR;
    QStringList out;
    for (const auto& c : db.columns(table)) out << c.name;
    return out;
}

}  // namespace volm::test
