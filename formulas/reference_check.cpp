#include "formulas/reference_check.h"

#include "formulas/cp1251.h"
#include "formulas/name_rules.h"

namespace volm {

bool isHeadIndicator(const QString& name) {
    const QString upper = cp1251::upper(name);
    for (const char* h : {"ПНапНачПод", "ПНапНачОбр", "ПНапКонПод", "ПНапКонОбр", "РНапНач", "РНапКон"})
        if (upper == cp1251::upper(QString::fromUtf8(h))) return true;
    return false;
}

bool isEndSectionMark(const QString& name) { return name == kEndSectionMark; }

std::optional<QString> ProveritSsylki(const QString& heading, const QString& shortName, const QString& formula,
                                      bool isTable, const Catalogue& catalogue, bool onePipe, bool afterHeads) {
    const QString head = indicatorHeading(heading, shortName);
    const QString syntax = QStringLiteral("Синтаксическая ошибка в формуле: ");
    if (formula.contains(QLatin1Char('{')) || formula.contains(QLatin1Char('}')))
        return head + QStringLiteral("Формулы показателей не должны содержать символов \"{\", \"}\".");

    const qsizetype n = formula.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = formula[i];
        if (c == QLatin1Char('>'))
            return head + syntax + QStringLiteral("Найден завершающий символ \">\" без символа \"<\".");
        if (c != QLatin1Char('<')) continue;
        const qsizetype close = formula.indexOf(QLatin1Char('>'), i + 1);
        if (close < 0) return head + syntax + QStringLiteral("Не найден завершающий символ \">\".");
        const QString name = formula.mid(i + 1, close - i - 1);
        i = close;

        if (isHeadIndicator(name) && !afterHeads)
            return head + syntax + QStringLiteral("Недопустима ссылка на показатель \"") + name + QStringLiteral("\".");
        const QString tableOnly = QStringLiteral("Показатель \"") + name +
                                  QStringLiteral("\" является табличным. Для формул заголовочных показателей "
                                                 "допустимы ссылки только на заголовочные показатели.");
        if (const Indicator* u = catalogue.findUser(name)) {
            if (!isTable && u->table) return head + syntax + tableOnly;
            if (u->afterHeads && !u->userEntered && !afterHeads)
                return head + QStringLiteral("Показатель \"") + shortName +
                       QStringLiteral("\" вычисляется до расчета напоров и не может ссылаться на показатель \"") +
                       name + QStringLiteral("\", который вычисляется после расчета напоров.");
            continue;
        }
        if (const Indicator* p = catalogue.findPredefined(name)) {
            if (!isTable && p->table) return head + syntax + tableOnly;
            if (onePipe && !p->onePipe && !afterHeads)
                return head + syntax + QStringLiteral("Недопустима ссылка на показатель \"") + name +
                       QStringLiteral("\". Показатель \"") + name +
                       QStringLiteral("\" не используется при расчете однотрубных тепловых сетей.");
            continue;
        }
        return head + syntax + QStringLiteral("Не найден показатель \"") + name + QStringLiteral("\".");
    }
    return std::nullopt;
}

std::vector<QString> SobratZavisimosti(const QString& formula) {
    std::vector<QString> names;
    const qsizetype n = formula.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (formula[i] != QLatin1Char('<')) continue;
        const qsizetype close = formula.indexOf(QLatin1Char('>'), i + 1);
        if (close < 0) break;
        const QString name = formula.mid(i + 1, close - i - 1);
        i = close;
        bool seen = false;
        for (const QString& s : names) seen = seen || s == name;
        if (!seen) names.push_back(name);
    }
    return names;
}

}  // namespace volm
