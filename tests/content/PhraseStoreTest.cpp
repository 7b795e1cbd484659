#include "content/PhraseStore.h"
#include "platform/AppMessages.h"
#include "script/CodePage1256.h"
#include "tests/app/TestDataFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using script::CodePage1256;

const QString kNotOpenedMessage = "Cannot Read Mirel file.\n\rQuietbell feature will be disabled";
const QString kSumMessage = "Cannot Read Mirel.txt file.\n\rThe Quietbell feature will be disabled";

// The phrases followed by filler lines that bring the file to the phrase sum: characters
// worth 128 each (byte 0xFF) and one that makes up the rest.
std::vector<std::u16string> sealed(std::vector<std::u16string> lines) {
    std::vector<std::string> bytes;
    for (const std::u16string& line : lines)
        bytes.push_back(CodePage1256::FromUtf16(line));
    int64_t missing = CPhraseStore::kPhraseSum - CPhraseStore::PhraseSum(bytes);
    const std::u16string top = CodePage1256::ToUtf16("\xFF");
    while (missing > 0) {
        std::u16string filler;
        for (; missing >= 128 && filler.size() < 2000; missing -= 128)
            filler += top;
        if (missing < 128 && missing > 0) {
            filler += CodePage1256::ToUtf16(std::string(1, char(127 + missing)));
            missing = 0;
        }
        lines.push_back(filler);
    }
    return lines;
}

std::vector<std::u16string> numbered(int count) {
    std::vector<std::u16string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(u"phrase " + std::u16string(QString::number(i).toStdU16String()));
    return sealed(lines);
}

class PhraseStoreTest : public testing::Test {
protected:
    PhraseStoreTest() {
        CPhraseStore::SetSink([this](const std::string& phrase, bool rightToLeft) {
            m_shown.push_back(phrase);
            EXPECT_TRUE(rightToLeft);
        });
        platform::AppMessages::SetHandler(
            [this](const platform::AppMessage& m) { m_messages.push_back(m.text); });
    }
    ~PhraseStoreTest() override {
        CPhraseStore::DestroyInstance();
        CPhraseStore::SetSink({});
        platform::AppMessages::SetHandler({});
    }

    // Loads the lines as "mirel.txt" with the position the preferences would hand over.
    CPhraseStore* Load(const std::vector<std::u16string>& lines, int position = 0) {
        m_lines = lines;
        m_data.Write("mirel.txt", testdata::Utf16File(lines));
        CPhraseStore* store = CPhraseStore::Instance();
        store->m_nCurrent = position;
        return store;
    }
    std::string Line(size_t index) const { return CodePage1256::FromUtf16(m_lines.at(index)); }
    std::string LastShown() const { return m_shown.empty() ? "" : m_shown.back(); }

    testdata::TempDataFolder m_data;
    std::vector<std::u16string> m_lines;
    std::vector<std::string> m_shown;
    std::vector<QString> m_messages;
};

TEST_F(PhraseStoreTest, FirstRunShowsLineZeroThenRotatesFromTheTopAndWrapsToLineTwo) {
    CPhraseStore* store = Load(numbered(6));
    ASSERT_EQ(m_shown, std::vector<std::string>{"phrase 0"});
    EXPECT_EQ(store->m_bDisabled, 0);
    EXPECT_TRUE(m_messages.empty());

    std::vector<std::string> expected;
    for (size_t i = 0; i < m_lines.size(); ++i)
        expected.push_back(Line(i));
    expected.push_back(Line(2));
    expected.push_back(Line(3));
    m_shown.clear();
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(store->ShowPhraseAt(-1), expected[i]) << "tick " << i;
    EXPECT_EQ(m_shown, expected);
}

TEST_F(PhraseStoreTest, StoredPositionIsShownAtTheFirstDueTick) {
    CPhraseStore* store = Load(numbered(60), 57);
    EXPECT_EQ(LastShown(), "phrase 0");
    EXPECT_EQ(store->ShowPhraseAt(-1), "phrase 57");
    EXPECT_EQ(store->m_nCurrent, 58);
}

