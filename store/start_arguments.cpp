#include "store/start_arguments.h"

#include <QDir>
#include <QUrl>

namespace volm {

namespace {

QString quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

QString quotedList(const QStringList& items) {
    QStringList q;
    for (const QString& s : items) q << quoted(s);
    return q.join(QStringLiteral(", "));
}

}  // namespace

StartArguments readStartArguments(const QStringList& arguments, const QString& currentDir) {
    QStringList files, options;
    for (const QString& a : arguments) {
        if (a.isEmpty()) continue;
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1) options << a;
        else files << a;
    }
    StartArguments out;
    QStringList lines;
    if (!options.isEmpty())
        lines << (options.size() == 1 ? QStringLiteral("Неизвестный параметр командной строки: ")
                                      : QStringLiteral("Неизвестные параметры командной строки: ")) +
                     quotedList(options) + QLatin1Char('.');
    if (!files.isEmpty()) {
        const QString first = files.first();
        const QUrl url(first);
        const QString local = url.isLocalFile() ? url.toLocalFile() : first;
        out.calculation = QDir::cleanPath(QDir(currentDir).absoluteFilePath(local));
        if (files.size() > 1)
            lines << QStringLiteral("Программа открывает один расчет. Открывается ") + quoted(first) +
                         QStringLiteral(", не открыт") + (files.size() > 2 ? QStringLiteral("ы ") : QStringLiteral(" ")) +
                         quotedList(files.mid(1)) + QLatin1Char('.');
    }
    if (!lines.isEmpty()) {
        lines << QStringLiteral("Командная строка: VOLM [файл расчета]");
        out.message = lines.join(QChar(13));
    }
    return out;
}

}  // namespace volm
