// volm-mkdata: builds one of the shipped database files from readable sources.
//
//   volm-mkdata OUTPUT.mdb [--sql FILE] [--csv TABLE FILE] [--max-size BYTES] ...
//
// Creates a fresh database file and applies the steps in the order given:
// --sql runs every statement of a script (see sql_script.h) through the store's
// dialect, --csv loads a CSV file into a table (see table_loader.h). Everything
// runs in one transaction. The file is built beside OUTPUT under a temporary
// name and renamed into place only when every step succeeded and, with
// --max-size, the file is no larger than BYTES; a failure leaves no OUTPUT.
#include "data/tool/sql_script.h"
#include "data/tool/table_loader.h"
#include "store/database.h"
#include "store/errors.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

struct Step {
    enum Kind { Sql, Csv } kind;
    QString table;
    QString path;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: volm-mkdata OUTPUT.mdb [--sql FILE] [--csv TABLE FILE] [--max-size BYTES] ...\n");
}

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()).toStdString());
    return QString::fromUtf8(f.readAll());
}

void runScript(volm::Database& db, const QString& path)
{
    for (const auto& st : volm::mkdata::splitScript(readText(path))) {
        try {
            db.exec(st.text);
        } catch (const volm::Error& e) {
            throw std::runtime_error(QStringLiteral("%1:%2: %3").arg(path).arg(st.line).arg(e.message()).toStdString());
        }
    }
}

void removeFile(const QString& path)
{
    std::error_code ec;
    std::filesystem::remove(path.toStdString(), ec);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    std::vector<Step> steps;
    qint64 maxSize = -1;
    for (int i = 2; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--sql" && i + 1 < argc) {
            steps.push_back({Step::Sql, {}, QString::fromLocal8Bit(argv[++i])});
        } else if (a == "--csv" && i + 2 < argc) {
            const QString table = QString::fromUtf8(argv[++i]);
            steps.push_back({Step::Csv, table, QString::fromLocal8Bit(argv[++i])});
        } else if (a == "--max-size" && i + 1 < argc) {
            bool ok = false;
            maxSize = QByteArray(argv[++i]).toLongLong(&ok);
            if (!ok || maxSize <= 0) {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }

    const QString part = output + QStringLiteral(".part");
    removeFile(part);
    removeFile(part + QStringLiteral("-journal"));
    removeFile(output);
    try {
        volm::Database::create(part);
        {
            volm::Database db;
            db.open(part);
            db.begin();
            for (const Step& s : steps) {
                if (s.kind == Step::Sql)
                    runScript(db, s.path);
                else
                    volm::mkdata::loadCsvIntoTable(db, s.table, s.path);
            }
            db.commit();
            db.close();
        }
        const qint64 size = QFileInfo(part).size();
        if (maxSize > 0 && size > maxSize)
            throw std::runtime_error(QStringLiteral("%1 is %2 bytes, more than the allowed %3")
                                         .arg(QFileInfo(output).fileName()).arg(size).arg(maxSize)
                                         .toStdString());
        std::filesystem::rename(part.toStdString(), output.toStdString());
    } catch (const volm::Error& e) {
        std::fprintf(stderr, "volm-mkdata: %s: %s\n", qPrintable(output), e.what());
        removeFile(part);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "volm-mkdata: %s: %s\n", qPrintable(output), e.what());
        removeFile(part);
        return 1;
    }
    return 0;
}
