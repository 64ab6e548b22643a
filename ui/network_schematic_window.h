#pragma once
// The window "Схема сети": the whole network drawn as a tree from the start
// node, coloured by a chosen indicator, with its colour scale, the arrows of
// the water's way (which the person may hide), hover texts, zoom, pan, fitting
// and saving as PNG, PDF or SVG. It only reads the data.
#include <QGraphicsView>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace volm {
class App;
}

namespace volm::ui {

class SchematicScene;

// Wheel zoom, drag pan, hover texts and double-clicks on sections.
class SchematicView : public QGraphicsView {
    Q_OBJECT
public:
    explicit SchematicView(SchematicScene* scene, QWidget* parent = nullptr);
    std::function<void(int section)> onSectionDoubleClicked;

protected:
    void wheelEvent(QWheelEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    QGraphicsItem* itemNear(const QPoint& viewPos) const;
    SchematicScene* scene_;
};

// The colour scale: the indicator, the colours from its lowest to its highest value.
class SchematicLegend : public QWidget {
    Q_OBJECT
public:
    explicit SchematicLegend(QWidget* parent = nullptr);
    // The colour scale from low to high, its ends written as given; none when
    // there are no values.
    void setScale(const QString& caption, const QString& low, const QString& high, bool hasValues, bool lowHeadMarks);
    QSize sizeHint() const override;
    QString lowText() const { return hasValues_ ? low_ : QString(); }
    QString highText() const { return hasValues_ ? high_ : QString(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString caption_;
    QString low_, high_;
    bool hasValues_ = false;
    bool lowHeadMarks_ = false;
};

class SchematicWindow : public QWidget {
    Q_OBJECT
public:
    explicit SchematicWindow(App& app, QWidget* parent = nullptr);

    // Reads the open calculation again and redraws, keeping the chosen indicator.
    void refresh();
    // Fits the whole network into the view.
    void fitAll();
    // Saves the drawing; the format follows the file's extension (.png, .pdf,
    // .svg). Written beside the file and put in its place only when complete;
    // false (why says why) when it cannot be, the old file then kept.
    bool saveTo(const QString& path, QString* why = nullptr);
    // Asks for a file name (the calculation's, by default) and saves, by the
    // rules of every output.
    void saveAs();

    // Called with the id of a double-clicked section (set by the main window).
    std::function<void(qint64 sectionId)> onSectionChosen;

    SchematicScene* scene() const { return scene_; }
    SchematicView* view() const { return view_; }
    QComboBox* colourCombo = nullptr;  // "Раскрасить по"
    QCheckBox* flowArrowsBox = nullptr; // "Показывать направление течения"
    QLabel* staleLabel = nullptr;       // results not current
    QPushButton* fitButton = nullptr;   // "Вписать"
    QPushButton* saveButton = nullptr;  // "Сохранить как..."
    SchematicLegend* legend = nullptr;

    static QIcon icon();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void colourChosen();

    App& app_;
    SchematicScene* scene_ = nullptr;
    SchematicView* view_ = nullptr;
    bool fitted_ = false;   // fitted on the first show
    QString personChoice_;  // the indicator the person chose in "Раскрасить по"
};

}  // namespace volm::ui
