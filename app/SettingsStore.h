#pragma once

#include <QString>

#include <optional>

// Reads a whole number of the section "Preferences"; a missing value (or a stored -1)
// yields the default, which is written back at once.
int GetPreferenceInt(const QString& key, int defaultValue);
void WritePreferenceInt(const QString& key, int value);
// For a value that is there only at times: nothing when missing, and nothing is written back.
std::optional<int> FindPreferenceInt(const QString& key);
void RemovePreference(const QString& key);

// Process-wide: where the data files lie, and the one setting read once per run.
class CSettingsStore {
public:
    static CSettingsStore* Instance();
    static void DestroyInstance();

    // The executable's folder followed by "Data" and the separator.
    QString GetDataFolder();
    int IsArabicInterface() const { return m_nArabicInterface; }
    // The user's own data folder, with the separator: "quietbell" in the XDG data home on
    // Linux, the roaming application data of Brindlewax's quietbell on Windows. Named for the
    // program whichever process asks, so that the phrase tool puts files where it reads them.
    static QString GetUserDataFolder();

    // Puts the executable elsewhere, so that tests can give each case its own data
    // folder; an empty path restores the real one. Takes effect for a new instance.
    static void SetExecutablePath(const QString& path);

private:
    CSettingsStore();

    QString m_strDataFolder;
    int m_nArabicInterface = 0;
};
