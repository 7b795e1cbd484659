#include "mainwnd/ReminderDlg.h"
#include "mainwnd/TrayTip.h"

#include "app/PreferenceKeys.h"
#include "app/SettingsStore.h"
#include "content/PhraseStore.h"
#include "platform/AppMessages.h"
#include "platform/Clock.h"
#include "script/CodePage1256.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "FileDescriptor.h"
#include "ModalDeadline.h"
#include "SpecialFiles.h"
#include "tests/app/TestDataFolder.h"

namespace {

constexpr int kPhraseSum = 982543;
constexpr int kPhraseCount = 12;

// Phrase k starts with the label "<prefix>k " ("P0 ", "P1 ", ...); filler characters bring the
// file to the phrase sum that the store insists on. Returns the labels in file order.
std::vector<std::string> WritePhraseFile(const QString& path, const std::string& prefix = "P") {
    std::vector<std::string> lines;
    long sum = 0;
    for (int k = 0; k < kPhraseCount; ++k) {
        lines.push_back(prefix + std::to_string(k) + " ");
        for (unsigned char b : lines.back())
            if (b != ' ')
                sum += b - 127;
    }
    // 0xFF adds 128; the rest is one character of its own, spread over the filler lines.
    long rest = kPhraseSum - sum;
    for (int k = 1; rest > 0; k = k % (kPhraseCount - 1) + 1) {
        const long add = std::min(rest, 128L);
        lines[k].push_back(static_cast<char>(127 + add));
        rest -= add;
    }
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    std::u16string text = u"\uFEFF";
    for (const std::string& line : lines)
        text += script::CodePage1256::ToUtf16(line) + u"\r\n";
    file.write(reinterpret_cast<const char*>(text.data()),
               static_cast<qint64>(text.size() * sizeof(char16_t)));
    std::vector<std::string> labels;
    for (int k = 0; k < kPhraseCount; ++k)
        labels.push_back(prefix + std::to_string(k));
    return labels;
}

std::string Label(const std::string& phrase) {
    return phrase.substr(0, phrase.find(' '));
}

// The texts of the visible entries, separators as "-".
std::vector<QString> MenuTexts(const QMenu& menu) {
    std::vector<QString> texts;
    for (const QAction* action : menu.actions()) {
        if (action->isVisible())
            texts.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

QAction* EntryOf(const QMenu& menu, int command) {
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator() && action->data().toInt() == command)
            return action;
    }
    return nullptr;
}

QVariant StoredPreference(const char* key) {
    QSettings settings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName());
    return settings.value(QStringLiteral("Preferences/") + key);
}

void StorePreference(const char* key, int value) {
    QSettings settings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName());
    settings.setValue(QStringLiteral("Preferences/") + key, value);
}

// Whether a file was written, as the kernel saw it: QSettings replaces the file with a new one
// (or rewrites it where it cannot), and either shows even when the bytes stay the same.
class FileWrites {
public:
    explicit FileWrites(const QString& path)
        : watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          name(QFileInfo(path).fileName().toStdString()) {
        EXPECT_GE(inotify_add_watch(watch.Get(),
                                    QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                    IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO),
                  0);
    }

