#pragma once
// The submenu "Последние расчеты" of "Файл": the calculation files opened last,
// the latest first, numbered 1 to 8; a file that is no longer there stays in the
// list greyed out. Rebuilt every time it opens.
#include <QMenu>
#include <QStringList>
#include <functional>

namespace volm::ui {

class RecentFilesMenu : public QMenu {
    Q_OBJECT
public:
    explicit RecentFilesMenu(QWidget* parent = nullptr);

    std::function<QStringList()> list;                 // the files, latest first
    std::function<void(const QString& path)> chosen;   // a file was picked

    void refresh();
};

}  // namespace volm::ui
