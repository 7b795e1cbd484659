#include "content/ReadUtf16Lines.h"
#include "tests/app/TestDataFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using testdata::Utf16Units;

struct LinesCase {
    const char* name;
    QByteArray bytes;
    std::vector<std::string> lines;
};

void PrintTo(const LinesCase& c, std::ostream* os) {
    *os << c.name;
}

class Utf16LinesTest : public testing::TestWithParam<LinesCase> {
protected:
    testdata::TempDataFolder m_data;
};

TEST_P(Utf16LinesTest, SplitsAndConverts) {
    m_data.Write("lines.txt", GetParam().bytes);
    const Utf16Lines read = ReadUtf16Lines(m_data.DataPath("lines.txt"));
    EXPECT_EQ(read.status, Utf16Lines::Status::Read);
    EXPECT_EQ(read.lines, GetParam().lines);
}

const std::string k2047(2047, 'a');

INSTANTIATE_TEST_SUITE_P(
    Files, Utf16LinesTest,
    testing::Values(
        LinesCase{"CrLf", Utf16Units(u"\uFEFFabc\r\n\r\nd\r\n"), {"abc", "", "d"}},
        LinesCase{"FinalLineWithoutCrLosesItsLastCharacter",
                  Utf16Units(u"\uFEFFabc\r\nxyz"),
                  {"abc", "xy"}},
        LinesCase{"BareCrLosesTheFirstCharacterOfLaterLines",
                  Utf16Units(u"\uFEFFabc\rdef\rghi\r"),
                  {"abc", "ef", "hi"}},
        LinesCase{"OnlyTheByteOrderMark", Utf16Units(u"\uFEFF"), {}},
        LinesCase{"UnitZeroSkippedWhateverItHolds", Utf16Units(u"Xab\r\n"), {"ab"}},
        LinesCase{"OddTrailingByteIgnored", Utf16Units(u"\uFEFFab\r\n") + "\x41", {"ab"}},
        // U+0627 U+0644 U+0644 U+0647 and a shadda (U+0651).
        LinesCase{"ArabicInCodePage1256",
                  Utf16Units(u"\uFEFF\u0627\u0644\u0644\u0651\u0647\r\n"),
                  {"\xC7\xE1\xE1\xF8\xE5"}},
        LinesCase{"CharactersTheCodePageLacksBecomeTheDefault",
                  Utf16Units(u"\uFEFF\u0660\u0669\u06CC\uFDFA\r\n"),
                  {"????"}},
        // Zero width space, word joiner and a byte-order mark inside a line count too.
        LinesCase{"IgnorablesTheCodePageLacksBecomeTheDefault",
                  Utf16Units(u"\uFEFFa\u200Bb\u2060\uFEFF\r\n"),
                  {"a?b??"}},
        LinesCase{
            "ZeroUnitBecomesTheDefault", Utf16Units(std::u16string(u"\uFEFFa\0b\r\n", 6)), {"a?b"}},
        LinesCase{"UnpairedSurrogates",
                  Utf16Units(u"\uFEFFa\xD800"
                             u"b\xDC00\r\n\xD83D\r\n"),
                  {"a?b?", "?"}},
        LinesCase{"BigEndianIsNoTextOfOurs", QByteArray("\xFE\xFF\0a\0b\0\r\0\n", 10), {"???"}},
        LinesCase{"Utf8IsNoTextOfOurs",
                  QByteArray("\xEF\xBB\xBF"
                             "abc\r\n"),
                  {"??"}},
        LinesCase{"LineBeyondTheLimitIsCut",
                  Utf16Units(u"\uFEFF" + std::u16string(5000, u'a') + u"\r\nb\r\n"),
                  {k2047, "b"}},
        LinesCase{"CutNeverSplitsASurrogatePair",
                  Utf16Units(u"\uFEFF" + std::u16string(2046, u'a') + u"\U0001F600\r\n"),
                  {std::string(2046, 'a')}}),
    [](const testing::TestParamInfo<LinesCase>& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    void (*make)(const QString& path);
    Utf16Lines::Status status;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

// Every system's cases, then the links, pipes, sockets and devices a POSIX file name can be
// (Windows' devices and pipes have names of their own: tests/platform).
std::vector<FailureCase> FailureCases() {
    std::vector<FailureCase> cases{
        FailureCase{"Missing", [](const QString&) {}, Utf16Lines::Status::NotOpened},
        FailureCase{"Folder", [](const QString& p) { QDir().mkpath(p); },
                    Utf16Lines::Status::NotOpened},
        FailureCase{"Empty", [](const QString& p) { testdata::SparseFile(p, 0); },
                    Utf16Lines::Status::NothingRead},
        FailureCase{"FiftyMegabytes", [](const QString& p) { testdata::SparseFile(p, 50 << 20); },
                    Utf16Lines::Status::NotOpened},
        FailureCase{"HundredMegabyteLine",
                    [](const QString& p) { testdata::SparseFile(p, 100 << 20); },
                    Utf16Lines::Status::NotOpened}};
#ifndef _WIN32
    using namespace specialfiles;
    const std::vector<FailureCase> posix{
        FailureCase{"DanglingLink", [](const QString& p) { MakeLink(p + ".gone", p); },
                    Utf16Lines::Status::NotOpened},
        // Nobody writes into the pipe: an open that waited would never return.
        FailureCase{"NamedPipe", [](const QString& p) { MakeNamedPipe(p); },
                    Utf16Lines::Status::NotOpened},
        FailureCase{"LinkToANamedPipe",
                    [](const QString& p) {
                        ASSERT_NO_FATAL_FAILURE(MakeNamedPipe(p + ".pipe"));
                        MakeLink(p + ".pipe", p);
                    },
                    Utf16Lines::Status::NotOpened},
        FailureCase{"Socket", [](const QString& p) { MakeSocketFile(p); },
                    Utf16Lines::Status::NotOpened},
        // Endless zeros, which a reader that trusted it would take as text.
        FailureCase{"LinkToDevZero", [](const QString& p) { MakeLink("/dev/zero", p); },
                    Utf16Lines::Status::NotOpened}};
    cases.insert(cases.end(), posix.begin(), posix.end());
#endif
    return cases;
}

class Utf16LinesFailureTest : public testing::TestWithParam<FailureCase> {
protected:
    testdata::TempDataFolder m_data;
};

TEST_P(Utf16LinesFailureTest, ReportsWhyNothingWasRead) {
    ASSERT_NO_FATAL_FAILURE(GetParam().make(m_data.DataPath("lines.txt")));
    const Utf16Lines read = ReadUtf16Lines(m_data.DataPath("lines.txt"));
    EXPECT_EQ(read.status, GetParam().status);
    EXPECT_TRUE(read.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, Utf16LinesFailureTest, testing::ValuesIn(FailureCases()),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             return info.param.name;
                         });

TEST(Utf16LinesLimits, ALongLineWithinTheFileLimitIsReadOnceAndCut) {
    testdata::TempDataFolder data;
    ASSERT_NO_FATAL_FAILURE(testdata::SparseFile(data.DataPath("lines.txt"), kMaxLineFileBytes));
    const Utf16Lines read = ReadUtf16Lines(data.DataPath("lines.txt"));
    ASSERT_EQ(read.status, Utf16Lines::Status::Read);
    ASSERT_EQ(read.lines.size(), 1u);
    EXPECT_EQ(read.lines[0], std::string(2047, '?'));
}

#ifndef _WIN32
// A link to a regular file reads as the file does.
TEST(Utf16LinesKinds, ALinkToARegularFileIsRead) {
    testdata::TempDataFolder data;
    data.Write("real.txt", testdata::Utf16File({u"abc", u"d"}));
    ASSERT_TRUE(QFile::link(data.DataPath("real.txt"), data.DataPath("lines.txt")));
    const Utf16Lines read = ReadUtf16Lines(data.DataPath("lines.txt"));
    ASSERT_EQ(read.status, Utf16Lines::Status::Read);
    EXPECT_EQ(read.lines, (std::vector<std::string>{"abc", "d"}));
}
#endif

}  // namespace
