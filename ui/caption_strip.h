#pragma once
// A strip of caption boxes above a grid (at least 6 over the header grid and 18
// over the section grid, and as many more as the strip's width needs): box k
// stands over the k-th column place of the grid and shows, word-wrapped, the
// full name of the indicator whose column is under it. The main window decides
// the texts as the grid scrolls.
#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <vector>

namespace volm::ui {

class CaptionStrip : public QWidget {
    Q_OBJECT
public:
    // At least count boxes, each pitch pixels wide and apart.
    CaptionStrip(int count, int pitch, QWidget* parent = nullptr);

    int count() const { return int(boxes_.size()); }
    int pitch() const { return pitch_; }

    // Left edge of the grid's first column place in the strip's coordinates; box
    // k (1-based) is placed at origin + 2 + pitch * (k - 1).
    void setOrigin(int x);
    int origin() const { return origin_; }

    QFrame* box(int k) const { return boxes_[size_t(k - 1)]; }
    QLabel* label(int k) const { return labels_[size_t(k - 1)]; }

    void setText(int k, const QString& text);
    QString text(int k) const;
    void clearTexts();
    void setCaptionPointSize(int size);

Q_SIGNALS:
    // The strip widened past its last box and got more (empty) boxes.
    void boxesAdded();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void place();
    void addBox();

    int pitch_;
    int origin_ = 0;
    int pointSize_ = 0;  // 0: the font's own
    std::vector<QFrame*> boxes_;
    std::vector<QLabel*> labels_;
};

}  // namespace volm::ui
