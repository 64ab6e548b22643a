#include "store/startup.h"

#include "store/command.h"
#include "store/errors.h"
#include "store/scratch_lock.h"

#include <QFile>
#include <QFileInfo>

namespace volm {

namespace {

QString notDeletedMessage(const App& app, const QString& name) {
    return QStringLiteral("Файл ") + app.programDirSlash() + name +
           QStringLiteral(" не может быть удален. Возможно он занят другим приложением или его не существует.");
}

// Cursors on the scratch database go before its connection closes.
void closeScratch(App& app) {
    DataModule& dm = app.dm;
    dm.atVKol.reset();
    dm.atKopPolya.reset();
    dm.atZavisimostPokazatelei.reset();
    dm.atVKolZag.reset();
    dm.atVKolTabl.reset();
    dm.acVremDB.close();
}

// Deletes "~$.mdb" in the current directory: through our own lock when this copy
// holds it, otherwise only when no other running copy does.
bool deleteScratchDb(App& app) {
    if (app.scratchLock) {
        bool gone = app.scratchLock->removeAndRelease();
        app.scratchLock.reset();
        if (!QFileInfo::exists(kScratchDb)) return gone;
    }
    return removeUnlessLocked(kScratchDb);
}

std::unique_ptr<Table> openScratchTable(App& app, const QString& name) {
    auto t = std::make_unique<Table>(app.dm.acVremDB, name);
    t->open();
    return t;
}

}  // namespace

const QStringList& scratchTableStatements() {
    static const QStringList statements{
        QStringLiteral("CREATE TABLE ВКол (ПНом integer, НаимПок text(100))"),
        QStringLiteral("CREATE TABLE КопПоля (Наим text(51))"),
        QStringLiteral("CREATE TABLE ВКолЗаг (П1 text(1))"),
        QStringLiteral("CREATE TABLE ВКолТабл (П1 text(1))"),
        QStringLiteral("CREATE TABLE ЗависимостьПоказателей (Показатель text(50), ЗависитОт text(50))"),
    };
    return statements;
}

void SozdatBazu(const QString& path) { Database::create(path); }

Table& goToSettingsRow(App& app) {
    Table* t = app.dm.atNastr.get();
    if (!t || !t->isOpen()) throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не открыта."));
    t->first();
    return *t;
}

void writeSetting(App& app, const QString& column, const QVariant& value) {
    Table& t = goToSettingsRow(app);
    t.edit();
    t.setValue(column, value);
    t.post();
}

FontSizes readFontSizes(App& app) {
    Table* t = &goToSettingsRow(app);
    auto size = [&](const char* column) {
        const QVariant v = t->value(QString::fromUtf8(column));
        return v.isNull() ? 10 : v.toInt();
    };
    FontSizes s;
    s.data = size("РШрифтаВТД");
    s.titles = size("РШрифтаВЗагКолТД");
    s.captions = size("РШрифтаНаимПок");
    return s;
}

void PrimenitShrifti(App& app) { Q_EMIT app.fontsChanged(readFontSizes(app)); }

void setUpNumberFormat(App& app, const QLocale& locale) {
    app.locale = locale;
    const QString point = locale.decimalPoint();
    app.SistRazdelitel = point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

bool startUp(App& app) {
    return runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при открытии базы данных настроек.");
        app.enterProgramDir();
        app.dm.atNastr.reset();
        app.dm.acNastr.close();
        app.dm.acNastr.open(kSettingsFile);
        auto settings = std::make_unique<Table>(app.dm.acNastr, QStringLiteral("Настройки"));
        settings->open();
        for (const char* column : {"ФайлГР", "ФайлСпр", "РШрифтаВТД", "РШрифтаВЗагКолТД", "РШрифтаНаимПок",
                                   "ТочностьЧиселВОтч", "СохрТекстРас"})
            settings->field(QString::fromUtf8(column));
        if (settings->isEmpty())
            throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не содержит записей."));
        app.dm.atNastr = std::move(settings);

        ctx = QStringLiteral("Ошибка при создании временной базы данных.");
        closeScratch(app);
        if (QFileInfo::exists(kScratchDb) && !deleteScratchDb(app))
            app.person().message(notDeletedMessage(app, kScratchDb));
        SozdatBazu(kScratchDb);
        app.scratchLock = std::make_unique<ScratchLock>(kScratchDb);
        app.dm.acVremDB.open(kScratchDb);
        for (const QString& sql : scratchTableStatements()) app.dm.acVremDB.exec(sql);
        app.dm.atVKol = openScratchTable(app, QStringLiteral("ВКол"));
        app.dm.atKopPolya = openScratchTable(app, QStringLiteral("КопПоля"));
        app.dm.atZavisimostPokazatelei = openScratchTable(app, QStringLiteral("ЗависимостьПоказателей"));

        // The caption labels of the main window are cleared and placed by the
        // window itself when it is told of the new state.
        app.changed();

        ctx = QStringLiteral("Ошибка при открытии базы данных гидравлического расчета и базы данных справочников.");
        OtkritFaili(app);

        setUpNumberFormat(app);
        // The section cursor's before-post handler is attached by OtkritFaili
        // whenever it opens the section table.

        ctx = QStringLiteral("Ошибка при настройке размера шрифта в таблицах данных.");
        PrimenitShrifti(app);
    });
}

bool shutDown(App& app) {
    Table* sections = app.dm.atTabl.get();
    if (sections) sections->disableControls();
    Finally resume([&] {
        if (sections && app.dm.atTabl.get() == sections)
            while (sections->controlsDisabled()) sections->enableControls();
    });
    return runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении данных.");
        SohranitDannie(app);

        ctx = QStringLiteral("Ошибка при удалении временных баз данных.");
        app.enterProgramDir();
        closeScratch(app);
        if (QFileInfo::exists(kScratchDb) && !deleteScratchDb(app))
            app.person().message(notDeletedMessage(app, kScratchDb));
        app.scratchLock.reset();
        if (QFileInfo::exists(kCompactTarget) && !removeUnlessLocked(kCompactTarget))
            app.person().message(notDeletedMessage(app, kCompactTarget));
        QFile::remove(kCalcText);
    });
}

}  // namespace volm
