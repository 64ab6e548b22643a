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
// written as a newline). --text writes the calculation text to FILE; without
// it no text is written, whatever the keep-text setting. --precision sets the
// digits after the separator of the text, the workbook and the report (else
// the settings' report precision). --xlsx writes the results workbook to FILE
// after a successful run; --report the printed report to FILE.pdf (definitions
// 0.rav and 1.rav of the program folder; no display needed).
// With --report or --chart the run is made by volm-run-graphics, this runner
// built with Qt Gui and Widgets, from the same folder and with the same
// arguments; volm-run itself loads Qt Core only.
// --size chooses each section's diameter from the reference book, writes the
// diameters and then computes the calculation; its summary comes first on
// standard output. A fault of sizing (its message on standard error) leaves
// the file as it was and gives status 1.
//
// Every output goes through a link to its target (the link stays) and is
// written beside it, taking its place only when complete: a failure, a full
// disk or a stop leaves the old file. Refused before anything is computed
// (status 2): a calculation of the program folder (the template among them,
// also by a hard link) or the reference book as a calculation; an output
// without a name, or one that is the calculation, the reference book, a file
// of the program folder, a folder, device, pipe or socket, or a database
// file; two outputs to one file; a malformed option (named with its value).
//
// The program folder's settings file is never changed: the run works in a
// temporary program folder holding a copy of it. SIGTERM and SIGINT stop the
// run, the report, the chart or the workbook at its next step: the calculation
// keeps the results it had, the outputs their old files, and the temporary
// files go.
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
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>
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
    // A message is written once even where two steps find the same fault one
    // after the other (the opening and the run both check the network type).
    void message(const QString& text) override {
        if (text == last_) return;
        last_ = text;
        print(stderr, text);
    }
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

private:
    QString last_;
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
    std::fputs("Использование: volm-run [--spr FILE] [--text FILE] [--precision N] [--xlsx FILE] [--report FILE.pdf]\n"
               "                      [--strict] CALCULATION.mdb\n",
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

// A usage error: what is wrong, naming the option and its value, then the usage.
int usageError(const QString& text) {
    fail(text);
    return usage();
}

// Writes the results workbook; false when it cannot be written (the export
// has said why).
bool writeWorkbook(volm::App& app, const QString& file, std::optional<int> digits) {
    volm::WorkbookExportOptions options;
    options.fileName = file;
    options.digits = digits;
    return volm::exportWorkbook(app, options).written;
}

// An output asked for on the command line.
struct Output {
    volm::OutputKind kind;
    QString option;       // "--xlsx"
    QString name;         // as given
    QString destination;  // where it is written, through links
};

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

// Qt's and its plugins' own notices (an unset runtime folder, a font) are not
// the runner's: the person reads only the program's messages.
void dropLibraryNotices(QtMsgType, const QMessageLogContext&, const QString&) {}

int stopped() {
    print(stderr, QStringLiteral("volm-run: расчет прерван."));
    return 128 + int(stopSignal);
}

}  // namespace

