#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace script {

// The Arabic Windows code page, in which the program keeps all of its text.
// Both directions go through ICU's "windows-1256" table; a character the code page
// lacks becomes '?', the code page's own default character.
class CodePage1256 {
public:
    static constexpr char kDefaultChar = '?';

    static std::string FromUtf16(std::u16string_view text);
    // Writes the code-page form of text to out, which has room for text.size() bytes and
    // may be written anywhere within them, and returns its length.
    static std::size_t FromUtf16(std::u16string_view text, char* out);
    static std::u16string ToUtf16(std::string_view text);
};

}  // namespace script
