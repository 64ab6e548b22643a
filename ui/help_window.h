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

// The window that shows help pages for the windows it owns (the main window).
class HelpHost {
public:
    // Shows page (a file of the help folder) over the window `over`; a help
    // window already open there is reused.
    virtual void showHelpPage(const QString& page, QWidget* over) = 0;

protected:
    ~HelpHost() = default;
};

// F1 anywhere in window opens page through the nearest HelpHost among the
// window and its parents; nothing happens without one.
void addHelpKey(QWidget* window, const QString& page);

// Shows page in the help window of `over` (a window of its own over it, so that
// it can be read while a modal dialog is up), made from folder when there is
// none yet. Returns the help window.
THelpForm* showHelpOver(QWidget* over, const QString& folder, const QString& page, bool maximised);

}  // namespace volm::ui
