#include "tests/prefs/PreferencesFixture.h"

#include "app/PreferenceKeys.h"
#include "hijri/HijriCalendar.h"
#include "notifier/NotifierHost.h"
#include "platform/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace prefkeys;

namespace {

constexpr int kGroupPopup = 1056;
constexpr int kCheckEnable = 1039;
constexpr int kEditInterval = 1040;
constexpr int kEditFontSize = 1044;
constexpr int kCheckHoldWhileBusy = 1049;
constexpr int kComboAdjust = 1043;
constexpr int kStaticToday = 1045;
constexpr int kOk = 1;
constexpr int kCancel = 2;
// The controls that follow the Enable check box.
constexpr int kPopupControls[] = {1041, kEditInterval, 1042,
                                  1048, kEditFontSize, kCheckHoldWhileBusy};
constexpr int kHijriControls[] = {1055, 1047, kStaticToday, 1054, kComboAdjust};

class PreferencesDlgTest : public PreferencesFixture {
protected:
    CPreferencesDlg& Open(bool phraseFileLoaded = true) {
        CPreferencesDlg& dialog = Create(phraseFileLoaded);
        dialog.open();
        // Focus moves only inside the active window.
        dialog.activateWindow();
        QCoreApplication::processEvents();
        return dialog;
    }

    void Type(int id, const QString& text) const { Find<QLineEdit>(id)->setText(text); }
    void Click(int id) const { Find<QAbstractButton>(id)->click(); }

    QStringList ComboEntries() const {
        QStringList entries;
        const QComboBox* combo = Find<QComboBox>(kComboAdjust);
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        return entries;
    }

    bool Enabled(int id) const { return Find<QWidget>(id)->isEnabled(); }
};

TEST_F(PreferencesDlgTest, FirstRunShowsTheDefaultsAndTheComputedDateSelected) {
    Open();
    EXPECT_TRUE(Find<QCheckBox>(kCheckEnable)->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(kCheckHoldWhileBusy)->isChecked());
    EXPECT_EQ(Find<QLineEdit>(kEditInterval)->text(), "10");
    EXPECT_EQ(Find<QLineEdit>(kEditFontSize)->text(), "10");
    EXPECT_EQ(ComboEntries(),
              QStringList({"3 M9 1445", "4 M9 1445", "5 M9 1445", "6 M9 1445", "7 M9 1445"}));
    EXPECT_EQ(Find<QComboBox>(kComboAdjust)->currentIndex(), 2);
    EXPECT_EQ(Find<QLabel>(kStaticToday)->text(), "5 M9 1445");
    for (int id : kPopupControls)
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(PreferencesDlgTest, ControlsCarryTheTextsOfTheDialog) {
    Open();
    EXPECT_EQ(Dialog().windowTitle(), "Preferences");
    EXPECT_EQ(Find<QGroupBox>(kGroupPopup)->title(), "Popup Mirel");
    EXPECT_EQ(Find<QGroupBox>(1055)->title(), "Hijri Date");
    EXPECT_EQ(Find<QCheckBox>(kCheckEnable)->text(), "Enable");
    EXPECT_EQ(Find<QCheckBox>(kCheckHoldWhileBusy)->text(),
              "Hold reminders while I am busy (full screen, do not disturb)");
    EXPECT_EQ(Find<QLabel>(1041)->text(), "Show Every");
    EXPECT_EQ(Find<QLabel>(1042)->text(), "Min");
    EXPECT_EQ(Find<QLabel>(1048)->text(), "Font size");
    EXPECT_EQ(Find<QLabel>(1047)->text(), "Today calculated to be : ");
    EXPECT_EQ(Find<QLabel>(1054)->text(), "Adjust today to be:");
    EXPECT_EQ(Find<QPushButton>(kOk)->text(), "OK");
    EXPECT_TRUE(Find<QPushButton>(kOk)->isDefault());
    EXPECT_EQ(Find<QPushButton>(kCancel)->text(), "Cancel");
}

struct RefusedInput {
    const char* name;
    const char* interval;
    const char* fontSize;
    int refusedControl;
    const char* message;
};

void PrintTo(const RefusedInput& input, std::ostream* out) {
    *out << input.name;
}

const RefusedInput kRefusedInputs[] = {
    {"IntervalZero", "0", "12", kEditInterval, "Please enter an integer between 1 and 60."},
    {"IntervalSixtyOne", "61", "12", kEditInterval, "Please enter an integer between 1 and 60."},
    {"IntervalLetters", "abc", "12", kEditInterval, "Please enter an unsigned integer."},
    {"IntervalNegative", "-1", "12", kEditInterval, "Please enter an unsigned integer."},
    {"IntervalEmpty", "", "12", kEditInterval, "Please enter an unsigned integer."},
    {"IntervalBeyond32Bits", "4294967306", "12", kEditInterval,
     "Please enter an unsigned integer."},
    {"FontSizeLetters", "30", "abc", kEditFontSize, "Please enter a number."},
    {"FontSizeEmpty", "30", "", kEditFontSize, "Please enter a number."},
    {"FontSizeInfinite", "30", "inf", kEditFontSize, "Please enter a number."},
    {"FontSizeNegative", "30", "-9.7", kEditFontSize,
     "Please enter a number between 0 and 214748364."},
    {"FontSizeBeyondTheSetting", "30", "1e9", kEditFontSize,
     "Please enter a number between 0 and 214748364."},
};

class PreferencesRefusedInput : public PreferencesDlgTest,
                                public testing::WithParamInterface<RefusedInput> {};

TEST_P(PreferencesRefusedInput, KeepsTheDialogOpenAndTheValuesInForce) {
    CPreferencesDlg& dialog = Open();
    const QByteArray settingsBefore = SettingsFileBytes();
    Type(kEditInterval, GetParam().interval);
    Type(kEditFontSize, GetParam().fontSize);
    Find<QComboBox>(kComboAdjust)->setCurrentIndex(0);
    Click(kOk);

    EXPECT_EQ(m_messages, QStringList{GetParam().message});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), Find<QWidget>(GetParam().refusedControl));
    EXPECT_EQ(dialog.m_nInterval, 10u);
    EXPECT_FLOAT_EQ(dialog.m_fFontSize, 10.0f);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 2);
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 100);
    EXPECT_EQ(SettingsFileBytes(), settingsBefore);
}

