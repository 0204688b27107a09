#include "winlist/HandleText.h"

#include <cstdio>

Text HandleToText(int32_t handle) {
    char digits[12];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(handle));
    return Text(digits);
}

int32_t TextToHandle(const Text& text) {
    size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    // Arithmetic modulo 2^32 keeps exactly the low 32 bits of any length of
    // digits; the fraction after a '.' is dropped, which truncates toward zero.
    uint32_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10u + static_cast<uint32_t>(text[at] - '0');
    }
    const uint32_t bits = negative ? 0u - magnitude : magnitude;
    return static_cast<int32_t>(bits);
}

TextArray HandleTexts(const std::vector<int32_t>& handles) {
    std::vector<Text> texts;
    texts.reserve(handles.size());
    for (int32_t handle : handles) texts.push_back(HandleToText(handle));
    return TextArray(std::move(texts));
}
