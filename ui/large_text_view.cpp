#include "ui/large_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace volm::ui {

namespace {

constexpr int kMargin = 4;         // pixels left of the text and right of the widest line
constexpr int kWidthSamples = 64;  // longest lines measured when a text is set

}  // namespace

LargeTextView::LargeTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    // The text is Windows-1251: one byte, one character. Bytes the code page
    // leaves undefined show as the replacement character.
    QStringDecoder cp1251("windows-1251");
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        QString c = cp1251.isValid() ? cp1251.decode(QByteArrayView(&byte, 1)) : QString(QLatin1Char(byte));
        decode_[b] = c.isEmpty() ? QChar(QChar::ReplacementCharacter) : c.at(0);
    }
    for (int b = 0; b < 256; ++b) {
        const QChar lower = decode_[b].toLower();
        fold_[b] = static_cast<unsigned char>(b);
        for (int l = 0; l < 256; ++l)
            if (decode_[l] == lower) {
                fold_[b] = static_cast<unsigned char>(l);
                break;
            }
    }
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    starts_ = {0};
    updateScrollBars();
}

void LargeTextView::setBytes(QByteArray bytes) {
    bytes_ = std::move(bytes);
    indexLines();
    measureWidth();
    anchor_ = caret_ = TextPlace{};
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void LargeTextView::clear() { setBytes(QByteArray()); }

// One pass over the bytes with memchr: a line ends at LF, at CR LF or at a CR
// alone (as the text's own line breaks are read everywhere in the program).
void LargeTextView::indexLines() {
    starts_.clear();
    starts_.reserve(static_cast<size_t>(bytes_.size() / 40 + 1));
    starts_.push_back(0);
    const char* d = bytes_.constData();
    const char* end = d + bytes_.size();
    const char* p = d;
    int longest = 0;
    qint64 lineStart = 0;
    auto startLine = [&](const char* next, qint64 length) {
        longest = std::max(longest, static_cast<int>(std::min<qint64>(length, INT_MAX)));
        lineStart = next - d;
        starts_.push_back(lineStart);
    };
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* segmentEnd = lf ? lf : end;
        for (const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(segmentEnd - p)));
             cr; cr = static_cast<const char*>(std::memchr(cr + 1, '\r', static_cast<size_t>(segmentEnd - cr - 1)))) {
            if (cr + 1 == lf) break;  // CR LF: one line break
            startLine(cr + 1, (cr - d) - lineStart);
        }
        if (!lf) break;
        startLine(lf + 1, (lf - d) - lineStart - (lf > p && lf[-1] == '\r' ? 1 : 0));
        p = lf + 1;
    }
    longest = std::max(longest, static_cast<int>(std::min<qint64>(bytes_.size() - lineStart, INT_MAX)));

    // The longest lines by characters give the text's width; a line narrower by
    // characters but wider on screen widens it when it is painted.
    longestLines_.clear();
    const int threshold = longest - longest / 8;
    for (qint64 l = 0; l < lineCount() && longestLines_.size() < size_t(kWidthSamples); ++l)
        if (lineLength(l) >= threshold) longestLines_.push_back(l);
}

void LargeTextView::measureWidth() {
    const QFontMetricsF fm(font());
    qreal widest = 0;
    for (qint64 l : longestLines_) widest = std::max(widest, fm.horizontalAdvance(lineText(l)));
    textWidth_ = static_cast<int>(std::ceil(widest)) + 2 * kMargin;
}

qint64 LargeTextView::lineEnd(qint64 line) const {
    if (line + 1 >= lineCount()) return bytes_.size();
    const char* d = bytes_.constData();
    qint64 e = starts_[line + 1] - 1;  // the break's last byte
    if (d[e] == '\n' && e > starts_[line] && d[e - 1] == '\r') --e;
    return e;
}

QString LargeTextView::lineText(qint64 line) const {
    if (line < 0 || line >= lineCount()) return {};
    const int length = lineLength(line);
    QString out(length, Qt::Uninitialized);
    QChar* o = out.data();
    const auto* d = reinterpret_cast<const unsigned char*>(bytes_.constData()) + starts_[line];
    for (int i = 0; i < length; ++i) o[i] = decode_[d[i]];
    return out;
}

QString LargeTextView::toPlainText() const {
    if (lineCount() == 0) return {};
    return selectedTextBetween(TextPlace{}, TextPlace{lineCount() - 1, lineLength(lineCount() - 1)});
}

QString LargeTextView::selectedTextBetween(const TextPlace& from, const TextPlace& to) const {
    QString out;
    for (qint64 l = from.line; l <= to.line; ++l) {
        const QString text = lineText(l);
        const int c0 = l == from.line ? from.column : 0;
        const int c1 = l == to.line ? to.column : int(text.size());
        if (l > from.line) out += QLatin1Char('\n');
        out += QStringView(text).mid(c0, std::max(0, c1 - c0));
    }
    return out;
}

QString LargeTextView::selectedText() const {
    if (!hasSelection()) return {};
    return selectedTextBetween(selectionStart(), selectionEnd());
}

