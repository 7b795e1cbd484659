#include "platform/ArabicLocale.h"

#include <locale.h>

namespace platform {

bool ArabicLocale::IsInstalled() {
    locale_t locale = newlocale(LC_ALL_MASK, "ar_SA.UTF-8", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return false;
    freelocale(locale);
    return true;
}

}  // namespace platform
