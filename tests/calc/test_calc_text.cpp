// The calculation text: its number format, its file (Windows-1251, CR LF, no
// line break after the last line), its blocks, and the saving after a run.
#include "calc/calc_text.h"
#include "commands/text_saving.h"
#include "formulas/cp1251.h"
#include "tests/calc/calc_harness.h"

#include <QDir>
#include <random>
#include <QFile>
#include <QFileInfo>

namespace volm::test {
namespace {

using calc::fixedNumber;

TEST(CalcTextNumbers, FixedPointWithTheLocaleSeparator) {
    const QChar comma(QLatin1Char(','));
    struct Case {
        double value;
        int precision;
        const char* text;
    } cases[] = {
        {0, 2, "0,00"},          {100, 2, "100,00"},      {-3.14159, 3, "-3,142"},    {2.5, 0, "3"},
        {-2.5, 0, "-3"},         {0.125, 2, "0,13"},      {9.995, 2, "10,00"},        {99.5, 0, "100"},
        {-0.001, 2, "0,00"},     {0.0456, 2, "0,05"},     {0.00556, 2, "0,01"},       {0.009, 1, "0,0"},
        {1234567.891, 2, "1234567,89"}, {1e-7, 7, "0,0000001"}, {1e20, 1, "100000000000000000000,0"},
        {88.05555555555556, 4, "88,0556"}, {0.1 + 0.2, 15, "0,300000000000000"},
        {0.5, 0, "1"},           {0.45, 1, "0,5"},        {0.06, 1, "0,1"},           {0.4, 0, "0"},
        {-0.0, 2, "0,00"},       {123.456, 0, "123"},     {-0.06, 1, "-0,1"},         {5e-324, 3, "0,000"},
        {1.7976931348623157e308, 0, "179769313486232000000000000000000000000000000000000000000000000000000000000000"
                                    "000000000000000000000000000000000000000000000000000000000000000000000000000000"
                                    "000000000000000000000000000000000000000000000000000000000000000000000000000000"
                                    "000000000000000000000000000000000000000000000000000000000000000000000000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(fixedNumber(c.value, c.precision, comma), QString::fromUtf8(c.text)) << c.value;
    EXPECT_EQ(fixedNumber(-12.25, 1, QLatin1Char('.')), QStringLiteral("-12.3"));
}

TEST(CalcTextFile, LinesEndInCrLfExceptTheLast) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.tx_"));
    {
        calc::CalcText t(2, QLatin1Char(','));
        t.open(path);
        t.line(QStringLiteral("Первая"));
        t.emptyLine();
        t.put(QStringLiteral("Узел ")).node(-7).put(QStringLiteral(": ")).num(1.5).end();
        t.line(QStringLiteral("Последняя"));
        t.close();
    }
    EXPECT_EQ(fileBytes(path), cp1251::fromUnicode(QStringLiteral("Первая\r\n\r\nУзел -7: 1,50\r\nПоследняя")).c_str());
}

TEST(CalcTextSaving, NameRule) {
    EXPECT_EQ(calc::textFileName(QStringLiteral("/d/расчет")), QStringLiteral("/d/расчет.txt"));
    EXPECT_EQ(calc::textFileName(QStringLiteral("/d/r.TXT")), QStringLiteral("/d/r.TXT"));
    EXPECT_EQ(calc::textFileName(QStringLiteral("/d/r.Txt")), QStringLiteral("/d/r.Txt"));
    EXPECT_EQ(calc::textFileName(QStringLiteral("a.b")), QStringLiteral("a.b.txt"));
    EXPECT_EQ(calc::textFileName(QStringLiteral("/d/r.csv")), QStringLiteral("/d/r.csv.txt"));
    EXPECT_EQ(calc::textFileName(QStringLiteral(".txt")), QStringLiteral(".txt"));
}

class CalcTextRun : public CalcHarness {
protected:
    // One-pipe chain 1 - 2 - 3 with a branch 2 - 4.
    Net onePipe() const {
        Net n;
        n.type = 0;
        n.sections = {{1, 2, 100, 1.5}, {2, 3, 300, 2}, {2, 4, 50, 0.25}};
        n.nodes = {{1, 10}, {2, 12}, {3, 9}, {4, 11}};
        n.headSup = 40;
        return n;
    }
    QString savedText(const QString& path) const {
        const QByteArray b = fileBytes(path);
        return cp1251::toUnicode(std::string_view(b.constData(), size_t(b.size())));
    }
    QString tempText() const { return folder.file(QStringLiteral("~$.tx_")); }
};

TEST_F(CalcTextRun, OnePipeTextInFull) {
    open(onePipe(), {QStringLiteral("UPDATE НазвРасч SET НазвРасч='Тест'")});
    const QString target = folder.data(QStringLiteral("текст"));
    person.fileNames = {target};
    const RunOutcome out = run(QStringLiteral("1"), QString());
    ASSERT_TRUE(out.success()) << out.text.toStdString();
    EXPECT_EQ(out.savedText, target + QStringLiteral(".txt"));
    ASSERT_EQ(person.dialogs.size(), 1u);
    EXPECT_TRUE(person.dialogs[0].save);
    EXPECT_EQ(person.dialogs[0].title, QStringLiteral("Сохранить текст расчета как..."));
    EXPECT_EQ(person.dialogs[0].filter, QStringLiteral("Текстовый документ (*.txt)|*.txt"));
    // The calculation's name with ".txt", beside it, not in the program folder
    // where saving is refused.
    const QFileInfo calcFile(app->dm.acGR.path());
    EXPECT_EQ(person.dialogs[0].initialDir,
              calcFile.absolutePath() + QLatin1Char('/') + calcFile.completeBaseName() + QStringLiteral(".txt"));
    EXPECT_FALSE(QFile::exists(tempText()));

    const QString expected = QStringLiteral(
        "ГИДРАВЛИЧЕСКИЙ РАСЧЕТ ТЕПЛОВОЙ СЕТИ\r\n"
        "\r\n"
        "Название расчета: Тест\r\n"
        "Тип сети: Однотрубная\r\n"
        "\r\n"
        "Расчет показателей:\r\n"
        "Длина подающего трубопровода на начальном узле участка, м. (ДлНачПод)\r\n"
        "Длина подающего трубопровода на конечном узле участка, м. (ДлКонПод)\r\n"
        "Показатели, используемые в расчете:\r\n"
        "Длина подающего трубопровода на участке, м. (ДлНаУчПод)\r\n"
        "\r\n"
        "Участок 1 - 2:\r\n"
        "ДлНачПод = 0,00  ДлНаУчПод = 100,00  ДлКонПод = 100,00\r\n"
        "\r\n"
        "Участок 2 - 3:\r\n"
        "ДлНачПод = 100,00  ДлНаУчПод = 300,00  ДлКонПод = 400,00\r\n"
        "\r\n"
        "Участок 2 - 4:\r\n"
        "ДлНачПод = 100,00  ДлНаУчПод = 50,00  ДлКонПод = 150,00\r\n"
        "\r\n"
        "\r\n"
        "Магистрали теплосети\r\n"
        "Расчет показателей:\r\n"
        "Длина подающего трубопровода магистрали, м. (ДлМагПод)\r\n"
        "\r\n"
        "Магистраль 1: 1 - 2 - 3\r\n"
        "ДлМагПод = 400,00\r\n"
        "\r\n"
        "Магистраль 2: 1 - 2 - 4\r\n"
        "ДлМагПод = 150,00\r\n"
        "\r\n"
        "\r\n"
        "Расчет показателей:\r\n"
        "Температура воды в подающем трубопроводе на начальном узле участка, град. С (ТВодыНачПод)\r\n"
        "Температура воды в подающем трубопроводе на конечном узле участка, град. С (ТВодыКонПод)\r\n"
        "Показатели, используемые в расчете:\r\n"
        "Изменение температуры воды на один метр подающего трубопровода, град. С / м. (ИзмТНаМПод)\r\n"
        "Минимальная температура воды в теплосети, град. С (МинТВоды)\r\n"
        "Максимальная температура воды в теплосети, град. С (МаксТВоды)\r\n"
        "Максимальная длина подающего трубопровода от начального до конечного узла теплосети, м. (МаксДлПод)\r\n"
        "Длина подающего трубопровода на начальном узле участка, м. (ДлНачПод)\r\n"
        "Длина подающего трубопровода на конечном узле участка, м. (ДлКонПод)\r\n"
        "\r\n"
        "Магистраль 1: 1 - 2 - 3\r\n"
        "ИзмТНаМПод = (<МаксТВоды> - <МинТВоды>) / <МаксДлПод> = 0,10\r\n"
        "\r\n"
        "Участок 1 - 2:\r\n"
        "ТВодыНачПод = <МаксТВоды> - <ДлНачПод> * <ИзмТНаМПод> = 95,00\r\n"
        "ТВодыКонПод = <МаксТВоды> - <ДлКонПод> * <ИзмТНаМПод> = 85,00\r\n"
        "\r\n"
        "Участок 2 - 3:\r\n"
        "ТВодыНачПод = <МаксТВоды> - <ДлНачПод> * <ИзмТНаМПод> = 85,00\r\n"
        "ТВодыКонПод = <МаксТВоды> - <ДлКонПод> * <ИзмТНаМПод> = 55,00\r\n"
        "\r\n"
        "Магистраль 2: 1 - 2 - 4\r\n"
        "\r\n"
        "Участок 2 - 4:\r\n"
        "ТВодыНачПод = <МаксТВоды> - <ДлНачПод> * <ИзмТНаМПод> = 85,00\r\n"
        "ТВодыКонПод = <МаксТВоды> - <ДлКонПод> * <ИзмТНаМПод> = 80,00\r\n"
        "\r\n"
        "\r\n"
        "Расчет заголовочных показателей:\r\n"
        "Максимальная геодезическая высота узлов теплосети, м. (МаксГеодВысТС) = 12,00\r\n"
        "Минимальная геодезическая высота узлов теплосети, м. (МинГеодВысТС) = 9,00\r\n"
        "Полный напор на узле 1 в подающем трубопроводе, м. (ПНапНаУзПод) = 40,00\r\n"
        "Максимальная длина подающего трубопровода от начального до конечного узла теплосети, м. (МаксДлПод) = 400,00\r\n"
        "Максимальная температура воды в теплосети, град. С (МаксТВоды) = 95,00\r\n"
        "Минимальная температура воды в теплосети, град. С (МинТВоды) = 55,00\r\n"
        "\r\n"
        "\r\n"
        "Расчет табличных показателей:\r\n"
        "\r\n");
    const QString text = savedText(out.savedText);
    ASSERT_TRUE(text.startsWith(expected)) << text.left(expected.size()).toStdString();

    const QString section12 = QStringLiteral(
        "Участок 1 - 2:\r\n"
        "Геодезическая высота начального узла участка, м. (ГеодВысНач) = 10,00\r\n"
        "Геодезическая высота конечного узла участка, м. (ГеодВысКон) = 12,00\r\n"
        "Потери напора от источника на начальном узле участка под. трубопровода, м. (ПотНОтИНачПод) = 0,00\r\n"
        "Расход воды в подающем трубопроводе на участке, т/ч (РасхПод) = \r\n"
        "Длина подающего трубопровода на участке, м. (ДлНаУчПод) = 100,00\r\n"
        "Длина подающего трубопровода на начальном узле участка, м. (ДлНачПод) = 0,00\r\n"
        "Длина подающего трубопровода на конечном узле участка, м. (ДлКонПод) = 100,00\r\n"
        "Температура воды в подающем трубопроводе на начальном узле участка, град. С (ТВодыНачПод) = 95,00\r\n"
        "Температура воды в подающем трубопроводе на конечном узле участка, град. С (ТВодыКонПод) = 85,00\r\n"
        "Потери напора на участке под. трубопровода, м. (ПотУчП) = 1,50\r\n"
        "Потери напора на участке обр. трубопровода, м. (ПотУчО) = 1,00\r\n"
        "Потери напора от источника на конечном узле участка под. трубопровода, м. (ПотНОтИКонПод) = "
        "<ПотНОтИНачПод>+<ПотУчП> = 1,50\r\n"
        "\r\n");
    EXPECT_TRUE(text.contains(expected + section12)) << text.mid(expected.size(), section12.size()).toStdString();

    const QString tail = QStringLiteral(
        "\r\n"
        "Расчет показателей:\r\n"
        "Полный напор на начальном узле участка под. трубопровода, м. (ПНапНачПод)\r\n"
        "Полный напор на конечном узле участка под. трубопровода, м. (ПНапКонПод)\r\n"
        "\r\n"
        "Участок 1 - 2:\r\n"
        "ПНапНачПод = 40,00  ПНапКонПод = 38,50\r\n"
        "\r\n"
        "Участок 2 - 3:\r\n"
        "ПНапНачПод = 38,50  ПНапКонПод = 36,50\r\n"
        "\r\n"
        "Участок 2 - 4:\r\n"
        "ПНапНачПод = 38,50  ПНапКонПод = 38,25\r\n"
        "\r\n"
        "\r\n"
        "Расчет напоров в конечных узлах теплосети:\r\n"
        "Потери напора от источника в подающем трубопроводе, м. (ПотНОтИПод)\r\n"
        "Полный напор в подающем трубопроводе, м. (ПНапПод)\r\n"
        "\r\n"
        "Магистраль 1: 1 - 2 - 3\r\n"
        "ПотНОтИПод = 3,50  ПНапПод = 36,50\r\n"
        "\r\n"
        "Магистраль 2: 1 - 2 - 4\r\n"
        "ПотНОтИПод = 1,75  ПНапПод = 38,25");
    EXPECT_TRUE(text.endsWith(tail)) << text.right(tail.size()).toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Обр")));
    EXPECT_FALSE(text.contains(QStringLiteral("<РасМаксТВоды>")));
}

TEST_F(CalcTextRun, TwoPipeTextEndsWithTheReturnLineOfTheLastMain) {
    Net n;
    n.sections = {{1, 2, 100, 1, 0.5}, {2, 3, 200, 1, 0.5}, {2, 4, 100, 1, 0.5}};
    open(n);
    const QString target = folder.data(QStringLiteral("два.TXT"));
    person.fileNames = {target};
    const RunOutcome out = run();
    ASSERT_TRUE(out.success());
    EXPECT_EQ(out.savedText, target);
    const QString text = savedText(target);
    EXPECT_TRUE(text.contains(QStringLiteral("Тип сети: Двухтрубная\r\n")));
    // The branch main (to 4) starts from the temperatures found at node 2.
    EXPECT_TRUE(text.contains(QStringLiteral("Магистраль 2: 1 - 2 - 4\r\nРасМинТВоды = <ТВодыОбр2> = ")));
    EXPECT_TRUE(text.contains(QStringLiteral(
        "ТВодыНачОбр = <РасМинТВоды> + (<ДлНачОбр> - <ДлОбр2>) * <ИзмТНаМОбр> = ")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Магистраль 2: 1 - 2 - 4\r\nПотНОтИПод = 2,00  ПНапПод = 98,00\r\n"
                                             "ПотНОтИОбр = 1,00  ПНапОбр = 51,00  РНап = 47,00")))
        << text.right(200).toStdString();
}

TEST_F(CalcTextRun, KeepTextOffWritesNothingAndAsksNothing) {
    open(onePipe());
    folder.setSetting(QStringLiteral("СохрТекстРас"), false);
    app->dm.atNastr->requery();
    const RunOutcome out = run(QStringLiteral("1"), QString());
    EXPECT_TRUE(out.success());
    EXPECT_TRUE(person.dialogs.empty());
    EXPECT_TRUE(out.savedText.isEmpty());
    EXPECT_FALSE(QFile::exists(tempText()));
}

TEST_F(CalcTextRun, CancelledSaveLeavesNoFile) {
    open(onePipe());
    const RunOutcome out = run(QStringLiteral("1"), QString());
    EXPECT_TRUE(out.success());
    EXPECT_EQ(person.dialogs.size(), 1u);
    EXPECT_TRUE(out.savedText.isEmpty());
    EXPECT_FALSE(QFile::exists(tempText()));
    EXPECT_TRUE(QDir(folder.dataDir()).entryList({QStringLiteral("*.txt")}).isEmpty());
}

TEST_F(CalcTextRun, TheProgramFolderIsRefusedHoweverSpelt) {
    for (const QString& name : {folder.file(QStringLiteral("r.txt")), QStringLiteral("r.txt"),
                                folder.path() + QStringLiteral("/./r.txt")}) {
        SCOPED_TRACE(name.toStdString());
        open(onePipe());
        person.fileNames = {name};
        const RunOutcome out = run(QStringLiteral("1"), QString());
        EXPECT_TRUE(out.success());
        EXPECT_EQ(person.messages,
                  QStringList({"Нельзя сохранить текст расчета в папку, в которую установлена программа."}));
        EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("r.txt"))));
        EXPECT_FALSE(QFile::exists(tempText()));
    }
}