int main(int argc, char** argv) {
    // From the start: a stop asked for at any moment is honoured at the next step.
    for (int sig : {SIGTERM, SIGINT}) std::signal(sig, requestStop);
    qInstallMessageHandler(dropLibraryNotices);
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
    QString spr, calcFile;
    std::vector<Output> outputs;
    int chartMain = 1;
    std::optional<int> precision;
    bool strict = false;
    std::optional<volm::SizingRequest> sizing;
    bool sizeMarked = false;
    const std::pair<const char*, volm::OutputKind> outputOptions[] = {
        {"--text", volm::OutputKind::Text},
        {"--xlsx", volm::OutputKind::Workbook},
        {"--report", volm::OutputKind::Report},
        {"--chart", volm::OutputKind::Chart},
    };
    auto quoted = [](const QString& v) { return QLatin1Char('"') + v + QLatin1Char('"'); };
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool valued = a == QStringLiteral("--size") || a == QStringLiteral("--spr") ||
                            a == QStringLiteral("--main") || a == QStringLiteral("--precision") ||
                            std::any_of(std::begin(outputOptions), std::end(outputOptions),
                                        [&](const auto& o) { return a == QLatin1String(o.first); });
        if (valued && i + 1 >= args.size())
            return usageError(QStringLiteral("не указано значение параметра ") + a + QLatin1Char('.'));
        if (a == QStringLiteral("--strict")) {
            strict = true;
        } else if (a == QStringLiteral("--size")) {
            sizing = volm::runner::parseSizeOption(args[++i]);
            if (!sizing)
                return usageError(QStringLiteral("параметр --size задан неверно: ") + quoted(args[i]) +
                                  QStringLiteral(". Ожидается ПОКАЗАТЕЛЬ:КРИТЕРИЙ<=ПРЕДЕЛ[,КРИТЕРИЙ<=ПРЕДЕЛ], "
                                                 "например \"Ду:УдПотПод<=80,СкорПод<=3.5\"."));
        } else if (a == QStringLiteral("--size-marked")) {
            sizeMarked = true;
        } else if (a == QStringLiteral("--spr")) {
            spr = args[++i];
            if (spr.isEmpty()) return usageError(QStringLiteral("не указано имя файла справочников (--spr)."));
        } else if (a == QStringLiteral("--main")) {
            bool ok = false;
            chartMain = args[++i].toInt(&ok);
            if (!ok || chartMain < 1)
                return usageError(QStringLiteral("номер магистрали --main должен быть целым числом не меньше 1: ") +
                                  quoted(args[i]) + QLatin1Char('.'));
        } else if (a == QStringLiteral("--precision")) {
            bool ok = false;
            const int n = args[++i].toInt(&ok);
            if (!ok || n < 0 || n > 7)
                return usageError(QStringLiteral("точность --precision должна быть целым числом от 0 до 7: ") +
                                  quoted(args[i]) + QLatin1Char('.'));
            precision = n;
        } else if (valued) {
            const auto kind = std::find_if(std::begin(outputOptions), std::end(outputOptions),
                                           [&](const auto& o) { return a == QLatin1String(o.first); })->second;
            for (const Output& o : outputs)
                if (o.option == a) return usageError(QStringLiteral("параметр ") + a + QStringLiteral(" указан дважды."));
            const QString name = args[++i];
            if (name.isEmpty())
                return usageError(QStringLiteral("не указано имя файла для параметра ") + a + QLatin1Char('.'));
            outputs.push_back({kind, a, name, {}});
        } else if (a.startsWith(QLatin1Char('-'))) {
            return usageError(QStringLiteral("неизвестный параметр ") + quoted(a) + QLatin1Char('.'));
        } else if (!calcFile.isEmpty()) {
            return usageError(QStringLiteral("лишний аргумент ") + quoted(a) + QStringLiteral(": файл расчета уже указан (") +
                              calcFile + QStringLiteral(")."));
        } else {
            calcFile = a;
        }
    }
    if (calcFile.isEmpty()) return usageError(QStringLiteral("не указан файл расчета."));
    if (sizeMarked && !sizing) return usageError(QStringLiteral("параметр --size-marked действует только вместе с --size."));
    if (sizing) sizing->markedOnly = sizeMarked;

    const QString programDir = QCoreApplication::applicationDirPath();
    calcFile = QFileInfo(calcFile).absoluteFilePath();
    spr = QFileInfo(spr.isEmpty() ? programDir + QStringLiteral("/Spr.mdb") : spr).absoluteFilePath();
    if (!QFileInfo(calcFile).isFile()) return fail(QStringLiteral("Файл ") + calcFile + QStringLiteral(" не найден."));
    if (!QFileInfo(spr).isFile()) return fail(QStringLiteral("Файл ") + spr + QStringLiteral(" не найден."));

    // The files checked before anything is opened or computed.
    const volm::ProtectedFiles files{programDir, calcFile, spr};
    if (const QString why = volm::runner::refusedCalculation(files); !why.isEmpty()) return fail(why);
    for (Output& o : outputs) {
        o.destination = volm::outputDestination(o.name);
        if (const QString why = volm::refusedOutputTarget(files, o.kind, o.name, o.destination); !why.isEmpty())
            return fail(why);
    }
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = i + 1; j < outputs.size(); ++j)
            if (const QString why = volm::refusedSharedTarget(outputs[i].kind, outputs[j].kind,
                                                              outputs[i].destination, outputs[j].destination);
                !why.isEmpty())
                return fail(why);
    auto destinationOf = [&](volm::OutputKind kind) {
        for (const Output& o : outputs)
            if (o.kind == kind) return o.destination;
        return QString();
    };
    const QString textTarget = destinationOf(volm::OutputKind::Text);
    const QString xlsxFile = destinationOf(volm::OutputKind::Workbook);
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
            outcome = volm::runner::runCalculationSteps(app, options);
        }
        if (outcome.success()) {
            print(stdout, volm::outcomeWithWarnings(outcome));
            status = 0;
#ifdef VOLM_RUN_GRAPHICS
            // A stop asked for while the report or the chart is made ends it at its next page or step.
            const auto stopCheck = [](int) {
                if (stopSignal) throw volm::Abort();
            };
            try {
                if (const QString pdf = destinationOf(volm::OutputKind::Report); !pdf.isEmpty())
                    if (const QString error = volm::report::writeReportFile(app, programDir, pdf, stopCheck, precision);
                        !error.isEmpty())
                        return fail(error);
                if (const QString png = destinationOf(volm::OutputKind::Chart); !png.isEmpty()) {
                    stopCheck(0);
                    const QString problem = volm::ui::writeMainChart(app, chartMain, png, precision);
                    if (!problem.isEmpty()) {
                        print(stderr, problem);
                        status = 1;
                    }
                }
            } catch (const volm::Abort&) {
                return stopped();
            } catch (const volm::FileError& e) {
                return fail(e.message());
            }
#endif
            if (!xlsxFile.isEmpty() && !writeWorkbook(app, xlsxFile, precision)) {
                if (stopSignal) return stopped();
                status = 2;
            }
            if (status == 0 && strict && !outcome.warnings.empty()) status = 3;
        } else if (stopSignal) {
            status = stopped();
        } else if (outcome.fileFault) {
            status = 2;  // an output that cannot be written, as for the others
        }
    }
    return status;
}
