#include "formulas/predefined_edit.h"

#include "store/table.h"

namespace volm {

PredefinedEdit::Enabled PredefinedEdit::enabledFor(const QString& n) {
    Enabled e;
    e.fullName = n == QStringLiteral("РасхПод") || n == QStringLiteral("РасхОбр");
    e.userEntered = n == QStringLiteral("РасхОбр") || n == QStringLiteral("ДлНаУчОбр");
    e.formula = n == QStringLiteral("ПотНОтИКонПод") || n == QStringLiteral("ПотНОтИКонОбр");
    return e;
}

QString PredefinedEdit::hintFor(const QString& n, bool entered) {
    if (entered) return QString();
    if (n == QStringLiteral("РасхОбр"))
        return QStringLiteral("РасхОбр будет вычислятся по формуле:\rРасхОбр = <РасхПод>.");
    if (n == QStringLiteral("ДлНаУчОбр"))
        return QStringLiteral("ДлНаУчОбр будет вычислятся по формуле:\rДлНаУчОбр = <ДлНаУчПод>.");
    return QString();
}

PredefinedEdit::PredefinedEdit(Table& cursor) : cursor_(cursor) {
    auto text = [&](const char* f) {
        const QVariant v = cursor_.value(QString::fromUtf8(f));
        return v.isNull() ? QString() : v.toString();
    };
    auto flag = [&](const char* f) { return cursor_.value(QString::fromUtf8(f)).toBool(); };
    fullName = text("НаимПок");
    shortName = text("НаимПокСокр");
    table = flag("Табл");
    userEntered = flag("ВводПольз");
    formula = text("Формула");
    inReport = flag("ВывВОтчТабл");
    onePipe = flag("ИспПриРасч1трТС");
    twoPipe = flag("ИспПриРасч2трТС");
    enabled_ = enabledFor(shortName);
}

void PredefinedEdit::ok() {
    auto textOrNull = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
    cursor_.edit();
    try {
        if (enabled_.fullName) cursor_.setValue(QStringLiteral("НаимПок"), textOrNull(fullName));
        if (enabled_.userEntered) cursor_.setValue(QStringLiteral("ВводПольз"), userEntered);
        if (enabled_.formula) cursor_.setValue(QStringLiteral("Формула"), textOrNull(formula));
        if (enabled_.inReport) cursor_.setValue(QStringLiteral("ВывВОтчТабл"), inReport);
        cursor_.post();
    } catch (...) {
        if (cursor_.editing()) cursor_.cancel();
        throw;
    }
}

}  // namespace volm
