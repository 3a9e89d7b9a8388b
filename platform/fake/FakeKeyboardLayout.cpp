#include "platform/fake/FakeKeyboardLayout.h"

FakeKeyboardLayout::FakeKeyboardLayout(QObject* parent) : KeyboardLayout(parent) {
    // The US layout's letters, digits and punctuation by stored key code.
    static constexpr struct {
        int code;
        char character;
    } us[] = {
        {0, 'a'},   {1, 's'},  {2, 'd'},  {3, 'f'},  {4, 'h'},  {5, 'g'},   {6, 'z'},  {7, 'x'},
        {8, 'c'},   {9, 'v'},  {11, 'b'}, {12, 'q'}, {13, 'w'}, {14, 'e'},  {15, 'r'}, {16, 'y'},
        {17, 't'},  {18, '1'}, {19, '2'}, {20, '3'}, {21, '4'}, {22, '6'},  {23, '5'}, {24, '='},
        {25, '9'},  {26, '7'}, {27, '-'}, {28, '8'}, {29, '0'}, {30, ']'},  {31, 'o'}, {32, 'u'},
        {33, '['},  {34, 'i'}, {35, 'p'}, {37, 'l'}, {38, 'j'}, {39, '\''}, {40, 'k'}, {41, ';'},
        {42, '\\'}, {43, ','}, {44, '/'}, {45, 'n'}, {46, 'm'}, {47, '.'},  {50, '`'},
    };
    for (const auto& entry : us)
        characters.insert(entry.code, char32_t(entry.character));
}

std::optional<char32_t> FakeKeyboardLayout::character(int carbonKeyCode) {
    const auto found = characters.constFind(carbonKeyCode);
    if (found == characters.constEnd())
        return std::nullopt;
    return *found;
}
