// The calculation text's buffer and the run's flat indexes. The text is
// written by a second thread in pieces of about a megabyte: a long text comes
// out byte for byte as the pieces were given, across every hand-over, with a
// line longer than the buffer among them. The flat map keeps the first value
// of a key, like the maps it replaced.
#include "calc/calc_text.h"
#include "calc/key_map.h"

#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unordered_map>

namespace volm::test {
namespace {

std::string fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

TEST(CalcTextBuffer, ALongTextComesOutAsGivenAcrossEveryHandOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.tx_"));
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> value(-2e4, 2e4);
    std::uniform_int_distribution<int> node(-5, 40000);
    const std::string piece = "\xD3\xF7\xE0\xF1\xF2\xEE\xEA ";  // "Участок " in Windows-1251
    std::string expected;
    {
        calc::CalcText t(3, QLatin1Char(','));
        t.open(path);
        for (int line = 0; line < 90000; ++line) {
            if (line) expected += "\r\n";
            if (line == 45000) {
                // One line longer than the buffer and its room beyond.
                const std::string lengthy(3 * calc::CalcText::kFlushSize / 2, 'x');
                t.putBytes(lengthy).end();
                expected += lengthy;
                continue;
            }
            const int n = node(rng);
            double v = value(rng);
            if (line % 97 == 0) v = 0.0625;       // a tie: the digits one by one
            if (line % 89 == 0) v = 123456789.5;  // beyond the shortcut
            t.putBytes(piece).node(n).putBytes(": ").num(v).putBytes(" = ").num(-v / 7);
            if (line % 5 == 0) t.emptyLine();
            t.end();
            expected += piece + std::to_string(n) + ": ";
            calc::appendFixedExact(expected, v, 3, QLatin1Char(','));
            expected += " = ";
            calc::appendFixedExact(expected, -v / 7, 3, QLatin1Char(','));
            if (line % 5 == 0) expected += "\r\n";
        }
        t.close();
    }
    ASSERT_GT(expected.size(), 4 * calc::CalcText::kFlushSize);
    const std::string written = fileBytes(path);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

TEST(CalcTextBuffer, AbandonedTextStopsWritingAndCanBeRemoved) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.tx_"));
    calc::CalcText t(2, QLatin1Char('.'));
    t.open(path);
    for (int i = 0; i < 200000; ++i) t.putBytes("0123456789abcdef").num(i * 0.5).end();
    t.abandon();
    EXPECT_FALSE(t.isOpen());
    EXPECT_TRUE(QFile::remove(path));
}

TEST(KeyMap, KeepsTheFirstValueOfEveryKeyLikeAStandardMap) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> key(-3000, 3000);
    calc::KeyMap<int, int> flat;
    std::unordered_map<int, int> standard;
    const int special[] = {INT_MIN, INT_MAX, 0, -1};
    for (int i = 0; i < 20000; ++i) {
        const int k = i < 4 ? special[i] : key(rng);
        const auto [value, added] = flat.tryEmplace(k, i);
        const bool standardAdded = standard.emplace(k, i).second;
        ASSERT_EQ(added, standardAdded) << k;
        ASSERT_EQ(*value, standard.at(k)) << k;
    }
    EXPECT_EQ(flat.size(), standard.size());
    for (int k = -3100; k <= 3100; ++k) {
        const int* v = flat.find(k);
        const auto it = standard.find(k);
        ASSERT_EQ(v != nullptr, it != standard.end()) << k;
        if (v) {
            ASSERT_EQ(*v, it->second);
        }
    }
    for (int k : special) EXPECT_TRUE(flat.contains(k));
}

TEST(KeyMap, WideKeysAndAnEmptyMap) {
    calc::KeyMap<qint64, int> pairs;
    EXPECT_EQ(pairs.find(42), nullptr);
    EXPECT_FALSE(pairs.contains(0));
    const qint64 a = (qint64(7) << 32) ^ 9, b = (qint64(9) << 32) ^ 7, c = (qint64(-7) << 32) ^ qint64(quint32(-9));
    pairs.reserve(3);
    pairs.tryEmplace(a, 1);
    pairs.tryEmplace(b, 2);
    pairs.tryEmplace(c, 3);
    *pairs.find(b) = 20;
    EXPECT_EQ(*pairs.find(a), 1);
    EXPECT_EQ(*pairs.find(b), 20);
    EXPECT_EQ(*pairs.find(c), 3);
    EXPECT_EQ(pairs.find(a ^ 1), nullptr);
    pairs.clear();
    EXPECT_EQ(pairs.size(), 0u);
    EXPECT_EQ(pairs.find(a), nullptr);
}

}  // namespace
}  // namespace volm::test
