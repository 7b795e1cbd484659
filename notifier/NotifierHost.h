#pragma once

#include <QString>

#include <functional>
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

    // Where a screen reader also reads each phrase (the tray icon's message: text, time shown
    // in ms) while one runs; empty when there is none.
    using ScreenReaderMessage = std::function<void(const QString& text, int timeoutMs)>;
    void SetScreenReaderMessage(ScreenReaderMessage message) {
        screenReaderMessage = std::move(message);
    }
    // Whether a screen reader runs; the system's answer unless a test sets one.
    void SetScreenReaderProbe(std::function<bool()> probe) {
        screenReaderRunning = std::move(probe);
    }

    CTaskbarNotifier& Notifier();
    int FontSize() const { return fontSize; }

private:
    CNotifierHost();
    ~CNotifierHost();
    friend struct std::default_delete<CNotifierHost>;

    std::unique_ptr<CTaskbarNotifier> notifier;
    int fontSize = 85;
    // The phrases go to the desktop's notification service instead of the popup.
    bool toDesktopNotifications;
    ScreenReaderMessage screenReaderMessage;
    std::function<bool()> screenReaderRunning;
};
