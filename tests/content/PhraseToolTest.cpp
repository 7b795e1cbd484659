// The phrase tool's install and uninstall, run as a user runs them: the real binary, with the
// user's data folder in a temporary XDG_DATA_HOME.
#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ChildProcess.h"
#include "SpecialFiles.h"

namespace {

// Only a regular file is read: opening a named pipe would wait for a writer.
QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                      : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ShippedFile() {
    return ReadAll(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/Data/mirel.txt");
}

// The shipped file less its last line: well formed, short of the sum, and sealable.
QByteArray UnsealedFile() {
    const QByteArray shipped = ShippedFile();
    const QByteArray lineEnd("\r\0\n\0", 4);
    const qsizetype cut = shipped.lastIndexOf(lineEnd, shipped.size() - lineEnd.size() - 1);
    return cut > 0 && cut % 2 == 0 ? shipped.left(cut + lineEnd.size()) : QByteArray();
}

// What the program would make of a file: loaded only when it meets the sum.
bool ProgramTakes(const QString& path) {
    const Utf16Lines read = ReadUtf16Lines(path);
    return read.status == Utf16Lines::Status::Read &&
           CPhraseStore::PhraseSum(read.lines) == CPhraseStore::kPhraseSum;
}

class PhraseTool : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ShippedFile().isEmpty());
        ASSERT_FALSE(UnsealedFile().isEmpty());
    }

    ChildProcess::Result Tool(const ChildProcess::Strings& arguments) const {
        ChildProcess::Strings argv = {QB_PHRASETOOL};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return ChildProcess::Run(argv, ChildProcess::CurrentEnvironmentWith(
                                           {{"XDG_DATA_HOME", dataHome.path().toStdString()}}));
    }

    QString UserFile() const { return dataHome.filePath("quietbell/mirel.txt"); }
    QString Source() const { return sources.filePath("my-phrases.txt"); }

    QTemporaryDir dataHome;
    QTemporaryDir sources;
    // A wait on a named pipe fails the case at a deadline instead of hanging it.
    specialfiles::PipeWaitDeadline pipeWaits{sources.path()};
};

struct InstallCase {
    const char* name;
    std::function<void(const QString& source)> make;
    bool seal;
    int exitCode;
    bool installed;  // the user's file is replaced by a sealed copy of the source
};

const InstallCase kInstallCases[] = {
    {"a sealed file", [](const QString& s) { ASSERT_TRUE(Write(s, ShippedFile())); }, false, 0,
     true},
    {"a sealed file with --seal", [](const QString& s) { ASSERT_TRUE(Write(s, ShippedFile())); },
     true, 0, true},
    {"an unsealed file", [](const QString& s) { ASSERT_TRUE(Write(s, UnsealedFile())); }, false, 2,
     false},
    {"an unsealed file with --seal",
     [](const QString& s) { ASSERT_TRUE(Write(s, UnsealedFile())); }, true, 0, true},
    {"no file to read", [](const QString&) {}, true, 1, false},
    {"a folder", [](const QString& s) { ASSERT_TRUE(QDir().mkpath(s)); }, true, 1, false},
    {"a named pipe", specialfiles::MakeNamedPipe, true, 1, false},
    {"not UTF-16 with a byte-order mark",
     [](const QString& s) { ASSERT_TRUE(Write(s, "plain text\r\n")); }, true, 1, false},
};

// Each case twice: into an empty data folder, and over a file of the user's installed before,
// which a refused install leaves as it was.
TEST_F(PhraseTool, InstallChecksSealsOnAskingAndCopiesIntoTheUsersDataFolder) {
    for (const InstallCase& c : kInstallCases) {
        for (const bool installedBefore : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (installedBefore ? ", over an earlier file" : ""));
            QDir(dataHome.path()).removeRecursively();
            QDir(sources.path()).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(sources.path()));
            if (installedBefore) {
                ASSERT_TRUE(QDir().mkpath(QFileInfo(UserFile()).path()));
                ASSERT_TRUE(Write(UserFile(), ShippedFile()));
            }
            ASSERT_NO_FATAL_FAILURE(c.make(Source()));
            const QByteArray source = ReadAll(Source());

            ChildProcess::Strings arguments = {"install", Source().toStdString()};
            if (c.seal)
                arguments.push_back("--seal");
            const ChildProcess::Result result = Tool(arguments);
            EXPECT_EQ(result.exitCode, c.exitCode) << result.output;

            EXPECT_EQ(ReadAll(Source()), source) << "the file given stays as it is";
            if (c.installed) {
                EXPECT_TRUE(ProgramTakes(UserFile()));
                EXPECT_NE(result.output.find("the program reads " + UserFile().toStdString()),
                          std::string::npos)
                    << result.output;
            } else if (installedBefore) {
                EXPECT_EQ(ReadAll(UserFile()), ShippedFile()) << "the earlier file is kept";
            } else {
                EXPECT_FALSE(QFileInfo(UserFile()).exists());
            }
            EXPECT_EQ(QDir(QFileInfo(UserFile()).path()).entryList(QDir::Files | QDir::Hidden),
                      installedBefore || c.installed ? QStringList{"mirel.txt"} : QStringList{})
                << "no temporary file is left";
        }
    }
}

TEST_F(PhraseTool, UninstallRemovesTheUsersFileAndSaysTheShippedPhrasesAreBack) {
    for (const bool installedBefore : {true, false}) {
        SCOPED_TRACE(installedBefore ? "a file of the user's" : "none");
        ASSERT_TRUE(Write(Source(), ShippedFile()));
        if (installedBefore) {
            ASSERT_EQ(Tool({"install", Source().toStdString()}).exitCode, 0);
        }
        const ChildProcess::Result result = Tool({"uninstall"});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_FALSE(QFileInfo(UserFile()).exists());
        EXPECT_NE(result.output.find("the program reads its shipped phrases"), std::string::npos)
            << result.output;
        EXPECT_NE(result.output.find("next start"), std::string::npos) << result.output;
    }
}

}  // namespace
