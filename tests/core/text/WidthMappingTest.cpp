#include "text/WidthMapping.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vexilor::text {
namespace {

std::string hex(std::u16string_view s)
{
    std::string out;
    for (char16_t c : s) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

struct Case {
    std::u16string in;
    std::u16string out;
};

TEST(WidthMapping, FullWidth)
{
    const Case cases[] = {
        {u"AB 1~", u"\uFF21\uFF22\u3000\uFF11\uFF5E"},
        {u"!\\}", u"\uFF01\uFF3C\uFF5D"},
        {u"\uFF76", u"\u30AB"},                           // ka
        {u"\uFF76\uFF9E", u"\u30AC"},                     // ka + voiced mark = ga
        {u"\uFF8A\uFF9F\uFF8A\uFF9E", u"\u30D1\u30D0"},   // pa ba
        {u"\uFF73\uFF9E", u"\u30F4"},                     // vu
        {u"\uFF9C\uFF9E\uFF66\uFF9E", u"\u30F7\u30FA"},   // va vo
        {u"\uFF71\uFF9E", u"\u30A2\u309B"},               // a has no voiced form
        {u"\uFF76\uFF9F", u"\u30AB\u309C"},               // ka has no semi-voiced form
        {u"A\uFF9E", u"\uFF21\u309B"},                    // a lone mark
        {u"\uFF61\uFF62\uFF63\uFF64\uFF65\uFF70", u"\u3002\u300C\u300D\u3001\u30FB\u30FC"},
        {u"\uFF67\uFF6F\uFF9D", u"\u30A1\u30C3\u30F3"},   // small a, small tsu, n
        {u"\uFF21\u00E9\u6F22\u3042", u"\uFF21\u00E9\u6F22\u3042"},  // kept as they are
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(toFullWidth(c.in)), hex(c.out)) << "input " << hex(c.in);
    }
}

TEST(WidthMapping, HalfWidthKatakana)
{
    const Case cases[] = {
        {u"\uFF21\uFF22\u3000\uFF11\uFF5E", u"AB 1~"},
        {u"\u3042\u3044", u"\uFF71\uFF72"},               // hiragana a i
        {u"\u304C", u"\uFF76\uFF9E"},                     // hiragana ga
        {u"\u30AC\u30D1", u"\uFF76\uFF9E\uFF8A\uFF9F"},   // ga pa
        {u"\u30F4\u3094", u"\uFF73\uFF9E\uFF73\uFF9E"},   // vu, hiragana vu
        {u"\u3002\u300C\u300D\u3001\u30FB\u30FC", u"\uFF61\uFF62\uFF63\uFF64\uFF65\uFF70"},
        {u"\u309B\u309C\u3099", u"\uFF9E\uFF9F\uFF9E"},
        {u"\u30F5\u3095\u309D", u"\u30F5\u30F5\u30FD"},   // no half-width forms: katakana only
        {u"Ab 1\u00E9\u6F22", u"Ab 1\u00E9\u6F22"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex(toHalfWidthKatakana(c.in)), hex(c.out)) << "input " << hex(c.in);
    }
}

TEST(WidthMapping, EveryHalfWidthKatakanaSurvivesARoundTrip)
{
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
        const std::u16string one(1, c);
        EXPECT_EQ(hex(toHalfWidthKatakana(toFullWidth(one))), hex(one));
        for (char16_t mark : {char16_t{0xFF9E}, char16_t{0xFF9F}}) {
            const std::u16string pair{c, mark};
            const std::u16string full = toFullWidth(pair);
            EXPECT_EQ(hex(toHalfWidthKatakana(full)), hex(pair));
            EXPECT_LE(full.size(), 2u);
        }
    }
    for (char16_t c = 0x21; c <= 0x7E; ++c) {
        const std::u16string one(1, c);
        EXPECT_EQ(toHalfWidthKatakana(toFullWidth(one)), one);
    }
}

}  // namespace
}  // namespace vexilor::text
