// OtkritFaili: (re)opening the calculation file and the reference book named in
// the settings.
#include "store/command.h"
#include "store/errors.h"
#include "store/records.h"
#include "store/startup.h"

#include <QFileInfo>

namespace volm {

namespace {

// Opens a cursor and makes sure the table has the columns the program reads
// from it; a file without them is refused before anything uses it.
std::unique_ptr<Table> openTable(Database& db, const QString& name, const QString& sort = {},
                                 std::initializer_list<const char*> required = {}, bool needsRow = false) {
    auto t = std::make_unique<Table>(db, name);
    if (!sort.isEmpty()) t->setSort(sort);
    t->open();
    for (const char* column : required) t->field(QString::fromUtf8(column));
    if (needsRow && t->isEmpty())
        throw DatabaseError(QStringLiteral("Таблица \"%1\" не содержит записей.").arg(name));
    return t;
}

void openCalculationFile(App& app, const QString& path) {
    DataModule& dm = app.dm;
    Database& gr = dm.acGR;
    gr.open(path, app.fileCheck);
    gr.refuseTriggers(QStringLiteral("расчет"));
    // One read of the file for all its cursors, not one per statement.
    Transaction reading(gr);
    dm.atZag = openTable(gr, QStringLiteral("Заг"), {}, {}, true);
    dm.atNazvRasch = openTable(gr, QStringLiteral("НазвРасч"), {},
                               {"НазвРасч", "РасчетВыполнен", "ТипСети", "РасчРасх", "NНачУз", "NузПНапПод", "NузРНап"},
                               true);
    dm.atTabl = openTable(gr, QStringLiteral("Табл"), {}, {"id", "НачУзел", "КонУзел"});
    dm.atFormuli = openTable(gr, QStringLiteral("Формулы"), QStringLiteral("Nпп ASC"),
                             {"Nпп", "НаимПок", "НаимПокСокр", "Табл", "ВводПольз", "Формула", "ВывВОтчТабл"});
    dm.atFormuli2 = openTable(gr, QStringLiteral("Формулы"));
    dm.atFlyPredoprPok = openTable(gr, QStringLiteral("ФлыПредопрПок"), QStringLiteral("НаимПокСокр ASC"),
                                   {"НаимПок", "НаимПокСокр", "Табл", "ВводПольз", "Формула", "ВывВОтчТабл",
                                    "ИспПриРасч1трТС", "ИспПриРасч2трТС"});
    dm.atFlyPredoprPok2 = openTable(gr, QStringLiteral("ФлыПредопрПок"));
    dm.atVKolZag = openTable(dm.acVremDB, QStringLiteral("ВКолЗаг"));
    dm.atVKolTabl = openTable(dm.acVremDB, QStringLiteral("ВКолТабл"));
    dm.atUzliTS = openTable(gr, QStringLiteral("УзлыТС"), QStringLiteral("Nуз ASC"), {"Nуз", "ГеодВыс"});
    dm.atMagistraliTS = openTable(gr, QStringLiteral("МагистралиТС"), {},
                                  {"id_m", "NппУчВМ", "НачУзел", "КонУзел", "РасхПод", "РасхОбр"});
    dm.atPrioritetiZag = openTable(gr, QStringLiteral("ПриоритетыЗаг"), {}, {"Показатель", "Nприоритета"});
    dm.atPrioritetiTabl = openTable(gr, QStringLiteral("ПриоритетыТабл"), {}, {"Показатель", "Nприоритета"});
    dm.atSpisokRaschUchastkov = openTable(gr, QStringLiteral("СписокРасчУчастков"), {}, {"НачУзел", "КонУзел"});
    dm.atIzmPNapVUzlahTS = openTable(gr, QStringLiteral("ИзмПНапВУзлахТС"), QStringLiteral("Nуз ASC, ТрПр ASC"),
                                     {"Nуз", "ТрПр", "ИзмПНап"});
    dm.atKonMag = openTable(gr, QStringLiteral("КонМаг"), {}, {"id_m", "КонУзел"});
    dm.aqRashPod = gr.query(QStringLiteral("select НаимПок from ФлыПредопрПок where НаимПокСокр='РасхПод';"));
    dm.aqRashObr = gr.query(QStringLiteral("select НаимПок from ФлыПредопрПок where НаимПокСокр='РасхОбр';"));
    reading.commit();
}

void openReferenceFile(App& app, const QString& path) {
    DataModule& dm = app.dm;
    Database& spr = dm.acSpr;
    spr.open(path, app.fileCheck);
    dm.atDiamTrPr = openTable(spr, QStringLiteral("ДиамТрПр"), {}, {"УслДиамТрПр", "ВнутрДиамТрПр"});
    dm.atPlVodiOtT = openTable(spr, QStringLiteral("ПлВодыОтТ"), {}, {"Т", "Плотность"});
    dm.atPoprKoefKUdPot = openTable(spr, QStringLiteral("ПопрКоэфКУдПот"), {}, {"УслДиамТрПр", "ЭквШер", "Коэф"});
}

// A stored node number as its edit shows it; a stored value that is not a
// whole number is shown as it is, for the run's check to name.
QString nodeText(const QVariant& v) {
    if (v.isNull()) return {};
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok) return QString::number(n);
    const double d = v.toDouble(&ok);
    if (ok && d == double(qint64(d))) return QString::number(qint64(d));
    return v.toString();
}

// The state of a program with no calculation open.
void resetState(App& app) {
    app.FormuliProvereny = false;
    app.RasVip = false;
    Q_EMIT app.calculationClosed();
}

}  // namespace

