#include "formulas/name_rules.h"

#include "formulas/cp1251.h"

namespace volm {

bool isShortNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
           (u >= 0x0410 && u <= 0x044F) || u == 0x0401 || u == 0x0451;
}

QString indicatorHeading(const QString& heading, const QString& shortName) {
    return heading + QStringLiteral("\rСокр. наименование показателя: \"") + shortName + QStringLiteral("\":\r\r");
}

std::optional<QString> checkUserShortName(const QString& shortName, const Catalogue& catalogue) {
    const QString head = indicatorHeading(QStringLiteral("Показатели расчета:"), shortName);
    if (shortName.isEmpty())
        return head + QStringLiteral("Поле \"Сокр. наименование показателя\" должно быть заполнено.");

    const QString upper = cp1251::upper(shortName);
    const QString invalid = QStringLiteral("Недопустимое сокращенное наименование показателя.");
    for (const char* fixed : {"ID", "НАЧУЗЕЛ", "КОНУЗЕЛ", "ПРИМЕЧАНИЕ"})
        if (upper == QString::fromUtf8(fixed)) return head + invalid;
    for (const Indicator& p : catalogue.predefined)
        if (cp1251::upper(p.shortName) == upper) return head + invalid;

    for (QChar c : shortName)
        if (!isShortNameChar(c))
            return head + QStringLiteral("Сокращенные наименования показателей могут состоять только из цифр, "
                                         "строчных или заглавных букв английского или русского алфавита.");
    if (shortName[0].isDigit())
        return head + QStringLiteral("Сокращенные наименования показателей должны начинаться с заглавной или "
                                     "строчной буквы английского или русского алфавита.");
    return std::nullopt;
}

}  // namespace volm