    // Whether the file was made, written or moved into place since the last look.
    bool WrittenSinceLastLook() {
        bool written = false;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(watch.Get(), buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                written = written || (event->len > 0 && name == event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return written;
    }

private:
    FileDescriptor watch;
    std::string name;
};

// A data folder of its own, a cleared settings section, a set clock and recorded popups
// and messages for every case.
class ReminderDlgTest : public testing::Test {
protected:
    void SetUp() override {
        QSettings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName()).clear();
        ASSERT_TRUE(QDir(dir.path()).mkpath("Data"));
        WritePhraseFile(dir.filePath("Data/mirel.txt"));
        CSettingsStore::SetExecutablePath(dir.filePath("quietbell"));
        CPhraseStore::SetSink(
            [this](const std::string& phrase, bool) { shown.push_back(Label(phrase)); });
        platform::AppMessages::SetHandler(
            [this](const platform::AppMessage& m) { messages.push_back(m.text); });
        platform::Clock::SetSource([this] { return now; });
    }

    void TearDown() override {
        platform::Clock::SetSource({});
        platform::AppMessages::SetHandler({});
        CPhraseStore::SetSink({});
        CSettingsStore::SetExecutablePath({});
    }

    // One tick a second from `from` to `to` inclusive.
    void TickThrough(CReminderDlg& dlg, const QDateTime& from, const QDateTime& to) {
        for (now = from; now <= to; now = now.addSecs(1))
            dlg.OnTimer();
    }

    QDateTime At(int h, int m, int s) const { return QDateTime(day, QTime(h, m, s)); }

    QTemporaryDir dir;
    QDate day{2024, 3, 14};
    QDateTime now = At(10, 3, 20);
    std::vector<std::string> shown;
    std::vector<QString> messages;
};

TEST_F(ReminderDlgTest, StartUpPhraseThenHideOnSecondTickThenClockAlignedReminder) {
    StorePreference(prefkeys::kPopupIndex, 5);
    CReminderDlg dlg;
    dlg.SetTrayProbe([] { return true; });
    EXPECT_EQ(shown, std::vector<std::string>{"P0"});
    dlg.OnInitDialog();
    dlg.show();

    now = At(10, 3, 20);
    dlg.OnTimer();
    EXPECT_TRUE(dlg.isVisible());
    now = At(10, 3, 21);
    dlg.OnTimer();
    EXPECT_FALSE(dlg.isVisible());

    TickThrough(dlg, At(10, 3, 22), At(10, 10, 30));
    EXPECT_EQ(shown, (std::vector<std::string>{"P0", "P5"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ReminderDlgTest, ExitSavesThePositionAndLeavesAllNinePreferences) {
    {
        CReminderDlg dlg;
        dlg.OnInitDialog();
        QSignalSpy finished(&dlg, &QDialog::finished);
        TickThrough(dlg, At(9, 59, 58), At(10, 20, 0));  // first run: lines 0 and 1, then 2
        EXPECT_EQ(shown, (std::vector<std::string>{"P0", "P0", "P1", "P2"}));
        EXPECT_TRUE(dlg.OnCommand(traymenu::ID_TRAY_EXIT));
        EXPECT_EQ(finished.count(), 1);
        EXPECT_FALSE(dlg.TrayIcon().isVisible());
    }
    EXPECT_EQ(CPhraseStore::Existing(), nullptr);
    EXPECT_EQ(StoredPreference(prefkeys::kPopupIndex).toInt(), 3);
    for (const char* key :
         {prefkeys::kBringWindowToTop, prefkeys::kHideWhenMinimized, prefkeys::kEnablePopup,
          prefkeys::kPopupInterval, prefkeys::kPopupFontSize, prefkeys::kHijriDateAdjust,
          prefkeys::kPopupIndex, prefkeys::kArabicInterface, prefkeys::kHoldWhileBusy})
        EXPECT_TRUE(StoredPreference(key).isValid()) << key;
}

TEST_F(ReminderDlgTest, NextRunContinuesFromTheSavedPosition) {
    {
        CReminderDlg first;
        first.OnInitDialog();
        TickThrough(first, At(10, 9, 59), At(10, 30, 0));
        first.close();
    }
    shown.clear();
    CReminderDlg second;
    second.OnInitDialog();
    TickThrough(second, At(10, 39, 59), At(10, 40, 0));
    EXPECT_EQ(shown, (std::vector<std::string>{"P0", "P3"}));
}

// The kernel's account of the settings file counts the writes, a rewrite of the same bytes too.
TEST_F(ReminderDlgTest, EachMoveOfThePositionIsWrittenAtOnceAndOnlyThen) {
    StorePreference(prefkeys::kPopupIndex, 5);
    CReminderDlg dlg;
    dlg.OnInitDialog();
    FileWrites writes(
        QSettings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName()).fileName());
    TickThrough(dlg, At(10, 3, 21), At(10, 9, 59));
    EXPECT_FALSE(writes.WrittenSinceLastLook()) << "no write without a reminder";
    TickThrough(dlg, At(10, 10, 0), At(10, 10, 0));
    EXPECT_TRUE(writes.WrittenSinceLastLook()) << "written with the reminder";
    EXPECT_EQ(StoredPreference(prefkeys::kPopupIndex).toInt(), 6);

    // A re-show writes only where it moves the position: at the start of the rotation it
    // wraps to the end of the list.
    dlg.OnTrayNotify(QSystemTrayIcon::Trigger);
    QCoreApplication::processEvents();
    EXPECT_FALSE(writes.WrittenSinceLastLook()) << "a re-show that does not move the position";
    StorePreference(prefkeys::kPopupIndex, 2);
    CPhraseStore::Instance()->m_nCurrent = 2;
    dlg.OnCommand(traymenu::ID_TRAY_RESHOW);
    EXPECT_EQ(StoredPreference(prefkeys::kPopupIndex).toInt(), kPhraseCount);
}

// The picture's hide on the second tick waits while a menu is open on it.
TEST_F(ReminderDlgTest, AnOpenMenuKeepsThePictureUntilItCloses) {
    const ModalDeadline deadline;
    CReminderDlg dlg;
    dlg.SetTrayProbe([] { return true; });
    dlg.OnInitDialog();
    dlg.show();
    bool menuOpenAfterTheHideTick = false;
    QTimer::singleShot(0, &dlg, [&] {
        TickThrough(dlg, At(10, 3, 20), At(10, 3, 22));
        QWidget* menu = QApplication::activePopupWidget();
        menuOpenAfterTheHideTick = menu != nullptr && menu->isVisible() && dlg.isVisible();
        if (menu)
            menu->close();
    });
    dlg.OnContextMenu(dlg.geometry().center());
    EXPECT_TRUE(menuOpenAfterTheHideTick);
    dlg.OnTimer();
    EXPECT_FALSE(dlg.isVisible()) << "the next tick after the menu closed";
}

TEST_F(ReminderDlgTest, EscapeAndSendToTrayDoWhatTheySay) {
    CReminderDlg dlg;
    dlg.SetTrayProbe([] { return true; });
    dlg.OnInitDialog();
    dlg.show();
    QSignalSpy finished(&dlg, &QDialog::finished);

    EXPECT_TRUE(dlg.OnCommand(traymenu::ID_TRAY_SENDTOTRAY));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(finished.count(), 0);
    TickThrough(dlg, At(10, 9, 59), At(10, 10, 0));
    EXPECT_EQ(shown.size(), 2u);  // the timer runs on

    dlg.reject();  // Esc
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dlg.TrayIcon().isVisible());
}

TEST_F(ReminderDlgTest, HandEditedZeroIntervalRunsAsTenMinutes) {
    StorePreference(prefkeys::kPopupInterval, 0);
    CReminderDlg dlg;
    dlg.OnInitDialog();
    TickThrough(dlg, At(10, 0, 1), At(10, 30, 0));
    EXPECT_EQ(shown.size(), 1u + 3u);
}

TEST_F(ReminderDlgTest, TooltipFollowsTheDateOnlyAtDueTicks) {
    for (int enable : {1, 0}) {
        StorePreference(prefkeys::kEnablePopup, enable);
        now = At(23, 59, 50);
        CReminderDlg dlg;
        dlg.OnInitDialog();
        const QString before = dlg.TrayIcon().toolTip();
        EXPECT_TRUE(before.startsWith("Quietbell: "));
        TickThrough(dlg, At(23, 59, 51), QDateTime(day.addDays(1), QTime(0, 0, 30)));
        const QString after = dlg.TrayIcon().toolTip();
        EXPECT_EQ(MenuTexts(dlg.TrayMenu()).front(), traytip::DateOf(after));
        // Past midnight the date moves on only where a reminder came.
        if (enable)
            EXPECT_NE(after, before) << after.toStdString();
        else
            EXPECT_EQ(after, before);
        dlg.close();
    }
}

// The menu on the icon is the one a tray shows (over D-Bus or on a right click): today's
// date greyed on top, exactly as the tooltip writes it, then the table's commands.
TEST_F(ReminderDlgTest, TrayMenuOnTheIconStartsWithTheGreyedDateThenTheCommands) {
    CReminderDlg dlg;
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.TrayIcon().contextMenu(), &dlg.TrayMenu());
    const QString date = traytip::DateOf(dlg.TrayIcon().toolTip());
    ASSERT_FALSE(date.isEmpty());
    EXPECT_EQ("Quietbell: " + date, dlg.TrayIcon().toolTip());
    EXPECT_EQ(MenuTexts(dlg.TrayMenu()),
              (std::vector<QString>{date, "-", "&About Quietbell...", "&Preferences...",
                                    "&Re-Show Mirel Popup", "-", "&Exit"}));
    const QAction* dateEntry = dlg.TrayMenu().actions().front();
    EXPECT_FALSE(dateEntry->isEnabled());
}

// Chosen entries act once control is back in the event loop, as a tray's answer requires.
TEST_F(ReminderDlgTest, ExitAndReShowFromTheTrayMenuActFromTheEventLoop) {
    CReminderDlg dlg;
    dlg.OnInitDialog();
    QSignalSpy finished(&dlg, &QDialog::finished);
    EntryOf(dlg.TrayMenu(), traymenu::ID_TRAY_RESHOW)->trigger();
    EXPECT_EQ(shown.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.size(), 2u);

    EntryOf(dlg.TrayMenu(), traymenu::ID_TRAY_EXIT)->trigger();
    EXPECT_EQ(finished.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dlg.TrayIcon().isVisible());
}

// No tray when the picture would hide: the window stays (minimised, not hidden, whatever
// "Hide when minimized" says), the user is told once, and a tray that comes later takes it.
TEST_F(ReminderDlgTest, WithoutATrayTheWindowStaysAndTheMessageComesOnceUntilATrayComes) {
    bool trayThere = false;
    CReminderDlg dlg;
    dlg.SetTrayProbe([&trayThere] { return trayThere; });
    dlg.OnInitDialog();
    dlg.show();
    TickThrough(dlg, At(10, 3, 20), At(10, 3, 21));
    EXPECT_TRUE(dlg.WithoutTray());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.isMinimized());
    // Not from inside the tick, where a modal box would hold the timer up.
    EXPECT_TRUE(messages.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), QString::fromLatin1(CReminderDlg::kNoTrayMessage));

    dlg.showNormal();
    dlg.showMinimized();
    EXPECT_TRUE(dlg.isVisible());
    dlg.OnCommand(traymenu::ID_TRAY_SENDTOTRAY);
    TickThrough(dlg, At(10, 3, 22), At(10, 10, 0));
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(shown, (std::vector<std::string>{"P0", "P0"}));  // reminders go on

    trayThere = true;
    TickThrough(dlg, At(10, 10, 1), At(10, 10, 1));
    EXPECT_FALSE(dlg.WithoutTray());
    EXPECT_FALSE(dlg.isVisible());
}

