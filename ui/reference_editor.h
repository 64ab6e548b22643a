#pragma once
// The reference-book editor: one window design for the three tables of the
// reference book (correction coefficients, pipe diameters, water density), each
// described by a ReferenceBook. It opens read-only; "Разрешить редактирование",
// once confirmed, makes the grid editable (and the results of the calculation
// out of date). Rows go only by the book's delete statements; the current row
// is posted when the editor closes.
#include <QDialog>

class QAction;
class QMenu;
class QMenuBar;

namespace volm {
class App;
struct ReferenceBook;
namespace ui {
class DataGridModel;
class DataGridView;
}  // namespace ui
}  // namespace volm

class TSprEditForm : public QDialog {
    Q_OBJECT
public:
    TSprEditForm(volm::App& app, const volm::ReferenceBook& book, QWidget* parent = nullptr);

    // The launcher: needs the reference book and the calculation open. Sorts the
    // table, opens read-only on the first row, shows the editor modally, then
    // clears the sort. False when it did not open.
    static bool run(volm::App& app, const volm::ReferenceBook& book, QWidget* parent = nullptr);

    void RazreshitRedaktirovanie(bool allowed);
    bool editingAllowed() const;

    // The commands.
    void allowEditing();
    void selectAll();
    void deleteSelected();
    void deleteAll();
    // The close step: a pending row is posted. False (message shown) when the
    // post failed: the editor then stays open.
    bool postOnClose();

    const volm::ReferenceBook& book() const { return book_; }

    volm::ui::DataGridView* DG = nullptr;
    volm::ui::DataGridModel* model = nullptr;
    QMenuBar* menu = nullptr;
    QMenu* miEdit = nullptr;
    QAction* miEditRazrRed = nullptr;
    QAction* miEditSelAll = nullptr;
    QAction* miEditDelRec = nullptr;
    QAction* miEditDelAllRec = nullptr;
    QAction* miClose = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    template <typename Body> void guarded(Body&& body);

    volm::App& app_;
    const volm::ReferenceBook& book_;
    bool closing_ = false;
};
