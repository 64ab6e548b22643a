#include "formulas/functions.h"

#include "formulas/number_format.h"
#include "formulas/reference_data.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace volm {

namespace detail {
QString emptyFormula() { return QStringLiteral("Формула показателя должна быть заполнена."); }
QString notANumber(const QString& run) {
    return QStringLiteral("Значение \"") + run + QStringLiteral("\" не является числом.");
}
QString tooManyArguments() { return QStringLiteral("Количество аргументов в формуле не должно превышать 255."); }
QString valueNotFilled(const QString& name) {
    return QStringLiteral("Значение показателя \"") + name + QStringLiteral("\" не заполнено.");
}
QString unknownReference(const QString& name) {
    return QStringLiteral("Показатель \"") + name +
           QStringLiteral("\" не найден ни в заголовочной, ни в табличной части расчета.");
}
QString divisionByZero() { return QStringLiteral("Деление на ноль!"); }
QString syntaxError() { return QStringLiteral("Синтаксическая ошибка в формуле."); }
QString resultNotFinite() { return QStringLiteral("Результат вычисления не является конечным числом."); }
}  // namespace detail

namespace {

using Ext = long double;
const QString CR = QStringLiteral("\r");

bool hasFraction(double v) { return std::trunc(v) != v; }

[[noreturn]] void fail(QString detail) { throw OperationFailure{std::move(detail)}; }

QString fmt(double v, const ReferenceData& ref) { return formatGeneral(v, ref.locale); }

QString funcName(Op op) { return QString::fromUtf8(operationInfo(op).name); }

// The arguments as written in the messages: "(x)" or "(x; y)".
QString argList(Op op, const double* a, const ReferenceData& ref) {
    QString s = QStringLiteral("(") + fmt(a[0], ref);
    for (int k = 1; k < operationInfo(op).argc; ++k) s += QStringLiteral("; ") + fmt(a[k], ref);
    return s + QStringLiteral(")");
}

double finite(Ext r, Op op, const double* a, const ReferenceData& ref) {
    const double d = double(r);
    if (std::isfinite(d)) return d;
    const OperationInfo& info = operationInfo(op);
    if (op <= Op::Divide) {
        fail(QStringLiteral("Результат операции \"") + QString::fromUtf8(info.name) + QStringLiteral("\" ") +
             argList(op, a, ref) + QStringLiteral(" не является конечным числом."));
    }
    fail(QStringLiteral("Результат функции \"") + QString::fromUtf8(info.name) + QStringLiteral("\" ") +
         argList(op, a, ref) + QStringLiteral(" не является конечным числом."));
}

// Степень in extended precision: the value of std::pow(Ext(x), Ext(y)), which
// is slow. A square is one rounded product, as std::pow computes it; other
// powers are remembered per thread by their exact arguments, since the same
// ones recur from section to section (the powers of a pipe's inner diameter).
Ext power(double x, double y) {
    if (y == 2) return Ext(x) * Ext(x);
    struct Entry {
        std::uint64_t x = 0, y = 0;
        Ext value = 0;
        bool used = false;
    };
    thread_local std::array<Entry, 64> memo;
    const std::uint64_t bx = std::bit_cast<std::uint64_t>(x), by = std::bit_cast<std::uint64_t>(y);
    Entry& e = memo[size_t(((bx * 0x9E3779B97F4A7C15ull) ^ (by * 0xC2B2AE3D27D4EB4Full)) >> 58)];
    if (e.used && e.x == bx && e.y == by) return e.value;
    const Ext r = std::pow(Ext(x), Ext(y));
    e = {bx, by, r, true};
    return r;
}

// The shared first step of the four lookups: a whole number strictly between 0 and 32767.
bool lookupArgument(double x, int& k) {
    if (hasFraction(x) || !(x > 0 && x < 32767)) return false;
    k = int(x);
    return true;
}

// The message of a lookup whose argument is refused: the quantity and its value.
[[noreturn]] void lookupInvalid(Op op, const char* quantity, double x, const ReferenceData& ref) {
    fail(QStringLiteral("Недопустимый аргумент функции \"") + funcName(op) + QStringLiteral("\":") + CR +
         QString::fromUtf8(quantity) + QStringLiteral(" = ") + fmt(x, ref) +
         QStringLiteral(" не является целым числом из диапазона (0..32767)."));
}

// The message of a lookup that finds no row.
[[noreturn]] void lookupFailed(Op op, const QString& what) {
    fail(QStringLiteral("Ошибка при вычислении функции \"") + funcName(op) + QStringLiteral("\":") + CR + what);
}

double lookup(Op op, const double* a, const ReferenceData& ref) {
    const double x = a[0];
    int k = 0;
    const bool ok = lookupArgument(x, k);
    std::optional<double> r;
    switch (op) {
    case Op::Correction:
        if (!ok) lookupInvalid(op, "Условный диаметр трубопровода", x, ref);
        r = ref.correction(k, a[1]);
        if (!r)
            lookupFailed(op, QStringLiteral("Не найдено значение коэффициента для") + CR +
                                 QStringLiteral("Условный диаметр трубопровода = ") + fmt(x, ref) +
                                 QStringLiteral(" мм.") + CR + QStringLiteral("Эквивалентная шероховатость = ") +
                                 fmt(a[1], ref) + QStringLiteral(" мм."));
        break;
    case Op::NominalByInner:
        if (!ok) lookupInvalid(op, "Внутренний диаметр трубопровода", x, ref);
        r = ref.nominalByInner(k);
        if (!r)
            lookupFailed(op, QStringLiteral("Не найдено значение условного диаметра трубопровода для") + CR +
                                 QStringLiteral("Внутренний диаметр трубопровода = ") + fmt(x, ref) +
                                 QStringLiteral(" мм."));
        break;
    case Op::InnerByNominal:
        if (!ok) lookupInvalid(op, "Условный диаметр трубопровода", x, ref);
        r = ref.innerByNominal(k);
        if (!r)
            lookupFailed(op, QStringLiteral("Не найдено значение внутреннего диаметра трубопровода для") + CR +
                                 QStringLiteral("Условный диаметр трубопровода = ") + fmt(x, ref) +
                                 QStringLiteral(" мм."));
        break;
    default:  // Op::Density
        if (!ok) lookupInvalid(op, "Температура воды", x, ref);
        r = ref.densityByTemperature(k);
        if (!r)
            lookupFailed(op, QStringLiteral("Не найдено значение плотности воды для") + CR +
                                 QStringLiteral("Температура воды = ") + fmt(x, ref) + QStringLiteral(" град. С."));
        break;
    }
    return finite(Ext(*r), op, a, ref);
}

// 10 to a whole power from -10 to 10, as std::pow gives it in extended
// precision at run time (the library's value may differ in the last place from
// the correctly rounded one a compiler would put in a table), remembered per
// thread once computed.
Ext tenToThe(int k) {
    thread_local std::array<Ext, 21> known{};  // 0: not computed yet
    Ext& p = known[size_t(k + 10)];
    if (p == 0) p = std::pow(Ext(10), Ext(k));
    return p;
}

double roundTo(const double* a, const ReferenceData& ref) {
    const double x = a[0], y = a[1];
    if (y < -10 || y > 10 || hasFraction(y))
        fail(QStringLiteral("Недопустимые аргументы функции \"Округл\" (") + fmt(x, ref) + QStringLiteral("; ") +
             fmt(y, ref) + QStringLiteral(").") + CR +
             QStringLiteral("Второй аргумент функции должен быть целым числом из диапазона [-10...10]."));
    const int n = int(y);
    const Ext p = tenToThe(-n);
    const Ext scaled = x >= 0 ? Ext(x) / p + 0.5000000001L : Ext(x) / p - 0.5000000001L;
    // Trunc cuts to a 64-bit integer; a value beyond its range cannot be rounded.
    if (!(std::fabs(scaled) < 9223372036854775807.0L))
        fail(QStringLiteral("Недопустимые аргументы функции \"Округл\" (") + fmt(x, ref) + QStringLiteral("; ") +
             fmt(y, ref) + QStringLiteral(").") + CR + QStringLiteral("Округляемое значение слишком велико."));
    const long long t = (long long)scaled;
    return finite(Ext(t) * p, Op::Round, a, ref);
}

}  // namespace

