#include <gtest/gtest.h>

#include "app/HelpText.h"

namespace {

TEST(HelpText, NineLinesIn228Bytes) {
    EXPECT_EQ(ByteLength(HelpText), 228);
    int breaks = 0;
    for (size_t at = HelpText.find("\r\n"); at != Text::npos; at = HelpText.find("\r\n", at + 2)) ++breaks;
    EXPECT_EQ(breaks, 8) << "CR LF between lines, none after the last";
    EXPECT_NE(HelpText.substr(HelpText.size() - 2), "\r\n");
    EXPECT_NE(HelpText.find("\r\n\r\n"), Text::npos) << "line 5 is empty";
}

TEST(HelpText, BytesAreCodePage936) {
    EXPECT_EQ(HelpCaption, "\xB0\xEF\xD6\xFA") << "帮助";
    EXPECT_EQ(HelpText.substr(0, 6), "\xB0\xEF\xD6\xFA\xA3\xBA") << "帮助 and a full-width colon";
}

}  // namespace
