#include "ui/text_viewer.h"

#include "store/app.h"
#include "store/command.h"
#include "store/errors.h"
#include "ui/dialog_support.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

TVigrV_TXTForm::TVigrV_TXTForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("VigrV_TXTForm"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    auto* menu = new QMenuBar(this);
    miClose = menu->addAction(QStringLiteral("Закрыть"));
    miClose->setObjectName(QStringLiteral("miClose"));
    connect(miClose, &QAction::triggered, this, &QDialog::accept);

    mmRasTXT = new QPlainTextEdit(this);
    mmRasTXT->setObjectName(QStringLiteral("mmRasTXT"));
    mmRasTXT->setReadOnly(true);
    mmRasTXT->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmRasTXT->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmRasTXT->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menu);
    layout->addWidget(mmRasTXT);
    resize(760, 520);
}

void TVigrV_TXTForm::loadFile(const QString& path) {
    setWindowTitle(path);
    mmRasTXT->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw volm::FileError(QStringLiteral("Не удалось открыть файл \"%1\": %2").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw volm::FileError(QStringLiteral("Не удалось прочитать файл \"%1\": %2").arg(path, f.errorString()));
    QStringDecoder decode("windows-1251");
    QString text = decode.isValid() ? decode(bytes) : QString::fromLatin1(bytes);
    mmRasTXT->setPlainText(volm::ui::plainLines(text));
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
    viewer.exec();
    viewer.mmRasTXT->clear();
}
