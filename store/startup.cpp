#include "store/startup.h"

#include "store/command.h"
#include "store/controls_pause.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/scratch_lock.h"

#include <QDir>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <algorithm>

namespace volm {

namespace {

QString notDeletedMessage(const App& app, const QString& name) {
    return QStringLiteral("Файл ") + app.workPath(name) +
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
    const QString path = app.workPath(kScratchDb);
    if (app.scratchLock) {
        bool gone = app.scratchLock->removeAndRelease();
        app.scratchLock.reset();
        if (!QFileInfo::exists(path)) return gone;
    }
    return removeUnlessLocked(path);
}

// The settings file of the work folder; when that is not the program folder,
// the program folder's settings are copied there the first time.
QString settingsPath(App& app) {
    const QString path = app.workPath(kSettingsFile);
    if (!app.workDirMoved() || QFileInfo::exists(path)) return path;
    const QString source = app.programDirSlash() + kSettingsFile;
    if (!QFileInfo::exists(source))
        throw FileError(QStringLiteral("Файл ") + source + QStringLiteral(" не найден."));
    if (!QDir().mkpath(app.workDir()))
        throw FileError(QStringLiteral("Не удается создать папку ") + app.workDir() + QLatin1Char('.'));
    copySettingsFile(source, path);
    return path;
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

bool folderWritable(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral("/~$XXXXXX.tmp"));
    return probe.open();
}

QString chooseWorkDir(const QString& programDir) {
    if (folderWritable(programDir)) return programDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

void copySettingsFile(const QString& from, const QString& to) {
    // Written beside its place and renamed there: a failed copy leaves no
    // half a settings file behind.
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    try {
        blockCopy(from, part);
        QFile::setPermissions(part, QFile::permissions(part) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
        replaceFile(part, to);
    } catch (const Error& e) {
        QFile::remove(part);
        throw FileError(QStringLiteral("Не удается скопировать файл ") + from + QStringLiteral(" в ") + to +
                        QStringLiteral(". ") + e.message());
    }
}

Table& goToSettingsRow(App& app) {
    Table* t = app.dm.atNastr.get();
    if (!t || !t->isOpen()) throw DatabaseError(QStringLiteral("Таблица \"Настройки\" не открыта."));
    t->first();
    return *t;
}

int reportPrecision(App& app) {
    Table* t = app.dm.atNastr.get();
    if (!t || !t->isOpen() || t->isEmpty()) return 2;
    t->first();
    return std::clamp(t->value(QStringLiteral("ТочностьЧиселВОтч")).toInt(), 0, 7);
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

const QString kSettingsRole = QStringLiteral("файл настроек");

namespace {

// Start-up with openFiles as the step that opens the calculation.
bool startWith(App& app, const std::function<void()>& openFiles) {
    return runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при открытии базы данных настроек.");
        app.enterProgramDir();
        if (app.workDir().isEmpty()) app.setWorkDir(chooseWorkDir(app.programDir()));
        app.dm.atNastr.reset();
        app.dm.acNastr.close();
        app.dm.acNastr.open(settingsPath(app));
        app.dm.acNastr.refuseTriggers(kSettingsRole);
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
        const QString scratch = app.workPath(kScratchDb);
        if (QFileInfo::exists(scratch) && !deleteScratchDb(app))
            app.person().message(notDeletedMessage(app, kScratchDb));
        SozdatBazu(scratch);
        app.scratchLock = std::make_unique<ScratchLock>(scratch);
        app.dm.acVremDB.open(scratch);
        // Nothing in it outlives the program: its writes need not wait for the disk.
        app.dm.acVremDB.exec(QStringLiteral("PRAGMA journal_mode=MEMORY"));
        app.dm.acVremDB.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        {
            Transaction tx(app.dm.acVremDB);
            for (const QString& sql : scratchTableStatements()) app.dm.acVremDB.exec(sql);
            tx.commit();
        }
        app.dm.atVKol = openScratchTable(app, QStringLiteral("ВКол"));
        app.dm.atKopPolya = openScratchTable(app, QStringLiteral("КопПоля"));
        app.dm.atZavisimostPokazatelei = openScratchTable(app, QStringLiteral("ЗависимостьПоказателей"));

        // The caption labels of the main window are cleared and placed by the
        // window itself when it is told of the new state.
        app.changed();

        ctx = QStringLiteral("Ошибка при открытии базы данных гидравлического расчета и базы данных справочников.");
        openFiles();

        setUpNumberFormat(app);
        // The section cursor's before-post handler is attached by OtkritFaili
        // whenever it opens the section table.

        ctx = QStringLiteral("Ошибка при настройке размера шрифта в таблицах данных.");
        PrimenitShrifti(app);
    });
}

}  // namespace

bool startUp(App& app) {
    return startWith(app, [&] { OtkritFaili(app); });
}

bool startUp(App& app, const QString& calculation, const QString& referenceBook) {
    return startWith(app, [&] { openCalculation(app, calculation, referenceBook); });
}

bool shutDown(App& app) {
    ControlsPause pause(app.dm.atTabl, true);
    return runReported(app.person(), [&](ErrorContext& ctx) {
        ctx = QStringLiteral("Ошибка при сохранении данных.");
        SohranitDannie(app);

        ctx = QStringLiteral("Ошибка при удалении временных баз данных.");
        app.enterProgramDir();
        // The scratch files belong to the copy that holds the scratch database;
        // another copy started from the same folder leaves them alone.
        const bool ownScratch = app.scratchLock && app.scratchLock->holdsFile();
        closeScratch(app);
        const QString scratch = app.workPath(kScratchDb);
        if (QFileInfo::exists(scratch) && !deleteScratchDb(app))
            app.person().message(notDeletedMessage(app, kScratchDb));
        app.scratchLock.reset();
        const QString compactTarget = app.workPath(kCompactTarget);
        if (QFileInfo::exists(compactTarget) && !removeUnlessLocked(compactTarget))
            app.person().message(notDeletedMessage(app, kCompactTarget));
        if (ownScratch) QFile::remove(app.workPath(kCalcText));
    });
}

}  // namespace volm