TEST_F(CalcTextRun, AnExistingFileIsReplacedOnlyOnYes) {
    const QString target = folder.data(QStringLiteral("old.txt"));
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("old");
        f.close();
        open(onePipe());
        person.fileNames = {target};
        person.answers = {yes};
        int shown = 0;
        RunOptions o;
        o.showText = [&](const QString& p) {
            ++shown;
            EXPECT_EQ(p, target);
        };
        const RunOutcome out = run(QStringLiteral("1"), QString(), o);
        EXPECT_TRUE(out.success());
        EXPECT_EQ(person.questions, QStringList({QStringLiteral("Файл \"") + target + QStringLiteral("\" уже существует. Заменить его?")}));
        EXPECT_EQ(fileBytes(target) == "old", !yes);
        EXPECT_EQ(shown, yes ? 1 : 0);
        EXPECT_FALSE(QFile::exists(tempText()));
    }
}

TEST_F(CalcTextRun, AFaultDiscardsTheText) {
    Net n = onePipe();
    n.headSup = kNullValue;  // the head calculation stops: no head given at the supply node
    open(n);
    person.fileNames = {folder.data(QStringLiteral("x.txt"))};
    const RunOutcome out = run(QStringLiteral("1"), QString());
    EXPECT_EQ(out.status, RunOutcome::Status::Fault);
    EXPECT_TRUE(person.dialogs.empty());
    EXPECT_FALSE(QFile::exists(tempText()));
    EXPECT_FALSE(QFile::exists(folder.data(QStringLiteral("x.txt"))));
}

