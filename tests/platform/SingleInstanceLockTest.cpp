#include "platform/SingleInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <csignal>

#include "ChildProcess.h"
#include "FileDescriptor.h"

namespace {

using platform::SingleInstanceLock;
using State = SingleInstanceLock::State;

const QString kName = QStringLiteral("com.brindlewax.mirel.Singlton.V1.0");

// Each test gets its own runtime folder and puts the variable back afterwards.
class SingleInstanceLockTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime.isValid());
        ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
        saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved); }

    QTemporaryDir runtime;
    QByteArray saved;
};

TEST_F(SingleInstanceLockTest, SecondHolderFindsTheFirstRunning) {
    SingleInstanceLock first(kName);
    ASSERT_EQ(first.state(), State::Acquired);
    EXPECT_EQ(first.path(), runtime.filePath(kName + ".lock"));
    SingleInstanceLock second(kName);
    EXPECT_EQ(second.state(), State::AlreadyRunning);
}

TEST_F(SingleInstanceLockTest, AStartAfterTheFirstEndedRunsNormally) {
    { SingleInstanceLock first(kName); }
    SingleInstanceLock next(kName);
    EXPECT_EQ(next.state(), State::Acquired);
}

TEST_F(SingleInstanceLockTest, OtherNamesDoNotCollide) {
    SingleInstanceLock first(kName);
    SingleInstanceLock other(kName + "2");
    EXPECT_EQ(other.state(), State::Acquired);
}

TEST_F(SingleInstanceLockTest, AKilledHolderDoesNotBlockTheNextStart) {
    constexpr std::chrono::seconds kDeadline(20);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const FileDescriptor readEnd(ready[0]);
    FileDescriptor writeEnd(ready[1]);
    ChildProcess holder = ChildProcess::Fork([&] {
        SingleInstanceLock held(kName);
        const char state = held.state() == State::Acquired ? 'A' : 'x';
        [[maybe_unused]] ssize_t n = write(writeEnd.Get(), &state, 1);
        writeEnd.Close();
        pause();
        return 0;
    });
    ASSERT_TRUE(holder.Started());
    writeEnd.Close();
    ASSERT_EQ(ReadUntilClosed(readEnd.Get(), kDeadline), std::optional<std::string>("A"));
    EXPECT_EQ(SingleInstanceLock(kName).state(), State::AlreadyRunning);

    kill(holder.Pid(), SIGKILL);
    ASSERT_TRUE(holder.WaitForExit(kDeadline));
    EXPECT_EQ(SingleInstanceLock(kName).state(), State::Acquired);
}

TEST_F(SingleInstanceLockTest, AForeignRuntimeFolderIsNotUsed) {
    // A folder anyone may write into could hold a planted lock file.
    ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
    const QString folder = SingleInstanceLock::LockFolder();
    EXPECT_NE(folder, runtime.path());
    EXPECT_TRUE(folder.startsWith(QDir::tempPath() + "/quietbell-")) << folder.toStdString();
    SingleInstanceLock lock(kName);
    EXPECT_EQ(lock.state(), State::Acquired);
    EXPECT_TRUE(lock.path().startsWith(folder));
}

TEST_F(SingleInstanceLockTest, NoRuntimeFolderFallsBackToAPrivateTempFolder) {
    qunsetenv("XDG_RUNTIME_DIR");
    const QString folder = SingleInstanceLock::LockFolder();
    ASSERT_FALSE(folder.isEmpty());
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
}

TEST_F(SingleInstanceLockTest, ASymlinkInPlaceOfTheLockFileIsNotFollowed) {
    const QString target = runtime.filePath("elsewhere");
    ASSERT_TRUE(QFile::link(target, runtime.filePath(kName + ".lock")));
    SingleInstanceLock lock(kName);
    EXPECT_EQ(lock.state(), State::Unavailable);
    EXPECT_FALSE(QFile::exists(target));
}

}  // namespace
