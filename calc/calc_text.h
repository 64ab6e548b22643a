#pragma once
// The calculation text: the step-by-step account of a run. It is held as
// Windows-1251 bytes, every line ending in CR LF except the very last one, and
// goes to the temporary file "~$.tx_" of the program folder from the moment the
// run opens it. Numbers are written in fixed-point notation with the report
// precision and the locale's decimal separator.
#include <QChar>
#include <QFile>
#include <QString>
#include <string>
#include <string_view>

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
    CalcText& putBytes(std::string_view bytes);
    CalcText& num(double value);
    CalcText& node(int node);
    // Ends the current line.
    CalcText& end();
    // A whole line.
    CalcText& line(const QString& text) { return put(text).end(); }
    CalcText& emptyLine() { return end(); }

private:
    void startPiece();
    void flush(bool final);

    int precision_;
    QChar separator_;
    std::string buffer_;
    bool pendingBreak_ = false;
    QFile file_;
    QString path_;
};

}  // namespace volm::calc
