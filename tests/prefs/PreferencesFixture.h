#pragma once

#include "prefs/PreferencesDlg.h"
#include "tests/app/TestDataFolder.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// Readable failure output for the recorded messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A settings file and data folder of their own (month names in it),
// today fixed at 5 of month 9 of 1445, messages and phrases recorded, and every
// process-wide object released afterwards.
class PreferencesFixture : public testing::Test {
protected:
    PreferencesFixture();
    ~PreferencesFixture() override;

    // The stored value of a key, read without writing a default back.
    std::optional<int> Stored(const char* key) const;
    void Store(const char* key, int value) const;
    QByteArray SettingsFileBytes() const;

    // Constructs the dialog object as the main window does, with the shipped phrase file
    // in the data folder or with none.
    CPreferencesDlg& Create(bool phraseFileLoaded = true);
    CPreferencesDlg& Dialog() { return *m_dialog; }

    template <typename Control>
    Control* Find(int id) const {
        return m_dialog->findChild<Control*>(QString::number(id));
    }

    // Messages shown since the dialog object was created.
    QStringList m_messages;

private:
    testdata::ScopedApplicationName m_name;
    testdata::TempDataFolder m_data;
    std::unique_ptr<CPreferencesDlg> m_dialog;
};
