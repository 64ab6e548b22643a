#include "tests/calc/calc_harness.h"

#include "formulas/catalogue_check.h"
#include "store/database.h"
#include "store/startup.h"
#include "store/table.h"

#include <QFile>
#include <set>

namespace volm::test {

namespace {

QString num(double v) { return std::isnan(v) ? QStringLiteral("Null") : QString::number(v, 'g', 17); }

}  // namespace

QStringList Net::statements() const {
    QStringList s;
    s << QStringLiteral("UPDATE НазвРасч SET ТипСети=%1, РасчРасх=%2, NНачУз=%3, NузПНапПод=%4, NузРНап=%5")
             .arg(type)
             .arg(computeFlows ? QStringLiteral("True") : QStringLiteral("False"))
             .arg(start)
             .arg(supplyNode.value_or(start))
             .arg(availNode.value_or(start));
    if (looped) {
        s << QStringLiteral("ALTER TABLE НазвРасч ADD COLUMN КольцСеть bit");
        s << QStringLiteral("UPDATE НазвРасч SET КольцСеть=True");
    }
    s << QStringLiteral("UPDATE Заг SET ПНапНаУзПод=%1, РНапНаУз=%2, МинТВоды=%3, МаксТВоды=%4")
             .arg(num(headSup), num(headAvail), num(minT), num(maxT));
    // The simple catalogue: entered section losses.
    s << QStringLiteral("DELETE FROM Формулы");
    s << QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (1, 'Потери напора на участке под. трубопровода, м.', 'ПотУчП', "
                        "True, True, Null, True)");
    s << QStringLiteral("INSERT INTO Формулы (Nпп, НаимПок, НаимПокСокр, Табл, ВводПольз, Формула, ВывВОтчТабл) VALUES (2, 'Потери напора на участке обр. трубопровода, м.', 'ПотУчО', "
                        "True, True, Null, True)");
    s << QStringLiteral("UPDATE ФлыПредопрПок SET Формула='<ПотНОтИНачПод>+<ПотУчП>' WHERE НаимПокСокр='ПотНОтИКонПод'");
    s << QStringLiteral("UPDATE ФлыПредопрПок SET Формула='<ПотНОтИНачОбр>+<ПотУчО>' WHERE НаимПокСокр='ПотНОтИКонОбр'");
    s << QStringLiteral("ALTER TABLE Табл ADD COLUMN ПотУчП float");
    s << QStringLiteral("ALTER TABLE Табл ADD COLUMN ПотУчО float");
    if (nodes.empty()) {
        std::set<int> all{start};
        for (const Section& x : sections) all.insert({x.a, x.b});
        for (int n : all) s << QStringLiteral("INSERT INTO УзлыТС VALUES (%1, 100)").arg(n);
    } else {
        for (const auto& [n, h] : nodes) s << QStringLiteral("INSERT INTO УзлыТС VALUES (%1, %2)").arg(n).arg(num(h));
    }
    int id = 0;
    for (const Section& x : sections)
        s << QStringLiteral("INSERT INTO Табл (id, НачУзел, КонУзел, ДлНаУчПод, ДлНаУчОбр, РасхПод, ПотУчП, ПотУчО) "
                            "VALUES (%1, %2, %3, %4, %5, %6, %7, %8)")
                 .arg(++id)
                 .arg(x.a)
                 .arg(x.b)
                 .arg(num(x.length), num(x.lengthRet), num(x.flow), num(x.lossSup), num(x.lossRet));
    for (const Change& c : changes)
        s << QStringLiteral("INSERT INTO ИзмПНапВУзлахТС VALUES (%1, %2, %3)")
                 .arg(c.node)
                 .arg(c.ret ? QStringLiteral("True") : QStringLiteral("False"))
                 .arg(num(c.value));
    return s;
}

void CalcHarness::open(const Net& net, const QStringList& extra) {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(folder.usesShippedFiles()) << "the program folder's files are not built";
    calc = folder.newCalculation(QStringLiteral("calc.mdb"));
    execOn(calc, net.statements() + extra);
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    folder.setSetting(QStringLiteral("ФайлСпр"), folder.file(QStringLiteral("Spr.mdb")));
    app = std::make_unique<App>(folder.path(), person);
    useFormulaCheck(*app);
    ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(app->dm.acGR.isOpen());
    app->SistRazdelitel = QLatin1Char(',');
    person.clear();
}

void CalcHarness::openExample(const QString& name, const QStringList& before) {
    ASSERT_TRUE(folder.usesShippedFiles());
    calc = folder.data(name);
    QFile::remove(calc);
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + name, calc)) << name.toStdString();
    QFile::setPermissions(calc, QFile::permissions(calc) | QFileDevice::WriteOwner);
    if (!before.isEmpty()) execOn(calc, before);
    folder.setSetting(QStringLiteral("ФайлГР"), calc);
    folder.setSetting(QStringLiteral("ФайлСпр"), folder.file(QStringLiteral("Spr.mdb")));
    app = std::make_unique<App>(folder.path(), person);
    useFormulaCheck(*app);
    ASSERT_TRUE(startUp(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(app->dm.acGR.isOpen());
    app->SistRazdelitel = QLatin1Char(',');
    person.clear();
}

RunOutcome CalcHarness::run(const QString& supplyText, const QString& availText, RunOptions options) {
    options.ask = false;
    options.supplyNodeText = supplyText;
    options.availNodeText = availText;
    return runCalculation(*app, options);
}

QVariant CalcHarness::fileValue(const QString& sql) const {
    Database db;
    db.open(calc);
    auto st = db.prepare(sql);
    return st->step() ? st->column(0) : QVariant();
}

double CalcHarness::sectionValue(int a, int b, const QString& column) const {
    const QVariant v = fileValue(QStringLiteral("SELECT \"%1\" FROM Табл WHERE НачУзел=%2 AND КонУзел=%3").arg(column).arg(a).arg(b));
    return v.isNull() ? kNullValue : v.toDouble();
}

double CalcHarness::headerValue(const QString& column) const {
    const QVariant v = fileValue(QStringLiteral("SELECT \"%1\" FROM Заг").arg(column));
    return v.isNull() ? kNullValue : v.toDouble();
}

double CalcHarness::endValue(int idm, const QString& column) const {
    const QVariant v = fileValue(QStringLiteral("SELECT \"%1\" FROM КонМаг WHERE id_m=%2").arg(column).arg(idm));
    return v.isNull() ? kNullValue : v.toDouble();
}

QStringList CalcHarness::rows(const QString& sql) const {
    Database db;
    db.open(calc);
    auto st = db.prepare(sql);
    QStringList out;
    while (st->step()) {
        QStringList cells;
        for (int i = 0; i < st->columnCount(); ++i) {
            const QVariant v = st->column(i);
            cells << (v.isNull() ? QStringLiteral("Null") : v.toString());
        }
        out << cells.join(QLatin1Char(' '));
    }
    return out;
}

}  // namespace volm::test
