#pragma once

// The keys of the settings section "Preferences" and their defaults.
namespace prefkeys {

inline constexpr const char* kBringWindowToTop = "Bring Window To Top";
inline constexpr const char* kHideWhenMinimized = "Hide when minimized";
inline constexpr const char* kEnablePopup = "Enable Popup Mirel";
inline constexpr const char* kPopupInterval = "Popup Mirel Interval";
inline constexpr const char* kPopupFontSize = "Popup Mirel Font Size";
inline constexpr const char* kHijriDateAdjust = "Hijri Date Adjust";
inline constexpr const char* kPopupIndex = "Popup Mirel Index";
inline constexpr const char* kArabicInterface = "Arabic Interface";
inline constexpr const char* kHoldWhileBusy = "Hold While Busy";

// Not one of the values above, and never written back: there only while the stored position
// was counted in a user's own phrase file, which it names by the phrase store's file mark.
inline constexpr const char* kPopupFile = "Popup Mirel File";

inline constexpr int kBringWindowToTopDefault = 0;
inline constexpr int kHideWhenMinimizedDefault = 1;
inline constexpr int kEnablePopupDefault = 1;
inline constexpr int kPopupIntervalDefault = 10;
inline constexpr int kPopupFontSizeDefault = 100;  // tenths of a point
inline constexpr int kHijriDateAdjustDefault = 2;  // no shift
inline constexpr int kPopupIndexDefault = 0;
inline constexpr int kArabicInterfaceDefault = 0;
inline constexpr int kHoldWhileBusyDefault = 1;

}  // namespace prefkeys
