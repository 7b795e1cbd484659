#include "platform/ArabicLocale.h"

#include <windows.h>

namespace platform {

bool ArabicLocale::IsInstalled() {
    constexpr LCID kArabicSaudiArabia = 0x0401;
    return IsValidLocale(kArabicSaudiArabia, LCID_INSTALLED) != FALSE;
}

}  // namespace platform
