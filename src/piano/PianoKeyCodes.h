#pragma once

#include <cstdint>

#include <Qt>

class QKeyEvent;

// The piano's key codes (the classic virtual-key numbers of a US keyboard: 'A'..'Z', '0'..'9',
// 186 semicolon, 188 comma, 189 minus, 190 full stop, 191 slash, 219 and 221 the brackets, 96..105
// the keypad digits, 106 * , 109 keypad minus, 111 keypad slash, 27 Esc, 32 space), 0 for a key
// that has none.
//
// Taken from the physical key when the event carries its scan code (X11 and Wayland keycodes,
// the Linux input code plus 8), so that Shift, NumLock and the desktop's layout never move the
// piano; else from the Qt key and the keypad flag, as synthetic events (tests) carry no scan code.
int pianoKeyCode(std::uint32_t nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers);
int pianoKeyCode(const QKeyEvent& event);
