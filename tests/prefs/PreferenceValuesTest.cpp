#include "tests/prefs/PreferencesFixture.h"

#include "app/PreferenceKeys.h"
#include "content/PhraseStore.h"
#include "hijri/HijriCalendar.h"
#include "notifier/NotifierHost.h"

using namespace prefkeys;

namespace {

using PreferenceValues = PreferencesFixture;

TEST_F(PreferenceValues, FirstRunWritesEveryKeyWithItsDefaultAndHandsTheValuesOn) {
    const CPreferencesDlg& values = Create();
    EXPECT_EQ(values.m_bBringToTop, 0);
    EXPECT_EQ(values.m_bHideWhenMinimized, 1);
    EXPECT_EQ(values.m_bEnable, 1);
    EXPECT_EQ(values.m_nInterval, 10u);
    EXPECT_EQ(values.m_bHoldWhileBusy, 1);
    EXPECT_FLOAT_EQ(values.m_fFontSize, 10.0f);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 2);
    EXPECT_EQ(CPhraseStore::Instance()->m_nCurrent, 0);
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 100);
    const std::pair<const char*, int> defaults[] = {
        {kBringWindowToTop, 0}, {kHideWhenMinimized, 1}, {kEnablePopup, 1},
        {kPopupInterval, 10},   {kPopupFontSize, 100},   {kHijriDateAdjust, 2},
        {kPopupIndex, 0},       {kArabicInterface, 0},   {kHoldWhileBusy, 1},
    };
    for (const auto& [key, value] : defaults)
        EXPECT_EQ(Stored(key), value) << key;
}

TEST_F(PreferenceValues, StoredValuesReachTheirUsersUnchanged) {
    Store(kBringWindowToTop, 1);
    Store(kHideWhenMinimized, 0);
    Store(kEnablePopup, 0);
    Store(kPopupInterval, 25);
    Store(kPopupFontSize, 97);
    Store(kHijriDateAdjust, 5);
    Store(kPopupIndex, 7);
    Store(kHoldWhileBusy, 0);
    const CPreferencesDlg& values = Create();
    EXPECT_EQ(values.m_bHoldWhileBusy, 0);
    EXPECT_EQ(values.m_bBringToTop, 1);
    EXPECT_EQ(values.m_bHideWhenMinimized, 0);
    EXPECT_EQ(values.m_bEnable, 0);
    EXPECT_EQ(values.m_nInterval, 25u);
    EXPECT_FLOAT_EQ(values.m_fFontSize, 9.7f);
    EXPECT_EQ(values.FontSizeTenths(), 97);
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 97);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 5);
    EXPECT_EQ(CPhraseStore::Instance()->m_nCurrent, 7);
}

// Only a hand edit can store these; they are the user's to correct in the dialog.
TEST_F(PreferenceValues, ValuesOutsideTheDialogRangesAreTakenAsTheyAre) {
    Store(kPopupInterval, 0);
    Store(kHijriDateAdjust, 9);
    Store(kEnablePopup, 3);
    const CPreferencesDlg& values = Create();
    EXPECT_EQ(values.m_nInterval, 0u);
    EXPECT_EQ(values.m_bEnable, 3);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 9);
}

TEST_F(PreferenceValues, SaveWritesEverythingButThePhrasePosition) {
    Store(kPopupIndex, 7);
    CPreferencesDlg& values = Create();
    values.m_bBringToTop = 1;
    values.m_bHideWhenMinimized = 0;
    values.m_bEnable = 0;
    values.m_nInterval = 45;
    values.m_bHoldWhileBusy = 0;
    values.m_fFontSize = 9.74f;
    CHijriCalendar::Instance()->adjust = 4;
    CPhraseStore::Instance()->m_nCurrent = 3;
    values.SaveSettings();
    EXPECT_EQ(Stored(kBringWindowToTop), 1);
    EXPECT_EQ(Stored(kHideWhenMinimized), 0);
    EXPECT_EQ(Stored(kEnablePopup), 0);
    EXPECT_EQ(Stored(kPopupInterval), 45);
    EXPECT_EQ(Stored(kHoldWhileBusy), 0);
    EXPECT_EQ(Stored(kPopupFontSize), 97);
    EXPECT_EQ(Stored(kHijriDateAdjust), 4);
    EXPECT_EQ(Stored(kPopupIndex), 7);
}

}  // namespace
