#include "PopupText.h"
#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"
#include "notifier/NotifierHost.h"
#include "platform/AppMessages.h"
#include "script/CodePage1256.h"
#include "tests/app/TestDataFolder.h"
#include "tools/PhraseSealer.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

QByteArray shippedPhraseFile() {
    QFile file(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/Data/mirel.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ShippedPhrases, PassTheSumAndShowTheStartUpPhrase) {
    testdata::TempDataFolder data;
    data.Write("mirel.txt", shippedPhraseFile());
    std::vector<QString> messages;
    platform::AppMessages::SetHandler(
        [&messages](const platform::AppMessage& m) { messages.push_back(m.text); });
    std::vector<std::string> shown;
    CPhraseStore::SetSink([&shown](const std::string& phrase, bool) { shown.push_back(phrase); });

    CPhraseStore* store = CPhraseStore::Instance();
    EXPECT_EQ(store->m_bDisabled, 0);
    EXPECT_TRUE(messages.empty());
    const Utf16Lines lines = ReadUtf16Lines(data.DataPath("mirel.txt"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], lines.lines.at(0));

    CPhraseStore::DestroyInstance();
    CPhraseStore::SetSink({});
    platform::AppMessages::SetHandler({});
}

TEST(ShippedPhrases, AreSeveralHundredDistinctLinesKeptWhole) {
    const QByteArray bytes = shippedPhraseFile();
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE"));
    EXPECT_EQ(bytes.right(4), QByteArray("\r\0\n\0", 4)) << "the last character would be lost";

    testdata::TempDataFolder data;
    data.Write("mirel.txt", bytes);
    const Utf16Lines read = ReadUtf16Lines(data.DataPath("mirel.txt"));
    EXPECT_GE(read.lines.size(), 200u);
    EXPECT_EQ(std::set<std::string>(read.lines.begin(), read.lines.end()).size(),
              read.lines.size());
    for (size_t i = 0; i < read.lines.size(); ++i) {
        const std::string& line = read.lines[i];
        EXPECT_FALSE(line.empty()) << i;
        // Every character exists in the code page, so none became the default character.
        EXPECT_EQ(line.find('?'), std::string::npos) << i;
        EXPECT_LT(line.size(), static_cast<size_t>(kMaxLineUnits)) << i;
    }
}

// The phrases as the program reads them, back in UTF-16.
std::vector<std::u16string> shippedPhrases() {
    testdata::TempDataFolder data;
    data.Write("mirel.txt", shippedPhraseFile());
    std::vector<std::u16string> phrases;
    for (const std::string& line : ReadUtf16Lines(data.DataPath("mirel.txt")).lines)
        phrases.push_back(script::CodePage1256::ToUtf16(line));
    return phrases;
}

// Every line is its own text, with invisible filler at most after its last word: no
// no-break space in place of a space, and no tatweel, which none of the texts has.
TEST(ShippedPhrases, HoldTheirTextAndInvisibleFillerOnly) {
    const std::vector<std::u16string> phrases = shippedPhrases();
    ASSERT_FALSE(phrases.empty());
    int filled = 0;
    for (size_t i = 0; i < phrases.size(); ++i) {
        const std::u16string& phrase = phrases[i];
        EXPECT_EQ(phrase.find(u'\u00A0'), std::u16string::npos) << i;
        EXPECT_EQ(phrase.find(u'\u0640'), std::u16string::npos) << i;
        const std::u16string text = CPhraseSealer::WithoutFiller(phrase);
        EXPECT_EQ(text.find_first_of(u"\u200C\u200D\u200E\u200F"), std::u16string::npos)
            << "filler inside line " << i;
        filled += text != phrase ? 1 : 0;
    }
    // The sealer balanced the file on its last line alone.
    EXPECT_EQ(filled, 1);
    EXPECT_NE(CPhraseSealer::WithoutFiller(phrases.back()), phrases.back());
}

// At the default font size every phrase's ink lies inside the popup's text area, on both
// paths. The own path sets each line against its box's right edge less one, so a line as
// wide as the area starts one column left of it (line 30 has one).
TEST(ShippedPhrases, FitTheTextAreaOnBothPaths) {
    using Path = CScriptTextLayout::Path;
    testdata::TempDataFolder data;
    data.Write("mirel.txt", shippedPhraseFile());
    const std::vector<std::string> phrases = ReadUtf16Lines(data.DataPath("mirel.txt")).lines;
    ASSERT_FALSE(phrases.empty());
    for (const Path path : {Path::Own, Path::System}) {
        const QRect area = popuptext::TextArea().adjusted(path == Path::Own ? -1 : 0, 0, 0, 0);
        for (size_t i = 0; i < phrases.size(); ++i) {
            const QRect ink = popuptext::InkBounds(popuptext::Draw(phrases[i], path));
            EXPECT_FALSE(ink.isEmpty()) << i;
            EXPECT_TRUE(area.contains(ink))
                << "line " << i << (path == Path::Own ? " own path" : " system path") << ": ink "
                << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        }
    }
    CNotifierHost::DestroyInstance();
}

}  // namespace