HeaderTexts storedHeader(const App& app) {
    const Table* name = app.dm.atNazvRasch.get();
    if (!name || !name->isOpen() || name->isEmpty()) return {};
    auto value = [&](const char* column) { return name->valueAt(0, name->fieldIndex(QString::fromUtf8(column))); };
    const QVariant title = value("НазвРасч");
    return {title.isNull() ? QString() : title.toString(), nodeText(value("NузПНапПод")), nodeText(value("NузРНап"))};
}

void closeFiles(App& app) {
    resetState(app);
    app.dm.closeCalculation();
    app.dm.closeReference();
    app.changed();
}

void OtkritFaili(App& app) {
    QString calcPath, refPath;
    try {
        Table& settings = goToSettingsRow(app);
        const QVariant calc = settings.value(QStringLiteral("ФайлГР"));
        const QVariant ref = settings.value(QStringLiteral("ФайлСпр"));
        calcPath = calc.isNull() ? QString() : calc.toString();
        refPath = ref.isNull() ? QString() : ref.toString();
    } catch (...) {
        // Settings that cannot be read leave no calculation open.
        openCalculation(app, QString(), QString());
        throw;
    }
    openCalculation(app, calcPath, refPath);
}

void openCalculation(App& app, const QString& calcPath, const QString& refPath) {
    DataModule& dm = app.dm;
    resetState(app);
    app.enterProgramDir();
    dm.closeCalculation();
    dm.closeReference();
    Finally tell([&] {
        Q_EMIT app.calculationOpened();
        app.changed();
    });

    if (calcPath.isEmpty()) return;

    const bool calcFound = QFileInfo(calcPath).isFile();
    const bool refFound = QFileInfo(refPath).isFile();
    if (!calcFound) app.person().message(QStringLiteral("Файл ") + calcPath + QStringLiteral(" не найден."));
    if (!refFound) app.person().message(QStringLiteral("Файл ") + refPath + QStringLiteral(" не найден."));
    if (!calcFound || !refFound) return;

    try {
        // A file that cannot be opened is named: the calculation and the
        // reference book fail in the same words otherwise.
        try {
            openCalculationFile(app, calcPath);
        } catch (const DatabaseError& e) {
            throw DatabaseError(QStringLiteral("Файл расчета ") + calcPath + QStringLiteral(": ") + e.message());
        }
        attachCalculationEvents(app);
        try {
            openReferenceFile(app, refPath);
        } catch (const DatabaseError& e) {
            throw DatabaseError(QStringLiteral("Файл справочников ") + refPath + QStringLiteral(": ") + e.message());
        }
        attachReferenceEvents(app);

        app.sectionSort = QStringLiteral("id ASC");

        Table& name = *dm.atNazvRasch;
        name.first();
        app.RasVip = name.value(QStringLiteral("РасчетВыполнен")).toBool();

        if (CatalogueCheck* check = app.catalogueCheck()) {
            check->checkAndRebuild(app);
        } else {
            // Without the formula library the catalogue counts as checked; the
            // section table takes the marked order that the rebuild would give it.
            app.FormuliProvereny = true;
            dm.atTabl->setSort(app.sectionSort);
            Q_EMIT app.tablesShaped(name.value(QStringLiteral("ТипСети")).toInt() == 1);
        }
    } catch (...) {
        // A file that cannot be opened whole leaves no calculation open.
        resetState(app);
        dm.closeCalculation();
        dm.closeReference();
        throw;
    }
}

}  // namespace volm