TEST_F(CalcTextRun, GivenTextFileAndPrecision) {
    open(onePipe());
    folder.setSetting(QStringLiteral("СохрТекстРас"), false);
    app->dm.atNastr->requery();
    RunOptions o;
    o.textFile = folder.data(QStringLiteral("given.log"));
    o.precision = 4;
    const RunOutcome out = run(QStringLiteral("1"), QString(), o);
    ASSERT_TRUE(out.success());
    EXPECT_TRUE(person.dialogs.empty());
    EXPECT_EQ(out.savedText, o.textFile);
    EXPECT_TRUE(savedText(o.textFile).endsWith(QStringLiteral("ПотНОтИПод = 1,7500  ПНапПод = 38,2500")));
}

}  // namespace
}  // namespace volm::test

namespace volm::test {
namespace {

// The shortcut of the number format agrees with the digit-by-digit rule on
// values of every magnitude, including ties and near-ties.
TEST(CalcTextNumbers, ShortcutAgreesWithTheDigits) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-10, 12);
    std::uniform_int_distribution<int> digits(0, 8);
    for (int i = 0; i < 200000; ++i) {
        const int p = digits(rng);
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (i % 4 == 0) v = std::round(v * std::pow(10.0, p + 1)) / std::pow(10.0, p + 1);  // many ties
        std::string fast, exact;
        calc::appendFixed(fast, v, p, QLatin1Char(','));
        calc::appendFixedExact(exact, v, p, QLatin1Char(','));
        ASSERT_EQ(fast, exact) << v << " with " << p;
    }
}

}  // namespace
}  // namespace volm::test
