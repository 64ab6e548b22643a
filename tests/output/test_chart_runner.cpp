// volm-run --chart: the piezometric chart of a main of an example, written as a
// PNG without a display after the run; a missing main is a fault, a bad number
// a usage error.
#include <gtest/gtest.h>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <ostream>

namespace {

struct RunnerCase {
    const char* name;
    const char* example;
    const char* mainNumber;  // nullptr: not given
    int status;
    bool picture;
    bool returnLine;         // blue pixels of the return line
    const char* error;       // part of standard error
};

std::ostream& operator<<(std::ostream& o, const RunnerCase& c) { return o << c.name; }

class ChartRunner : public ::testing::TestWithParam<RunnerCase> {};

TEST_P(ChartRunner, WritesThePictureOrSaysWhyNot) {
    const RunnerCase& c = GetParam();
    QTemporaryDir dir;
    const QString calc = dir.filePath(QStringLiteral("calc.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOLM_BIN_DIR "/examples/") + QString::fromLatin1(c.example), calc));
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner);
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    QStringList args{QStringLiteral("--chart"), png};
    if (c.mainNumber) args << QStringLiteral("--main") << QString::fromLatin1(c.mainNumber);
    args << calc;

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLM_RUN_EXE), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), c.status) << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromUtf8(c.error))) << err.toStdString();

    const QImage image(png);
    EXPECT_EQ(!image.isNull(), c.picture);
    if (image.isNull()) return;
    EXPECT_EQ(image.size(), QSize(1600, 900));
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb px = image.pixel(x, y);
            if (qRed(px) > 200 && qGreen(px) < 60 && qBlue(px) < 60) ++red;
            if (qBlue(px) > 200 && qRed(px) < 60 && qGreen(px) < 60) ++blue;
        }
    EXPECT_GT(red, 100);
    EXPECT_EQ(blue > 100, c.returnLine) << blue;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ChartRunner,
    ::testing::Values(RunnerCase{"TwoPipeFirstMain", "two_pipe.mdb", nullptr, 0, true, true, ""},
                      RunnerCase{"TwoPipeSixthMain", "two_pipe.mdb", "6", 0, true, true, ""},
                      RunnerCase{"OnePipeSecondMain", "one_pipe.mdb", "2", 0, true, false, ""},
                      RunnerCase{"MissingMain", "two_pipe.mdb", "99", 1, false, false, "Магистраль 99 не найдена"},
                      RunnerCase{"BadMainNumber", "two_pipe.mdb", "0", 2, false, false, "--main должен быть целым числом не меньше 1: \"0\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
