#include "ui/text_viewer.h"

#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "ui/dialog_support.h"
#include "ui/help_window.h"
#include "ui/large_text_view.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

using volm::ui::LargeTextView;

TVigrV_TXTForm::TVigrV_TXTForm(QWidget* parent) : QDialog(parent) {
    volm::ui::addHelpKey(this, QStringLiteral("calculation.html"));
    setObjectName(QStringLiteral("VigrV_TXTForm"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    auto* menu = new QMenuBar(this);
    miClose = menu->addAction(QStringLiteral("Закрыть"));
    miClose->setObjectName(QStringLiteral("miClose"));
    connect(miClose, &QAction::triggered, this, &QDialog::accept);

    mmRasTXT = new LargeTextView(this);
    mmRasTXT->setObjectName(QStringLiteral("mmRasTXT"));
    mmRasTXT->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmRasTXT->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The search line, hidden until Ctrl+F.
    pnFind = new QWidget(this);
    pnFind->setObjectName(QStringLiteral("pnFind"));
    auto* fl = new QHBoxLayout(pnFind);
    fl->setContentsMargins(4, 2, 4, 2);
    edFind = new QLineEdit;
    edFind->setObjectName(QStringLiteral("edFind"));
    edFind->setPlaceholderText(QStringLiteral("Найти в тексте"));
    edFind->installEventFilter(this);
    auto* next = new QPushButton(QStringLiteral("Найти далее"));
    auto* previous = new QPushButton(QStringLiteral("Найти назад"));
    for (QPushButton* b : {next, previous}) b->setAutoDefault(false);
    lbFound = new QLabel;
    lbFound->setObjectName(QStringLiteral("lbFound"));
    fl->addWidget(new QLabel(QStringLiteral("Найти:")));
    fl->addWidget(edFind, 1);
    fl->addWidget(next);
    fl->addWidget(previous);
    fl->addWidget(lbFound, 1);
    pnFind->hide();
    connect(edFind, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(true); });

    auto addKey = [this](const QKeySequence& key, auto handler) {
        auto* a = new QAction(this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, handler);
        addAction(a);
    };
    addKey(QKeySequence::Find, [this] { openSearch(); });
    addKey(QKeySequence(Qt::Key_F3), [this] { findNext(false); });
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { findNext(true); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu);
    layout->addWidget(mmRasTXT, 1);
    layout->addWidget(pnFind);
    resize(760, 520);
}

void TVigrV_TXTForm::loadFile(const QString& path) {
    setWindowTitle(path);
    mmRasTXT->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw volm::FileError(QStringLiteral("Не удалось открыть файл \"%1\": %2").arg(path, f.errorString()));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw volm::FileError(QStringLiteral("Не удалось прочитать файл \"%1\": %2").arg(path, f.errorString()));
    mmRasTXT->setBytes(std::move(bytes));
}

void TVigrV_TXTForm::openSearch() {
    pnFind->show();
    if (edFind->text().isEmpty() && mmRasTXT->hasSelection() &&
        mmRasTXT->selectionStart().line == mmRasTXT->selectionEnd().line)
        edFind->setText(mmRasTXT->selectedText());
    edFind->setFocus();
    edFind->selectAll();
}

void TVigrV_TXTForm::findNext(bool backward) {
    if (!pnFind->isVisible() || edFind->text().isEmpty()) {
        openSearch();
        if (edFind->text().isEmpty()) return;
    }
    switch (mmRasTXT->find(edFind->text(), backward)) {
    case LargeTextView::Found::Yes:
        lbFound->clear();
        break;
    case LargeTextView::Found::Wrapped:
        lbFound->setText(backward ? QStringLiteral("Поиск продолжен с конца текста.")
                                  : QStringLiteral("Поиск продолжен с начала текста."));
        break;
    case LargeTextView::Found::No:
        lbFound->setText(QStringLiteral("Текст не найден."));
        break;
    }
}

// Escape in the search line closes the line, not the window.
bool TVigrV_TXTForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edFind && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        pnFind->hide();
        lbFound->clear();
        mmRasTXT->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TVigrV_TXTForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    volm::ui::centreOnScreen(this);
}

void TVigrV_TXTForm::showFile(volm::App& app, const QString& path, QWidget* parent) {
    volm::Person& person = app.person();
    TVigrV_TXTForm viewer(parent);
    volm::ui::applyTextFont(viewer.mmRasTXT, volm::ui::dialogFontSizes(app));
    {
        person.status(QStringLiteral("Подготовка экранной формы с текстом расчета."));
        volm::Finally clearStatus([&] { person.status(QString()); });
        viewer.loadFile(path);
    }
    // The run keeps its hourglass; the viewer is read with the normal cursor.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    volm::Finally restore([] { QApplication::restoreOverrideCursor(); });
    viewer.mmRasTXT->setFocus();
    viewer.exec();
    viewer.mmRasTXT->clear();
}
