#pragma once
// Text and TextArray: the program's byte strings in code page 936 and the
// text rules the handlers rely on. No Windows here.

#include <cstdint>
#include <string>
#include <vector>

// A byte string in code page 936 (a Chinese character takes two bytes).
// Lengths and positions count bytes, positions from 1; what an operation
// cannot produce comes back as the empty text. Producers cut a text at its
// first NUL, so the byte count is the size.
using Text = std::string;

// Number of bytes.
int32_t ByteLength(const Text& text);
// At most count bytes from position on; empty for a position outside the
// text or a count below 1.
Text Substring(const Text& text, int32_t position, int32_t count);
// The first n bytes (the whole text when n is larger); empty for n below 1.
Text LeftPart(const Text& text, int32_t n);
// The first byte as a signed value from -128 to 127; 0 for the empty text.
int32_t ByteValue(const Text& text);
Text Join(const Text& first, const Text& second);

// A one-dimensional array of texts, numbered from 1. Reaching outside its
// bounds is a fatal error.
class TextArray {
public:
    TextArray() = default;
    explicit TextArray(std::vector<Text> elements) : elements_(std::move(elements)) {}

    int32_t Count() const { return static_cast<int32_t>(elements_.size()); }
    const Text& At(int32_t index) const;

private:
    std::vector<Text> elements_;
};

// Segments between "|" bytes. A byte from 0x80 up is taken with the byte
// after it and never splits; one that ends the text ends the scan inside
// the last segment. Empty segments at the start and between two "|" are
// kept; a "|" at the very end adds nothing; the empty text gives no element.
TextArray SplitAtBar(const Text& text);
