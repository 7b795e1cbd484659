// The Windows layer against the real system calls and registry, run under Wine.
#include "platform/RegularFile.h"
#include "platform/ShellOpen.h"
#include "platform/SingleInstanceLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace {

using platform::SingleInstanceLock;
using State = SingleInstanceLock::State;

// A pipe server nobody connects to: an open that waited for it would never return.
class PipeServer {
public:
    explicit PipeServer(const wchar_t* name)
        : m_handle(
              CreateNamedPipeW(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr)) {}
    ~PipeServer() {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;
    bool Listening() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

struct OpenCase {
    const char* name;
    std::function<QString(const QTemporaryDir&)> path;
    bool opens;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class RegularFileTest : public testing::TestWithParam<OpenCase> {};

TEST_P(RegularFileTest, OpensOnlyAFileOnDisk) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        QFile text(folder.filePath("text.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("abc");
    }
    PipeServer pipe(L"\\\\.\\pipe\\quietbell-test-pipe");
    ASSERT_TRUE(pipe.Listening());
    QFile file;
    EXPECT_EQ(platform::OpenRegularFile(file, GetParam().path(folder)), GetParam().opens);
    if (GetParam().opens) {
        EXPECT_EQ(file.readAll(), "abc");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegularFileTest,
    testing::Values(
        OpenCase{"RegularFile", [](const QTemporaryDir& d) { return d.filePath("text.txt"); },
                 true},
        OpenCase{
            "WindowsSeparators",
            [](const QTemporaryDir& d) { return QDir::toNativeSeparators(d.filePath("text.txt")); },
            true},
        OpenCase{"Missing", [](const QTemporaryDir& d) { return d.filePath("gone.txt"); }, false},
        OpenCase{"Folder", [](const QTemporaryDir& d) { return d.path(); }, false},
        // Device names are devices in every folder.
        OpenCase{"NulDevice", [](const QTemporaryDir& d) { return d.filePath("NUL"); }, false},
        OpenCase{"Console", [](const QTemporaryDir&) { return QStringLiteral("CONIN$"); }, false},
        OpenCase{
            "NamedPipe",
            [](const QTemporaryDir&) { return QStringLiteral("\\\\.\\pipe\\quietbell-test-pipe"); },
            false}),
    [](const testing::TestParamInfo<OpenCase>& info) { return info.param.name; });

constexpr const char* kGuardName = "com.brindlewax.mirel.Singlton.test";

TEST(SingleInstanceMutex, ASecondGuardFindsTheFirstAndTheNextRunStartsAfresh) {
    const QString name = QString::fromLatin1(kGuardName);
    {
        SingleInstanceLock first(name);
        ASSERT_EQ(first.state(), State::Acquired);
        EXPECT_EQ(SingleInstanceLock(name).state(), State::AlreadyRunning);
        EXPECT_EQ(SingleInstanceLock(name + ".other").state(), State::Acquired);
    }
    EXPECT_EQ(SingleInstanceLock(name).state(), State::Acquired);
}

// A default value under HKEY_CLASSES_ROOT, put back as it was when the test ends. Wine's
// root is the machine's classes alone (Windows would show the user's over them).
class ClassesRootValue {
public:
    ClassesRootValue(const wchar_t* key, const wchar_t* value) : m_key(key) {
        wchar_t previous[MAX_PATH] = {};
        DWORD bytes = sizeof(previous);
        if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, previous,
                         &bytes) == ERROR_SUCCESS)
            m_previous = previous;
        Set(value);
    }
    ~ClassesRootValue() {
        if (m_previous)
            Set(m_previous->c_str());
        else
            RegDeleteTreeW(HKEY_CLASSES_ROOT, m_key.c_str());
    }
    ClassesRootValue(const ClassesRootValue&) = delete;
    ClassesRootValue& operator=(const ClassesRootValue&) = delete;

private:
    void Set(const wchar_t* value) const {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, m_key.c_str(), nullptr, REG_SZ, value,
                        DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
    }

    std::wstring m_key;
    std::optional<std::wstring> m_previous;
};

std::optional<std::optional<QString>> HtmlHandlerCommand() {
    QObject context;
    std::optional<std::optional<QString>> answer;
    platform::ShellOpen::HtmlHandlerCommand(&context,
                                            [&](std::optional<QString> c) { answer = c; });
    QDeadlineTimer deadline(10000);
    while (!answer && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return answer;
}

TEST(HtmlHandler, IsTheOpenCommandOfTheClassThatHtmFilesBelongTo) {
    ClassesRootValue type(L".htm", L"QuietbellTestPage");
    ClassesRootValue command(L"QuietbellTestPage\\shell\\open\\command",
                             L"\"C:\\Program Files\\Browser\\run.exe\" -nohome \"%1\"");
    const auto answer = HtmlHandlerCommand();
    ASSERT_TRUE(answer.has_value()) << "no answer from the event loop";
    EXPECT_EQ(*answer, QString("\"C:\\Program Files\\Browser\\run.exe\" -nohome \"%1\""));
}

TEST(HtmlHandler, AClassWithoutAnOpenCommandGivesNone) {
    ClassesRootValue type(L".htm", L"QuietbellTestPageWithoutCommand");
    const auto answer = HtmlHandlerCommand();
    ASSERT_TRUE(answer.has_value()) << "no answer from the event loop";
    EXPECT_EQ(*answer, std::nullopt);
}

}  // namespace
