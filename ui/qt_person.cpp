#include "ui/qt_person.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace volm::ui {

QString QtPerson::displayText(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString QtPerson::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString masks = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (masks.isEmpty()) {
            out << description;
            continue;
        }
        const QString qtMasks = QString(masks).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the masks from the last parentheses of the entry.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')) &&
            description.mid(description.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).trimmed() == qtMasks)
            out << description;
        else
            out << description + QStringLiteral(" (") + qtMasks + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

void QtPerson::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ВОЛМ"), displayText(text),
                    QMessageBox::Ok, window_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    // The hourglass of a long command must not hide the pointer over the box.
    const bool hourglass = busy_ > 0;
    if (hourglass) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (hourglass) QApplication::restoreOverrideCursor();
}

bool QtPerson::ask(const QString& text) { return askTitled(QStringLiteral("ВОЛМ"), text); }

bool QtPerson::askTitled(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, displayText(text),
                    QMessageBox::Yes | QMessageBox::No, window_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const bool hourglass = busy_ > 0;
    if (hourglass) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool yes = box.exec() == QMessageBox::Yes;
    if (hourglass) QApplication::restoreOverrideCursor();
    return yes;
}

QString QtPerson::openFileName(const QString& title, const QString& filter, const QString& initialDir) {
    return QFileDialog::getOpenFileName(window_, title, initialDir, qtFilter(filter));
}

QString QtPerson::saveFileName(const QString& title, const QString& filter, const QString& initialDir) {
    // The commands ask about replacing a file themselves.
    return QFileDialog::getSaveFileName(window_, title, initialDir, qtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtPerson::status(const QString& text) {
    if (showStatus) showStatus(text);
}

void QtPerson::busy(bool on) {
    if (on) {
        ++busy_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0) {
        --busy_;
        QApplication::restoreOverrideCursor();
    }
}

void QtPerson::processEvents() { QApplication::processEvents(); }

}  // namespace volm::ui