void LargeTextView::select(const TextPlace& from, const TextPlace& to) {
    auto clamp = [this](TextPlace p) {
        p.line = std::clamp<qint64>(p.line, 0, lineCount() - 1);
        p.column = std::clamp(p.column, 0, lineLength(p.line));
        return p;
    };
    anchor_ = clamp(from);
    caret_ = clamp(to);
    viewport()->update();
}

void LargeTextView::selectAll() { select(TextPlace{}, TextPlace{lineCount() - 1, lineLength(lineCount() - 1)}); }

void LargeTextView::copy() const {
    if (hasSelection()) QGuiApplication::clipboard()->setText(selectedText());
}

int LargeTextView::lineHeight() const { return std::max(1, QFontMetrics(font()).lineSpacing()); }

qint64 LargeTextView::firstVisibleLine() const { return verticalScrollBar()->value(); }

int LargeTextView::visibleLineCount() const { return std::max(1, viewport()->height() / lineHeight()); }

qint64 LargeTextView::lastVisibleLine() const {
    const qint64 rows = (viewport()->height() + lineHeight() - 1) / lineHeight();
    return std::min(lineCount() - 1, firstVisibleLine() + std::max<qint64>(rows, 1) - 1);
}

void LargeTextView::updateScrollBars() {
    const qint64 rows = visibleLineCount();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, static_cast<int>(std::clamp<qint64>(lineCount() - rows, 0, INT_MAX)));
    v->setPageStep(static_cast<int>(rows));
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, textWidth_ - viewport()->width()));
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth() * 2));
}

void LargeTextView::showPlace(const TextPlace& place) {
    const qint64 first = firstVisibleLine();
    const int rows = visibleLineCount();
    if (place.line < first || place.line >= first + rows)
        verticalScrollBar()->setValue(static_cast<int>(std::max<qint64>(0, place.line - rows / 3)));
    const QFontMetricsF fm(font());
    const QString text = lineText(place.line);
    const int x = static_cast<int>(fm.horizontalAdvance(text.left(place.column)));
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width() - 2 * kMargin;
    if (x < h->value()) h->setValue(std::max(0, x - width / 4));
    else if (x > h->value() + width) h->setValue(x - width * 3 / 4);
}

void LargeTextView::toStart() {
    select(TextPlace{}, TextPlace{});
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void LargeTextView::toEnd() {
    const TextPlace end{lineCount() - 1, lineLength(lineCount() - 1)};
    select(end, end);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    horizontalScrollBar()->setValue(0);
    showPlace(end);
}

TextPlace LargeTextView::placeOfOffset(qint64 offset) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const qint64 line = std::max<qint64>(0, (it - starts_.begin()) - 1);
    return TextPlace{line, static_cast<int>(std::min<qint64>(offset - starts_[line], lineLength(line)))};
}

TextPlace LargeTextView::placeAt(const QPoint& point) const {
    const qint64 row = point.y() < 0 ? -1 : point.y() / lineHeight();
    const qint64 line = std::clamp<qint64>(firstVisibleLine() + row, 0, lineCount() - 1);
    const QString text = lineText(line);
    const QFontMetricsF fm(font());
    const qreal x = point.x() + horizontalScrollBar()->value() - kMargin;
    // The last column whose left edge is left of x, then the nearer edge.
    int lo = 0, hi = int(text.size());
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid)) <= x) lo = mid;
        else hi = mid - 1;
    }
    if (lo < text.size()) {
        const qreal left = fm.horizontalAdvance(text.left(lo));
        const qreal right = fm.horizontalAdvance(text.left(lo + 1));
        if (x - left > right - x) ++lo;
    }
    return TextPlace{line, lo};
}

// --- search ---------------------------------------------------------------------

// Horspool's search over the case-folded bytes, forward or backward, for an
// occurrence lying wholly inside [from, to).
qint64 LargeTextView::search(const QByteArray& needle, qint64 from, qint64 to, bool backward) const {
    const qint64 m = needle.size();
    if (m == 0 || to - from < m) return -1;
    const auto* d = reinterpret_cast<const unsigned char*>(bytes_.constData());
    const auto* n = reinterpret_cast<const unsigned char*>(needle.constData());
    std::array<qint64, 256> shift;
    shift.fill(m);
    auto matches = [&](qint64 pos) {
        for (qint64 j = 0; j < m; ++j)
            if (fold_[d[pos + j]] != n[j]) return false;
        return true;
    };
    if (!backward) {
        for (qint64 i = 0; i + 1 < m; ++i) shift[n[i]] = m - 1 - i;
        for (qint64 pos = from; pos <= to - m; pos += shift[fold_[d[pos + m - 1]]])
            if (matches(pos)) return pos;
    } else {
        for (qint64 i = m - 1; i >= 1; --i) shift[n[i]] = i;
        for (qint64 pos = to - m; pos >= from; pos -= shift[fold_[d[pos]]])
            if (matches(pos)) return pos;
    }
    return -1;
}

