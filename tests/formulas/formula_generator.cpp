#include "tests/formulas/formula_generator.h"

#include <cmath>

namespace volm::test {

namespace {
const char* const kNumbers[] = {"0", "1", "2", "3", "0,5", "2.5", "10", "100", "70", "160", "0,25", "9,81",
                                "1.2.3", ".", "1e3", "007", "0,00688", "1000", "5,25", ",5", "5,"};
const char* const kReferences[] = {"<A>", "<B>", "<C>", "<Z>", "<N>", "<Q>", "< A >", "<A>", "<B>", "<C>"};
const char* const kFunctions[] = {"Степень", "Log", "Lg", "Ln", "Exp", "Округл", "ПопрККУППоДуЭквШер",
                                  "ДуПоДвнутр", "ДвнутрПоДу", "ПлВодыПоТ", "Мин", "Макс", "Абс", "Если"};
const int kArgc[] = {2, 2, 1, 1, 1, 2, 2, 1, 1, 1, 2, 2, 1, 3};
const char* const kJunk[] = {" ", ";", ")", "(", "[c]", "{", "}", "ё", "x", "-", "*", "+", "/", "<", ">",
                             "[", "]", ",", ".", "Ё", "e", "Lg", "я("};
}  // namespace

QString FormulaGenerator::number() { return QString::fromUtf8(kNumbers[pick(std::size(kNumbers))]); }

QString FormulaGenerator::reference() { return QString::fromUtf8(kReferences[pick(std::size(kReferences))]); }

QString FormulaGenerator::call(int depth) {
    const int f = pick(std::size(kFunctions));
    QString name = QString::fromUtf8(kFunctions[f]);
    if (chance(20)) name = name.toUpper();
    else if (chance(20)) name = name.toLower();
    int argc = kArgc[f];
    if (chance(5)) argc = argc == 1 ? 2 : argc - 1;
    QString s = name + QStringLiteral("(");
    for (int i = 0; i < argc; ++i) {
        if (i) s += QStringLiteral(";");
        s += expr(depth + 1);
    }
    return s + QStringLiteral(")");
}

QString FormulaGenerator::factor(int depth) {
    const int r = pick(depth > 3 ? 2 : 10);
    switch (r) {
    case 0: return number();
    case 1: return reference();
    case 2:
    case 3: return QStringLiteral("(") + expr(depth + 1) + QStringLiteral(")");
    case 4: return QStringLiteral("-") + factor(depth + 1);
    case 5:
    case 6: return call(depth);
    default: return chance(50) ? number() : reference();
    }
}

QString FormulaGenerator::term(int depth) {
    QString s = factor(depth);
    while (chance(35)) s += (chance(50) ? QStringLiteral("*") : QStringLiteral("/")) + factor(depth);
    return s;
}

QString FormulaGenerator::expr(int depth) {
    QString s = term(depth);
    while (chance(35)) s += (chance(50) ? QStringLiteral("+") : QStringLiteral("-")) + term(depth);
    return s;
}

QString FormulaGenerator::mutate(QString s) {
    const int n = pick(3);
    for (int i = 0; i < n && chance(40); ++i) {
        const int pos = s.isEmpty() ? 0 : pick(int(s.size()) + 1);
        switch (pick(3)) {
        case 0: s.insert(pos, QString::fromUtf8(kJunk[pick(std::size(kJunk))])); break;
        case 1:
            if (pos < s.size()) s.remove(pos, 1);
            break;
        default:
            if (pos < s.size()) s.insert(pos, s[pos]);
            break;
        }
    }
    return s;
}

QString FormulaGenerator::formula() {
    QString s = expr(0);
    if (chance(10)) s = QStringLiteral("[") + reference() + QStringLiteral("]") + s;
    if (chance(5)) s = s.repeated(1 + pick(6));
    return mutate(s);
}

NamedValues FormulaGenerator::values() {
    static const double pool[] = {0,  -0.0, 1,   -1,    2,    0.5,  3,      10,    70,  100,
                                  160, 207, -8,  1e200, 1e-200, 1e308, 0.001, 2.675, 60, 999};
    auto v = [&] { return pool[pick(std::size(pool))]; };
    NamedValues m{{QStringLiteral("A"), v()}, {QStringLiteral("B"), v()}, {QStringLiteral("C"), v()},
                  {QStringLiteral("Z"), 0.0}, {QStringLiteral("N"), std::nan("")}};
    if (chance(30)) m[QStringLiteral("A")] = std::nan("");
    return m;
}

QString FormulaGenerator::arbitraryText(int maxLength) {
    static const char16_t alphabet[] = u"0123456789.,;+-*/()<>[]{} ABCNQZaeLgnopxЁёяЯСтепеньЛОКРУГЛДуВнПлТ\r\t\0\u00a0\u2116\u20ac";
    const int n = pick(maxLength + 1);
    QString s;
    for (int i = 0; i < n; ++i) {
        if (chance(3)) s += QChar(char16_t(pick(0xD7FF) + 1));
        else s += QChar(alphabet[pick(int(std::size(alphabet)) - 1)]);
    }
    return s;
}

}  // namespace volm::test
