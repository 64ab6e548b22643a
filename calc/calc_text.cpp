#include "calc/calc_text.h"

#include "formulas/cp1251.h"
#include "store/errors.h"
#include "store/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace volm::calc {

namespace {

// Room beyond the flush size for the line that crosses it.
constexpr size_t kSlack = 64 << 10;
// The most a number takes by the shortcut, without its separator.
constexpr size_t kShortNumber = 32;

std::string separatorBytes(QChar separator) {
    const ushort u = separator.unicode();
    if (u < 128) return std::string(1, char(u));
    return cp1251::fromUnicode(QString(separator));
}

void appendSeparator(std::string& out, QChar separator) { out += separatorBytes(separator); }

// Writes the whole of size bytes; on failure the message names the file and
// keeps the system's reason (a full disk as such).
QString writeAll(QFile& file, const QString& path, const char* data, qint64 size) {
    errno = 0;
    if (file.write(data, size) == size) return {};
    const int err = errno;
    return QStringLiteral("Ошибка записи в файл \"%1\". %2")
        .arg(path, err ? systemErrorText(err) : file.errorString());
}

// The common case of appendFixed without the decimal digits: the value scaled
// to the last place kept, far enough from a tie that rounding its 15-digit form
// half away from zero and rounding the scaled value itself agree. Writes at
// most kShortNumber bytes and the separator, and returns the end; nullptr when
// the value needs the digits.
char* writeShortFixed(char* out, double value, int precision, std::string_view separator) {
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    if (precision < 0 || precision > 8 || !std::isfinite(value)) return nullptr;
    const double scaled = std::fabs(value) * kScale[precision];
    if (!(scaled < 1e9)) return nullptr;
    const auto truncated = std::uint32_t(scaled);  // the floor: scaled is not negative
    const double fraction = scaled - double(truncated);
    if (!(std::fabs(fraction - 0.5) > 1e-5)) return nullptr;
    std::uint32_t n = truncated + (fraction > 0.5 ? 1 : 0);
    if (value < 0 && n != 0) *out++ = '-';
    // The digits of n, at least precision + 1 of them (zeros in front), end at
    // the middle of the buffer, so that whole moves of 16 bytes stay inside it.
    char digits[32] = {};
    char* const last = digits + 16;
    char* p = last;
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, kPairs + (n % 100) * 2, 2);
        n /= 100;
    }
    if (n >= 10) {
        p -= 2;
        std::memcpy(p, kPairs + n * 2, 2);
    } else {
        *--p = char('0' + n);
    }
    while (last - p < precision + 1) *--p = '0';
    // The whole part, the separator, the decimals; out has room for 16 bytes
    // past each part, which the next part overwrites.
    const size_t whole = size_t(last - p) - size_t(precision);
    std::memcpy(out, p, 16);
    out += whole;
    if (precision > 0) {
        if (separator.size() == 1)
            *out++ = separator[0];
        else
            for (char c : separator) *out++ = c;
        std::memcpy(out, p + whole, 8);
        out += precision;
    }
    return out;
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
    const std::string sep = separatorBytes(separator);
    char text[kShortNumber + 8];
    if (sep.size() <= 8) {
        if (const char* e = writeShortFixed(text, value, precision, sep)) {
            out.append(text, size_t(e - text));
            return;
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

CalcText::CalcText(int precision, QChar separator)
    : precision_(precision), separator_(separator), separatorBytes_(separatorBytes(separator)) {
    buffer_.resize(kFlushSize + kSlack);
}

CalcText::~CalcText() { abandon(); }

void CalcText::open(const QString& path) {
    path_ = path;
    used_ = 0;
    pendingBreak_ = false;
    file_.setFileName(path);
    // Unbuffered: every write reaches the system at once and a failure keeps its reason.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw FileError(QStringLiteral("Не удается создать файл \"%1\". %2").arg(path, file_.errorString()));
}

void CalcText::flush() {
    if (!file_.isOpen() || used_ == 0) return;
    if (QString error = writeAll(file_, path_, buffer_.data(), qint64(used_)); !error.isEmpty()) throw FileError(error);
    used_ = 0;
}

void CalcText::close() {
    if (!file_.isOpen()) return;
    flush();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Ошибка записи в файл \"%1\". %2").arg(path_, file_.errorString()));
}

void CalcText::abandon() {
    if (file_.isOpen()) file_.close();
    used_ = 0;
}

char* CalcText::grow(size_t n) {
    buffer_.resize(std::max(buffer_.size() * 2, used_ + n));
    return buffer_.data() + used_;
}

CalcText& CalcText::put(const QString& text) {
    return putBytes(cp1251::fromUnicode(text));
}

CalcText& CalcText::num(double value) {
    startPiece();
    char* p = room(kShortNumber + separatorBytes_.size());
    if (char* e = writeShortFixed(p, value, precision_, separatorBytes_)) {
        used_ += size_t(e - p);
        return *this;
    }
    return numExact(value);
}

CalcText& CalcText::numExact(double value) {
    std::string exact;
    appendFixedExact(exact, value, precision_, separator_);
    return putBytes(exact);
}

}  // namespace volm::calc
