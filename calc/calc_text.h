#pragma once
// The calculation text: the step-by-step account of a run. It is held as
// Windows-1251 bytes, every line ending in CR LF except the very last one, and
// goes to the temporary file "~$.tx_" of the program folder from the moment the
// run opens it. Numbers are written in fixed-point notation with the report
// precision and the locale's decimal separator. The text is gathered in a
// buffer of about a megabyte, written to the file whenever it is full; a
// failure to write throws FileError there, or when the text is closed.
#include <QChar>
#include <QFile>
#include <QString>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace volm::calc {

// A number as the calculation text writes it: fixed point, `precision` digits
// after the separator, no thousands separators, a leading minus for a negative
// value that does not round to zero. The digits are those of the value's
// 15-significant-digit decimal form, rounded half away from zero.
QString fixedNumber(double value, int precision, QChar separator);
// The same, appended to Windows-1251 bytes.
void appendFixed(std::string& out, double value, int precision, QChar separator);
// The same through the decimal digits every time (appendFixed takes a shortcut
// where the result cannot differ).
void appendFixedExact(std::string& out, double value, int precision, QChar separator);

class CalcText {
public:
    CalcText(int precision, QChar separator);
    ~CalcText();
    CalcText(const CalcText&) = delete;
    CalcText& operator=(const CalcText&) = delete;

    // Creates (or overwrites) the file; throws FileError when it cannot.
    void open(const QString& path);
    // Writes what is left, without a line break after the last line, and closes
    // the file. Throws FileError when the file cannot be written.
    void close();
    // Closes the file ignoring every fault (the final steps of a run).
    void abandon();
    bool isOpen() const { return file_.isOpen(); }
    const QString& path() const { return path_; }

    // A piece of the current line.
    CalcText& put(const QString& text);
    CalcText& putBytes(std::string_view bytes) {
        startPiece();
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        used_ += bytes.size();
        return *this;
    }
    CalcText& num(double value);
    CalcText& node(int node) {
        startPiece();
        char* p = room(16);
        used_ += size_t(std::to_chars(p, p + 16, node).ptr - p);
        return *this;
    }
    // Ends the current line.
    CalcText& end() {
        startPiece();
        pendingBreak_ = true;
        return *this;
    }
    // A whole line.
    CalcText& line(const QString& text) { return put(text).end(); }
    CalcText& emptyLine() { return end(); }

    // Flushed to the file whenever this much text has gathered at a line end.
    static constexpr size_t kFlushSize = 1 << 20;

private:
    // The line break a piece or a line end is waiting for.
    void startPiece() {
        if (!pendingBreak_) return;
        char* p = room(2);
        p[0] = '\r';
        p[1] = '\n';
        used_ += 2;
        pendingBreak_ = false;
        if (used_ >= kFlushSize) flush();
    }
    // Room for n more bytes at the end of the text gathered, the buffer grown
    // when they do not fit (a very long line).
    char* room(size_t n) { return n <= buffer_.size() - used_ ? buffer_.data() + used_ : grow(n); }
    char* grow(size_t n);
    // A number that needs its decimal digits worked out one by one.
    CalcText& numExact(double value);
    void flush();

    int precision_;
    QChar separator_;
    std::string separatorBytes_;  // the separator in Windows-1251
    std::vector<char> buffer_;    // the text gathered: its first used_ bytes
    size_t used_ = 0;
    bool pendingBreak_ = false;
    QFile file_;
    QString path_;
};

}  // namespace volm::calc