double applyOperation(Op op, bool unary, const double* a, const ReferenceData& ref) {
    switch (op) {
    case Op::Minus:
        if (unary) return -a[0];
        return finite(Ext(a[0]) - Ext(a[1]), op, a, ref);
    case Op::Plus:
        return finite(Ext(a[0]) + Ext(a[1]), op, a, ref);
    case Op::Multiply:
        return finite(Ext(a[0]) * Ext(a[1]), op, a, ref);
    case Op::Divide:
        if (a[1] == 0) fail(detail::divisionByZero());
        return finite(Ext(a[0]) / Ext(a[1]), op, a, ref);
    case Op::Power: {
        const double x = a[0], y = a[1];
        if ((x < 0 && hasFraction(y)) || (x == 0 && y <= 0))
            fail(QStringLiteral("Недопустимые аргументы функции \"Степень\". (") + fmt(x, ref) + QStringLiteral("; ") +
                 fmt(y, ref) + QStringLiteral(")."));
        return finite(power(x, y), op, a, ref);
    }
    case Op::Log: {
        const double x = a[0], y = a[1];
        if (!(x > 0 && y > 0 && y != 1))
            fail(QStringLiteral("Недопустимые аргументы функции \"Log\" (") + fmt(x, ref) + QStringLiteral("; ") +
                 fmt(y, ref) + QStringLiteral(")."));
        return finite(std::log(Ext(x)) / std::log(Ext(y)), op, a, ref);
    }
    case Op::Lg:
        if (!(a[0] > 0)) fail(QStringLiteral("Недопустимый аргумент функции \"Lg\" (") + fmt(a[0], ref) + QStringLiteral(")."));
        return finite(std::log10(Ext(a[0])), op, a, ref);
    case Op::Ln:
        if (!(a[0] > 0)) fail(QStringLiteral("Недопустимый аргумент функции \"Ln\" (") + fmt(a[0], ref) + QStringLiteral(")."));
        return finite(std::log(Ext(a[0])), op, a, ref);
    case Op::Exp:
        return finite(std::exp(Ext(a[0])), op, a, ref);
    case Op::Round:
        return roundTo(a, ref);
    case Op::Correction:
    case Op::NominalByInner:
    case Op::InnerByNominal:
    case Op::Density:
        return lookup(op, a, ref);
    case Op::Min:
        return std::fmin(a[0], a[1]);
    case Op::Max:
        return std::fmax(a[0], a[1]);
    case Op::Abs:
        return std::fabs(a[0]);
    case Op::If:
        return a[0] > 0 ? a[1] : a[2];
    }
    fail(detail::syntaxError());
}

}  // namespace volm
