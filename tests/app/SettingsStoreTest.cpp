#include "app/PreferenceKeys.h"
#include "app/SettingsStore.h"
#include "tests/app/TestDataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <climits>

namespace {

// Each test gets its own settings file, named after the test.
QString uniqueApplicationName() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return QString("quietbell-settings-%1-%2")
        .arg(info->test_suite_name(), info->name())
        .replace('/', '-');
}

template <typename Base>
class SettingsFileTest : public Base {
protected:
    static QString Stored(const QString& key) {
        QSettings settings("Brindlewax", QCoreApplication::applicationName());
        return settings.value("Preferences/" + key).toString();
    }
    void WriteFile(const QByteArray& text) const {
        QDir().mkpath(QFileInfo(m_name.SettingsFile()).path());
        QFile file(m_name.SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testdata::ScopedApplicationName m_name{uniqueApplicationName()};
    testdata::TempDataFolder m_data;
};

using SettingsStoreTest = SettingsFileTest<testing::Test>;

TEST_F(SettingsStoreTest, FirstReadWritesTheDefault) {
    EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupInterval, 10), 10);
    EXPECT_EQ(Stored(prefkeys::kPopupInterval), "10");
}

TEST_F(SettingsStoreTest, StoredMinusOneReadsAndRewritesTheDefault) {
    WritePreferenceInt(prefkeys::kPopupInterval, -1);
    EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupInterval, 10), 10);
    EXPECT_EQ(Stored(prefkeys::kPopupInterval), "10");
}

TEST_F(SettingsStoreTest, ValuesRoundTripUnchangedEvenOutsideTheDialogRanges) {
    for (int value : {0, 1, 57, 61, -5, INT_MAX, INT_MIN}) {
        WritePreferenceInt(prefkeys::kPopupIndex, value);
        EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupIndex, 0), value);
        EXPECT_EQ(Stored(prefkeys::kPopupIndex), QString::number(value));
    }
}

// Hand-written settings files: on Windows the settings area is the registry, which has none.
#ifndef _WIN32
// Each write rewrites the whole file; a value it already holds leaves the file as it is.
TEST_F(SettingsStoreTest, AValueTheFileHoldsIsNotWrittenAgain) {
    const QByteArray handWritten = "[Preferences]\nPopup%20Mirel%20Interval = 5\n";
    WriteFile(handWritten);
    WritePreferenceInt(prefkeys::kPopupInterval, 5);
    EXPECT_EQ(ReadFile(m_name.SettingsFile()), handWritten);
    WritePreferenceInt(prefkeys::kPopupInterval, 6);
    EXPECT_EQ(Stored(prefkeys::kPopupInterval), "6");
}

struct StoredValueCase {
    const char* name;
    QByteArray stored;
};

void PrintTo(const StoredValueCase& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableValueTest : public SettingsFileTest<testing::TestWithParam<StoredValueCase>> {};

TEST_P(UnreadableValueTest, CountsAsMissingAndLosesNoNeighbour) {
    WriteFile("[Preferences]\nPopup%20Mirel%20Interval=" + GetParam().stored +
              "\nPopup%20Mirel%20Index=57\n");
    EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupInterval, 10), 10);
    EXPECT_EQ(Stored(prefkeys::kPopupInterval), "10");
    EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupIndex, 0), 57);
}

INSTANTIATE_TEST_SUITE_P(
    NoWhole32BitNumber, UnreadableValueTest,
    testing::Values(StoredValueCase{"Letters", "abc"}, StoredValueCase{"TooBig", "99999999999"},
                    StoredValueCase{"TooSmall", "-2147483649"},
                    StoredValueCase{"NumberAndText", "12abc"}, StoredValueCase{"List", "1, 2"},
                    StoredValueCase{"Empty", ""}, StoredValueCase{"Fraction", "2.5"},
                    StoredValueCase{"NulBytes", QByteArray("5\0\0garbage\0", 12)},
                    StoredValueCase{"EscapedNul", "5\\0"}),
    [](const testing::TestParamInfo<StoredValueCase>& info) { return info.param.name; });

TEST_F(SettingsStoreTest, AnUnparsableFileIsKeptAsideBeforeTheFirstWrite) {
    const QByteArray handEdit = "[Preferences\nPopup%20Mirel%20Index=57\n\xff\xfe=3\n";
    WriteFile(handEdit);
    EXPECT_EQ(GetPreferenceInt(prefkeys::kPopupInterval, 10), 10);
    EXPECT_EQ(ReadFile(m_name.SettingsFile() + ".unreadable"), handEdit);
    EXPECT_EQ(Stored(prefkeys::kPopupInterval), "10");

    // A second broken edit does not overwrite the first copy.
    WriteFile(handEdit + "again");
    GetPreferenceInt(prefkeys::kPopupInterval, 10);
    EXPECT_EQ(ReadFile(m_name.SettingsFile() + ".unreadable"), handEdit);
    EXPECT_EQ(ReadFile(m_name.SettingsFile() + ".unreadable.1"), handEdit + "again");
}
#endif

TEST_F(SettingsStoreTest, CreationReadsArabicInterfaceOnceAndWritesItsDefault) {
    EXPECT_EQ(CSettingsStore::Instance()->IsArabicInterface(), 0);
    EXPECT_EQ(Stored(prefkeys::kArabicInterface), "0");

    WritePreferenceInt(prefkeys::kArabicInterface, 1);
    EXPECT_EQ(CSettingsStore::Instance()->IsArabicInterface(), 0) << "changed during the run";

    CSettingsStore::DestroyInstance();
    EXPECT_EQ(CSettingsStore::Instance()->IsArabicInterface(), 1) << "next start";
}

