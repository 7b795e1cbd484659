#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"
#include "platform/AppMessages.h"
#include "platform/CodePage1256.h"
#include "tests/app/TestDataFolder.h"

#include <QFile>

#include <gtest/gtest.h>

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

}  // namespace
