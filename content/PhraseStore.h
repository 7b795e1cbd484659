#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Process-wide keeper of the reminder phrases of "mirel.txt", handed out in rotation.
class CPhraseStore {
public:
    // Where shown phrases go: the program sends them to the notifier host; tests record them.
    using Sink = std::function<void(const std::string& phrase, bool rightToLeft)>;
    static void SetSink(Sink sink);

    static CPhraseStore* Instance();
    static CPhraseStore* Existing();  // null when not created; never creates
    static void DestroyInstance();

    // index -1 shows the next phrase in rotation; returns a copy of what was shown.
    std::string ShowPhraseAt(int index);
    void ReShowLast();

    // A file is accepted when the sum over its code-page bytes other than the space, each
    // less 127, is this number. Summed in 64 bits so that a large file cannot wrap onto it.
    static constexpr int64_t kPhraseSum = 982543;
    static int64_t PhraseSum(const std::vector<std::string>& phrases);

    static constexpr const char* kFileName = "mirel.txt";
    // The user's own phrase file, when anything is there: it is read in place of the shipped
    // one, by the same rules.
    static std::optional<QString> UserPhraseFile();

    // Which file the loaded phrases came from: nothing for the shipped file, for a user's
    // own file a number drawn from its lines (never negative), so that another file of the
    // user's tells apart from this one.
    std::optional<int> FileMark() const { return m_fileMark; }
    // The next timed reminder takes the first line of the rotation.
    void RestartRotation() { m_nCurrent = m_nFirstRotating; }

    int m_nCurrent = 2;
    int m_bDisabled = 1;

private:
    CPhraseStore();
    bool LoadPhraseFile();
    void VerifyPhraseSum();
    int Count() const;

    std::vector<std::string> m_phrases;
    int m_bLoaded = 0;
    int m_nFirstRotating = 2;
    std::optional<int> m_fileMark;
};
