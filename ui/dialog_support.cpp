#include "ui/dialog_support.h"

#include "store/startup.h"
#include "ui/data_grid_view.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableView>

namespace volm::ui {

FontSizes dialogFontSizes(App& app) {
    try {
        if (app.dm.atNastr && app.dm.atNastr->isOpen()) return readFontSizes(app);
    } catch (const std::exception&) {
    }
    return FontSizes{};
}

void applyGridFont(QTableView* view, const FontSizes& sizes) {
    QFont cells = view->font();
    cells.setPointSize(sizes.data);
    view->setFont(cells);
    QFont titles = view->horizontalHeader()->font();
    titles.setPointSize(sizes.titles);
    view->horizontalHeader()->setFont(titles);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 6);
}

void fitColumnTitles(DataGridView* view) {
    DataGridModel* model = view->gridModel();
    if (!model) return;
    const QFontMetrics fm(view->horizontalHeader()->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        ColumnLook look = model->lookOf(c);
        const QString title = look.title.isEmpty() ? model->fieldNameAt(c) : look.title;
        const int needed = fm.horizontalAdvance(title) + 18;
        if (look.width >= needed) continue;
        look.width = needed;
        model->setColumnLook(model->fieldNameAt(c), look);
    }
}

void applyTextFont(QWidget* text, const FontSizes& sizes) {
    QFont f = text->font();
    f.setPointSize(sizes.data);
    text->setFont(f);
}

void centreOnScreen(QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = w->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

QString plainLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

ColumnLook centredColumn(const QString& title, int width) {
    ColumnLook c;
    c.title = title;
    c.width = width;
    c.alignment = Qt::AlignCenter;
    return c;
}

QLabel* boldLabel(const QString& text, QWidget* parent, int extraPoints, Qt::Alignment alignment) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    if (extraPoints) f.setPointSize(f.pointSize() + extraPoints);
    f.setBold(true);
    l->setFont(f);
    if (alignment) l->setAlignment(alignment);
    return l;
}

}  // namespace volm::ui
