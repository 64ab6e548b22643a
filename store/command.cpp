#include "store/command.h"

namespace volm {

QString standardReport(const QString& context, const QString& className, const QString& message) {
    const QChar cr(13);
    return context + cr + cr + QStringLiteral("Класс ошибки: \"") + className + QLatin1Char('"') + cr +
           QStringLiteral("Текст ошибки: \"") + message + QLatin1Char('"');
}

}  // namespace volm
