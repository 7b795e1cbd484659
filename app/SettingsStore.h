#pragma once

#include <QString>

// Reads a whole number of the section "Preferences"; a missing value (or a stored -1)
// yields the default, which is written back at once.
int GetPreferenceInt(const QString& key, int defaultValue);
void WritePreferenceInt(const QString& key, int value);

// Process-wide: where the data files lie, and the one setting read once per run.
class CSettingsStore {
public:
    static CSettingsStore* Instance();
    static void DestroyInstance();

    // The executable's folder followed by "Data" and the separator.
    QString GetDataFolder();
    int IsArabicInterface() const { return m_nArabicInterface; }

    // Puts the executable elsewhere, so that tests can give each case its own data
    // folder; an empty path restores the real one. Takes effect for a new instance.
    static void SetExecutablePath(const QString& path);

private:
    CSettingsStore();

    QString m_strDataFolder;
    int m_nArabicInterface = 0;
};
