#pragma once
// A read-only view of a long single-byte text (Windows-1251, lines ended by
// CR LF, LF or CR) such as the calculation text of a large network. Loading only
// finds where every line starts; a line is decoded and laid out when it comes on
// screen, so a text of a hundred megabytes opens at once and scrolls as fast as
// a short one.
//
// Keys: arrows, Page Up / Page Down, Home / End (the line's start and end
// horizontally), Ctrl+Home / Ctrl+End (the start and the end of the text),
// Ctrl+A, Ctrl+C; the mouse wheel and the scroll bars; a drag selects, a
// Shift+click extends. find() searches without regard to letter case and shows
// and selects what it finds.
#include <QAbstractScrollArea>
#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

namespace volm::ui {

// A place in the text: a line and a character within it.
struct TextPlace {
    qint64 line = 0;
    int column = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
    friend auto operator<=>(const TextPlace& a, const TextPlace& b) = default;
};

class LargeTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LargeTextView(QWidget* parent = nullptr);

    // Shows the bytes of a text; the view keeps them.
    void setBytes(QByteArray bytes);
    void clear();

    qint64 lineCount() const { return static_cast<qint64>(starts_.size()); }
    QString lineText(qint64 line) const;
    // The whole text with "\n" between lines (meant for short texts).
    QString toPlainText() const;
    bool isReadOnly() const { return true; }

    // The first line shown at the top and the number of whole lines that fit.
    qint64 firstVisibleLine() const;
    int visibleLineCount() const;
    // The last line that is at least partly shown.
    qint64 lastVisibleLine() const;
    // Scrolls so that the line (and the column within it) is shown.
    void showPlace(const TextPlace& place);

    void toStart();  // Ctrl+Home
    void toEnd();    // Ctrl+End

    // The next (or previous) occurrence of what, from the selection or, without
    // one, from the first line shown; past the end of the text the search goes
    // on from its other end. The occurrence found is selected and shown.
    enum class Found { No, Yes, Wrapped };
    Found find(const QString& what, bool backward = false);

    bool hasSelection() const { return anchor_ != caret_; }
    QString selectedText() const;
    TextPlace selectionStart() const { return std::min(anchor_, caret_); }
    TextPlace selectionEnd() const { return std::max(anchor_, caret_); }
    void select(const TextPlace& from, const TextPlace& to);
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    qint64 lineEnd(qint64 line) const;  // past the line's last character
    int lineLength(qint64 line) const { return static_cast<int>(lineEnd(line) - starts_[line]); }
    qint64 offsetOf(const TextPlace& p) const { return starts_[p.line] + p.column; }
    TextPlace placeOfOffset(qint64 offset) const;
    TextPlace placeAt(const QPoint& viewportPoint) const;
    QString selectedTextBetween(const TextPlace& from, const TextPlace& to) const;
    int lineHeight() const;
    void indexLines();
    void measureWidth();
    void updateScrollBars();
    qint64 search(const QByteArray& folded, qint64 from, qint64 to, bool backward) const;

    QByteArray bytes_;
    std::vector<qint64> starts_;           // offset of every line's first byte
    std::vector<qint64> longestLines_;     // a few of the longest lines, for the width
    std::array<QChar, 256> decode_{};      // Windows-1251 byte -> character
    std::array<unsigned char, 256> fold_{};  // byte -> its lower-case byte
    int textWidth_ = 0;                    // widest line met so far, pixels
    TextPlace anchor_, caret_;
};

}  // namespace volm::ui