INSTANTIATE_TEST_SUITE_P(Input, PreferencesRefusedInput, testing::ValuesIn(kRefusedInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreferencesDlgTest, IntervalsAtBothEndsOfTheRangeAreAccepted) {
    for (const unsigned interval : {1u, 60u}) {
        CPreferencesDlg& dialog = Open();
        Type(kEditInterval, QString::number(interval));
        Click(kOk);
        EXPECT_TRUE(m_messages.isEmpty());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_nInterval, interval);
        EXPECT_EQ(Stored(kPopupInterval), static_cast<int>(interval));
    }
}

TEST_F(PreferencesDlgTest, FontSizeIsSavedAndSentInTenthsAndShownAgainAsTyped) {
    CPreferencesDlg& dialog = Open();
    Type(kEditFontSize, "9.7");
    Click(kOk);
    EXPECT_EQ(Stored(kPopupFontSize), 97);
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 97);
    dialog.open();
    EXPECT_EQ(Find<QLineEdit>(kEditFontSize)->text(), "9.7");
}

TEST_F(PreferencesDlgTest, OkTakesEveryEditedValueAndSavesIt) {
    CPreferencesDlg& dialog = Open();
    Click(kCheckHoldWhileBusy);
    Click(kCheckEnable);
    Type(kEditInterval, " 15 ");
    Type(kEditFontSize, "12.25");
    Find<QComboBox>(kComboAdjust)->setCurrentIndex(4);
    Click(kOk);
    EXPECT_EQ(dialog.m_bEnable, 0);
    EXPECT_EQ(dialog.m_bHoldWhileBusy, 0);
    EXPECT_EQ(Stored(kHoldWhileBusy), 0);
    EXPECT_EQ(dialog.m_nInterval, 15u);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 4);
    EXPECT_EQ(Stored(kEnablePopup), 0);
    EXPECT_EQ(Stored(kPopupInterval), 15);
    EXPECT_EQ(Stored(kPopupFontSize), 123);
    EXPECT_EQ(Stored(kHijriDateAdjust), 4);
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(), "7 M9 1445");
}

TEST_F(PreferencesDlgTest, UncheckingEnableGreysThePopupControlsAtOnce) {
    Open();
    Click(kCheckEnable);
    for (int id : kPopupControls)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(kCheckEnable));
    Click(kCheckEnable);
    for (int id : kPopupControls)
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(PreferencesDlgTest, StoredDisabledRemindersOpenWithThePopupControlsGreyed) {
    Store(kEnablePopup, 0);
    Open();
    EXPECT_FALSE(Find<QCheckBox>(kCheckEnable)->isChecked());
    for (int id : kPopupControls)
        EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(PreferencesDlgTest, StoredAdjustmentBeyondTheOfferedDatesShowsNoSelectionAndIsKept) {
    Store(kHijriDateAdjust, 5);
    CPreferencesDlg& dialog = Open();
    EXPECT_EQ(Find<QComboBox>(kComboAdjust)->currentIndex(), -1);
    Click(kOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 5);
    EXPECT_EQ(Stored(kHijriDateAdjust), 5);
    EXPECT_EQ(CHijriCalendar::Instance()->GetAdjustedDate(), "8 M9 1445");
}

TEST_F(PreferencesDlgTest, CancelAfterEditsChangesNothing) {
    CPreferencesDlg& dialog = Open();
    const QByteArray settingsBefore = SettingsFileBytes();
    Click(kCheckEnable);
    Click(kCheckHoldWhileBusy);
    Type(kEditInterval, "30");
    Type(kEditFontSize, "20");
    Find<QComboBox>(kComboAdjust)->setCurrentIndex(0);
    Click(kCancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(dialog.m_bEnable, 1);
    EXPECT_EQ(dialog.m_bHoldWhileBusy, 1);
    EXPECT_EQ(dialog.m_nInterval, 10u);
    EXPECT_FLOAT_EQ(dialog.m_fFontSize, 10.0f);
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 2);
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 100);
    EXPECT_EQ(SettingsFileBytes(), settingsBefore);
}

