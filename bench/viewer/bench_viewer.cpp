// Opening a long calculation text in the text viewer, going to its end,
// paging through it and searching it, on the offscreen platform unless a
// display is given.
//
//   volm_bench_viewer                 a generated text of about 110 MB in the
//                                     calculation text's shape (CR LF, Windows-1251)
//   volm_bench_viewer --real N        the text of a run over a generated network
//                                     of N sections (volm-run --text)
//   volm_bench_viewer FILE            a text at hand
// Options: --keep PATH keeps the text used; --old also times the former way of
// loading the whole text into a QPlainTextEdit (about 17 s for 110 MB).
#include "bench/calc/network_generator.h"
#include "bench/support/bench_support.h"
#include "ui/large_text_view.h"
#include "ui/text_viewer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using volm::bench::Clock;
using volm::bench::seconds;

namespace {

// About targetBytes of text in the shape of a calculation text: a heading, then
// a block of one title line and two long lines of values per section.
QString generateText(const QString& path, qint64 targetBytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write ") + path;
    QStringEncoder cp1251("windows-1251");
    f.write(cp1251(QStringLiteral("ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\r\n\r\nТип сети: Двухтрубная\r\n")));
    QByteArray block;
    for (int s = 1; f.size() < targetBytes; ++s) {
        QString t = QStringLiteral("\r\nУчасток %1 - %2:\r\n").arg(s).arg(s + 1);
        for (int k = 0; k < 18; ++k) {
            for (const char* side : {"Под", "Обр"})
                t += QStringLiteral("ДлНачУч%1 = %2  ДлНаУч%1 = %3  ПотНОтИКон%1 = %4  РасхНаУч%1 = %5  "
                                    "СкорНаУч%1 = %6  УдПотД%1 = %7  ПотНаУч%1 = %8\r\n")
                         .arg(QString::fromUtf8(side))
                         .arg(s * 10.0 + k, 0, 'f', 2)
                         .arg(35.0 + k, 0, 'f', 2)
                         .arg(s * 0.013 + k, 0, 'f', 2)
                         .arg(12.5 + k, 0, 'f', 3)
                         .arg(0.8 + k * 0.01, 0, 'f', 3)
                         .arg(41.2 + k, 0, 'f', 2)
                         .arg(1.37 + k, 0, 'f', 3);
        }
        f.write(cp1251(t));
    }
    return {};
}

// The text of a run over a generated network.
QString runText(const QString& dir, int sections, const QString& text) {
    const QString bin = QStringLiteral(VOLM_BIN_DIR);
    const QString calc = dir + QStringLiteral("/network.mdb");
    if (!volm::bench::copyFile(bin + QStringLiteral("/GidrRas.mdb"), calc)) return QStringLiteral("cannot copy the template");
    volm::bench::generateNetwork(calc, sections);
    QProcess run;
    run.start(QStringLiteral(VOLM_RUN_EXE), {QStringLiteral("--text"), text, calc});
    run.waitForFinished(-1);
    if (!QFile::exists(text)) return QStringLiteral("volm-run made no text: ") + QString::fromLocal8Bit(run.readAllStandardError());
    return {};
}

void key(QWidget* w, int k, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(w, &press);
}

double peakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString file, keep;
    int realSections = 0;
    bool old = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--old")) old = true;
        else if (args[i] == QLatin1String("--keep") && i + 1 < args.size()) keep = args[++i];
        else if (args[i] == QLatin1String("--real") && i + 1 < args.size()) realSections = args[++i].toInt();
        else file = args[i];
    }

    QTemporaryDir work;
    const auto g0 = Clock::now();
    if (file.isEmpty()) {
        file = keep.isEmpty() ? work.filePath(QStringLiteral("text.txt")) : keep;
        const QString err = realSections > 0 ? runText(work.path(), realSections, file)
                                             : generateText(file, 110LL * 1000 * 1000);
        if (!err.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(err));
            return 1;
        }
        std::printf("text made in %.1f s\n", seconds(g0, Clock::now()));
    }
    const qint64 size = QFileInfo(file).size();

    TVigrV_TXTForm viewer;
    viewer.resize(1000, 700);
    volm::ui::LargeTextView* view = viewer.mmRasTXT;

    // Painting is timed through grab(), which paints the text area whether or
    // not the platform shows it.
    auto paint = [view] { return view->viewport()->grab().width(); };
    const auto t0 = Clock::now();
    viewer.loadFile(file);
    viewer.show();
    paint();
    const auto t1 = Clock::now();
    key(view, Qt::Key_End, Qt::ControlModifier);
    paint();
    const auto t2 = Clock::now();
    key(view, Qt::Key_Home, Qt::ControlModifier);
    const int pages = 500;
    for (int i = 0; i < pages; ++i) {
        key(view, Qt::Key_PageDown);
        paint();
    }
    const auto t3 = Clock::now();
    key(view, Qt::Key_Home, Qt::ControlModifier);
    // The text's last line, from the top: the whole text is read.
    qint64 lastLineNo = view->lineCount() - 1;
    while (lastLineNo > 0 && view->lineText(lastLineNo).trimmed().isEmpty()) --lastLineNo;
    const QString lastLine = view->lineText(lastLineNo);
    const auto found = view->find(lastLine);
    const auto t4 = Clock::now();
    const qint64 foundLine = view->selectionStart().line;
    key(view, Qt::Key_Home, Qt::ControlModifier);
    const auto missing = view->find(QStringLiteral("нет такого текста"));
    const auto t5 = Clock::now();

    std::printf("\n%-44s %12s\n", "text", QFileInfo(file).fileName().toLocal8Bit().constData());
    std::printf("%-44s %12.1f\n", "size, MB", size / 1e6);
    std::printf("%-44s %12lld\n", "lines", static_cast<long long>(view->lineCount()));
    std::printf("%-44s %12.3f\n", "open: read, index, show, first paint, s", seconds(t0, t1));
    std::printf("%-44s %12.3f\n", "Ctrl+End and paint, s", seconds(t1, t2));
    std::printf("%-44s %12.3f\n", "Page Down and paint, ms each", seconds(t2, t3) * 1000 / pages);
    std::printf("%-44s %12.3f\n", "find the last line from the top, s", seconds(t3, t4));
    std::printf("%-44s %12.3f\n", "find what is not there (whole text), s", seconds(t4, t5));
    std::printf("%-44s %12lld of %lld\n", "found on line", static_cast<long long>(foundLine + 1),
                static_cast<long long>(lastLineNo + 1));
    std::printf("%-44s %12s\n", "found / missing", (found != volm::ui::LargeTextView::Found::No &&
                                                    missing == volm::ui::LargeTextView::Found::No) ? "yes / no" : "WRONG");
    std::printf("%-44s %12.0f\n", "peak memory, MB", peakMb());
    viewer.hide();
    view->clear();

    if (old) {
        // The former viewer: the whole text decoded and handed to a QPlainTextEdit.
        QPlainTextEdit edit;
        edit.setReadOnly(true);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.resize(1000, 700);
        const auto o0 = Clock::now();
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        QStringDecoder decode("windows-1251");
        QString text = decode(f.readAll());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        edit.setPlainText(text);
        edit.show();
        edit.viewport()->grab();
        std::printf("%-44s %12.3f\n", "former viewer (QPlainTextEdit): open, s", seconds(o0, Clock::now()));
        std::printf("%-44s %12.0f\n", "peak memory after it, MB", peakMb());
    }
    return 0;
}
