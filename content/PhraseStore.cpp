#include "content/PhraseStore.h"

#include "app/SettingsStore.h"
#include "content/ReadUtf16Lines.h"
#include "platform/AppMessages.h"
#include "platform/FreedMemory.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QtEndian>

#include <memory>

namespace {

std::unique_ptr<CPhraseStore>& instance() {
    static std::unique_ptr<CPhraseStore> store;
    return store;
}

CPhraseStore::Sink& sink() {
    static CPhraseStore::Sink s;
    return s;
}

void send(const std::string& phrase) {
    if (sink())
        sink()(phrase, true);
}

// No line holds a CR, so the lines joined by one name the file's text unambiguously.
int markOf(const std::vector<std::string>& lines) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const std::string& line : lines) {
        hash.addData(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
        hash.addData(QByteArrayView("\r"));
    }
    return static_cast<int>(qFromLittleEndian<quint32>(hash.result().constData()) & 0x7FFFFFFFu);
}

}  // namespace

int64_t CPhraseStore::PhraseSum(const std::vector<std::string>& phrases) {
    int64_t sum = 0;
    for (const std::string& phrase : phrases)
        for (const char c : phrase) {
            // A select rather than a branch: spaces are everywhere in a phrase.
            const int64_t b = static_cast<unsigned char>(c);
            sum += b == ' ' ? 0 : b - 127;
        }
    return sum;
}

void CPhraseStore::SetSink(Sink s) {
    sink() = std::move(s);
}

CPhraseStore::CPhraseStore() {
    m_bLoaded = LoadPhraseFile() ? 1 : 0;
    m_bDisabled = m_bLoaded ? 0 : 1;
    ShowPhraseAt(0);
}

CPhraseStore* CPhraseStore::Instance() {
    if (!instance())
        instance().reset(new CPhraseStore());
    return instance().get();
}

CPhraseStore* CPhraseStore::Existing() {
    return instance().get();
}

void CPhraseStore::DestroyInstance() {
    instance().reset();
}

std::optional<QString> CPhraseStore::UserPhraseFile() {
    const QString path = CSettingsStore::GetUserDataFolder() + kFileName;
    return QFileInfo::exists(path) ? std::optional<QString>(path) : std::nullopt;
}

bool CPhraseStore::LoadPhraseFile() {
    const std::optional<QString> own = UserPhraseFile();
    Utf16Lines file =
        ReadUtf16Lines(own.value_or(CSettingsStore::Instance()->GetDataFolder() + kFileName));
    if (file.status == Utf16Lines::Status::NotOpened) {
        platform::AppMessages::Show(
            "Cannot Read Mirel file.\n\rQuietbell feature will be disabled");
        return false;
    }
    if (file.status == Utf16Lines::Status::NothingRead)
        return false;
    m_phrases = std::move(file.lines);
    VerifyPhraseSum();
    if (own && !m_phrases.empty())
        m_fileMark = markOf(m_phrases);
    return !m_phrases.empty();
}

void CPhraseStore::VerifyPhraseSum() {
    if (!m_phrases.empty() && PhraseSum(m_phrases) == kPhraseSum)
        return;
    // A refused file may be large: its lines go back to the system before the message waits.
    std::vector<std::string>().swap(m_phrases);
    platform::ReturnFreedMemory();
    platform::AppMessages::Show(
        "Cannot Read Mirel.txt file.\n\rThe Quietbell feature will be disabled");
}

int CPhraseStore::Count() const {
    return static_cast<int>(m_phrases.size());
}

std::string CPhraseStore::ShowPhraseAt(int index) {
    if (!m_bLoaded)
        return {};
    if (index == -1) {
        if (m_nCurrent < 0 || m_nCurrent >= Count())
            m_nCurrent = m_nFirstRotating;
        index = m_nCurrent;
        m_nCurrent = index + 1;
    }
    // Outside the list there is nothing to show: an explicit index past the end, or a
    // rotation start beyond a list of fewer than three lines.
    if (index < 0 || index >= Count())
        return {};
    send(m_phrases[static_cast<size_t>(index)]);
    return m_phrases[static_cast<size_t>(index)];
}

void CPhraseStore::ReShowLast() {
    if (m_phrases.empty())
        return;
    // Compared before the step back, so that no stored position can overflow.
    if (m_nCurrent <= m_nFirstRotating || m_nCurrent > Count())
        m_nCurrent = Count();
    const int index = m_nCurrent - 1;
    send(m_phrases[static_cast<size_t>(index)]);
}
