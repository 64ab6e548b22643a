#include "ui/start_hint.h"

#include "ui/dialog_support.h"

#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace volm::ui {

StartHint::StartHint(QWidget* covered, QWidget* parent) : QFrame(parent), covered_(covered) {
    setObjectName(QStringLiteral("pnStartHint"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);

    auto* column = new QWidget(this);
    auto* cl = new QVBoxLayout(column);
    cl->setSpacing(10);
    cl->addWidget(boldLabel(QStringLiteral("Расчет не открыт"), column, 4, Qt::AlignCenter));
    // Lines broken by hand: a word-wrapped label in this column is cut short.
    auto* text = new QLabel(QStringLiteral("Создайте новый расчет, откройте сохраненный\n"
                                           "или начните с копии примера: она будет сохранена\n"
                                           "в папке документов, а сам пример останется как есть."),
                            column);
    text->setAlignment(Qt::AlignCenter);
    cl->addWidget(text);
    cl->addSpacing(6);
    btnNew = new QPushButton(QStringLiteral("Создать новый расчет"), column);
    btnOpen = new QPushButton(QStringLiteral("Открыть расчет"), column);
    btnExample = new QPushButton(QStringLiteral("Открыть пример"), column);
    btnNew->setObjectName(QStringLiteral("btnNewRas"));
    btnOpen->setObjectName(QStringLiteral("btnOpenRas"));
    btnExample->setObjectName(QStringLiteral("btnOpenExample"));
    for (QPushButton* b : {btnNew, btnOpen, btnExample}) {
        b->setMinimumHeight(32);
        cl->addWidget(b);
    }
    column->setFixedWidth(380);

    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    outer->addWidget(column, 0, Qt::AlignHCenter);
    outer->addStretch(2);

    connect(btnNew, &QPushButton::clicked, this, [this] {
        if (onNew) onNew();
    });
    connect(btnOpen, &QPushButton::clicked, this, [this] {
        if (onOpen) onOpen();
    });
    connect(btnExample, &QPushButton::clicked, this, [this] {
        if (examples_.size() == 1 && onExample) onExample(examples_.front().path);
    });

    covered_->installEventFilter(this);
    follow();
}

void StartHint::setExamples(const std::vector<ExampleChoice>& examples) {
    examples_ = examples;
    btnExample->setEnabled(!examples_.empty());
    delete btnExample->menu();
    btnExample->setMenu(nullptr);
    if (examples_.size() > 1) {
        auto* menu = new QMenu(btnExample);
        for (const ExampleChoice& e : examples_) {
            const QString path = e.path;
            menu->addAction(e.title, this, [this, path] {
                if (onExample) onExample(path);
            });
        }
        btnExample->setMenu(menu);
    }
}

void StartHint::follow() {
    setGeometry(covered_->geometry());
    raise();
}

bool StartHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == covered_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) follow();
    return QFrame::eventFilter(watched, event);
}

}  // namespace volm::ui