struct DataFolderCase {
    const char* name;
    QString executable;
    QString folder;
};

void PrintTo(const DataFolderCase& c, std::ostream* os) {
    *os << c.name;
}

class DataFolderTest : public testing::TestWithParam<DataFolderCase> {
protected:
    void TearDown() override {
        CSettingsStore::DestroyInstance();
        CSettingsStore::SetExecutablePath(QString());
    }
};

TEST_P(DataFolderTest, IsTheExecutablesFolderWithData) {
    CSettingsStore::SetExecutablePath(GetParam().executable);
    CSettingsStore::DestroyInstance();
    EXPECT_EQ(CSettingsStore::Instance()->GetDataFolder(),
              QDir::toNativeSeparators(GetParam().folder));
}

INSTANTIATE_TEST_SUITE_P(Paths, DataFolderTest,
                         testing::Values(DataFolderCase{"Nested", "/opt/quietbell/bin/quietbell",
                                                        "/opt/quietbell/bin/Data/"},
                                         DataFolderCase{"AtTheRoot", "/x", "/Data/"},
                                         DataFolderCase{"NoSeparator", "x", "Data/"}),
                         [](const testing::TestParamInfo<DataFolderCase>& info) {
                             return info.param.name;
                         });

TEST(DataFolder, ComesFromTheRunningExecutable) {
    CSettingsStore::SetExecutablePath(QString());
    CSettingsStore::DestroyInstance();
    EXPECT_EQ(CSettingsStore::Instance()->GetDataFolder(),
              QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/Data/"));
    CSettingsStore::DestroyInstance();
}

TEST(DataFolder, IsFixedForTheRun) {
    CSettingsStore::SetExecutablePath("/first/quietbell");
    CSettingsStore::DestroyInstance();
    CSettingsStore* store = CSettingsStore::Instance();
    const QString first = QDir::toNativeSeparators("/first/Data/");
    EXPECT_EQ(store->GetDataFolder(), first);
    CSettingsStore::SetExecutablePath("/second/quietbell");
    EXPECT_EQ(store->GetDataFolder(), first);
    CSettingsStore::DestroyInstance();
    CSettingsStore::SetExecutablePath(QString());
}

TEST(PreferenceKeys, EveryKeyIsCreatedWithItsDefaultOnFirstRead) {
    testdata::ScopedApplicationName name("quietbell-settings-keys");
    struct Key {
        const char* key;
        int defaultValue;
    };
    const Key keys[] = {{prefkeys::kBringWindowToTop, prefkeys::kBringWindowToTopDefault},
                        {prefkeys::kHideWhenMinimized, prefkeys::kHideWhenMinimizedDefault},
                        {prefkeys::kEnablePopup, prefkeys::kEnablePopupDefault},
                        {prefkeys::kPopupInterval, prefkeys::kPopupIntervalDefault},
                        {prefkeys::kPopupFontSize, prefkeys::kPopupFontSizeDefault},
                        {prefkeys::kHijriDateAdjust, prefkeys::kHijriDateAdjustDefault},
                        {prefkeys::kPopupIndex, prefkeys::kPopupIndexDefault},
                        {prefkeys::kArabicInterface, prefkeys::kArabicInterfaceDefault}};
    for (const Key& k : keys)
        EXPECT_EQ(GetPreferenceInt(k.key, k.defaultValue), k.defaultValue) << k.key;
    QSettings settings("Brindlewax", QCoreApplication::applicationName());
    settings.beginGroup("Preferences");
    EXPECT_EQ(settings.childKeys().size(), 8);
    for (const Key& k : keys)
        EXPECT_EQ(settings.value(k.key).toString(), QString::number(k.defaultValue)) << k.key;
}

// A value that is there only at times: found as stored, never written back when missing, and
// removed without a trace.
TEST_F(SettingsStoreTest, AnOccasionalValueIsFoundRemovedAndNeverWrittenBack) {
    EXPECT_EQ(FindPreferenceInt(prefkeys::kPopupFile), std::nullopt);
    EXPECT_FALSE(QFile::exists(m_name.SettingsFile())) << "a missing value was written back";
    WritePreferenceInt(prefkeys::kPopupFile, 2147483647);
    EXPECT_EQ(FindPreferenceInt(prefkeys::kPopupFile), 2147483647);
    WritePreferenceInt(prefkeys::kPopupIndex, 9);
    RemovePreference(prefkeys::kPopupFile);
    EXPECT_EQ(FindPreferenceInt(prefkeys::kPopupFile), std::nullopt);
    EXPECT_EQ(Stored(prefkeys::kPopupFile), "");
    EXPECT_EQ(Stored(prefkeys::kPopupIndex), "9") << "only that value goes";
}

// The program's own folder whatever the asking process is called: the phrase tool puts a file
// where the program reads it.
TEST(UserDataFolder, IsTheProgramsWhateverTheApplicationName) {
    testdata::ScopedApplicationName name("qb_phrasetool");
#ifdef _WIN32
    const QString roaming = QDir::toNativeSeparators(qEnvironmentVariable("APPDATA"));
    ASSERT_FALSE(roaming.isEmpty());
    EXPECT_EQ(CSettingsStore::GetUserDataFolder().toLower(),
              (roaming + "\\Brindlewax\\quietbell\\").toLower());
#else
    const testdata::ScopedDataHome dataHome;
    EXPECT_EQ(CSettingsStore::GetUserDataFolder(), dataHome.Path() + "/quietbell/");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(CSettingsStore::GetUserDataFolder(),
              qEnvironmentVariable("HOME") + "/.local/share/quietbell/");
#endif
    EXPECT_EQ(QCoreApplication::applicationName(), "qb_phrasetool") << "the name is put back";
}

}  // namespace
