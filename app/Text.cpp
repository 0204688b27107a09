#include "app/Text.h"

#include "app/Fatal.h"

int32_t ByteLength(const Text& text) {
    return static_cast<int32_t>(text.size());
}

Text Substring(const Text& text, int32_t position, int32_t count) {
    int32_t length = ByteLength(text);
    if (position < 1 || position > length || count < 1) return Text();
    return text.substr(position - 1, count);
}

Text LeftPart(const Text& text, int32_t n) {
    return Substring(text, 1, n);
}

int32_t ByteValue(const Text& text) {
    return text.empty() ? 0 : static_cast<int32_t>(static_cast<signed char>(text[0]));
}

Text Join(const Text& first, const Text& second) {
    return first + second;
}

const Text& TextArray::At(int32_t index) const {
    if (index < 1 || index > Count()) {
        FatalError("TextArray index " + std::to_string(index) + " outside 1.." +
                   std::to_string(Count()));
    }
    return elements_[index - 1];
}

TextArray SplitAtBar(const Text& text) {
    std::vector<Text> segments;
    const size_t length = ByteLength(text);
    size_t start = 0;
    size_t at = 0;
    while (at < length) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80) {
            if (at + 1 >= length) break;  // a lone first byte stays in the last segment
            at += 2;
            continue;
        }
        if (byte == '|') {
            segments.push_back(text.substr(start, at - start));
            start = at + 1;
        }
        ++at;
    }
    if (start < length) segments.push_back(text.substr(start, length - start));
    return TextArray(std::move(segments));
}
