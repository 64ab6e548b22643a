#include "calc/calc_text.h"

#include "formulas/cp1251.h"
#include "store/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace volm::calc {

namespace {

// Flushed to the file whenever this much text has gathered.
constexpr size_t kFlushSize = 1 << 20;

void appendSeparator(std::string& out, QChar separator) {
    const ushort u = separator.unicode();
    if (u < 128)
        out.push_back(char(u));
    else
        out += cp1251::fromUnicode(QString(separator));
}

}  // namespace

void appendFixedExact(std::string& out, double value, int precision, QChar separator) {
    if (precision < 0) precision = 0;
    if (precision > 30) precision = 30;
    if (!std::isfinite(value)) {
        out += std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
        return;
    }
    // The 15 significant digits of the value and its decimal exponent.
    const double a = std::fabs(value);
    char sci[40];
    auto res = std::to_chars(sci, sci + sizeof sci - 1, a, std::chars_format::scientific, 14);
    *res.ptr = 0;
    char digits[16];
    int nd = 0;
    const char* p = sci;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits[nd++] = *p;
    int exponent = *p == 'e' ? std::atoi(p + 1) : 0;

    // The digits up to the precision-th place after the point, rounded half
    // away from zero on the next one: intDigits before the point, precision after.
    int intDigits = a == 0 ? 1 : exponent + 1;
    const int keep = a == 0 ? 0 : intDigits + precision;  // significant digits kept
    char kept[400];
    int nk = 0;
    if (keep > 0) {
        for (int i = 0; i < keep; ++i) kept[nk++] = i < nd ? digits[i] : '0';
        if (keep < nd && digits[keep] >= '5') {
            int i = keep - 1;
            while (i >= 0 && kept[i] == '9') kept[i--] = '0';
            if (i >= 0) {
                ++kept[i];
            } else {
                std::memmove(kept + 1, kept, size_t(nk));
                kept[0] = '1';
                ++nk;
                ++intDigits;
            }
        }
    } else if (keep == 0 && a != 0 && digits[0] >= '5') {
        kept[nk++] = '1';  // rounds up into the last place kept
        ++intDigits;
    }
    // Lay out intDigits + precision places from the kept digits, zeros in front.
    const int places = intDigits + precision;
    char fixed[440];
    int nf = 0;
    const int lead = places - nk;  // zeros before the kept digits (when they start after the point)
    for (int i = 0; i < places; ++i) fixed[nf++] = i < lead ? '0' : kept[i - lead];
    // Integer part: the places before the point, at least one digit.
    const int intPlaces = intDigits > 0 ? intDigits : 0;
    int start = 0;
    while (start < intPlaces - 1 && fixed[start] == '0') ++start;
    bool zero = true;
    for (int i = 0; i < nf; ++i)
        if (fixed[i] != '0') zero = false;
    if (value < 0 && !zero) out.push_back('-');
    if (intPlaces == 0)
        out.push_back('0');
    else
        out.append(fixed + start, size_t(intPlaces - start));
    if (precision > 0) {
        appendSeparator(out, separator);
        if (intDigits < 0) {
            // The first decimals are zeros; the places laid out follow them.
            out.append(size_t(precision - nf), '0');
            out.append(fixed, size_t(nf));
        } else {
            out.append(fixed + intPlaces, size_t(precision));
        }
    }
}

void appendFixed(std::string& out, double value, int precision, QChar separator) {
    // The common case without the decimal digits: the value scaled to the last
    // place kept, far enough from a tie that rounding its 15-digit form half
    // away from zero and rounding the scaled value itself agree.
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    if (precision >= 0 && precision <= 8 && std::isfinite(value)) {
        const double scaled = std::fabs(value) * kScale[precision];
        if (scaled < 1e9) {
            const double whole = std::floor(scaled);
            const double fraction = scaled - whole;
            if (std::fabs(fraction - 0.5) > 1e-5) {
                const qint64 n = qint64(whole) + (fraction > 0.5 ? 1 : 0);
                char digits[24];
                auto r = std::to_chars(digits, digits + sizeof digits, n);
                int nd = int(r.ptr - digits);
                if (value < 0 && n != 0) out.push_back('-');
                if (nd <= precision) {  // zeros before the first digit
                    out.push_back('0');
                    if (precision > 0) appendSeparator(out, separator);
                    out.append(size_t(precision - nd), '0');
                    out.append(digits, size_t(nd));
                } else {
                    out.append(digits, size_t(nd - precision));
                    if (precision > 0) {
                        appendSeparator(out, separator);
                        out.append(digits + nd - precision, size_t(precision));
                    }
                }
                return;
            }
        }
    }
    appendFixedExact(out, value, precision, separator);
}

QString fixedNumber(double value, int precision, QChar separator) {
    std::string s;
    appendFixed(s, value, precision, QLatin1Char('.'));
    QString q = QString::fromLatin1(s.data(), qsizetype(s.size()));
    if (separator != QLatin1Char('.')) q.replace(QLatin1Char('.'), separator);
    return q;
}

CalcText::CalcText(int precision, QChar separator) : precision_(precision), separator_(separator) {
    buffer_.reserve(kFlushSize + 4096);
}

CalcText::~CalcText() { abandon(); }

void CalcText::open(const QString& path) {
    path_ = path;
    buffer_.clear();
    pendingBreak_ = false;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw FileError(QStringLiteral("Не удается создать файл \"%1\". %2").arg(path, file_.errorString()));
}

void CalcText::flush(bool final) {
    if (!file_.isOpen()) return;
    if (buffer_.empty()) return;
    if (file_.write(buffer_.data(), qint64(buffer_.size())) != qint64(buffer_.size()))
        throw FileError(QStringLiteral("Ошибка записи в файл \"%1\". %2").arg(path_, file_.errorString()));
    buffer_.clear();
    (void)final;
}

void CalcText::close() {
    if (!file_.isOpen()) return;
    flush(true);
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Ошибка записи в файл \"%1\". %2").arg(path_, file_.errorString()));
}

void CalcText::abandon() {
    if (file_.isOpen()) file_.close();
    buffer_.clear();
}

void CalcText::startPiece() {
    if (pendingBreak_) {
        buffer_ += "\r\n";
        pendingBreak_ = false;
        if (buffer_.size() >= kFlushSize) flush(false);
    }
}

CalcText& CalcText::put(const QString& text) {
    startPiece();
    buffer_ += cp1251::fromUnicode(text);
    return *this;
}

CalcText& CalcText::putBytes(std::string_view bytes) {
    startPiece();
    buffer_.append(bytes.data(), bytes.size());
    return *this;
}

CalcText& CalcText::num(double value) {
    startPiece();
    appendFixed(buffer_, value, precision_, separator_);
    return *this;
}

CalcText& CalcText::node(int node) {
    startPiece();
    char b[16];
    auto r = std::to_chars(b, b + sizeof b, node);
    buffer_.append(b, size_t(r.ptr - b));
    return *this;
}

CalcText& CalcText::end() {
    startPiece();
    pendingBreak_ = true;
    return *this;
}

}  // namespace volm::calc
