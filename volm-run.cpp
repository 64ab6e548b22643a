// volm-run: computes a calculation file without windows.
//
//   volm-run [--spr FILE] [--text FILE] [--precision N] CALCULATION.mdb
//
// Opens the calculation as the program does (formula check and table rebuild
// included) with the reference book FILE or the program folder's "Spr.mdb",
// runs the calculation taking its question as answered Yes, with the head nodes
// NузПНапПод and NузРНап stored in the calculation, and stores the results in
// the file. Every message the program would show goes to standard error, the
// outcome to standard output, both in UTF-8 (a line break inside a message is
// written as a newline). --text writes the calculation text to FILE, whatever
// the keep-text setting; --precision sets its digits after the separator.
//
// The program folder's settings file is never changed: the run works in a
// temporary program folder holding a copy of it.
//
// Exit status: 0 success, 1 the calculation stopped at a fault or was refused,
// 2 usage error or a file that cannot be opened.
// The warnings of the regime checks follow the outcome on standard output;
// --strict makes a run with warnings exit 3.
#include "calc/run.h"
#include "formulas/formula_seams.h"
#include "store/app.h"
#include "store/database.h"
#include "store/errors.h"
#include "store/startup.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

namespace {

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
    void processEvents() override {}
};

int usage() {
    std::fputs("usage: volm-run [--spr FILE] [--text FILE] [--precision N] CALCULATION.mdb\n", stderr);
    return 2;
}

int fail(const QString& text) {
    print(stderr, QStringLiteral("volm-run: ") + text);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QString spr, textFile, calcFile;
    std::optional<int> precision;
    bool strict = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--strict")) {
            strict = true;
        } else if (a == QStringLiteral("--spr") && i + 1 < args.size()) {
            spr = args[++i];
        } else if (a == QStringLiteral("--text") && i + 1 < args.size()) {
            textFile = args[++i];
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
    if (calcFile.isEmpty()) return usage();

    const QString programDir = QCoreApplication::applicationDirPath();
    calcFile = QFileInfo(calcFile).absoluteFilePath();
    spr = QFileInfo(spr.isEmpty() ? programDir + QStringLiteral("/Spr.mdb") : spr).absoluteFilePath();
    if (!textFile.isEmpty()) textFile = QFileInfo(textFile).absoluteFilePath();
    if (!QFileInfo(calcFile).isFile()) return fail(QStringLiteral("Файл ") + calcFile + QStringLiteral(" не найден."));
    if (!QFileInfo(spr).isFile()) return fail(QStringLiteral("Файл ") + spr + QStringLiteral(" не найден."));

    // A temporary program folder with a copy of the settings naming the two files.
    QTemporaryDir folder;
    if (!folder.isValid()) return fail(QStringLiteral("Не удается создать временную папку."));
    const QString settings = programDir + QLatin1Char('/') + volm::kSettingsFile;
    const QString settingsCopy = folder.path() + QLatin1Char('/') + volm::kSettingsFile;
    if (!QFile::copy(settings, settingsCopy))
        return fail(QStringLiteral("Файл ") + settings + QStringLiteral(" не найден."));
    QFile::setPermissions(settingsCopy, QFile::ReadOwner | QFile::WriteOwner);
    try {
        volm::Database db;
        db.open(settingsCopy);
        auto st = db.prepare(QStringLiteral("UPDATE \"Настройки\" SET \"ФайлГР\" = ?, \"ФайлСпр\" = ?"));
        st->bind(1, calcFile);
        st->bind(2, spr);
        st->run();
    } catch (const volm::Error& e) {
        return fail(settings + QStringLiteral(": ") + e.message());
    }

    ConsolePerson person;
    int status = 1;
    {
        volm::App app(folder.path(), person);
        volm::installFormulaSeams(app);
        if (!volm::startUp(app) || !app.dm.acGR.isOpen() || !app.dm.atNazvRasch)
            return fail(QStringLiteral("Не удается открыть расчет ") + calcFile + QLatin1Char('.'));

        volm::RunOptions options;
        options.ask = false;
        options.precision = precision;
        options.textFile = textFile;
        volm::Table& name = *app.dm.atNazvRasch;
        name.first();
        auto nodeText = [&](const char* column) {
            const QVariant v = name.value(QString::fromUtf8(column));
            return v.isNull() ? QString() : QString::number(v.toLongLong());
        };
        options.supplyNodeText = nodeText("NузПНапПод");
        options.availNodeText = nodeText("NузРНап");

        const volm::RunOutcome outcome = volm::runCalculation(app, options);
        if (outcome.success()) {
            print(stdout, volm::outcomeWithWarnings(outcome));
            status = 0;
            if (strict && !outcome.warnings.empty()) status = 3;
        }
    }
    return status;
}