TEST_F(PhraseStoreTest, PositionOutsideTheListRestartsAtLineTwo) {
    for (int position : {1000, INT_MAX, -3, INT_MIN}) {
        CPhraseStore::DestroyInstance();
        CPhraseStore* store = Load(numbered(10), position);
        EXPECT_EQ(store->ShowPhraseAt(-1), "phrase 2") << position;
    }
}

TEST_F(PhraseStoreTest, ReShowAfterLineFortyShowsItAgainAndKeepsThePosition) {
    CPhraseStore* store = Load(numbered(60), 40);
    store->ShowPhraseAt(-1);
    store->ReShowLast();
    EXPECT_EQ(LastShown(), "phrase 40");
    EXPECT_EQ(store->ShowPhraseAt(-1), "phrase 41");
}

TEST_F(PhraseStoreTest, ReShowAtTheStartOfTheRotationShowsTheLastLineThenLineTwo) {
    // After line 0 or 1 of a first run, and before any tick at position 2.
    for (int ticks : {1, 2, 0}) {
        CPhraseStore::DestroyInstance();
        CPhraseStore* store = Load(numbered(10), ticks == 0 ? 2 : 0);
        for (int i = 0; i < ticks; ++i)
            store->ShowPhraseAt(-1);
        store->ReShowLast();
        EXPECT_EQ(LastShown(), Line(m_lines.size() - 1)) << ticks;
        EXPECT_EQ(store->ShowPhraseAt(-1), "phrase 2") << ticks;
    }
}

TEST_F(PhraseStoreTest, ReShowWithAStoredPositionFarOutsideTheListShowsTheLastLine) {
    for (int position : {INT_MIN, -1, INT_MAX}) {
        CPhraseStore::DestroyInstance();
        CPhraseStore* store = Load(numbered(10), position);
        store->ReShowLast();
        EXPECT_EQ(LastShown(), Line(m_lines.size() - 1)) << position;
    }
}

TEST_F(PhraseStoreTest, AnIndexOutsideTheListShowsNothing) {
    CPhraseStore* store = Load(numbered(5));
    m_shown.clear();
    EXPECT_EQ(store->ShowPhraseAt(static_cast<int>(m_lines.size())), "");
    EXPECT_EQ(store->ShowPhraseAt(-2), "");
    EXPECT_TRUE(m_shown.empty());
}

TEST(PhraseSum, CountsEveryByteButTheSpaceLess127) {
    EXPECT_EQ(CPhraseStore::PhraseSum({"abc"}), -87);
    EXPECT_EQ(CPhraseStore::PhraseSum({"a b  c"}), -87);
    EXPECT_EQ(CPhraseStore::PhraseSum({"a", "", "bc"}), -87);
    EXPECT_EQ(CPhraseStore::PhraseSum({"\xFF\x80\x7F"}), 128 + 1 + 0);
}

