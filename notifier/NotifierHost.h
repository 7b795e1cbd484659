#pragma once

#include <memory>
#include <string>

class CTaskbarNotifier;

// Process-wide owner of the one popup window.
class CNotifierHost {
public:
    static CNotifierHost* GetInstance();
    static void DestroyInstance();

    // text in code page 1256; works out the display time and starts the timed show.
    void ShowPhrase(std::string text, bool rightToLeft);
    // tenths of a point
    void SetFontSize(int tenths);

    CTaskbarNotifier& Notifier();
    int FontSize() const { return fontSize; }

private:
    CNotifierHost();
    ~CNotifierHost();
    friend struct std::default_delete<CNotifierHost>;

    std::unique_ptr<CTaskbarNotifier> notifier;
    int fontSize = 85;
};
