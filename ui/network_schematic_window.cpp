#include "ui/network_schematic_window.h"

#include "output/schematic_data.h"
#include "store/app.h"
#include "store/errors.h"
#include "store/output_file.h"
#include "store/startup.h"
#include "ui/help_window.h"
#include "ui/network_schematic_scene.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace volm::ui {

// --- SchematicView ---------------------------------------------------------------

SchematicView::SchematicView(SchematicScene* scene, QWidget* parent) : QGraphicsView(scene, parent), scene_(scene) {
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHint(QPainter::Antialiasing);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setBackgroundBrush(Qt::white);
}

void SchematicView::wheelEvent(QWheelEvent* e) {
    const double factor = std::pow(1.0015, e->angleDelta().y());
    const double scale = transform().m11() * factor;
    if (scale < 1e-4 || scale > 40) return;
    this->scale(factor, factor);
    e->accept();
}

// A node under the point, else the nearest section within a few pixels.
QGraphicsItem* SchematicView::itemNear(const QPoint& viewPos) const {
    const QRect around(viewPos - QPoint(4, 4), QSize(9, 9));
    QGraphicsItem* section = nullptr;
    for (QGraphicsItem* item : items(around)) {
        const int kind = SchematicScene::kindOf(item);
        if (kind == 1) return item;
        if (kind == 2 && !section) section = item;
    }
    return section;
}

void SchematicView::mouseDoubleClickEvent(QMouseEvent* e) {
    QGraphicsItem* item = itemNear(e->position().toPoint());
    if (SchematicScene::kindOf(item) == 2 && onSectionDoubleClicked) {
        onSectionDoubleClicked(SchematicScene::indexOf(item));
        e->accept();
        return;
    }
    QGraphicsView::mouseDoubleClickEvent(e);
}

bool SchematicView::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QGraphicsItem* item = itemNear(help->pos());
        const int kind = SchematicScene::kindOf(item);
        if (kind == 1)
            QToolTip::showText(help->globalPos(), scene_->nodeText(SchematicScene::indexOf(item)), this);
        else if (kind == 2)
            QToolTip::showText(help->globalPos(), scene_->sectionText(SchematicScene::indexOf(item)), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QGraphicsView::viewportEvent(e);
}

// --- SchematicLegend -------------------------------------------------------------

SchematicLegend::SchematicLegend(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SchematicLegend::setScale(const QString& caption, const QString& low, const QString& high, bool hasValues,
                               bool lowHeadMarks) {
    caption_ = caption;
    low_ = low;
    high_ = high;
    hasValues_ = hasValues;
    lowHeadMarks_ = lowHeadMarks;
    update();
}

QSize SchematicLegend::sizeHint() const { return {400, fontMetrics().height() * 2 + 18}; }

void SchematicLegend::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int h = fontMetrics().height();
    p.drawText(QRect(0, 0, width(), h), Qt::AlignLeft | Qt::AlignVCenter, caption_);
    if (!hasValues_) {
        p.drawText(QRect(0, h + 4, width(), h), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Нет значений"));
        return;
    }
    const QString &lo = low_, &hi = high_;
    const int loW = fontMetrics().horizontalAdvance(lo) + 6;
    const int barW = std::max(60, std::min(width() / 2, 360));
    const QRect bar(loW, h + 4, barW, 14);
    QLinearGradient g(bar.topLeft(), bar.topRight());
    for (int i = 0; i <= 8; ++i) g.setColorAt(i / 8.0, SchematicScene::colourAt(i / 8.0));
    p.fillRect(bar, g);
    p.setPen(Qt::black);
    p.drawRect(bar);
    p.drawText(QRect(0, h + 2, loW, h + 4), Qt::AlignLeft | Qt::AlignVCenter, lo);
    p.drawText(QRect(bar.right() + 6, h + 2, width(), h + 4), Qt::AlignLeft | Qt::AlignVCenter, hi);
    if (lowHeadMarks_) {
        const int x = bar.right() + 18 + fontMetrics().horizontalAdvance(hi);
        p.setPen(QPen(QColor(220, 0, 0), 2.5));
        p.drawEllipse(QPoint(x + 7, bar.center().y()), 7, 7);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 20, h + 2, width(), h + 4), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("располагаемый напор меньше 0,1 м."));
    }
}

