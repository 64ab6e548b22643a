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
    gr.open(path);
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
    dm.aqRashPod = gr.query(QStringLiteral("select НаимПок from ФлыПредопрПок where НаимПокСокр=\"РасхПод\";"));
    dm.aqRashObr = gr.query(QStringLiteral("select НаимПок from ФлыПредопрПок where НаимПокСокр=\"РасхОбр\";"));
}

void openReferenceFile(App& app, const QString& path) {
    DataModule& dm = app.dm;
    Database& spr = dm.acSpr;
    spr.open(path);
    dm.atDiamTrPr = openTable(spr, QStringLiteral("ДиамТрПр"), {}, {"УслДиамТрПр", "ВнутрДиамТрПр"});
    dm.atPlVodiOtT = openTable(spr, QStringLiteral("ПлВодыОтТ"), {}, {"Т", "Плотность"});
    dm.atPoprKoefKUdPot = openTable(spr, QStringLiteral("ПопрКоэфКУдПот"), {}, {"УслДиамТрПр", "ЭквШер", "Коэф"});
}

QString nodeText(const QVariant& v) { return v.isNull() ? QString() : QString::number(v.toLongLong()); }

// The state of a program with no calculation open.
void resetState(App& app) {
    app.FormuliProvereny = false;
    app.gridsVisible = false;
    app.calcNameText.clear();
    app.supplyNodeText.clear();
    app.availNodeText.clear();
    app.availNodeEnabled = false;
    app.RasVip = false;
}

}  // namespace

void closeFiles(App& app) {
    resetState(app);
    app.dm.closeCalculation();
    app.dm.closeReference();
    app.changed();
}

void OtkritFaili(App& app) {
    DataModule& dm = app.dm;
    resetState(app);
    app.enterProgramDir();
    dm.closeCalculation();
    dm.closeReference();
    Finally tell([&] { app.changed(); });

    Table& settings = goToSettingsRow(app);
    const QVariant calc = settings.value(QStringLiteral("ФайлГР"));
    const QVariant ref = settings.value(QStringLiteral("ФайлСпр"));
    const QString calcPath = calc.isNull() ? QString() : calc.toString();
    const QString refPath = ref.isNull() ? QString() : ref.toString();
    app.caption = calc.isNull() ? QStringLiteral("ВОЛМ 1.0") : calcPath + QStringLiteral(" - ВОЛМ 1.0");

    if (calcPath.isEmpty()) return;

    const bool calcFound = QFileInfo(calcPath).isFile();
    const bool refFound = QFileInfo(refPath).isFile();
    if (!calcFound) app.person().message(QStringLiteral("Файл ") + calcPath + QStringLiteral(" не найден."));
    if (!refFound) app.person().message(QStringLiteral("Файл ") + refPath + QStringLiteral(" не найден."));
    if (!calcFound || !refFound) return;

    try {
        openCalculationFile(app, calcPath);
        attachCalculationEvents(app);
        openReferenceFile(app, refPath);
        attachReferenceEvents(app);

        app.sectionSort = QStringLiteral("id ASC");

        Table& name = *dm.atNazvRasch;
        name.first();
        app.RasVip = name.value(QStringLiteral("РасчетВыполнен")).toBool();
        const QVariant title = name.value(QStringLiteral("НазвРасч"));
        if (!title.isNull()) app.calcNameText = title.toString();
        app.supplyNodeText = nodeText(name.value(QStringLiteral("NузПНапПод")));
        app.availNodeText = nodeText(name.value(QStringLiteral("NузРНап")));

        if (app.checkFormulas) {
            if (app.checkFormulas(app) && app.rebuildTables) app.rebuildTables(app);
        } else {
            // Without the formula library the catalogue counts as checked; the
            // section table takes the marked order that the rebuild would give it.
            app.FormuliProvereny = true;
            dm.atTabl->setSort(app.sectionSort);
            app.availNodeEnabled = name.value(QStringLiteral("ТипСети")).toInt() == 1;
        }
    } catch (...) {
        // A file that cannot be opened whole leaves no calculation open.
        resetState(app);
        dm.closeCalculation();
        dm.closeReference();
        throw;
    }

    app.gridsVisible = app.FormuliProvereny;
    app.PoslKlavisha = 0;
}

}  // namespace volm
