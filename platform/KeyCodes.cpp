#include "platform/KeyCodes.h"

#include <QHash>

namespace KeyCodes {

namespace {

struct Position {
    int carbon;
    int evdev; // Linux input event code
};

// Each stored key code beside the Linux input event code of the same key on a PC keyboard. Help
// sits where PC keyboards have Insert, and keypad Clear where they have Num Lock (Apple keyboards
// report those keys so on Linux).
constexpr Position positions[] = {
    // letters
    {0, 30},
    {1, 31},
    {2, 32},
    {3, 33},
    {4, 35},
    {5, 34},
    {6, 44},
    {7, 45},
    {8, 46},
    {9, 47},
    {11, 48},
    {12, 16},
    {13, 17},
    {14, 18},
    {15, 19},
    {16, 21},
    {17, 20},
    {31, 24},
    {32, 22},
    {34, 23},
    {35, 25},
    {37, 38},
    {38, 36},
    {40, 37},
    {45, 49},
    {46, 50},
    // digits
    {18, 2},
    {19, 3},
    {20, 4},
    {21, 5},
    {23, 6},
    {22, 7},
    {26, 8},
    {28, 9},
    {25, 10},
    {29, 11},
    // modifiers: caps lock, shift, control, option, command, then the right-hand ones
    {57, 58},
    {56, 42},
    {59, 29},
    {58, 56},
    {55, 125},
    {54, 126},
    {61, 100},
    {62, 97},
    {60, 54},
    // return and the punctuation
    {36, 28},
    {42, 43},
    {50, 41},
    {43, 51},
    {24, 13},
    {27, 12},
    {47, 52},
    {39, 40},
    {41, 39},
    {44, 53},
    {49, 57},
    {48, 15},
    {33, 26},
    {30, 27},
    // page up, page down, home, end, the arrows up, right, down, left
    {116, 104},
    {121, 109},
    {115, 102},
    {119, 107},
    {126, 103},
    {124, 106},
    {125, 108},
    {123, 105},
    // escape, delete (backspace), forward delete, help (insert)
    {53, 1},
    {51, 14},
    {117, 111},
    {114, 110},
    // mute, volume up, volume down
    {74, 113},
    {72, 115},
    {73, 114},
    // F1 to F20
    {122, 59},
    {120, 60},
    {99, 61},
    {118, 62},
    {96, 63},
    {97, 64},
    {98, 65},
    {100, 66},
    {101, 67},
    {109, 68},
    {103, 87},
    {111, 88},
    {105, 183},
    {107, 184},
    {113, 185},
    {106, 186},
    {64, 187},
    {79, 188},
    {80, 189},
    {90, 190},
    // keypad 0 to 9
    {82, 82},
    {83, 79},
    {84, 80},
    {85, 81},
    {86, 75},
    {87, 76},
    {88, 77},
    {89, 71},
    {91, 72},
    {92, 73},
    // keypad clear (num lock), decimal, divide, enter, equals, minus, multiply, plus
    {71, 69},
    {65, 83},
    {75, 98},
    {76, 96},
    {81, 117},
    {78, 74},
    {67, 55},
    {69, 78},
};

constexpr int evdevToX = 8;

const QHash<int, quint32>& toX() {
    static const QHash<int, quint32> table = [] {
        QHash<int, quint32> map;
        for (const Position& p : positions)
            map.insert(p.carbon, quint32(p.evdev + evdevToX));
        return map;
    }();
    return table;
}

const QHash<quint32, int>& fromX() {
    static const QHash<quint32, int> table = [] {
        QHash<quint32, int> map;
        for (const Position& p : positions)
            map.insert(quint32(p.evdev + evdevToX), p.carbon);
        return map;
    }();
    return table;
}

struct ModifierPair {
    qint64 carbon;
    quint16 x;
};

constexpr ModifierPair modifierPairs[] = {
    {carbonControl, xControlMask},
    {carbonOption, xMod1Mask},
    {carbonShift, xShiftMask},
    {carbonCommand, xMod4Mask},
};

} // namespace

std::optional<quint32> xKeycode(int carbonKeyCode) {
    const auto found = toX().constFind(carbonKeyCode);
    if (found == toX().constEnd())
        return std::nullopt;
    return *found;
}

std::optional<int> carbonKeyCode(quint32 xKeycode) {
    const auto found = fromX().constFind(xKeycode);
    if (found == fromX().constEnd())
        return std::nullopt;
    return *found;
}

quint16 xModifiers(qint64 carbonModifiers) {
    quint16 mask = 0;
    for (const ModifierPair& pair : modifierPairs) {
        if (carbonModifiers & pair.carbon)
            mask |= pair.x;
    }
    return mask;
}

qint64 carbonModifiers(quint16 xMask) {
    qint64 bits = 0;
    for (const ModifierPair& pair : modifierPairs) {
        if (xMask & pair.x)
            bits |= pair.carbon;
    }
    return bits;
}

} // namespace KeyCodes
