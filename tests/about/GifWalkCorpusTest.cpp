#include "GifWalkFuzzTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// The fuzz corpus replayed under the normal test run, sanitizer build included.
TEST(GifWalkCorpus, EveryInputWalksWithinBounds) {
    const QDir corpus(qEnvironmentVariable("QB_SOURCE_DIR") + "/tests/fuzz/corpus/gif_walk");
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty()) << corpus.path().toStdString();
    for (const QString& name : names) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(RunGifWalk(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size())),
                  0)
            << name.toStdString();
    }
}
