#include "piano/PianoKeyCodes.h"

#include <array>
#include <utility>

#include <QKeyEvent>

namespace {

// Linux input codes (a keycode minus 8) to key codes, US layout: the letter and digit rows by
// their characters, the rest one by one.
constexpr std::array<std::uint8_t, 99> kByInputCode = [] {
    std::array<std::uint8_t, 99> table {};
    const std::pair<int, const char*> rows[] = { { 2, "1234567890" }, { 16, "QWERTYUIOP" },
        { 30, "ASDFGHJKL" }, { 44, "ZXCVBNM" } };
    for (const auto& [first, keys] : rows) {
        for (int i = 0; keys[i]; ++i)
            table[first + i] = static_cast<std::uint8_t>(keys[i]);
    }
    const std::pair<int, int> single[] = { { 1, 27 }, { 12, 189 }, { 13, 187 }, { 14, 8 },
        { 15, 9 }, { 26, 219 }, { 27, 221 }, { 28, 13 }, { 39, 186 }, { 40, 222 }, { 41, 192 },
        { 43, 220 }, { 51, 188 }, { 52, 190 }, { 53, 191 }, { 55, 106 }, { 57, 32 },
        // keypad 7 8 9 - 4 5 6 + 1 2 3 0 . Enter /
        { 71, 103 }, { 72, 104 }, { 73, 105 }, { 74, 109 }, { 75, 100 }, { 76, 101 }, { 77, 102 },
        { 78, 107 }, { 79, 97 }, { 80, 98 }, { 81, 99 }, { 82, 96 }, { 83, 110 }, { 96, 13 },
        { 98, 111 } };
    for (const auto& [input, code] : single)
        table[input] = static_cast<std::uint8_t>(code);
    return table;
}();

constexpr std::uint32_t kKeycodeOffset = 8;

int fromQtKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : key;
    switch (key) {
    case Qt::Key_Comma:
        return 188;
    case Qt::Key_Period:
        return keypad ? 110 : 190;
    case Qt::Key_Semicolon:
        return 186;
    case Qt::Key_Slash:
        return keypad ? 111 : 191;
    case Qt::Key_Minus:
        return keypad ? 109 : 189;
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_BracketLeft:
        return 219;
    case Qt::Key_BracketRight:
        return 221;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    default:
        return 0;
    }
}

} // namespace

int pianoKeyCode(std::uint32_t nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (nativeScanCode != 0) {
        const std::uint32_t input = nativeScanCode - kKeycodeOffset;
        return nativeScanCode >= kKeycodeOffset && input < kByInputCode.size() ? kByInputCode[input]
                                                                               : 0;
    }
    return fromQtKey(qtKey, modifiers.testFlag(Qt::KeypadModifier));
}

int pianoKeyCode(const QKeyEvent& event)
{
    return pianoKeyCode(event.nativeScanCode(), event.key(), event.modifiers());
}
