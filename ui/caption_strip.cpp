#include "ui/caption_strip.h"

#include <QVBoxLayout>

namespace volm::ui {

CaptionStrip::CaptionStrip(int count, int pitch, QWidget* parent) : QWidget(parent), pitch_(pitch) {
    for (int k = 1; k <= count; ++k) addBox();
    place();
}

void CaptionStrip::addBox() {
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(3, 2, 3, 2);
    auto* label = new QLabel(box);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    if (pointSize_ > 0) {
        QFont f = label->font();
        f.setPointSize(pointSize_);
        label->setFont(f);
    }
    layout->addWidget(label);
    boxes_.push_back(box);
    labels_.push_back(label);
    box->show();
}

void CaptionStrip::setOrigin(int x) {
    if (x == origin_) return;
    origin_ = x;
    place();
}

// Boxes are added until they reach the strip's right edge, so that every
// column in view has its caption however wide the window is.
void CaptionStrip::place() {
    const int before = count();
    while (origin_ + 2 + pitch_ * count() < width()) addBox();
    for (int k = 1; k <= count(); ++k)
        box(k)->setGeometry(origin_ + 2 + pitch_ * (k - 1), 0, pitch_, std::max(0, height()));
    if (count() > before) Q_EMIT boxesAdded();
}

void CaptionStrip::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    place();
}

void CaptionStrip::setText(int k, const QString& text) {
    QLabel* l = label(k);
    if (l->text() != text) {
        l->setText(text);
        l->setToolTip(text);
    }
}

QString CaptionStrip::text(int k) const { return label(k)->text(); }

void CaptionStrip::clearTexts() {
    for (int k = 1; k <= count(); ++k) setText(k, QString());
}

void CaptionStrip::setCaptionPointSize(int size) {
    pointSize_ = size;
    for (QLabel* l : labels_) {
        QFont f = l->font();
        f.setPointSize(size);
        l->setFont(f);
    }
}

}  // namespace volm::ui
