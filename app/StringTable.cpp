#include "app/StringTable.h"

#include "app/SettingsStore.h"
#include "content/ReadUtf16Lines.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<CStringTable>& instance() {
    static std::unique_ptr<CStringTable> table;
    return table;
}

// The decimal number at the start of a line: leading blanks and a sign allowed, reading
// stops at the first non-digit. No number, or one beyond 32 bits, gives 0.
int leadingNumber(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    int64_t number = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i) {
        number = number * 10 + (line[i] - '0');
        if (number > int64_t{std::numeric_limits<int>::max()} + 1)
            return 0;
    }
    number = negative ? -number : number;
    if (number > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(number);
}

std::string withLineBreaks(std::string text) {
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, 1, '\n');
    return text;
}

}  // namespace

CStringTable::CStringTable() {
    Utf16Lines file = ReadUtf16Lines(CSettingsStore::Instance()->GetDataFolder() + "resources.txt");
    if (file.status != Utf16Lines::Status::Read || file.lines.empty())
        return;
    m_nBaseId = leadingNumber(file.lines.front());
    m_strings.assign(std::make_move_iterator(file.lines.begin() + 1),
                     std::make_move_iterator(file.lines.end()));
}

CStringTable* CStringTable::Instance() {
    if (!instance())
        instance().reset(new CStringTable());
    return instance().get();
}

void CStringTable::DestroyInstance() {
    instance().reset();
}

std::string CStringTable::GetString(int id) const {
    const int64_t index = int64_t{id} - m_nBaseId;
    if (index < 0 || index >= static_cast<int64_t>(m_strings.size()))
        return {};
    return withLineBreaks(m_strings[static_cast<size_t>(index)]);
}
