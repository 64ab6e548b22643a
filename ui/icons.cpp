#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace volm::ui {

namespace {

constexpr int kSize = 24;

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 100, 190);
const QColor kRed(200, 40, 40);
const QColor kGreen(30, 140, 60);
const QColor kYellow(235, 190, 60);

void page(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
    p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

void floppy(QPainter& p, const QRectF& r, const QColor& body) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(body);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 4, r.top() + 1, r.width() - 8, r.height() * 0.35));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(r.left() + 3, r.center().y() + 2, r.width() - 6, r.height() / 2 - 3));
}

void rows(QPainter& p, const QRectF& r, int n, int highlighted) {
    const double h = r.height() / n;
    for (int i = 0; i < n; ++i) {
        const QRectF row(r.left(), r.top() + i * h, r.width(), h);
        p.setPen(QPen(kInk, 1));
        p.setBrush(i < highlighted ? QColor(120, 170, 235) : kPaper);
        p.drawRect(row);
    }
}

void cross(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void letters(QPainter& p, const QRectF& r, const QString& text, const QColor& color, int px, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void draw(QPainter& p, IconId id) {
    const QRectF full(0.5, 0.5, kSize - 1, kSize - 1);
    switch (id) {
    case IconId::NewCalc:
        page(p, QRectF(4, 2, 15, 20));
        p.setPen(QPen(kYellow.darker(130), 1));
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(17, 17), 5, 5);
        letters(p, QRectF(12, 12, 10, 10), QStringLiteral("+"), kInk, 10);
        break;
    case IconId::OpenCalc: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kYellow.darker(110));
        p.drawRect(QRectF(2, 6, 18, 14));
        p.setBrush(kYellow);
        QPolygonF flap;
        flap << QPointF(2, 20) << QPointF(6, 10) << QPointF(23, 10) << QPointF(19, 20);
        p.drawPolygon(flap);
        p.setBrush(kYellow.darker(110));
        p.drawRect(QRectF(2, 4, 7, 2));
        break;
    }
    case IconId::SaveCalc: floppy(p, QRectF(3, 3, 18, 18), kBlue); break;
    case IconId::SaveCalcAs:
        floppy(p, QRectF(2, 2, 16, 16), kBlue);
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow);
        {
            QPolygonF pencil;
            pencil << QPointF(13, 22) << QPointF(14, 18) << QPointF(21, 11) << QPointF(23, 13) << QPointF(16, 20);
            p.drawPolygon(pencil);
        }
        break;
    case IconId::SelectAll: rows(p, QRectF(3, 4, 18, 16), 4, 4); break;
    case IconId::DeleteRecords:
        rows(p, QRectF(2, 3, 16, 15), 3, 1);
        cross(p, QRectF(13, 13, 8, 8));
        break;
    case IconId::DeleteAll:
        rows(p, QRectF(2, 3, 16, 15), 3, 3);
        cross(p, QRectF(6, 6, 14, 14));
        break;
    case IconId::InitialData: {
        p.setPen(QPen(kInk, 1.6));
        const QPointF a(5, 18), b(12, 8), c(19, 14), d(19, 4);
        p.drawLine(a, b);
        p.drawLine(b, c);
        p.drawLine(b, d);
        p.setBrush(kBlue);
        p.setPen(QPen(kInk, 1));
        for (const QPointF& pt : {a, b, c, d}) p.drawEllipse(pt, 2.8, 2.8);
        p.setBrush(kRed);
        p.drawEllipse(a, 3.2, 3.2);
        break;
    }
    case IconId::RepeatedData:
        for (int i = 2; i >= 0; --i) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(i == 0 ? kPaper : QColor(210, 225, 245));
            p.drawRect(QRectF(3 + i * 3, 3 + i * 3, 13, 11));
        }
        letters(p, QRectF(3, 3, 13, 11), QStringLiteral("="), kBlue, 12);
        break;
    case IconId::Run: {
        p.setPen(QPen(kGreen.darker(140), 1.2));
        p.setBrush(kGreen);
        QPolygonF tri;
        tri << QPointF(6, 3) << QPointF(21, 12) << QPointF(6, 21);
        p.drawPolygon(tri);
        break;
    }
    case IconId::Report:
        page(p, QRectF(4, 2, 16, 20));
        p.setPen(QPen(kBlue, 1.2));
        for (int y = 9; y <= 18; y += 3) p.drawLine(QPointF(7, y), QPointF(17, y));
        break;
    case IconId::Excel:
        p.setPen(QPen(kGreen.darker(150), 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 3, 15, 18));
        for (int y = 7; y < 21; y += 4) p.drawLine(QPointF(6, y), QPointF(21, y));
        p.drawLine(QPointF(13, 3), QPointF(13, 21));
        p.setBrush(kGreen);
        p.drawRect(QRectF(2, 7, 11, 11));
        letters(p, QRectF(2, 7, 11, 11), QStringLiteral("X"), kPaper, 9);
        break;
    case IconId::Chart: {
        p.setPen(QPen(kInk, 1.2));
        p.drawLine(QPointF(3, 3), QPointF(3, 21));
        p.drawLine(QPointF(3, 21), QPointF(22, 21));
        p.setPen(QPen(kBlue, 2));
        QPolygonF line;
        line << QPointF(4, 6) << QPointF(9, 9) << QPointF(14, 11) << QPointF(21, 16);
        p.drawPolyline(line);
        p.setPen(QPen(kRed, 2));
        QPolygonF line2;
        line2 << QPointF(4, 17) << QPointF(9, 16) << QPointF(14, 15) << QPointF(21, 14);
        p.drawPolyline(line2);
        break;
    }
    case IconId::SortBySections:
        letters(p, QRectF(0, 1, 24, 11), QStringLiteral("1-2"), kInk, 9);
        letters(p, QRectF(0, 12, 24, 11), QStringLiteral("2-3"), kInk, 9);
        p.setPen(QPen(kBlue, 1.4));
        p.drawLine(QPointF(22, 3), QPointF(22, 20));
        p.drawLine(QPointF(22, 20), QPointF(20, 17));
        p.drawLine(QPointF(22, 20), QPointF(24, 17));
        break;
    case IconId::SortByCounter:
        letters(p, QRectF(0, 0, 20, 24), QStringLiteral("#"), kInk, 15);
        p.setPen(QPen(kBlue, 1.4));
        p.drawLine(QPointF(21, 3), QPointF(21, 20));
        p.drawLine(QPointF(21, 20), QPointF(19, 17));
        p.drawLine(QPointF(21, 20), QPointF(23, 17));
        break;
    case IconId::Help:
        p.setPen(QPen(kBlue.darker(130), 1));
        p.setBrush(kBlue);
        p.drawEllipse(full.adjusted(1, 1, -1, -1));
        letters(p, full, QStringLiteral("?"), kPaper, 16);
        break;
    case IconId::About:
        p.setPen(QPen(kGreen.darker(130), 1));
        p.setBrush(kGreen);
        p.drawEllipse(full.adjusted(1, 1, -1, -1));
        letters(p, full, QStringLiteral("i"), kPaper, 16);
        break;
    }
}

}  // namespace

QIcon icon(IconId id) {
    QIcon result;
    for (int scale : {1, 2}) {
        QPixmap pm(kSize * scale, kSize * scale);
        pm.fill(Qt::transparent);
        pm.setDevicePixelRatio(scale);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p, id);
        p.end();
        result.addPixmap(pm);
    }
    return result;
}

}  // namespace volm::ui
