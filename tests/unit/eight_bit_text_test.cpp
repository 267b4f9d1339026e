#include <gtest/gtest.h>

#include "core/common/eight_bit_text.h"

namespace tesselog {
namespace {

TEST(EightBitText, EachCharacterIsOneByteOfItsCode) {
    const struct {
        std::u16string typed;
        size_t maxCharacters;
        size_t firstNon8Bit;
        std::string bytes;
    } cases[] = {
        {u"\u00DCberlinie12", std::string::npos, AllCharactersFit, "\xDC" "berlinie12"},
        {u"\u00DCberlinie12", 8, AllCharactersFit, "\xDC" "berlini"},  // cut by characters, not UTF-8 bytes
        {u"caf\u00E9 \u00FF\u0080", std::string::npos, AllCharactersFit, "caf\xE9 \xFF\x80"},
        // Outside the set: reported, and '?' rather than the low byte
        // (U+0141 would read as 'A', U+015C as a backslash, U+0131 as '1').
        {u"\u0141\u00F3d\u017A", std::string::npos, 0, "?\xF3" "d?"},
        {u"C:\\\u015C\\1\u0131", std::string::npos, 3, "C:\\?\\1?"},
        // A character beyond U+FFFF is one character: one '?', counted once.
        {u"a\U0001F600bc", 3, 1, "a?b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(FirstNon8BitCharacter(c.typed), c.firstNon8Bit);
        EXPECT_EQ(To8Bit(c.typed, c.maxCharacters), c.bytes);
        if (c.firstNon8Bit == AllCharactersFit && c.maxCharacters == std::string::npos) {
            EXPECT_EQ(From8Bit(c.bytes), c.typed);  // and back, one for one
        }
    }
}

TEST(EightBitText, RefusalNamesTheFieldAndTheWholeCharacter) {
    std::string message = Not8BitMessage("Comment", u"ok \U0001F600");
    EXPECT_EQ(message.substr(0, message.find('\r')), "Comment: the character U+1F600 cannot be stored.");
}

}  // namespace
}  // namespace tesselog
