#pragma once
// The viewer of a saved calculation text: a sizable window whose read-only text
// area fills it, with the menu item "Закрыть".
//
// Launch: TVigrV_TXTForm::showFile(app, path, parent) once the text is saved under
// path: shows the status text "Подготовка экранной формы с текстом расчета.",
// loads the file (Windows-1251, CR LF lines), clears the status, shows the viewer
// modally with the normal cursor and empties it when it closes. A file that cannot
// be read throws volm::FileError for the run to report.
//
// The text area lays out only the lines on screen, so the text of a network of
// tens of thousands of sections opens at once. Ctrl+F opens the search line
// under the text; Enter and F3 find the next occurrence, Shift+F3 the previous
// one, Escape closes the search line.
#include "ui/large_text_view.h"

#include <QDialog>

class QAction;
class QLabel;
class QLineEdit;
class QWidget;

namespace volm {
class App;
}

class TVigrV_TXTForm : public QDialog {
    Q_OBJECT
public:
    explicit TVigrV_TXTForm(QWidget* parent = nullptr);

    // Caption := path; the text area is emptied and the file's text put into it.
    void loadFile(const QString& path);

    static void showFile(volm::App& app, const QString& path, QWidget* parent = nullptr);

    // Shows the search line with the focus in it.
    void openSearch();
    // Looks for the search line's text; the line under it tells what came of it.
    void findNext(bool backward = false);

    volm::ui::LargeTextView* mmRasTXT = nullptr;
    QAction* miClose = nullptr;
    QWidget* pnFind = nullptr;
    QLineEdit* edFind = nullptr;
    QLabel* lbFound = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
