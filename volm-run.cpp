// volm-run: computes a calculation file without windows.
//
//   volm-run [--spr FILE] [--text FILE] [--precision N] [--xlsx FILE] [--report FILE.pdf]
//            [--strict] CALCULATION.mdb
//   --chart FILE.png [--main N]: also draws the piezometric chart of main N
//   (default 1) after a successful run, offscreen when there is no display.
//   --size INDICATOR:CRITERION<=LIMIT[,CRITERION<=LIMIT] [--size-marked]: sizes
//   the diameters first ("Подбор диаметров"), of every section or only of
//   those marked "Д", e.g. --size "Ду:УдПотПод<=80,СкорПод<=3.5".
//
// Opens the calculation as the program does (formula check and table rebuild
// included) with the reference book FILE or the program folder's "Spr.mdb",
// runs the calculation taking its question as answered Yes, with the head nodes
// NузПНапПод and NузРНап stored in the calculation, and stores the results in
// the file. Every message the program would show goes to standard error, the
// outcome to standard output, both in UTF-8 (a line break inside a message is
// written as a newline). --text writes the calculation text to FILE (through a
// link to its target; an existing text file is replaced in one rename, from a
// temporary file beside it); without it no text is written, whatever the
// keep-text setting. --precision sets the text's digits after the separator.
// --xlsx writes the results workbook to FILE after a successful run (with the
// --precision digits, else the settings' report precision).
// --report writes the printed report of the computed calculation to FILE.pdf
// (definitions 0.rav and 1.rav of the program folder; no display needed).
// With --report or --chart the run is made by volm-run-graphics, this runner
// built with Qt Gui and Widgets, from the same folder and with the same
// arguments; volm-run itself loads Qt Core only.
// --size chooses each section's diameter from the reference book, writes the
// diameters and then computes the calculation; its summary comes first on
// standard output. A fault of sizing (its message on standard error) leaves
// the file as it was and gives status 1.
//
// Refused before anything is computed (status 2): a calculation of the program
// folder (the template among them) or the reference book as a calculation; a
// text FILE that is the calculation, the reference book, a file of the program
// folder, an existing file that is not a regular file, or a database file.
//
// The program folder's settings file is never changed: the run works in a
// temporary program folder holding a copy of it. SIGTERM and SIGINT stop the
// run at its next step: the calculation keeps the results it had, and the
// temporary files go.
//
// Exit status: 0 success, 1 the calculation stopped at a fault or was refused,
// 2 usage error or a file that cannot be opened or written (a workbook or a
// report among them), 3 (with --strict) a computed run with warnings, 128 + the
// signal when stopped by SIGTERM or SIGINT. The warnings of the regime checks
// follow the outcome on standard output.
#include "runner_files.h"

#include "commands/run_command.h"
#include "commands/sizing_command.h"
#include "output/workbook_export.h"
#include "formulas/catalogue_check.h"
#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/file_ops.h"
#include "store/startup.h"
#include "volm_version.h"
#ifdef VOLM_RUN_GRAPHICS
#include "output/report.h"
#include "ui/chart_export.h"
#endif

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// The signal that asked the runner to stop; 0 while none did.
volatile std::sig_atomic_t stopSignal = 0;

void requestStop(int sig) {
    stopSignal = sig;
    std::signal(sig, SIG_DFL);  // a second one ends the process at once
}

