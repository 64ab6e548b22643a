// The undo stack of the open calculation over the recorder's steps.
#include "ui/undo_steps.h"

#include "store/app.h"
#include "store/errors.h"

#include <QAction>
#include <QKeySequence>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>
#include <memory>

namespace volm::ui {

namespace {

class ChangeCommand : public QUndoCommand {
public:
    ChangeCommand(App& app, UndoSteps& owner, std::shared_ptr<const ChangeSet> set)
        : QUndoCommand(set->text), app_(app), owner_(owner), set_(std::move(set)) {}

    const std::shared_ptr<const ChangeSet>& set() const { return set_; }

    // The step is in the file already when it is pushed.
    void redo() override {
        if (pushed_) apply(false);
        pushed_ = true;
    }
    void undo() override { apply(true); }

private:
    void apply(bool undo) {
        bool stepsMeetTheFile = false;
        try {
            stepsMeetTheFile = applyChangeSet(app_, *set_, undo);
        } catch (const std::exception& e) {
            app_.person().message((undo ? QStringLiteral("Не удалось отменить: ") : QStringLiteral("Не удалось повторить: ")) +
                                  set_->text + QStringLiteral(".\r") + failureText(e));
        }
        // The file is as it was, or its tables were shaped anew: the steps
        // no longer match it.
        if (!stepsMeetTheFile) QTimer::singleShot(0, &owner_, [o = &owner_] { o->clear(); });
    }

    App& app_;
    UndoSteps& owner_;
    std::shared_ptr<const ChangeSet> set_;
    bool pushed_ = false;
};

}  // namespace

UndoSteps::UndoSteps(App& app, std::function<void()> storePending, QObject* parent)
    : QObject(parent), app_(app), storePending_(std::move(storePending)) {
    stack_ = new QUndoStack(this);
    undo_ = new QAction(this);
    undo_->setObjectName(QStringLiteral("miUndo"));
    undo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    redo_ = new QAction(this);
    redo_->setObjectName(QStringLiteral("miRedo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(undo_, &QAction::triggered, this, &UndoSteps::undo);
    connect(redo_, &QAction::triggered, this, &UndoSteps::redo);
    connect(stack_, &QUndoStack::indexChanged, this, &UndoSteps::updateActions);
    // Told from inside a write: the steps are taken once the write is over.
    app_.changes.stepReady = [this] {
        if (takePosted_) return;
        takePosted_ = true;
        QTimer::singleShot(0, this, &UndoSteps::take);
    };
    updateActions();
}

UndoSteps::~UndoSteps() {
    app_.changes.stepReady = nullptr;
    app_.changes.detach();
}

void UndoSteps::follow() {
    clear();
    if (app_.dm.acGR.isOpen()) app_.changes.attach(app_.dm.acGR);
    else app_.changes.detach();
}

void UndoSteps::clear() {
    app_.changes.forgetStep();
    app_.changes.dropSteps();
    stack_->clear();
    updateActions();
}

void UndoSteps::take() {
    takePosted_ = false;
    if (!app_.dm.acGR.isOpen()) return;
    if (!app_.changes.attachedTo(app_.dm.acGR)) {
        // The file was opened again behind the recorder: its steps are gone.
        follow();
        return;
    }
    bool structureChanged = false;
    std::vector<ChangeSet> steps = app_.changes.takeSteps(&structureChanged);
    if (structureChanged) {
        stack_->clear();
        updateActions();
        return;
    }
    for (ChangeSet& s : steps) {
        auto set = std::make_shared<const ChangeSet>(std::move(s));
        // The newest steps that fit under the cap stay, oldest dropped.
        size_t total = set->bytes();
        std::vector<std::shared_ptr<const ChangeSet>> kept;
        bool over = false;
        for (int i = stack_->index() - 1; i >= 0; --i) {
            const auto& older = static_cast<const ChangeCommand*>(stack_->command(i))->set();
            total += older->bytes();
            if (total > kByteCap) {
                over = true;
                break;
            }
            kept.push_back(older);
        }
        if (over) {
            stack_->clear();
            for (auto it = kept.rbegin(); it != kept.rend(); ++it) stack_->push(new ChangeCommand(app_, *this, *it));
        }
        stack_->push(new ChangeCommand(app_, *this, set));
    }
    updateActions();
}

void UndoSteps::undo() { move(true); }

void UndoSteps::redo() { move(false); }

void UndoSteps::move(bool back) {
    if (storePending_) storePending_();
    take();
    if (!(back ? stack_->canUndo() : stack_->canRedo())) return;
    if (back) stack_->undo();
    else stack_->redo();
    if (applied) applied();
}

void UndoSteps::updateActions() {
    // A typed row not yet stored becomes a step when it is taken back.
    undo_->setEnabled(stack_->canUndo() || app_.dm.acGR.isOpen());
    redo_->setEnabled(stack_->canRedo());
    undo_->setText(stack_->canUndo() ? QStringLiteral("Отменить: ") + stack_->undoText() : QStringLiteral("Отменить"));
    redo_->setText(stack_->canRedo() ? QStringLiteral("Повторить: ") + stack_->redoText() : QStringLiteral("Повторить"));
}

}  // namespace volm::ui
