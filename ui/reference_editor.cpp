#include "ui/reference_editor.h"

#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "store/record_list.h"
#include "store/records.h"
#include "store/reference_books.h"
#include "ui/data_grid_model.h"
#include "ui/data_grid_view.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"

#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>

using volm::ui::ColumnLook;
using volm::ui::DataGridModel;
using volm::ui::DataGridView;

TSprEditForm::TSprEditForm(volm::App& app, const volm::ReferenceBook& book, QWidget* parent)
    : QDialog(parent), app_(app), book_(book) {
    volm::ui::addHelpKey(this, QStringLiteral("references.html"));
    setObjectName(book.formName);
    setWindowTitle(book.title);
    setModal(true);
    setSizeGripEnabled(true);

    model = new DataGridModel(this);
    model->setPerson(&app_.person());
    model->setLocale(app_.locale);
    model->setTable(volm::referenceCursor(app_, book));
    QStringList fields;
    for (const volm::ReferenceColumn& c : book.columns) {
        fields << c.field;
        ColumnLook look;
        look.title = c.title;
        look.width = c.width;
        look.alignment = Qt::AlignCenter;
        model->setColumnLook(c.field, look);
    }
    model->setFields(fields);
    DG = new DataGridView(this);
    DG->setObjectName(QStringLiteral("DG"));
    DG->setGridModel(model);

    menu = new QMenuBar(this);
    miEdit = menu->addMenu(QStringLiteral("Правка"));
    miEdit->setObjectName(QStringLiteral("miEdit"));
    miEditRazrRed = miEdit->addAction(QStringLiteral("Разрешить редактирование"), this, &TSprEditForm::allowEditing);
    miEdit->addSeparator();
    miEditSelAll = miEdit->addAction(QStringLiteral("Выделить все записи"), this, &TSprEditForm::selectAll);
    miEditDelRec = miEdit->addAction(QStringLiteral("Удалить записи"), this, &TSprEditForm::deleteSelected);
    miEditDelAllRec = miEdit->addAction(QStringLiteral("Удалить все записи"), this, &TSprEditForm::deleteAll);
    miClose = menu->addAction(QStringLiteral("Закрыть"));
    connect(miClose, &QAction::triggered, this, [this] { close(); });
    miEditRazrRed->setObjectName(QStringLiteral("miEditRazrRed"));
    miEditSelAll->setObjectName(QStringLiteral("miEditSelAll"));
    miEditDelRec->setObjectName(QStringLiteral("miEditDelRec"));
    miEditDelAllRec->setObjectName(QStringLiteral("miEditDelAllRec"));
    miClose->setObjectName(QStringLiteral("miClose"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menu);
    layout->addWidget(DG);

    const volm::FontSizes sizes = volm::ui::dialogFontSizes(app_);
    volm::ui::applyGridFont(DG, sizes);
    volm::ui::fitColumnTitles(DG);
    // At least the client area of 580 by 407, wider when the titles need it.
    const int wanted = DG->horizontalHeader()->length() + DG->verticalHeader()->width() +
                       DG->verticalScrollBar()->sizeHint().width() + 2 * DG->frameWidth() + 2;
    resize(std::max(580, wanted), 407 + menu->sizeHint().height());
    RazreshitRedaktirovanie(false);
}

// An engine failure ends the command with its message; the editor stays open.
template <typename Body>
void TSprEditForm::guarded(Body&& body) {
    volm::runReported(app_.person(), [&](volm::ErrorContext&) { body(); });
}

void TSprEditForm::RazreshitRedaktirovanie(bool allowed) {
    if (allowed) volm::UstanovitRasVip(app_, false);
    model->setReadOnly(!allowed);
    DG->setAppendAllowed(allowed);
    miEditRazrRed->setEnabled(!allowed);
    miEditDelRec->setEnabled(allowed);
    miEditDelAllRec->setEnabled(allowed);
}

bool TSprEditForm::editingAllowed() const { return !model->isReadOnly(); }

void TSprEditForm::allowEditing() {
    guarded([&] {
        if (volm::allowReferenceEditing(app_)) RazreshitRedaktirovanie(true);
    });
}

void TSprEditForm::selectAll() {
    volm::Table* t = model->table();
    if (!t || t->isEmpty()) return;
    DG->selectAllRows();
}

void TSprEditForm::deleteSelected() {
    guarded([&] {
        DG->endEditing();
        if (volm::Table* t = model->table()) volm::postPendingRow(*t);
        const QList<int> rows = DG->selectedRowNumbers();
        if (volm::deleteSelectedReferenceRows(app_, book_, std::vector<int>(rows.begin(), rows.end())))
            DG->clearSelection();
    });
}

void TSprEditForm::deleteAll() {
    guarded([&] {
        DG->endEditing();
        if (volm::deleteAllReferenceRows(app_, book_)) DG->clearSelection();
    });
}

bool TSprEditForm::postOnClose() {
    bool ok = false;
    guarded([&] {
        DG->endEditing();
        if (volm::Table* t = model->table()) volm::postPendingRow(*t);
        ok = true;
    });
    return ok;
}

void TSprEditForm::done(int result) {
    if (closing_) return;
    closing_ = true;
    volm::Finally reset([this] { closing_ = false; });
    if (!postOnClose()) return;
    QDialog::done(result);
}

void TSprEditForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
    DG->setFocus();
}

bool TSprEditForm::run(volm::App& app, const volm::ReferenceBook& book, QWidget* parent) {
    if (!volm::referenceEditorAvailable(app, book)) return false;
    volm::Table& t = *volm::referenceCursor(app, book);
    t.setSort(book.sort);
    volm::Finally unsort([&] {
        if (volm::Table* c = volm::referenceCursor(app, book)) {
            try {
                c->setSort(QString());
            } catch (...) {
            }
        }
    });
    TSprEditForm dlg(app, book, parent);
    dlg.RazreshitRedaktirovanie(false);
    if (!t.isEmpty()) t.first();
    dlg.setWindowTitle(volm::referenceCaption(app, book));
    dlg.exec();
    return true;
}
