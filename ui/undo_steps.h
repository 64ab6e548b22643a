#pragma once
// "Правка / Отменить" and "Правка / Повторить": the steps the calculation
// file's recorder completes become commands on an undo stack. A command taken
// back writes the rows as they were, keys included; made again, as they became.
// The stack belongs to the open calculation: it is emptied when a calculation
// is opened or closed and when the tables are rebuilt under it outside a step. It keeps every
// step while together they hold no more than about 50 MB (the newest step is
// always kept).
#include <QObject>
#include <functional>

class QAction;
class QUndoStack;

namespace volm {
class App;
}

namespace volm::ui {

class UndoSteps : public QObject {
    Q_OBJECT
public:
    // storePending: stores the edits still in the grids, so that a typed row
    // is a step before anything is taken back.
    UndoSteps(App& app, std::function<void()> storePending, QObject* parent);
    // The recorder stops watching: nobody takes its steps any more.
    ~UndoSteps() override;

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QUndoStack* stack() const { return stack_; }

    // Takes the steps the recorder has completed into the stack.
    void take();
    // Forgets every step (and the step under way).
    void clear();
    // Watches the calculation file now open (or nothing, when none is open).
    void follow();

    void undo();
    void redo();
    // Told after a step was taken back or made again (the window shows the file).
    std::function<void()> applied;

    // The memory the steps may hold together.
    static constexpr size_t kByteCap = size_t(50) << 20;

private:
    void updateActions();
    // Stores a pending typed row, then takes back (back) or makes again the step.
    void move(bool back);

    App& app_;
    std::function<void()> storePending_;
    QUndoStack* stack_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    bool takePosted_ = false;
};

}  // namespace volm::ui
