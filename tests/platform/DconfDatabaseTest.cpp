// The user's dconf database as the program reads it, written by dconf itself: `dconf compile`
// turns a key file into the same GVDB table that the dconf service keeps for gsettings.
#include "platform/linux/DconfDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "ChildProcess.h"
#include "RequireInstalled.h"

namespace {

using platform::dconf::ReadBool;

constexpr const char* kShowBanners = "/org/gnome/desktop/notifications/show-banners";

// The database dconf compiles from the key file's text.
QByteArray Compiled(const QByteArray& keyFile) {
    QTemporaryDir folder;
    QFile keys(folder.filePath("keys.d/settings"));
    if (!QDir().mkpath(folder.filePath("keys.d")) || !keys.open(QIODevice::WriteOnly) ||
        keys.write(keyFile) != keyFile.size())
        return {};
    keys.close();
    const std::string database = folder.filePath("user").toStdString();
    if (ChildProcess::Run({"dconf", "compile", database, folder.filePath("keys.d").toStdString()},
                          ChildProcess::CurrentEnvironmentWith({}))
            .exitCode != 0)
        return {};
    QFile compiled(QString::fromStdString(database));
    return compiled.open(QIODevice::ReadOnly) ? compiled.readAll() : QByteArray();
}

struct DatabaseCase {
    const char* name;
    const char* keyFile;
    const char* key;
    std::optional<bool> value;
};

void PrintTo(const DatabaseCase& c, std::ostream* out) {
    *out << c.name;
}

class DconfDatabaseTest : public testing::TestWithParam<DatabaseCase> {};

TEST_P(DconfDatabaseTest, ReadsTheBooleanDconfWrote) {
    QB_REQUIRE_INSTALLED(
        ChildProcess::Run({"dconf", "help"}, ChildProcess::CurrentEnvironmentWith({})).exitCode ==
            0,
        "dconf");
    const QByteArray database = Compiled(GetParam().keyFile);
    ASSERT_FALSE(database.isEmpty());
    EXPECT_EQ(ReadBool(database, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DconfDatabaseTest,
    testing::Values(
        DatabaseCase{"BannersOff", "[org/gnome/desktop/notifications]\nshow-banners=false\n",
                     kShowBanners, false},
        DatabaseCase{"BannersOn", "[org/gnome/desktop/notifications]\nshow-banners=true\n",
                     kShowBanners, true},
        DatabaseCase{
            "AmongOtherKeys",
            "[org/gnome/desktop/interface]\nclock-format='24h'\nshow-battery-percentage=true\n"
            "[org/gnome/desktop/notifications]\nshow-in-lock-screen=true\n"
            "show-banners=false\n[org/gnome/shell]\nfavorite-apps=['a.desktop']\n",
            kShowBanners, false},
        DatabaseCase{"KeyMissing", "[org/gnome/desktop/notifications]\nshow-in-lock-screen=false\n",
                     kShowBanners, std::nullopt},
        DatabaseCase{"SameNameInAnotherFolder", "[org/gnome/desktop/other]\nshow-banners=false\n",
                     kShowBanners, std::nullopt},
        DatabaseCase{"NotABoolean", "[org/gnome/desktop/notifications]\nshow-banners=1\n",
                     kShowBanners, std::nullopt}),
    [](const testing::TestParamInfo<DatabaseCase>& info) { return std::string(info.param.name); });

TEST(DconfDatabase, NoDatabaseOrAnyOtherFileHasNoValue) {
    EXPECT_EQ(ReadBool(QByteArray(), kShowBanners), std::nullopt);
    EXPECT_EQ(ReadBool(QByteArray("GVariant and then nothing"), kShowBanners), std::nullopt);
    EXPECT_EQ(ReadBool(QByteArray(4096, '\xff'), kShowBanners), std::nullopt);
}

}  // namespace