// A user's own phrase file in the user's data folder, read in place of the shipped one.
class UserPhraseFileTest : public ReminderDlgTest {
protected:
    // The labels of one run's start-up phrase and first timed reminder; the run ends as a
    // user ends it.
    std::vector<std::string> Run() {
        shown.clear();
        CReminderDlg dlg;
        dlg.OnInitDialog();
        TickThrough(dlg, At(10, 9, 59), At(10, 10, 0));
        dlg.close();
        return shown;
    }

    testdata::ScopedDataHome dataHome;
    const QString userFile = dataHome.UserFile("mirel.txt");
};

// The user's phrase file before a run: none, or one of two files of the user's.
enum class UserFile { None, U, V };

struct PlaceStep {
    UserFile file;
    std::vector<std::string> shown;  // the start-up phrase and the first timed reminder
    bool marked;                     // the stored place names a user's file
};

struct PlaceCase {
    const char* name;
    std::vector<PlaceStep> runs;
};

// The stored place starts at 5, counted in the shipped file.
const PlaceCase kPlaceCases[] = {
    {"only the shipped file: the place goes on and no mark is written",
     {{UserFile::None, {"P0", "P5"}, false}, {UserFile::None, {"P0", "P6"}, false}}},
    {"a user's file appears: its rotation starts at its line 2, then goes on",
     {{UserFile::U, {"U0", "U2"}, true}, {UserFile::U, {"U0", "U3"}, true}}},
    {"another file of the user's: its rotation starts at its line 2",
     {{UserFile::U, {"U0", "U2"}, true}, {UserFile::V, {"V0", "V2"}, true}}},
    {"the user's file goes: the shipped rotation starts at line 2 and the mark goes",
     {{UserFile::U, {"U0", "U2"}, true},
      {UserFile::U, {"U0", "U3"}, true},
      {UserFile::None, {"P0", "P2"}, false},
      {UserFile::None, {"P0", "P3"}, false}}},
};

