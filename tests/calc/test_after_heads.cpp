// Indicators computed after the heads, on the shipped two-pipe example: the
// consumers' orifices of the template's balancing indicators, a consumer
// short of head, a changed orifice formula, and a calculation made before the
// mark that opens with every indicator unmarked and computes as it did.
#include "tests/calc/calc_harness.h"

#include "formulas/catalogue.h"
#include "formulas/cp1251.h"
#include "formulas/formula_check.h"
#include "store/formula_columns.h"
#include "store/database.h"
#include "tests/support/program_folder.h"

#include <QFile>
#include <cmath>

namespace volm::test {
namespace {

class AfterHeads : public CalcHarness {
protected:
    struct Section {
        int a, b;
    };
    std::vector<Section> sections() const {
        std::vector<Section> out;
        for (const QString& r : rows(QStringLiteral("SELECT НачУзел, КонУзел FROM Табл ORDER BY id"))) {
            const QStringList p = r.split(QLatin1Char(' '));
            out.push_back({p[0].toInt(), p[1].toInt()});
        }
        return out;
    }
    // Every row of a table, the given columns in order.
    QStringList tableRows(const QString& table, const QStringList& columns, const QString& order) const {
        return rows(QStringLiteral("SELECT \"") + columns.join(QStringLiteral("\", \"")) + QStringLiteral("\" FROM ") +
                    table + QStringLiteral(" ORDER BY ") + order);
    }
    QStringList columnsOf(const QString& table) const {
        QStringList out;
        for (const Database::ColumnInfo& c : app->dm.acGR.columns(table)) out << c.name;
        return out;
    }
};

TEST_F(AfterHeads, TheTwoPipeExampleGivesEveryConsumerItsOrifice) {
    openExample(QStringLiteral("two_pipe.mdb"));
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_TRUE(out.warnings.empty()) << out.warnings.front().toStdString();
    int consumers = 0, elevators = 0, exchangers = 0;
    for (const Section& s : sections()) {
        SCOPED_TRACE(testing::Message() << s.a << " - " << s.b);
        const bool end = fileValue(QStringLiteral("SELECT count(*) FROM Табл WHERE НачУзел=%1").arg(s.b)).toInt() == 0;
        EXPECT_EQ(sectionValue(s.a, s.b, QStringLiteral("КонУч")), end ? 1.0 : 0.0);
        const double required = sectionValue(s.a, s.b, QStringLiteral("ТребРНап"));
        const double excess = sectionValue(s.a, s.b, QStringLiteral("ИзбНап"));
        const double orifice = sectionValue(s.a, s.b, QStringLiteral("ДШайбы"));
        if (!end) {
            // No required head there: both stay empty.
            EXPECT_TRUE(std::isnan(required));
            EXPECT_TRUE(std::isnan(excess));
            EXPECT_TRUE(std::isnan(orifice));
            continue;
        }
        ++consumers;
        ASSERT_FALSE(std::isnan(required));
        (required >= 15 ? elevators : exchangers) += 1;
        EXPECT_NEAR(excess, sectionValue(s.a, s.b, QStringLiteral("РНапКон")) - required, 1e-9);
        ASSERT_GT(excess, 0);
        const double flow = sectionValue(s.a, s.b, QStringLiteral("РасхПод"));
        EXPECT_NEAR(orifice, 10 * std::pow(flow * flow / excess, 0.25), 1e-9);
    }
    EXPECT_EQ(consumers, 6);
    EXPECT_GT(elevators, 0);
    EXPECT_GT(exchangers, 0);
}

TEST_F(AfterHeads, AConsumerShortOfHeadGetsNoOrificeAndAWarning) {
    openExample(QStringLiteral("two_pipe.mdb"), {QStringLiteral("UPDATE Табл SET ТребРНап = 60 WHERE КонУзел = 10")});
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    const double excess = sectionValue(9, 10, QStringLiteral("ИзбНап"));
    EXPECT_LT(excess, 0);
    EXPECT_EQ(sectionValue(9, 10, QStringLiteral("ДШайбы")), 0);
    ASSERT_EQ(out.warnings.size(), 1u);
    EXPECT_TRUE(out.warnings[0].startsWith(QStringLiteral("Узел 10: Располагаемый напор у потребителя не превышает "
                                                          "требуемого")))
        << out.warnings[0].toStdString();
}

TEST_F(AfterHeads, AChangedOrificeFormulaGivesNewDiametersOnTheNextRun) {
    openExample(QStringLiteral("two_pipe.mdb"));
    ASSERT_TRUE(run().success());
    app->dm.acGR.exec(QStringLiteral("UPDATE Формулы SET Формула = 'Если(<КонУч>;2*<ИзбНап>;0)' "
                                     "WHERE НаимПокСокр = 'ДШайбы'"));
    ASSERT_TRUE(ProveritFormuli(*app)) << person.messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(run().success());
    EXPECT_NEAR(sectionValue(9, 10, QStringLiteral("ДШайбы")), 2 * sectionValue(9, 10, QStringLiteral("ИзбНап")), 1e-9);
    EXPECT_TRUE(std::isnan(sectionValue(2, 3, QStringLiteral("ДШайбы"))));
}

TEST_F(AfterHeads, AnOlderCalculationOpensUnmarkedAndComputesAsBefore) {
    openExample(QStringLiteral("two_pipe.mdb"));
    ASSERT_TRUE(run().success());
    QStringList tabl = columnsOf(QStringLiteral("Табл"));
    for (const char* added : {"КонУч", "ТребРНап", "ИзбНап", "ДШайбы"}) tabl.removeAll(QString::fromUtf8(added));
    const QStringList zag = columnsOf(QStringLiteral("Заг")), ends = columnsOf(QStringLiteral("КонМаг"));
    const QStringList sectionsNow = tableRows(QStringLiteral("Табл"), tabl, QStringLiteral("id"));
    const QStringList headerNow = tableRows(QStringLiteral("Заг"), zag, QStringLiteral("rowid"));
    const QStringList endsNow = tableRows(QStringLiteral("КонМаг"), ends, QStringLiteral("id_m"));
    app.reset();

    // The example as files were before the balancing: no mark column, no
    // balancing indicators, no end-section mark.
    openExample(QStringLiteral("two_pipe.mdb"),
                {QStringLiteral("DELETE FROM Формулы WHERE НаимПокСокр IN ('ТребРНап', 'ИзбНап', 'ДШайбы')"),
                 QStringLiteral("DELETE FROM ФлыПредопрПок WHERE НаимПокСокр = 'КонУч'"),
                 QStringLiteral("ALTER TABLE Формулы DROP COLUMN ПослеНапоров"),
                 QStringLiteral("ALTER TABLE Табл DROP COLUMN КонУч"), QStringLiteral("ALTER TABLE Табл DROP COLUMN ТребРНап"),
                 QStringLiteral("ALTER TABLE Табл DROP COLUMN ИзбНап"), QStringLiteral("ALTER TABLE Табл DROP COLUMN ДШайбы")});
    EXPECT_TRUE(person.messages.isEmpty()) << person.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(hasAfterHeadsColumn(app->dm.acGR));
    const Catalogue catalogue = Catalogue::load(app->dm.acGR);
    ASSERT_EQ(catalogue.user.size(), 9u);
    for (const Indicator& i : catalogue.user) EXPECT_FALSE(i.afterHeads) << i.shortName.toStdString();
    EXPECT_EQ(columnsOf(QStringLiteral("Табл")), tabl);
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(tableRows(QStringLiteral("Табл"), tabl, QStringLiteral("id")), sectionsNow);
    EXPECT_EQ(tableRows(QStringLiteral("Заг"), zag, QStringLiteral("rowid")), headerNow);
    EXPECT_EQ(tableRows(QStringLiteral("КонМаг"), ends, QStringLiteral("id_m")), endsNow);

    // The formulas window gives the file the column, every indicator unmarked.
    addAfterHeadsColumn(*app);
    EXPECT_EQ(fileValue(QStringLiteral("SELECT count(*) FROM Формулы WHERE ПослеНапоров = 0")).toInt(), 9);
    EXPECT_GE(app->dm.atFormuli->fieldIndex(QStringLiteral("ПослеНапоров")), 0);
}

TEST_F(AfterHeads, TheCalculationTextShowsThemAfterTheHeads) {
    openExample(QStringLiteral("two_pipe.mdb"));
    const QString target = folder.data(QStringLiteral("текст"));
    person.fileNames = {target};
    const RunOutcome out = run();
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    ASSERT_EQ(out.savedText, target + QStringLiteral(".txt"));
    QFile f(out.savedText);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString text = cp1251::toUnicode(std::string_view(bytes.constData(), size_t(bytes.size())));
    const qsizetype part = text.indexOf(QStringLiteral("\r\nРасчет показателей после расчета напоров:\r\n"));
    ASSERT_GE(part, 0);
    EXPECT_GT(part, text.indexOf(QStringLiteral("РНапКон")));
    EXPECT_TRUE(text.mid(part).contains(QStringLiteral(
        "Участок 9 - 10:\r\nИзбыточный напор у потребителя, м. (ИзбНап) = <РНапКон>-<ТребРНап> = 13,71\r\n")))
        << text.mid(part, 600).toStdString();
    EXPECT_TRUE(text.mid(part).contains(QStringLiteral("Участок 2 - 3:\r\nИзбыточный напор у потребителя, м. (ИзбНап) = "
                                                       "<РНапКон>-<ТребРНап> = \r\n")));
}

}  // namespace
}  // namespace volm::test
