#include "ui/help_window.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace volm::ui {

QString helpIndexPath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("help/index.html"));
}

THelpForm::THelpForm(const QString& folder, QWidget* parent) : QWidget(parent, Qt::Window), folder_(folder) {
    setWindowTitle(QStringLiteral("Справка ВОЛМ 1.0"));
    auto* v = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* home = new QPushButton(QStringLiteral("Содержание"));
    auto* back = new QPushButton(QStringLiteral("Назад"));
    auto* forward = new QPushButton(QStringLiteral("Вперед"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"));
    bar->addWidget(home);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch(1);
    bar->addWidget(close);
    browser = new QTextBrowser;
    browser->setOpenExternalLinks(true);
    browser->setSearchPaths({folder_});
    v->addLayout(bar);
    v->addWidget(browser, 1);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { showPage(QStringLiteral("index.html")); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(820, 640);
    showPage(QStringLiteral("index.html"));
}

void THelpForm::showPage(const QString& fileName) {
    browser->setSource(QUrl::fromLocalFile(QDir(folder_).filePath(fileName)));
}

QString THelpForm::currentPage() const { return QFileInfo(browser->source().toLocalFile()).fileName(); }

void addHelpKey(QWidget* window, const QString& page) {
    auto* help = new QAction(window);
    help->setObjectName(QStringLiteral("helpKey"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(help, &QAction::triggered, window, [window, page] {
        for (QWidget* w = window; w; w = w->parentWidget())
            if (auto* host = dynamic_cast<HelpHost*>(w)) {
                host->showHelpPage(page, window);
                return;
            }
    });
    window->addAction(help);
}

THelpForm* showHelpOver(QWidget* over, const QString& folder, const QString& page, bool maximised) {
    THelpForm* form = over->findChild<THelpForm*>(QString(), Qt::FindDirectChildrenOnly);
    if (!form) {
        form = new THelpForm(folder, over);
        form->setAttribute(Qt::WA_DeleteOnClose);
    }
    form->showPage(page);
    if (maximised) form->showMaximized();
    else form->show();
    form->raise();
    form->activateWindow();
    return form;
}

}  // namespace volm::ui