void print(FILE* to, QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(13), QChar(10));
    const QByteArray u = text.toUtf8();
    std::fwrite(u.constData(), 1, size_t(u.size()), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// The person of a run without windows: messages to standard error, questions
// answered No (the run's own question is not asked), dialogs cancelled.
class ConsolePerson : public volm::Person {
public:
    void message(const QString& text) override { print(stderr, text); }
    bool ask(const QString& text) override {
        print(stderr, text + QStringLiteral(" - Нет"));
        return false;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void status(const QString&) override {}
    void busy(bool) override {}
    // Where the program would repaint, the runner looks for a stop request.
    void processEvents() override {
        if (stopSignal) throw volm::Abort();
    }
};

// Opens a database file as a check of its header and schema; the engine's
// reason when it cannot. A page damaged inside a table stops the run at that
// page with its message, and the file keeps what it had.
QString openFailure(const QString& path) {
    try {
        volm::Database db;
        db.open(path, volm::FileCheck::HeaderAndSchema);
        return {};
    } catch (const volm::Error& e) {
        return e.message();
    }
}

int usage() {
    std::fputs("usage: volm-run [--spr FILE] [--text FILE] [--precision N] [--xlsx FILE] [--report FILE.pdf]\n"
               "                [--strict] CALCULATION.mdb\n",
               stderr);
    std::fputs("       volm-run ... --chart FILE.png [--main N] CALCULATION.mdb\n", stderr);
    std::fputs("       volm-run ... --size INDICATOR:CRITERION<=LIMIT[,CRITERION<=LIMIT] [--size-marked] CALCULATION.mdb\n",
               stderr);
    return 2;
}

int fail(const QString& text) {
    print(stderr, QStringLiteral("volm-run: ") + text);
    return 2;
}

// Writes the results workbook; false (after a message) when it cannot be written.
bool writeWorkbook(volm::App& app, const QString& file, std::optional<int> digits) {
    volm::WorkbookExportOptions options;
    options.fileName = file;
    options.digits = digits;
    if (volm::exportWorkbook(app, options).written) return true;
    print(stderr, QStringLiteral("volm-run: не удается записать книгу Excel ") + options.fileName + QLatin1Char('.'));
    return false;
}

#ifndef VOLM_RUN_GRAPHICS
// The printed report and the chart need Qt Gui: the run goes on in
// volm-run-graphics, the runner built with them, from the folder of this
// program. Returns only when it cannot be started (status 2).
int handOverToGraphics(char** argv) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self);
    std::string path = "volm-run-graphics";
    QString why;
    if (n <= 0 || size_t(n) >= sizeof self) {
        // Never a program of that name found elsewhere, such as the current folder.
        why = QStringLiteral("не найдена папка программы");
    } else {
        const std::string exe(self, size_t(n));
        path = exe.substr(0, exe.rfind('/') + 1) + path;
        execv(path.c_str(), argv);
        why = QString::fromLocal8Bit(std::strerror(errno));
    }
    print(stderr, QStringLiteral("volm-run: не удается запустить ") + QString::fromLocal8Bit(path.c_str()) +
                      QStringLiteral(": ") + why);
    return 2;
}
#endif

int stopped() {
    print(stderr, QStringLiteral("volm-run: расчет прерван."));
    return 128 + int(stopSignal);
}

}  // namespace