LargeTextView::Found LargeTextView::find(const QString& what, bool backward) {
    // The text's own bytes for what, folded; a character the code page lacks
    // cannot be in the text.
    QByteArray needle;
    for (QChar c : what) {
        int byte = -1;
        for (int b = 0; b < 256 && byte < 0; ++b)
            if (decode_[b] == c) byte = b;
        if (byte < 0 || c == QLatin1Char('\n') || c == QLatin1Char('\r')) return Found::No;
        needle += static_cast<char>(fold_[byte]);
    }
    if (needle.isEmpty()) return Found::No;

    // From the selection or the caret when it is on screen, else from the
    // first line shown (forward) or the end of the last one (backward).
    qint64 from;
    const TextPlace at = backward ? selectionStart() : selectionEnd();
    if (at.line >= firstVisibleLine() && at.line <= lastVisibleLine()) from = offsetOf(at);
    else if (!backward) from = starts_[firstVisibleLine()];
    else from = lineEnd(lastVisibleLine());

    const qint64 size = bytes_.size();
    Found found = Found::Yes;
    qint64 pos = backward ? search(needle, 0, from, true) : search(needle, from, size, false);
    if (pos < 0) {
        found = Found::Wrapped;
        pos = backward ? search(needle, from, size, true) : search(needle, 0, from, false);
    }
    if (pos < 0) return Found::No;
    const TextPlace start = placeOfOffset(pos);
    const TextPlace end{start.line, start.column + int(needle.size())};
    select(start, end);
    showPlace(end);
    showPlace(start);
    return found;
}

// --- events -----------------------------------------------------------------------

void LargeTextView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().base());
    p.setFont(font());
    const QFontMetricsF fm(font());
    const int lh = lineHeight();
    const qreal x0 = kMargin - horizontalScrollBar()->value();
    const TextPlace s = selectionStart(), e = selectionEnd();
    const bool selection = hasSelection();
    int widest = textWidth_;
    const qint64 last = lastVisibleLine();
    for (qint64 line = firstVisibleLine(); line <= last; ++line) {
        const int top = static_cast<int>(line - firstVisibleLine()) * lh;
        const QString text = lineText(line);
        const qreal baseline = top + fm.ascent();
        widest = std::max(widest, static_cast<int>(std::ceil(fm.horizontalAdvance(text))) + 2 * kMargin);
        if (selection && line >= s.line && line <= e.line) {
            const int c0 = line == s.line ? s.column : 0;
            const int c1 = line == e.line ? e.column : int(text.size());
            const qreal left = x0 + fm.horizontalAdvance(text.left(c0));
            // The line break of a selected line shows as a space's width.
            const qreal right = x0 + fm.horizontalAdvance(text.left(c1)) +
                                (line < e.line ? fm.horizontalAdvance(QLatin1Char(' ')) : 0);
            const QRectF band(left, top, right - left, lh);
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QPointF(x0, baseline), text);
            p.fillRect(band, palette().highlight());
            p.save();
            p.setClipRect(band);
            p.setPen(palette().color(QPalette::HighlightedText));
            p.drawText(QPointF(x0, baseline), text);
            p.restore();
        } else {
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QPointF(x0, baseline), text);
        }
    }
    if (widest > textWidth_) {
        textWidth_ = widest;
        QTimer::singleShot(0, this, [this] { updateScrollBars(); });
    }
}

void LargeTextView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void LargeTextView::scrollContentsBy(int, int) { viewport()->update(); }

void LargeTextView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        measureWidth();
        updateScrollBars();
        viewport()->update();
    }
}

void LargeTextView::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (e == QKeySequence::Copy) {
        copy();
    } else if (e == QKeySequence::SelectAll) {
        selectAll();
    } else if (ctrl && e->key() == Qt::Key_Home) {
        toStart();
    } else if (ctrl && e->key() == Qt::Key_End) {
        toEnd();
    } else if (e->key() == Qt::Key_Home) {
        horizontalScrollBar()->setValue(0);
    } else if (e->key() == Qt::Key_End) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    e->accept();
}

void LargeTextView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
    const TextPlace place = placeAt(e->position().toPoint());
    if (e->modifiers() & Qt::ShiftModifier) select(anchor_, place);
    else select(place, place);
}

void LargeTextView::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton)) return;
    const QPoint pt = e->position().toPoint();
    // A drag past the top or bottom edge scrolls on.
    if (pt.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (pt.y() >= viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    select(anchor_, placeAt(pt));
}

void LargeTextView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) e->accept();
    else QAbstractScrollArea::mouseReleaseEvent(e);
}

void LargeTextView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const TextPlace place = placeAt(e->position().toPoint());
    const QString text = lineText(place.line);
    auto word = [&](int i) { return i >= 0 && i < text.size() && (text[i].isLetterOrNumber() || text[i] == QLatin1Char('_')); };
    int a = place.column, b = place.column;
    while (word(a - 1)) --a;
    while (word(b)) ++b;
    select(TextPlace{place.line, a}, TextPlace{place.line, b});
}

}  // namespace volm::ui
