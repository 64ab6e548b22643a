#include "runner_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace volm::runner {

namespace {

// The canonical form of a path, through every link; for a file that does not
// exist yet, its folder's canonical form and its own name.
QString canonical(const QString& path) {
    const QFileInfo fi(path);
    if (fi.exists()) return fi.canonicalFilePath();
    const QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? fi.absoluteFilePath() : dir + QLatin1Char('/') + fi.fileName();
}

bool same(const QString& a, const QString& b) { return !a.isEmpty() && canonical(a) == canonical(b); }

bool inFolder(const QString& path, const QString& folder) {
    const QString dir = QFileInfo(canonical(path)).absolutePath();
    const QString f = QFileInfo(folder).canonicalFilePath();
    return !f.isEmpty() && dir == f;
}

}  // namespace

bool looksLikeDatabase(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(32);
    return head.startsWith(QByteArrayLiteral("SQLite format 3\0")) || head.mid(4, 15) == "Standard Jet DB" ||
           head.mid(4, 15) == "Standard ACE DB";
}

QString refusedCalculation(const Files& files) {
    if (inFolder(files.calculation, files.programDir))
        return QStringLiteral("Нельзя открыть файл гидравлического расчета из папки, в которую установлена "
                              "программа. Выберите другую папку.");
    if (same(files.calculation, files.reference))
        return QStringLiteral("Файл ") + files.calculation +
               QStringLiteral(" является файлом справочников и не может быть открыт как расчет.");
    return {};
}

QString textDestination(const QString& text) {
    QFileInfo fi(text);
    // Follow the chain of links by hand: the last one may point to a file that
    // does not exist yet.
    for (int hops = 0; fi.isSymLink() && hops < 40; ++hops) {
        QString next = fi.symLinkTarget();
        if (next.isEmpty()) return {};
        fi = QFileInfo(next);
    }
    if (fi.isSymLink()) return {};
    return fi.exists() ? fi.canonicalFilePath() : canonical(fi.absoluteFilePath());
}

QString refusedTextTarget(const Files& files, const QString& destination) {
    const QString name = files.text;
    if (destination.isEmpty())
        return QStringLiteral("Не удается определить файл, на который указывает ссылка ") + name + QLatin1Char('.');
    if (same(destination, files.calculation))
        return QStringLiteral("Текст расчета нельзя записать в файл расчета ") + files.calculation + QLatin1Char('.');
    if (same(destination, files.reference))
        return QStringLiteral("Текст расчета нельзя записать в файл справочников ") + files.reference +
               QLatin1Char('.');
    if (inFolder(destination, files.programDir))
        return QStringLiteral("Нельзя сохранить текст расчета в папку, в которую установлена программа.");
    const QFileInfo fi(destination);
    if (fi.exists() && !fi.isFile())
        return QStringLiteral("Файл ") + name +
               QStringLiteral(" не является обычным файлом. Текст расчета в него не записывается.");
    if (fi.exists() && looksLikeDatabase(destination))
        return QStringLiteral("Файл ") + name +
               QStringLiteral(" является базой данных. Текст расчета в него не записывается.");
    if (!QFileInfo(fi.absolutePath()).isDir())
        return QStringLiteral("Папка ") + fi.absolutePath() + QStringLiteral(" не найдена.");
    return {};
}

std::optional<SizingRequest> parseSizeOption(const QString& text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0) return std::nullopt;
    SizingRequest request;
    request.diameter = text.left(colon).trimmed();
    // A comma separates criteria where a name and "<=" follow it; elsewhere it
    // is a decimal comma.
    static const QRegularExpression separator(QStringLiteral(",(?=[^,<]*<=)"));
    for (const QString& part : text.mid(colon + 1).split(separator)) {
        const qsizetype le = part.indexOf(QStringLiteral("<="));
        if (le <= 0) return std::nullopt;
        SizingCriterion c;
        c.indicator = part.left(le).trimmed();
        QString limit = part.mid(le + 2).trimmed();
        limit.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        c.limit = limit.toDouble(&ok);
        if (!ok || !std::isfinite(c.limit) || c.indicator.isEmpty()) return std::nullopt;
        request.criteria.push_back(c);
    }
    if (request.diameter.isEmpty() || request.criteria.empty() || request.criteria.size() > 2) return std::nullopt;
    return request;
}

}  // namespace volm::runner
