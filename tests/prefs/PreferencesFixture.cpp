#include "tests/prefs/PreferencesFixture.h"

#include "content/PhraseStore.h"
#include "hijri/HijriCalendar.h"
#include "notifier/NotifierHost.h"
#include "platform/AppMessages.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QSettings>

namespace {

QString TestSettingsName() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    return QString("quietbell-prefs-%1-%2")
        .arg(info->test_suite_name(), info->name())
        .replace('/', '-');
}

std::u16string MonthNames() {
    std::u16string names;
    for (int month = 1; month <= 12; ++month)
        names += u"M" + QString::number(month).toStdU16String() + u"#";
    return names;
}

QByteArray ShippedDataFile(const QString& fileName) {
    QFile file(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/Data/" + fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

PreferencesFixture::PreferencesFixture() : m_name(TestSettingsName()) {
    m_data.Write("resources.txt", testdata::Utf16File({u"130", MonthNames(), MonthNames()}));
    platform::Clock::SetSource([] { return QDateTime(QDate(2024, 3, 15), QTime(12, 0)); });
    platform::AppMessages::SetHandler(
        [this](const platform::AppMessage& message) { m_messages << message.text; });
    CPhraseStore::SetSink([](const std::string&, bool) {});
}

PreferencesFixture::~PreferencesFixture() {
    m_dialog.reset();
    // Fade-out windows that had nothing to fade wait for their deferred deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CPhraseStore::DestroyInstance();
    CNotifierHost::DestroyInstance();
    CHijriCalendar::DestroyInstance();
    CHijriCalendar::SetDateSource({});
    CPhraseStore::SetSink({});
    platform::AppMessages::SetHandler({});
    platform::Clock::SetSource({});
}

std::optional<int> PreferencesFixture::Stored(const char* key) const {
    const QVariant value =
        QSettings(m_name.SettingsFile(), QSettings::IniFormat).value(QString("Preferences/") + key);
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}

void PreferencesFixture::Store(const char* key, int value) const {
    QSettings(m_name.SettingsFile(), QSettings::IniFormat)
        .setValue(QString("Preferences/") + key, value);
}

QByteArray PreferencesFixture::SettingsFileBytes() const {
    QFile file(m_name.SettingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CPreferencesDlg& PreferencesFixture::Create(bool phraseFileLoaded) {
    if (phraseFileLoaded)
        m_data.Write("mirel.txt", ShippedDataFile("mirel.txt"));
    m_dialog = std::make_unique<CPreferencesDlg>();
    EXPECT_EQ(CPhraseStore::Instance()->m_bDisabled, phraseFileLoaded ? 0 : 1);
    // Without a phrase file the store has reported it once already.
    m_messages.clear();
    return *m_dialog;
}
