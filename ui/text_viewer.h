#pragma once
// The viewer of a saved calculation text: a sizable window whose read-only text
// area fills it, with the menu item "Закрыть".
//
// Launch: TVigrV_TXTForm::showFile(app, path, parent) once the text is saved under
// path: shows the status text "Подготовка экранной формы с текстом расчета.",
// loads the file (Windows-1251, CR LF lines), clears the status, shows the viewer
// modally with the normal cursor and empties it when it closes. A file that cannot
// be read throws volm::FileError for the run to report.
#include <QDialog>

class QAction;
class QPlainTextEdit;

namespace volm {
class App;
}

class TVigrV_TXTForm : public QDialog {
    Q_OBJECT
public:
    explicit TVigrV_TXTForm(QWidget* parent = nullptr);

    // Caption := path; the memo is emptied and the file's text put into it.
    void loadFile(const QString& path);

    static void showFile(volm::App& app, const QString& path, QWidget* parent = nullptr);

    QPlainTextEdit* mmRasTXT = nullptr;
    QAction* miClose = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};
