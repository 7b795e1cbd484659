#include "about/FallbackCommand.h"
#include "about/OpenErrorText.h"

#include <gtest/gtest.h>

namespace {

const QString kTarget = "https://quietbell.example.org/a b";

struct CommandCase {
    const char* name;
    QString command;
    std::optional<QStringList> arguments;
};
void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}

class FallbackCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(FallbackCommand, PutsTheTargetInPlaceOfThePlaceholder) {
    EXPECT_EQ(BuildFallbackCommand(GetParam().command, kTarget), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Link, FallbackCommand,
    testing::Values(
        CommandCase{"QuotedPlaceholderAndAllAfterItGo", "browser --new-window \"%u\" --after",
                    QStringList{"browser", "--new-window", kTarget}},
        CommandCase{"QuotedWindowsPlaceholder", "\"/opt/My Browser/run\" -nohome \"%1\"",
                    QStringList{"/opt/My Browser/run", "-nohome", kTarget}},
        CommandCase{"WindowsFoldersKeepTheirBackslashes",
                    "\"C:\\Program Files\\Browser\\run.exe\" -nohome \"%1\"",
                    QStringList{"C:\\Program Files\\Browser\\run.exe", "-nohome", kTarget}},
        CommandCase{"QuotedWinsOverAnEarlierBare", "browser %f -x \"%U\" -y",
                    QStringList{"browser", "-x", kTarget}},
        CommandCase{"BarePlaceholder", "browser %U --after", QStringList{"browser", kTarget}},
        CommandCase{"NoPlaceholderAppends", "browser --flag",
                    QStringList{"browser", "--flag", kTarget}},
        CommandCase{"PercentSignIsNoPlaceholder", "tool --scale=100%% %u",
                    QStringList{"tool", "--scale=100%", kTarget}},
        CommandCase{"OtherFieldCodesDropped", "app %i %c %u", QStringList{"app", kTarget}},
        CommandCase{"EscapesInsideQuotes", "\"say \\\"hi\\\" \\$x\" %F",
                    QStringList{"say \"hi\" $x", kTarget}},
        CommandCase{"NoProgram", "\"%u\"", std::nullopt},
        CommandCase{"EmptyCommand", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FallbackCommandBuffer, CommandAndTargetMustFitTheBuffer) {
    const QString target = "https://x.example/";           // 18 bytes
    const int room = kFallbackCommandBuffer - 1 - 18 - 1;  // blank and terminator
    const QString fits = "b" + QString(room - 1, u'x');
    EXPECT_TRUE(BuildFallbackCommand(fits, target).has_value());
    EXPECT_FALSE(BuildFallbackCommand(fits + "x", target).has_value());
    // Only what stays before the placeholder counts.
    EXPECT_TRUE(BuildFallbackCommand("b %u " + QString(600, u'x'), target).has_value());
    // Bytes, not characters: U+0628 takes two.
    EXPECT_FALSE(BuildFallbackCommand("b " + QString(room / 2, QChar(0x0628)), target).has_value());
}

struct ErrorCase {
    int code;
    const char* line;
};

TEST(OpenErrorText, EveryCodeHasItsLine) {
    const std::vector<ErrorCase> cases = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred."},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30,
         "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
         "being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {4, "Unknown Error (4) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(OpenErrorText(c.code), QString("Unable to open hyperlink:\n\n") + c.line)
            << c.code;
}

}  // namespace
