#pragma once

namespace platform {

// Whether the system has the Arabic (Saudi Arabia) locale: the C library can create
// ar_SA.UTF-8 (true after `locale-gen ar_SA.UTF-8`, false on a stock Debian).
class ArabicLocale {
public:
    static bool IsInstalled();
};

}  // namespace platform
