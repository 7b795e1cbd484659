#include "mainwnd/TrayMenuTable.h"
#include "mainwnd/TrayTip.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Commands(const std::vector<traymenu::Entry>& entries) {
    std::vector<int> commands;
    for (const auto& e : entries)
        commands.push_back(e.command);
    return commands;
}

TEST(TrayMenuTable, TrayMenuHasFiveEntriesWithoutSendToTray) {
    const auto menu = traymenu::TrayMenu();
    EXPECT_EQ(Commands(menu), (std::vector<int>{16, 32, 48, 0, 61536}));
    EXPECT_EQ(menu[0].text, "&About Quietbell...");
    EXPECT_EQ(menu[1].text, "&Preferences...");
    EXPECT_EQ(menu[2].text, "&Re-Show Mirel Popup");
    EXPECT_EQ(menu[4].text, "&Exit");
}

TEST(TrayMenuTable, ContextMenuKeepsSendToTrayAndDropsExit) {
    const auto menu = traymenu::ContextMenu();
    EXPECT_EQ(Commands(menu), (std::vector<int>{16, 32, 48, 0, 61537}));
    EXPECT_EQ(menu[4].text, "&Send to Tray\t Alt+F4");
}

TEST(TrayMenuTable, WindowMenuCommandsAreMultiplesOfSixteen) {
    for (int command :
         {traymenu::ID_TRAY_ABOUT, traymenu::ID_TRAY_PREFERENCES, traymenu::ID_TRAY_RESHOW})
        EXPECT_EQ(command & ~0xF, command);
}

struct TipCase {
    const char* name;
    std::string date;
    QString expected;
};

class TrayTipTest : public testing::TestWithParam<TipCase> {};

TEST_P(TrayTipTest, ComposesNameAndDate) {
    EXPECT_EQ(traytip::Compose(GetParam().date), GetParam().expected);
}

// "14 Ramadan 1445" with the month written in Arabic: U+0631 U+0645 U+0636 U+0627 U+0646
// in code page 1256 is 0xD1 0xE3 0xD6 0xC7 0xE4.
INSTANTIATE_TEST_SUITE_P(
    Dates, TrayTipTest,
    testing::Values(TipCase{"NoCalendar", "", "Quietbell: "},
                    TipCase{"LatinMonth", "14 Ramadan 1445", "Quietbell: 14 Ramadan 1445"},
                    TipCase{
                        "ArabicMonth", "14 \xD1\xE3\xD6\xC7\xE4 1445",
                        QString::fromUtf16(u"Quietbell: 14 \u0631\u0645\u0636\u0627\u0646 1445")},
                    TipCase{"SeventyCharactersKeepSixtyThree", std::string(59, 'x'),
                            "Quietbell: " + QString(52, 'x')},
                    TipCase{"ArabicCutByCharacters", std::string(60, '\xC7'),
                            "Quietbell: " + QString(52, QChar(0x0627))}),
    [](const testing::TestParamInfo<TipCase>& info) { return std::string(info.param.name); });

}  // namespace
