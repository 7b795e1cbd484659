// The Debian package CPack makes from this build tree: its control fields and files, and what
// lintian, desktop-file-validate and appstreamcli say of it.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

struct Output {
    int exitCode = -1;
    QString text;  // standard output and error together
};

Output RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromLocal8Bit(process.readAll()) + process.errorString()};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

const char* const kDesktopEntries[] = {"usr/share/applications/org.example.quietbell.desktop",
                                       "etc/xdg/autostart/org.example.quietbell.desktop"};
const char* const kMetainfo = "usr/share/metainfo/org.example.quietbell.metainfo.xml";

// One package, made and unpacked once for the whole binary.
class DebianPackage : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<QTemporaryDir>();
        made = RunTool(QB_CPACK, {"-G", "DEB", "--config", QB_BUILD_DIR "/CPackConfig.cmake", "-B",
                                  folder->path()});
        const QStringList debs = QDir(folder->path()).entryList({"*.deb"}, QDir::Files);
        if (made.exitCode == 0 && debs.size() == 1) {
            deb = folder->filePath(debs.front());
            unpacked = RunTool("dpkg-deb", {"-x", deb, Root()});
        }
    }
    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override {
        ASSERT_FALSE(deb.isEmpty()) << made.text.toStdString();
        ASSERT_EQ(unpacked.exitCode, 0) << unpacked.text.toStdString();
    }

    static QString Root() { return folder->filePath("root"); }
    static QString Field(const char* name) {
        return RunTool("dpkg-deb", {"-f", deb, name}).text.trimmed();
    }

    static std::unique_ptr<QTemporaryDir> folder;
    static Output made;
    static Output unpacked;
    static QString deb;
};

std::unique_ptr<QTemporaryDir> DebianPackage::folder;
Output DebianPackage::made;
Output DebianPackage::unpacked;
QString DebianPackage::deb;

TEST_F(DebianPackage, ControlFields) {
    const struct {
        const char* field;
        const char* value;
    } cases[] = {
        {"Package", "quietbell"},
        {"Version", "1.01"},
        {"Architecture", "amd64"},
        {"Section", "utils"},
        {"Priority", "optional"},
        {"Maintainer", "Brindlewax <support@quietbell.example.org>"},
        {"Homepage", "https://quietbell.example.org/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Field(c.field), c.value) << c.field;
    EXPECT_FALSE(Field("Description").isEmpty());
}

// From the binary's libraries (dpkg-shlibdeps) and what no library shows: the X11 platform
// plugin, the link opener and an Arabic font.
TEST_F(DebianPackage, DependsOnTheLibrariesAndWhatTheyLoadAtRunTime) {
    const QStringList depends = Field("Depends").split(QRegularExpression(",\\s*"));
    for (const char* wanted : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                               "libicu", "libharfbuzz0b", "libxcb1", "qt6-qpa-plugins", "xdg-utils",
                               "fonts-noto-core | fonts-hosny-amiri"})
        EXPECT_TRUE(std::any_of(depends.begin(), depends.end(),
                                [&](const QString& d) { return d.startsWith(wanted); }))
            << wanted << " in " << depends.join(", ").toStdString();
}

TEST_F(DebianPackage, FilesOwnedByRootInTheirPlaces) {
    const Output listing = RunTool("dpkg-deb", {"-c", deb});
    ASSERT_EQ(listing.exitCode, 0);
    QStringList paths;
    for (const QString& line : listing.text.split('\n', Qt::SkipEmptyParts)) {
        const QStringList columns = line.split(' ', Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 6) << line.toStdString();
        EXPECT_EQ(columns[1], "root/root") << line.toStdString();
        paths << columns.mid(5).join(' ');
    }
    QStringList expected = {"./usr/bin/quietbell -> ../lib/quietbell/quietbell",
                            "./usr/lib/quietbell/quietbell",
                            "./usr/lib/quietbell/Data/mirel.txt",
                            "./usr/lib/quietbell/Data/resources.txt",
                            "./usr/lib/quietbell/Data/SplashScreen.jpg",
                            "./usr/lib/quietbell/Data/AnimatedFree.gif",
                            "./usr/share/doc/quietbell/copyright",
                            "./usr/share/doc/quietbell/changelog.gz",
                            "./usr/share/man/man1/quietbell.1.gz",
                            QStringLiteral("./") + kMetainfo};
    for (const char* entry : kDesktopEntries)
        expected << QStringLiteral("./") + entry;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/quietbell.png").arg(size);
    for (const QString& path : expected)
        EXPECT_TRUE(paths.contains(path)) << path.toStdString();
    for (const QString& path : paths)
        EXPECT_TRUE(path.startsWith("./usr/") || path.startsWith("./etc/") || path == "./")
            << path.toStdString();
    EXPECT_FALSE(paths.contains("./usr/etc/")) << "the autostart entry belongs in /etc";
}

// dpkg keeps what a user changed under /etc across upgrades only for configuration files.
TEST_F(DebianPackage, TheAutostartEntryIsAConfigurationFile) {
    const Output conffiles = RunTool(
        "sh",
        {"-c", QStringLiteral("dpkg-deb --ctrl-tarfile '%1' | tar -xO ./conffiles").arg(deb)});
    EXPECT_EQ(conffiles.text, QStringLiteral("/") + kDesktopEntries[1] + "\n");
}

TEST_F(DebianPackage, LintianFindsNoError) {
    const Output lintian = RunTool("lintian", {"--no-tag-display-limit", deb});
    const QStringList errors = lintian.text.split('\n').filter(QRegularExpression("^E: "));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_NE(lintian.exitCode, -1) << lintian.text.toStdString();
}

TEST_F(DebianPackage, DesktopEntriesAndMetainfoValidate) {
    for (const char* entry : kDesktopEntries) {
        const Output check = RunTool("desktop-file-validate", {QDir(Root()).filePath(entry)});
        EXPECT_EQ(check.exitCode, 0) << entry << ": " << check.text.toStdString();
        EXPECT_EQ(check.text.trimmed(), "") << entry;
    }
    const Output check =
        RunTool("appstreamcli", {"validate", "--no-net", QDir(Root()).filePath(kMetainfo)});
    EXPECT_EQ(check.exitCode, 0) << check.text.toStdString();
}

}  // namespace
