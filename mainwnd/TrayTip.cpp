#include "mainwnd/TrayTip.h"

#include "script/CodePage1256.h"

namespace traytip {

QString Compose(const std::string& hijriDate) {
    // Code page 1256 has one byte per character, so the cut never splits a character.
    std::string tip = kPrefix + hijriDate;
    if (tip.size() > static_cast<size_t>(kMaxChars))
        tip.resize(kMaxChars);
    return QString::fromStdU16String(script::CodePage1256::ToUtf16(tip));
}

QString DateOf(const QString& tip) {
    const QString prefix = QString::fromLatin1(kPrefix);
    return tip.startsWith(prefix) ? tip.mid(prefix.size()) : tip;
}

}  // namespace traytip
