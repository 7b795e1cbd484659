// Prints a phrase file's lines and sum, seals it to the phrase sum, or puts it where the
// program reads a user's own phrases in place of the shipped ones:
//   qb_phrasetool show FILE
//   qb_phrasetool seal FILE [BALANCING-LINE]   (default: the last line)
//   qb_phrasetool install FILE [--seal]        (--seal seals the copy, not FILE)
//   qb_phrasetool uninstall
#include "app/SettingsStore.h"
#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"
#include "platform/RegularFile.h"
#include "script/CodePage1256.h"
#include "tools/PhraseSealer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QtEndian>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using script::CodePage1256;

void fail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

// The file as a byte-order mark and CR LF lines, strictly: a file that breaks the format
// is not rewritten, since the store would read it differently. Only a regular file is read:
// a named pipe would hold the tool until something writes into it.
std::optional<std::vector<std::u16string>> readStrict(const QString& path) {
    QFile file;
    if (!platform::OpenRegularFile(file, path)) {
        fail(path + ": cannot be read.");
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    std::u16string units(static_cast<size_t>(bytes.size() / 2), u'\0');
    qFromLittleEndian<char16_t>(bytes.constData(), static_cast<qsizetype>(units.size()),
                                units.data());
    if (bytes.size() % 2 != 0 || units.empty() || units[0] != u'\uFEFF') {
        fail(path + ": not UTF-16 little-endian with a byte-order mark.");
        return std::nullopt;
    }
    std::vector<std::u16string> lines;
    size_t start = 1;
    while (start < units.size()) {
        const size_t end = units.find(u"\r\n", start);
        if (end == std::u16string::npos) {
            fail(path + ": the final line does not end with CR LF.");
            return std::nullopt;
        }
        lines.push_back(units.substr(start, end - start));
        start = end + 2;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u16string& line = lines[i];
        if (line.find_first_of(u"\r\n") != std::u16string::npos ||
            CodePage1256::ToUtf16(CodePage1256::FromUtf16(line)) != line) {
            fail(path + ": line " + QString::number(i) +
                 " holds a bare CR or LF or a character code page 1256 lacks.");
            return std::nullopt;
        }
    }
    return lines;
}

bool writeLines(const QString& path, const std::vector<std::u16string>& lines) {
    std::u16string units = u"\uFEFF";
    for (const std::u16string& line : lines)
        units += line + u"\r\n";
    QByteArray bytes(static_cast<qsizetype>(units.size() * 2), '\0');
    qToLittleEndian<char16_t>(units.data(), static_cast<qsizetype>(units.size()), bytes.data());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// What the phrase store itself will see.
int show(const QString& path) {
    const Utf16Lines read = ReadUtf16Lines(path);
    if (read.status != Utf16Lines::Status::Read) {
        fail(path + ": cannot be read.");
        return 1;
    }
    for (size_t i = 0; i < read.lines.size(); ++i) {
        const QString text = QString::fromStdU16String(CodePage1256::ToUtf16(read.lines[i]));
        std::printf("%zu\t%lld\t%s\n", i,
                    static_cast<long long>(CPhraseStore::PhraseSum({read.lines[i]})),
                    text.toUtf8().constData());
    }
    const int64_t sum = CPhraseStore::PhraseSum(read.lines);
    std::printf("lines %zu, sum %lld, wanted %lld, gap %lld\n", read.lines.size(),
                static_cast<long long>(sum), static_cast<long long>(CPhraseStore::kPhraseSum),
                static_cast<long long>(CPhraseStore::kPhraseSum - sum));
    return sum == CPhraseStore::kPhraseSum ? 0 : 2;
}

// Seals the lines in place on the balancing line and says what it added.
bool sealLines(std::vector<std::u16string>& lines, size_t balancing) {
    const CPhraseSealer::Result result = CPhraseSealer::Seal(lines, balancing);
    if (!result.ok) {
        fail(result.error);
        return false;
    }
    lines[balancing] = result.line;
    std::printf(
        "line %zu: %d right-to-left marks, %d left-to-right marks, %d zero-width "
        "non-joiners\n",
        balancing, result.rightToLeftMarks, result.leftToRightMarks, result.nonJoiners);
    return true;
}

std::optional<std::vector<std::u16string>> readLinesToSeal(const QString& path) {
    std::optional<std::vector<std::u16string>> lines = readStrict(path);
    if (lines && lines->empty()) {
        fail(path + ": no lines.");
        return std::nullopt;
    }
    return lines;
}

// A negative balancing line means the last one.
int seal(const QString& path, long long balancingLine) {
    std::optional<std::vector<std::u16string>> lines = readLinesToSeal(path);
    if (!lines)
        return 1;
    const size_t balancing =
        balancingLine < 0 ? lines->size() - 1 : static_cast<size_t>(balancingLine);
    if (!sealLines(*lines, balancing))
        return 1;
    if (!writeLines(path, *lines)) {
        fail(path + ": cannot be written.");
        return 1;
    }
    const Utf16Lines check = ReadUtf16Lines(path);
    return CPhraseStore::PhraseSum(check.lines) == CPhraseStore::kPhraseSum ? 0 : 2;
}

QString userPhraseFilePath() {
    return CSettingsStore::GetUserDataFolder() + CPhraseStore::kFileName;
}

// The program reads its phrase file once, at start.
void tellWhichFileIsRead() {
    const std::optional<QString> own = CPhraseStore::UserPhraseFile();
    const QString file =
        own ? *own : QStringLiteral("its shipped phrases (mirel.txt in the Data folder beside it)");
    std::printf("From its next start on, the program reads %s.\n", qPrintable(file));
}

// The program refuses an unsealed file at every start, so the tool refuses to put one there.
int install(const QString& path, bool sealCopy) {
    std::optional<std::vector<std::u16string>> lines = readLinesToSeal(path);
    if (!lines)
        return 1;
    if (sealCopy && !sealLines(*lines, lines->size() - 1))
        return 1;
    const int64_t gap = CPhraseStore::kPhraseSum - CPhraseSealer::Sum(*lines);
    if (gap != 0) {
        fail(path + ": not sealed (gap " + QString::number(gap) +
             "), so the program would refuse it; install --seal seals the copy.");
        return 2;
    }
    const QString target = userPhraseFilePath();
    if (!QDir().mkpath(CSettingsStore::GetUserDataFolder()) || !writeLines(target, *lines)) {
        fail(target + ": cannot be written.");
        return 1;
    }
    std::printf("Installed %s as %s.\n", qPrintable(path), qPrintable(target));
    tellWhichFileIsRead();
    return 0;
}

int uninstall() {
    const QString target = userPhraseFilePath();
    const QFileInfo there(target);
    if (!there.exists() && !there.isSymLink()) {
        std::printf("There is no phrase file of yours at %s.\n", qPrintable(target));
    } else if (QFile::remove(target)) {
        std::printf("Removed %s.\n", qPrintable(target));
    } else {
        fail(target + ": cannot be removed.");
        return 1;
    }
    tellWhichFileIsRead();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "show")
        return show(args[2]);
    if ((args.size() == 3 || args.size() == 4) && args[1] == "seal") {
        bool ok = true;
        const long long line = args.size() == 4 ? args[3].toLongLong(&ok) : -1;
        if (ok && (args.size() == 3 || line >= 0))
            return seal(args[2], line);
    }
    if ((args.size() == 3 || (args.size() == 4 && args[3] == "--seal")) && args[1] == "install")
        return install(args[2], args.size() == 4);
    if (args.size() == 2 && args[1] == "uninstall")
        return uninstall();
    fail(
        "usage: qb_phrasetool show FILE | seal FILE [BALANCING-LINE] | install FILE [--seal] | "
        "uninstall");
    return 1;
}