// --- SchematicWindow -------------------------------------------------------------

SchematicWindow::SchematicWindow(App& app, QWidget* parent) : QWidget(parent, Qt::Window), app_(app) {
    addHelpKey(this, QStringLiteral("schematic.html"));
    setObjectName(QStringLiteral("SchematicWindow"));
    setWindowTitle(QStringLiteral("Схема сети"));
    setWindowIcon(icon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1100, 760);

    scene_ = new SchematicScene(this);
    scene_->setLocale(app_.locale);
    setLocale(app_.locale);
    view_ = new SchematicView(scene_, this);
    colourCombo = new QComboBox(this);
    colourCombo->setObjectName(QStringLiteral("colourCombo"));
    colourCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    colourCombo->setMaxVisibleItems(25);
    flowArrowsBox = new QCheckBox(QStringLiteral("Показывать направление течения"), this);
    flowArrowsBox->setObjectName(QStringLiteral("flowArrowsBox"));
    flowArrowsBox->setToolTip(QStringLiteral("Стрелка на середине участка показывает, куда течет вода в подающем "
                                             "трубопроводе (после расчета)."));
    flowArrowsBox->setChecked(scene_->flowArrowsShown());
    fitButton = new QPushButton(QStringLiteral("Вписать"), this);
    saveButton = new QPushButton(QStringLiteral("Сохранить как..."), this);
    staleLabel = new QLabel(QStringLiteral("Расчет не выполнен или данные изменены после него: результаты "
                                           "не актуальны, показаны только вводимые показатели."),
                            this);
    staleLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    staleLabel->setWordWrap(true);
    legend = new SchematicLegend(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Раскрасить по"), this));
    top->addWidget(colourCombo, 1);
    top->addWidget(flowArrowsBox);
    top->addWidget(fitButton);
    top->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(staleLabel);
    layout->addWidget(legend);
    layout->addWidget(view_, 1);

    connect(colourCombo, &QComboBox::currentIndexChanged, this, [this] {
        personChoice_ = colourCombo->currentData().toString();
        colourChosen();
    });
    connect(flowArrowsBox, &QCheckBox::toggled, scene_, &SchematicScene::setFlowArrowsShown);
    connect(fitButton, &QPushButton::clicked, this, &SchematicWindow::fitAll);
    connect(saveButton, &QPushButton::clicked, this, &SchematicWindow::saveAs);
    view_->onSectionDoubleClicked = [this](int section) {
        const auto& ids = scene_->data().sectionIds;
        if (onSectionChosen && section >= 0 && size_t(section) < ids.size()) onSectionChosen(ids[size_t(section)]);
    };
    refresh();
}

void SchematicWindow::refresh() {
    scene_->setDecimals(reportPrecision(app_));
    output::SchematicData data;
    if (app_.dm.acGR.isOpen()) data = output::loadSchematic(app_.dm.acGR);
    // The person's own choice stays while it is offered; otherwise the available head.
    int pick = data.defaultIndicator();
    for (size_t i = 0; i < data.indicators.size(); ++i)
        if (data.indicators[i].shortName == personChoice_) pick = int(i);

    QSignalBlocker block(colourCombo);
    colourCombo->clear();
    for (const auto& ind : data.indicators)
        colourCombo->addItem(ind.ofNodes ? QStringLiteral("Узлы: ") + ind.caption : QStringLiteral("Участки: ") + ind.caption,
                             ind.shortName);
    colourCombo->setCurrentIndex(pick);
    staleLabel->setVisible(!data.resultsCurrent);
    scene_->build(data, pick);
    colourChosen();
}

void SchematicWindow::colourChosen() {
    const int i = colourCombo->currentIndex();
    scene_->colourBy(i);
    const auto& data = scene_->data();
    bool anyLow = false;
    for (char low : data.lowHead) anyLow = anyLow || low;
    legend->setScale(i >= 0 ? colourCombo->currentText() : QStringLiteral("Нет показателей для раскраски"),
                     scene_->numberText(scene_->low()), scene_->numberText(scene_->high()), !std::isnan(scene_->low()),
                     anyLow);
}

// Fits the network, never enlarging a small one beyond twice its size.
void SchematicWindow::fitAll() {
    view_->fitInView(scene_->sceneRect(), Qt::KeepAspectRatio);
    const double scale = view_->transform().m11();
    if (scale > 2) {
        view_->setTransform(QTransform::fromScale(2, 2));
        view_->centerOn(scene_->sceneRect().center());
    }
}

void SchematicWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!fitted_) {
        fitted_ = true;
        fitAll();
    }
}

