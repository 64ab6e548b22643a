#pragma once
// The help of the program: HTML pages shipped in the program folder under help/
// (index.html and the pages it links), shown in a window of their own.
#include <QWidget>

class QTextBrowser;

namespace volm::ui {

class THelpForm : public QWidget {
    Q_OBJECT
public:
    // folder: the help folder; the window opens on its index.html.
    explicit THelpForm(const QString& folder, QWidget* parent = nullptr);

    // The page file name shown now (e.g. "index.html").
    QString currentPage() const;
    void showPage(const QString& fileName);

    QTextBrowser* browser = nullptr;

private:
    QString folder_;
};

// The path of the help index in the program folder.
QString helpIndexPath(const QString& programDir);

}  // namespace volm::ui