TEST_F(UserPhraseFileTest, ThePlaceFollowsThePhraseFile) {
    for (const PlaceCase& c : kPlaceCases) {
        SCOPED_TRACE(c.name);
        QSettings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName()).clear();
        StorePreference(prefkeys::kPopupIndex, 5);
        for (size_t run = 0; run < c.runs.size(); ++run) {
            SCOPED_TRACE(run);
            const PlaceStep& step = c.runs[run];
            QFile::remove(userFile);
            if (step.file != UserFile::None)
                WritePhraseFile(userFile, step.file == UserFile::U ? "U" : "V");
            EXPECT_EQ(Run(), step.shown);
            EXPECT_EQ(StoredPreference(prefkeys::kPopupFile).isValid(), step.marked);
        }
        EXPECT_TRUE(messages.empty());
    }
}

// Whatever is there at the user's place is the phrase file, by the same rules as the shipped
// one: the same message, no reminders, and the stored place stays for the shipped file.
TEST_F(UserPhraseFileTest, AnUnusableUserFileGivesTheUsualMessageAndNoReminders) {
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        QString message;
    } cases[] = {
        {"a wrong sum",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(testdata::Utf16File({u"abc", u"def", u"ghi"}));
         },
         "Cannot Read Mirel.txt file.\n\rThe Quietbell feature will be disabled"},
        {"a named pipe", specialfiles::MakeNamedPipe,
         "Cannot Read Mirel file.\n\rQuietbell feature will be disabled"},
    };
    const specialfiles::PipeWaitDeadline pipeWaits(dataHome.Path() + "/quietbell");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QSettings(QStringLiteral("Brindlewax"), QCoreApplication::applicationName()).clear();
        StorePreference(prefkeys::kPopupIndex, 5);
        messages.clear();
        QFile::remove(userFile);
        ASSERT_NO_FATAL_FAILURE(c.make(userFile));
        EXPECT_EQ(Run(), std::vector<std::string>{});
        EXPECT_EQ(messages, std::vector<QString>{c.message});
        EXPECT_EQ(StoredPreference(prefkeys::kPopupIndex).toInt(), 5);
        EXPECT_FALSE(StoredPreference(prefkeys::kPopupFile).isValid());
    }
}

}  // namespace