// Files the store must refuse, each with what the user is told.
struct RefusedCase {
    const char* name;
    void (*make)(const testdata::TempDataFolder& data);
    std::vector<QString> messages;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class PhraseStoreRefusedTest : public PhraseStoreTest,
                               public testing::WithParamInterface<RefusedCase> {};

TEST_P(PhraseStoreRefusedTest, IsDisabledAndShowsNothing) {
    ASSERT_NO_FATAL_FAILURE(GetParam().make(m_data));
    CPhraseStore* store = CPhraseStore::Instance();
    store->m_nCurrent = 0;
    EXPECT_EQ(m_messages, GetParam().messages);
    EXPECT_EQ(store->m_bDisabled, 1);
    EXPECT_EQ(store->ShowPhraseAt(-1), "");
    EXPECT_EQ(store->ShowPhraseAt(0), "");
    store->ReShowLast();
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(m_messages.size(), GetParam().messages.size()) << "a message at a tick";
}

QByteArray sealedBytes() {
    return testdata::Utf16File(numbered(5));
}

QByteArray swapped(QByteArray bytes) {
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PhraseStoreRefusedTest,
    testing::Values(
        RefusedCase{"Missing", [](const testdata::TempDataFolder&) {}, {kNotOpenedMessage}},
        RefusedCase{
            "Folder",
            [](const testdata::TempDataFolder& d) { QDir().mkpath(d.DataPath("mirel.txt")); },
            {kNotOpenedMessage}},
#ifndef _WIN32
        // No writer ever comes: the start must not wait on it.
        RefusedCase{"NamedPipe",
                    [](const testdata::TempDataFolder& d) {
                        specialfiles::MakeNamedPipe(d.DataPath("mirel.txt"));
                    },
                    {kNotOpenedMessage}},
#endif
        RefusedCase{"FiftyMegabytes",
                    [](const testdata::TempDataFolder& d) {
                        testdata::SparseFile(d.DataPath("mirel.txt"), 50 << 20);
                    },
                    {kNotOpenedMessage}},
        RefusedCase{
            "Empty", [](const testdata::TempDataFolder& d) { d.Write("mirel.txt", {}); }, {}},
        RefusedCase{"OnlyTheByteOrderMark",
                    [](const testdata::TempDataFolder& d) { d.Write("mirel.txt", "\xFF\xFE"); },
                    {kSumMessage}},
        RefusedCase{"Abc",
                    [](const testdata::TempDataFolder& d) {
                        d.Write("mirel.txt", testdata::Utf16File({u"abc"}));
                    },
                    {kSumMessage}},
        RefusedCase{
            "BigEndian",
            [](const testdata::TempDataFolder& d) { d.Write("mirel.txt", swapped(sealedBytes())); },
            {kSumMessage}},
        RefusedCase{"Utf8",
                    [](const testdata::TempDataFolder& d) {
                        d.Write("mirel.txt", QByteArray("\xEF\xBB\xBFphrase 0\r\nphrase 1\r\n"));
                    },
                    {kSumMessage}},
        RefusedCase{"ACharacterTheCodePageLacks",
                    [](const testdata::TempDataFolder& d) {
                        std::vector<std::u16string> lines = numbered(5);
                        lines[3] += u"\u06CC";  // the sealed sum no longer holds
                        d.Write("mirel.txt", testdata::Utf16File(lines));
                    },
                    {kSumMessage}},
        RefusedCase{"TooShortForARotation",
                    [](const testdata::TempDataFolder& d) {
                        // Three lines at the format's limit cannot reach the sum.
                        const std::u16string full(2047, CodePage1256::ToUtf16("\xFF")[0]);
                        d.Write("mirel.txt", testdata::Utf16File({full, full, full}));
                    },
                    {kSumMessage}}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

TEST_F(PhraseStoreTest, AnOddTrailingByteIsIgnored) {
    m_data.Write("mirel.txt", sealedBytes() + "\x01");
    EXPECT_EQ(CPhraseStore::Instance()->m_bDisabled, 0);
    EXPECT_EQ(LastShown(), "phrase 0");
}

long ResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// A large file that fails the sum leaves the process no bigger than before it was read.
TEST_F(PhraseStoreTest, ARefusedLargeFileGivesItsMemoryBack) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator holds freed blocks in quarantine";
#endif
    {
        // About 10 MB of short lines: some 290,000 phrases, far from the sum.
        const std::u16string line = u"abcdefghijklmnop\r\n";
        std::u16string text = u"\uFEFF";
        while (text.size() * 2 < 10'000'000)
            text += line;
        m_data.Write("mirel.txt", testdata::Utf16Units(text));
    }
    const long before = ResidentKiB();
    ASSERT_GT(before, 0);
    EXPECT_EQ(CPhraseStore::Instance()->m_bDisabled, 1);
    EXPECT_EQ(m_messages, std::vector<QString>{kSumMessage});
    EXPECT_LT(ResidentKiB() - before, 4 * 1024) << "KiB kept after the refusal";
}

TEST_F(PhraseStoreTest, ExistingNeverCreates) {
    EXPECT_EQ(CPhraseStore::Existing(), nullptr);
    EXPECT_TRUE(m_messages.empty());
    Load(numbered(3));
    EXPECT_EQ(CPhraseStore::Existing(), CPhraseStore::Instance());
}

}  // namespace
