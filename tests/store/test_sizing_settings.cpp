// The sizing dialog's choices in the settings file: an older file without
// their table reads as the defaults, the first store creates it, and what is
// stored (an empty second criterion included) reads back as it was.
#include "store/database.h"
#include "store/sizing_settings.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace volm::test {
namespace {

class SizingSettings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Nastr.mdb"));
    Database db;
    void SetUp() override {
        makeSettingsDb(path);
        db.open(path);
    }
};

TEST_F(SizingSettings, AnOlderFileWithoutTheTableGivesTheDefaultsAndGetsItOnStore) {
    ASSERT_FALSE(db.hasTable(QStringLiteral("ПодборДиаметров")));
    const SizingChoices defaults = readSizingChoices(db);
    EXPECT_EQ(defaults, SizingChoices{});
    EXPECT_EQ(defaults.diameter, QStringLiteral("Ду"));
    EXPECT_EQ(defaults.criterion, QStringLiteral("УдПотПод"));
    EXPECT_TRUE(defaults.criterion2.isEmpty());
    EXPECT_FALSE(db.hasTable(QStringLiteral("ПодборДиаметров"))) << "reading must not change the file";

    SizingChoices c;
    c.diameter = QStringLiteral("ДуП");
    c.criterion = QStringLiteral("СкорПод");
    c.limit = 3.5;
    c.criterion2 = QStringLiteral("УдПотПод");
    c.limit2 = 300;
    c.markedOnly = true;
    ASSERT_TRUE(storeSizingChoices(db, c));
    EXPECT_EQ(readSizingChoices(db), c);
    // Stored again: still one row, the second criterion cleared.
    c.criterion2.clear();
    c.limit2.reset();
    c.limit.reset();
    ASSERT_TRUE(storeSizingChoices(db, c));
    EXPECT_EQ(readSizingChoices(db), c);
    auto count = db.prepare(QStringLiteral("SELECT count(*) FROM \"ПодборДиаметров\""));
    ASSERT_TRUE(count->step());
    EXPECT_EQ(count->column(0).toInt(), 1);
    // The settings row itself is untouched.
    auto row = db.prepare(QStringLiteral("SELECT \"ФайлСпр\" FROM \"Настройки\""));
    ASSERT_TRUE(row->step());
    EXPECT_EQ(row->column(0).toString(), QStringLiteral("Spr.mdb"));
}

}  // namespace
}  // namespace volm::test
