#pragma once
// What the main window shows while no calculation is open, in place of the
// empty caption boxes and grids: a short hint and the three ways to begin,
// "Создать новый расчет", "Открыть расчет" and "Открыть пример" (a copy of one
// of the shipped examples; with several, the button offers them in a menu).
// It lies over the widget it covers and follows its size.
#include <QFrame>
#include <functional>
#include <vector>

class QPushButton;

namespace volm::ui {

class StartHint : public QFrame {
    Q_OBJECT
public:
    struct ExampleChoice {
        QString path;
        QString title;
    };

    // covered: the widget the hint lies over (a sibling of the hint).
    StartHint(QWidget* covered, QWidget* parent);

    std::function<void()> onNew;
    std::function<void()> onOpen;
    std::function<void(const QString& examplePath)> onExample;

    void setExamples(const std::vector<ExampleChoice>& examples);

    QPushButton* btnNew = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnExample = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    QWidget* covered_;
    std::vector<ExampleChoice> examples_;
};

}  // namespace volm::ui
