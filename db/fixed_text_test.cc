#include "db/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace ravlen {
namespace {

using namespace std::literals;

// Every byte after the text up to the buffer's end is zero.
template <size_t N>
bool zeroAfterText(const FixedText<N>& t) {
  for (size_t i = t.size(); i < FixedText<N>::kBufferSize; ++i) {
    if (t.data()[i] != '\0') return false;
  }
  return true;
}

TEST(FixedTextTest, AssignCutsToCapacityAndTerminates) {
  FixedText<5> t;
  EXPECT_TRUE(t.empty());
  EXPECT_TRUE(zeroAfterText(t));
  t = "abcdefgh";
  EXPECT_EQ(t, "abcde");
  EXPECT_EQ(t.size(), 5u);
  EXPECT_EQ(std::string(t.c_str()), "abcde");
  t = "xy";
  EXPECT_EQ(t.str(), "xy");
  EXPECT_TRUE(zeroAfterText(t)) << "no rest of the longer text stays behind";
  t = "";
  EXPECT_TRUE(t.empty());
  EXPECT_TRUE(zeroAfterText(t));

  FixedText<8> full("20240229");
  EXPECT_EQ(full.view(), "20240229");
  EXPECT_EQ(full.data()[8], '\0');
}

TEST(FixedTextTest, CutNeverSplitsAUtf8Character) {
  const std::string two = "\xC3\xBC";           // u with diaeresis
  const std::string three = "\xE2\x82\xAC";     // euro sign
  const std::string four = "\xF0\x9F\x98\x80";  // an emoji
  // The character straddles the capacity: it is left out whole.
  EXPECT_EQ(FixedText<3>("ab" + two).view(), "ab");
  EXPECT_EQ(FixedText<3>("a" + three).view(), "a");
  EXPECT_EQ(FixedText<4>("ab" + three).view(), "ab");
  EXPECT_EQ(FixedText<4>("a" + four).view(), "a");
  EXPECT_EQ(FixedText<5>("ab" + four).view(), "ab");
  EXPECT_EQ(FixedText<6>("abc" + four).view(), "abc");
  // It ends exactly at the capacity: it is kept.
  EXPECT_EQ(FixedText<4>("ab" + two + "c").view(), "ab" + two);
  EXPECT_EQ(FixedText<4>("a" + three + "c").view(), "a" + three);
  EXPECT_EQ(FixedText<4>(four + "c").view(), four);
  EXPECT_EQ(FixedText<5>(two + three + "x").view(), two + three);
  EXPECT_EQ(FixedText<4>(two + two + two).view(), two + two);
  EXPECT_EQ(FixedText<2>(four).view(), "");

  EXPECT_EQ(utf8CutLength("abc", 0), 0u);
  EXPECT_EQ(utf8CutLength("ab" + four, 10), 6u);
}

TEST(FixedTextTest, SingleByteTextIsCutLikePlainBytes) {
  // Windows-1252: u-umlaut (0xFC), sharp s (0xDF), section sign (0xA7),
  // degree (0xB0), euro (0x80). None of these form a UTF-8 character.
  EXPECT_EQ(FixedText<3>("ab\xFC" "d").view(), "ab\xFC"sv);
  EXPECT_EQ(FixedText<3>("abc\xFC").view(), "abc"sv);
  EXPECT_EQ(FixedText<3>("Gr\xFC\xDF" "e").view(), "Gr\xFC"sv);
  EXPECT_EQ(FixedText<3>("ab\xFC\xA7").view(), "ab\xFC"sv);
  EXPECT_EQ(FixedText<3>("a\xE4\xB0x").view(), "a\xE4\xB0"sv);
  EXPECT_EQ(FixedText<2>("a\xE4\xB0x").view(), "a\xE4"sv);
  EXPECT_EQ(FixedText<3>("ab\x80\x80").view(), "ab\x80"sv);
  EXPECT_EQ(FixedText<2>("\xC3\xA9\xA9").view(), "\xC3\xA9"sv)
      << "a stray continuation byte after a whole character";
}

TEST(FixedTextTest, AssignExactRefusesAndLeavesTextUnchanged) {
  FixedText<4> t("keep");
  EXPECT_FALSE(t.assignExact("12345"));
  EXPECT_EQ(t, "keep");
  EXPECT_TRUE(t.assignExact("1234"));
  EXPECT_EQ(t, "1234");
  EXPECT_TRUE(t.assignExact("x"));
  EXPECT_EQ(t, "x");
  EXPECT_TRUE(zeroAfterText(t));
}

TEST(FixedTextTest, DateTextsCompareBytewiseAndClearZeroes) {
  DateText jan31("20240131"), feb01("20240201"), feb01b("20240201");
  EXPECT_LT(jan31, feb01);
  EXPECT_GT(feb01, jan31);
  EXPECT_EQ(feb01, feb01b);
  EXPECT_LE(feb01, feb01b);
  EXPECT_LT(DateText(""), jan31);
  EXPECT_LT(DateText("2024"), jan31) << "a prefix sorts first";
  EXPECT_LT(FixedText<2>("z"), FixedText<2>("\xFC")) << "bytes are unsigned";

  TimestampText stamp("20240229130509");
  EXPECT_EQ(stamp.size(), 14u);
  stamp.clear();
  EXPECT_TRUE(stamp.empty());
  for (size_t i = 0; i < TimestampText::kBufferSize; ++i)
    EXPECT_EQ(stamp.data()[i], '\0') << i;
}

}  // namespace
}  // namespace ravlen