bool SchematicWindow::saveTo(const QString& path, QString* why) {
    const QString ext = QFileInfo(path).suffix().toLower();
    const QRectF source = scene_->sceneRect();
    const QString failed = QStringLiteral("Не удалось сохранить схему в файл ") + path + QLatin1Char('.');
    QByteArray png;
    if (ext != QLatin1String("svg") && ext != QLatin1String("pdf")) {
        // Raster: the scene at its own scale, within a size a file viewer opens,
        // made in memory so that the file gets whole bytes or none.
        double scale = 1;
        const double longest = std::max(source.width(), source.height());
        if (longest > 12000) scale = 12000 / longest;
        QImage image(QSize(std::max(1, int(source.width() * scale)), std::max(1, int(source.height() * scale))),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        scene_->render(&p, QRectF(image.rect()), source, Qt::KeepAspectRatio);
        p.end();
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    try {
        writeOutputFile(QFileInfo(path).absoluteFilePath(), [&](QIODevice& device, const QString& scratch) {
            if (ext == QLatin1String("svg")) {
                if (!scene_->writeSvg(scratch)) throw FileError(failed);
            } else if (ext == QLatin1String("pdf")) {
                QPdfWriter pdf(&device);
                pdf.setTitle(QStringLiteral("Схема сети"));
                pdf.setPageSize(QPageSize(QPageSize::A3));
                pdf.setPageOrientation(source.width() > source.height() ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
                QPainter p;
                if (!p.begin(&pdf)) throw FileError(failed);
                scene_->render(&p, QRectF(), source, Qt::KeepAspectRatio);
                if (!p.end()) throw FileError(failed);
            } else {
                device.write(png);
            }
        });
        return true;
    } catch (const Error& e) {
        if (why) *why = e.message();
        return false;
    }
}

void SchematicWindow::saveAs() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить схему сети"),
                                                proposedOutputName(app_.dm.acGR.path(), QStringLiteral(".png")),
                                                QStringLiteral("Рисунок PNG (*.png);;Документ PDF (*.pdf);;Рисунок SVG (*.svg)"),
                                                &filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) {
        if (filter.contains(QLatin1String("pdf"))) path += QStringLiteral(".pdf");
        else if (filter.contains(QLatin1String("svg"))) path += QStringLiteral(".svg");
        else path += QStringLiteral(".png");
    }
    const QString destination = outputDestination(path);
    if (const QString why = refusedOutputTarget(protectedFiles(app_), OutputKind::Schematic, path, destination);
        !why.isEmpty()) {
        app_.person().message(why);
        return;
    }
    QString why;
    if (!saveTo(destination, &why)) app_.person().message(why);
}

QIcon SchematicWindow::icon() {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    const QPointF root(12, 4), a(5, 12), b(19, 12), c(2, 20), d(9, 20), e(19, 20);
    for (auto [x, y] : {std::pair{root, a}, std::pair{root, b}, std::pair{a, c}, std::pair{a, d}, std::pair{b, e}})
        p.drawLine(x, y);
    p.setBrush(QColor(40, 120, 200));
    for (const QPointF& n : {root, a, b, c, d, e}) p.drawEllipse(n, 2.6, 2.6);
    return QIcon(pm);
}

}  // namespace volm::ui
