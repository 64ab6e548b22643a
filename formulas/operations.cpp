#include "formulas/operations.h"

#include "formulas/cp1251.h"

#include <QString>
#include <array>

namespace volm {

namespace {

constexpr OperationInfo kTable[kOperationCount] = {
    {Op::Minus, "-", 2},
    {Op::Plus, "+", 2},
    {Op::Multiply, "*", 2},
    {Op::Divide, "/", 2},
    {Op::Power, "Степень", 2},
    {Op::Log, "Log", 2},
    {Op::Lg, "Lg", 1},
    {Op::Ln, "Ln", 1},
    {Op::Exp, "Exp", 1},
    {Op::Round, "Округл", 2},
    {Op::Correction, "ПопрККУППоДуЭквШер", 2},
    {Op::NominalByInner, "ДуПоДвнутр", 1},
    {Op::InnerByNominal, "ДвнутрПоДу", 1},
    {Op::Density, "ПлВодыПоТ", 1},
    {Op::Min, "Мин", 2},
    {Op::Max, "Макс", 2},
    {Op::Abs, "Абс", 1},
    {Op::If, "Если", 3},
};

// The names in the code page, lower case, for the case-blind match.
struct Names {
    std::array<std::string, kOperationCount> lower;
    Names() {
        for (int i = 0; i < kOperationCount; ++i) {
            std::string b = cp1251::fromUnicode(QString::fromUtf8(kTable[i].name));
            for (char& c : b) c = char(cp1251::toLower((unsigned char)c));
            lower[size_t(i)] = std::move(b);
        }
    }
};

const Names& names() {
    static const Names n;
    return n;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A slot group starting with "{" at pos: the index of its "}", or -1.
int groupEndFrom(std::string_view s, int pos) {
    const int n = int(s.size());
    if (pos < 0 || pos >= n || s[size_t(pos)] != '{') return -1;
    int p = pos + 1;
    while (p < n && isDigit(s[size_t(p)])) ++p;
    if (p == pos + 1 || p >= n || s[size_t(p)] != '}') return -1;
    return p;
}

// A slot group ending with "}" at pos: the index of its "{", or -1.
int groupStartBefore(std::string_view s, int pos) {
    if (pos < 0 || pos >= int(s.size()) || s[size_t(pos)] != '}') return -1;
    int p = pos - 1;
    while (p >= 0 && isDigit(s[size_t(p)])) --p;
    if (p == pos - 1 || p < 0 || s[size_t(p)] != '{') return -1;
    return p;
}

bool matchesAt(std::string_view s, int pos, const std::string& lowerName) {
    if (size_t(pos) + lowerName.size() > s.size()) return false;
    for (size_t i = 0; i < lowerName.size(); ++i)
        if (cp1251::toLower((unsigned char)s[size_t(pos) + i]) != (unsigned char)lowerName[i]) return false;
    return true;
}

// The right operand "}" is the last character or is not followed by "*" or "/".
bool rightFree(std::string_view s, int k) {
    if (k == int(s.size()) - 1) return true;
    char c = s[size_t(k) + 1];
    return c != '*' && c != '/';
}

}  // namespace

const OperationInfo& operationInfo(Op op) { return kTable[int(op) - 1]; }

std::optional<FoundOperation> naitiOperaciju(std::string_view s) {
    const int n = int(s.size());
    const auto& lower = names().lower;
    int i = 0;
    while (i < n) {
        int row = -1;
        for (int r = 0; r < kOperationCount; ++r) {
            if (matchesAt(s, i, lower[size_t(r)])) {
                row = r;
                break;
            }
        }
        if (row < 0) {
            ++i;
            continue;
        }
        const Op op = kTable[row].op;
        if (op == Op::Plus || op == Op::Minus) {
            int j = groupStartBefore(s, i - 1);
            int k = groupEndFrom(s, i + 1);
            if (j >= 0 && k >= 0 && (j == 0 || s[size_t(j) - 1] == '(' || s[size_t(j) - 1] == ';') &&
                rightFree(s, k))
                return FoundOperation{op, false, j, k};
            if (op == Op::Minus && k >= 0 && (i == 0 || s[size_t(i) - 1] == '(' || s[size_t(i) - 1] == ';') &&
                rightFree(s, k))
                return FoundOperation{op, true, i, k};
        } else if (op == Op::Multiply || op == Op::Divide) {
            int j = groupStartBefore(s, i - 1);
            int k = groupEndFrom(s, i + 1);
            if (j >= 0 && k >= 0) {
                char before = j == 0 ? '(' : s[size_t(j) - 1];
                if (before == '(' || before == ';' || before == '+' || before == '-')
                    return FoundOperation{op, false, j, k};
            }
        } else {
            int p = i + int(lower[size_t(row)].size());
            bool ready = p < n && s[size_t(p)] == '(';
            ++p;
            for (int a = 0; ready && a < kTable[row].argc; ++a) {
                int k = groupEndFrom(s, p);
                if (k < 0) {
                    ready = false;
                    break;
                }
                p = k + 1;
                char want = a + 1 < kTable[row].argc ? ';' : ')';
                if (p >= n || s[size_t(p)] != want) ready = false;
                ++p;
            }
            if (ready) return FoundOperation{op, false, i, p - 1};
        }
        i += int(lower[size_t(row)].size());
    }
    return std::nullopt;
}

int collectSlots(std::string_view s, int start, int end, int slots[kMaxOperands]) {
    int count = 0;
    for (int p = start; p <= end && count < kMaxOperands; ++p) {
        if (s[size_t(p)] != '{') continue;
        int q = p + 1;
        int v = 0;
        bool any = false;
        while (q <= end && isDigit(s[size_t(q)])) {
            v = v * 10 + (s[size_t(q)] - '0');
            any = true;
            ++q;
        }
        if (any && q <= end && s[size_t(q)] == '}') slots[count++] = v;
        p = q - 1;
    }
    return count;
}

void widenSpan(std::string_view s, int& start, int& end) {
    const int n = int(s.size());
    while (start > 0 && end < n - 1 && s[size_t(start) - 1] == '(' && s[size_t(end) + 1] == ')' &&
           (start - 1 == 0 || !cp1251::isLetter((unsigned char)s[size_t(start) - 2]))) {
        --start;
        ++end;
    }
}

int singleSlot(std::string_view s) {
    const int n = int(s.size());
    if (n < 3 || n > 5 || s.front() != '{' || s.back() != '}') return 0;
    int v = 0;
    for (int p = 1; p < n - 1; ++p) {
        if (!isDigit(s[size_t(p)])) return 0;
        v = v * 10 + (s[size_t(p)] - '0');
    }
    return v >= 1 && v <= 255 ? v : 0;
}

std::string slotText(int n) { return "{" + std::to_string(n) + "}"; }

}  // namespace volm