TEST_F(PreferencesDlgTest, MissingPhraseFileGreysTheReminderGroupForGood) {
    CPreferencesDlg& dialog = Open(false);
    EXPECT_FALSE(Enabled(kGroupPopup));
    EXPECT_FALSE(Enabled(kCheckEnable));
    for (int id : kPopupControls)
        EXPECT_FALSE(Enabled(id)) << id;
    Click(kOk);
    dialog.open();
    EXPECT_FALSE(Enabled(kGroupPopup));
    for (int id : kPopupControls)
        EXPECT_FALSE(Enabled(id)) << id;
    // The stored values are still shown and saved.
    EXPECT_TRUE(Find<QCheckBox>(kCheckEnable)->isChecked());
    EXPECT_EQ(Stored(kEnablePopup), 1);
    EXPECT_EQ(Stored(kPopupInterval), 10);
}

// Unchecking Enable greys the controls but does not hide what they hold: a refused text
// there is refused as anywhere else, since checking Enable again makes it editable.
TEST_F(PreferencesDlgTest, UncheckedEnableStillRefusesTheTextOfItsGreyedControls) {
    CPreferencesDlg& dialog = Open();
    const QByteArray settingsBefore = SettingsFileBytes();
    Type(kEditInterval, "0");
    Click(kCheckEnable);
    Click(kOk);
    EXPECT_EQ(m_messages, QStringList{"Please enter an integer between 1 and 60."});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.m_bEnable, 1);
    EXPECT_EQ(dialog.m_nInterval, 10u);
    EXPECT_EQ(SettingsFileBytes(), settingsBefore);
    Click(kCheckEnable);
    Type(kEditInterval, "25");
    Click(kCheckEnable);
    Click(kOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Stored(kEnablePopup), 0);
    EXPECT_EQ(Stored(kPopupInterval), 25);
}

// Without the phrase file nothing in the reminder group can be edited; a hand-edited
// interval there must not stop OK from saving the Hijri adjustment.
TEST_F(PreferencesDlgTest, MissingPhraseFileWithHandEditedIntervalStillSaves) {
    Store(kPopupInterval, 0);
    CPreferencesDlg& dialog = Open(false);
    Find<QComboBox>(kComboAdjust)->setCurrentIndex(4);
    Click(kOk);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Stored(kHijriDateAdjust), 4);
    EXPECT_EQ(Stored(kPopupInterval), 0);
}

TEST_F(PreferencesDlgTest, UnavailableCalendarHidesTheHijriPartAndOkKeepsTheAdjustment) {
    CHijriCalendar::SetDateSource({[] { return false; }, [] { return std::string(); }});
    Store(kHijriDateAdjust, 1);
    CPreferencesDlg& dialog = Open();
    for (int id : kHijriControls)
        EXPECT_TRUE(Find<QWidget>(id)->isHidden()) << id;
    Click(kOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(CHijriCalendar::Instance()->adjust, 1);
    EXPECT_EQ(Stored(kHijriDateAdjust), 1);
}

// exec runs a real modal loop; the action runs inside it, as the user's clicks would.
int ExecWhile(CPreferencesDlg& dialog, std::function<void()> action) {
    QTimer::singleShot(0, &dialog, std::move(action));
    return dialog.exec();
}

TEST_F(PreferencesDlgTest, EveryModalRunFillsTheControlsAnewFromTheValuesInForce) {
    CPreferencesDlg& dialog = Create();
    EXPECT_EQ(ExecWhile(dialog,
                        [&] {
                            Type(kEditInterval, "20");
                            Find<QComboBox>(kComboAdjust)->setCurrentIndex(3);
                            Click(kOk);
                        }),
              QDialog::Accepted);

    platform::Clock::SetSource([] { return QDateTime(QDate(2024, 3, 16), QTime(0, 0)); });
    QStringList entries;
    int selected = -1;
    QString interval;
    EXPECT_EQ(ExecWhile(dialog,
                        [&] {
                            entries = ComboEntries();
                            selected = Find<QComboBox>(kComboAdjust)->currentIndex();
                            interval = Find<QLineEdit>(kEditInterval)->text();
                            Type(kEditInterval, "0");
                            Click(kCancel);
                        }),
              QDialog::Rejected);
    EXPECT_EQ(entries,
              QStringList({"4 M9 1445", "5 M9 1445", "6 M9 1445", "7 M9 1445", "8 M9 1445"}));
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(interval, "20");
    EXPECT_EQ(dialog.m_nInterval, 20u);
}

}  // namespace
