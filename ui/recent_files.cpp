#include "ui/recent_files.h"

#include <QAction>
#include <QFileInfo>

namespace volm::ui {

RecentFilesMenu::RecentFilesMenu(QWidget* parent) : QMenu(QStringLiteral("Последние расчеты"), parent) {
    setObjectName(QStringLiteral("miPoslRas"));
    setToolTipsVisible(true);
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::refresh);
}

void RecentFilesMenu::refresh() {
    clear();
    const QStringList files = list ? list() : QStringList();
    if (files.isEmpty()) {
        addAction(QStringLiteral("(список пуст)"))->setEnabled(false);
        return;
    }
    int n = 0;
    for (const QString& path : files) {
        ++n;
        QString label = path;
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = addAction(QStringLiteral("&%1 %2").arg(n).arg(label));
        a->setData(path);
        if (!QFileInfo(path).isFile()) {
            a->setEnabled(false);
            a->setToolTip(QStringLiteral("Файл не найден"));
        }
        connect(a, &QAction::triggered, this, [this, path] {
            if (chosen) chosen(path);
        });
    }
}

}  // namespace volm::ui
