#pragma once
// Message boxes of the four kinds the program shows.
#include <string>
#include <string_view>

namespace ui {

class Dialog;

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
// The second button (No) is the default: Enter alone must not destroy anything.
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;

// A box owned by `owner` (none when null), with the caller's caption. Returns
// the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
int MessageBox(Dialog* owner, std::string_view text, std::string_view caption, unsigned type = MB_OK);

// The application's box: its name as caption, OK and the exclamation icon,
// owned by the innermost running dialog.
int AppMessageBox(std::string_view text, unsigned type = MB_OK | MB_ICONEXCLAMATION);

// printf-formats into 512 bytes (longer texts are cut) and shows the result
// without owner, captioned "Message", with OK.
int FormattedMessageBox(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The innermost dialog whose modal run is going on, or null.
Dialog* ActiveDialog();

}  // namespace ui