int main(int argc, char** argv) {
    // From the start: a stop asked for at any moment is honoured at the next step.
    for (int sig : {SIGTERM, SIGINT}) std::signal(sig, requestStop);
    bool chartWanted = false, reportWanted = false;
    for (int i = 1; i < argc; ++i) {
        chartWanted = chartWanted || std::strcmp(argv[i], "--chart") == 0;
        reportWanted = reportWanted || std::strcmp(argv[i], "--report") == 0;
    }
#ifdef VOLM_RUN_GRAPHICS
    const auto qapp = chartWanted ? volm::ui::makeApplication(argc, argv, true)
                                  : volm::report::headlessApplication(argc, argv);
#else
    if (chartWanted || reportWanted) return handOverToGraphics(argv);
    QCoreApplication qapp(argc, argv);
#endif
    const QStringList args = QCoreApplication::arguments();
    // volm-run --version: the program's version on standard output.
    if (args.size() == 2 && args[1] == QStringLiteral("--version")) {
        std::fputs("volm-run (ВОЛМ) " VOLM_VERSION "\n", stdout);
        return 0;
    }
    QString spr, textFile, calcFile, xlsxFile, reportFile;
    QString chartFile;
    int chartMain = 1;
    std::optional<int> precision;
    bool strict = false;
    std::optional<volm::SizingRequest> sizing;
    bool sizeMarked = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--strict")) {
            strict = true;
        } else if (a == QStringLiteral("--size") && i + 1 < args.size()) {
            sizing = volm::runner::parseSizeOption(args[++i]);
            if (!sizing) return usage();
        } else if (a == QStringLiteral("--size-marked")) {
            sizeMarked = true;
        } else if (a == QStringLiteral("--spr") && i + 1 < args.size()) {
            spr = args[++i];
        } else if (a == QStringLiteral("--text") && i + 1 < args.size()) {
            textFile = args[++i];
        } else if (a == QStringLiteral("--report") && i + 1 < args.size()) {
            reportFile = QFileInfo(args[++i]).absoluteFilePath();
        } else if (a == QStringLiteral("--chart") && i + 1 < args.size()) {
            chartFile = QFileInfo(args[++i]).absoluteFilePath();
        } else if (a == QStringLiteral("--main") && i + 1 < args.size()) {
            bool ok = false;
            chartMain = args[++i].toInt(&ok);
            if (!ok || chartMain < 1) return usage();
        } else if (a == QStringLiteral("--xlsx") && i + 1 < args.size()) {
            xlsxFile = args[++i];
        } else if (a == QStringLiteral("--precision") && i + 1 < args.size()) {
            bool ok = false;
            const int n = args[++i].toInt(&ok);
            if (!ok || n < 0 || n > 7) return usage();
            precision = n;
        } else if (a.startsWith(QLatin1Char('-')) || !calcFile.isEmpty()) {
            return usage();
        } else {
            calcFile = a;
        }
    }
    if (calcFile.isEmpty() || (sizeMarked && !sizing)) return usage();
    if (sizing) sizing->markedOnly = sizeMarked;

    const QString programDir = QCoreApplication::applicationDirPath();
    calcFile = QFileInfo(calcFile).absoluteFilePath();
    spr = QFileInfo(spr.isEmpty() ? programDir + QStringLiteral("/Spr.mdb") : spr).absoluteFilePath();
    if (!textFile.isEmpty()) textFile = QFileInfo(textFile).absoluteFilePath();
    if (!xlsxFile.isEmpty()) xlsxFile = QFileInfo(xlsxFile).absoluteFilePath();
    if (!QFileInfo(calcFile).isFile()) return fail(QStringLiteral("Файл ") + calcFile + QStringLiteral(" не найден."));
    if (!QFileInfo(spr).isFile()) return fail(QStringLiteral("Файл ") + spr + QStringLiteral(" не найден."));

    // The files checked before anything is opened or computed.
    const volm::runner::Files files{programDir, calcFile, spr, textFile};
    if (const QString why = volm::runner::refusedCalculation(files); !why.isEmpty()) return fail(why);
    QString textTarget;
    if (!textFile.isEmpty()) {
        textTarget = volm::runner::textDestination(textFile);
        if (const QString why = volm::runner::refusedTextTarget(files, textTarget); !why.isEmpty()) return fail(why);
    }
    if (const QString why = openFailure(spr); !why.isEmpty())
        return fail(QStringLiteral("Не удается открыть справочники ") + spr + QStringLiteral(": ") + why);
    if (const QString why = openFailure(calcFile); !why.isEmpty())
        return fail(QStringLiteral("Не удается открыть расчет ") + calcFile + QStringLiteral(": ") + why);

    if (stopSignal) return stopped();

    // A temporary work folder: the scratch files and the copy of the settings
    // that a work folder away from the program folder gets.
    QTemporaryDir folder;
    if (!folder.isValid()) return fail(QStringLiteral("Не удается создать временную папку."));
    const QString settings = programDir + QLatin1Char('/') + volm::kSettingsFile;
    if (!QFileInfo::exists(settings)) return fail(QStringLiteral("Файл ") + settings + QStringLiteral(" не найден."));

    ConsolePerson person;
    int status = 1;
    {
        volm::App app(programDir, person);
        app.setWorkDir(folder.path());
        app.fileCheck = volm::FileCheck::HeaderAndSchema;
        volm::FormulaCatalogueCheck formulaCheck;
        app.setCatalogueCheck(&formulaCheck);
        const bool started = volm::startUp(app, calcFile, spr);
        if (stopSignal) return stopped();
        if (!started || !app.dm.acGR.isOpen() || !app.dm.atNazvRasch)
            return fail(QStringLiteral("Не удается открыть расчет ") + calcFile + QLatin1Char('.'));

        volm::RunOptions options;
        options.ask = false;
        options.precision = precision;
        options.textFile = textTarget;
        options.keepText = !textTarget.isEmpty();
        const volm::HeaderTexts stored = volm::storedHeader(app);
        options.supplyNodeText = stored.supplyNode;
        options.availNodeText = stored.availNode;

        volm::RunOutcome outcome;
        if (sizing) {
            const volm::SizingOutcome sized = volm::sizeDiameters(app, *sizing, options);
            if (sized.sized()) print(stdout, sized.text + QStringLiteral("\n"));
            outcome = sized.run;
        } else {
            outcome = volm::runCalculation(app, options);
        }
        if (outcome.success()) {
            print(stdout, volm::outcomeWithWarnings(outcome));
            status = 0;
#ifdef VOLM_RUN_GRAPHICS
            if (!reportFile.isEmpty())
                if (const QString error = volm::report::writeReportFile(app, programDir, reportFile); !error.isEmpty())
                    return fail(error);
            if (!chartFile.isEmpty()) {
                const QString problem = volm::ui::writeMainChart(app, chartMain, chartFile, precision);
                if (!problem.isEmpty()) {
                    print(stderr, problem);
                    status = 1;
                }
            }
#endif
            if (!xlsxFile.isEmpty() && !writeWorkbook(app, xlsxFile, precision)) status = 2;
            if (status == 0 && strict && !outcome.warnings.empty()) status = 3;
        } else if (stopSignal) {
            status = stopped();
        }
    }
    return status;
}
