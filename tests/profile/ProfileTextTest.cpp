#include <gtest/gtest.h>

#include <ostream>

#include "profile/Profile.h"
#include "profile/SettingsKeys.h"
#include "tests/support/NativeLines.h"

namespace kelvo {
namespace {

struct IntCase {
    const char* text;
    int32_t expected;
};

// Without it the test names would print the struct's bytes, padding included.
void PrintTo(const IntCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" -> " << c.expected;
}

class ProfileIntRule : public testing::TestWithParam<IntCase> {};

TEST_P(ProfileIntRule, ReadsLikeTheProfileFunctions) {
    EXPECT_EQ(parseProfileInt(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileIntRule,
                         testing::Values(IntCase{"42", 42}, IntCase{"  42", 42},
                                         IntCase{"\t-7", -7}, IntCase{"+5", 5},
                                         IntCase{"12abc", 12}, IntCase{"3.9", 3}, IntCase{"abc", 0},
                                         IntCase{"-", 0}, IntCase{"0x10", 0}, IntCase{"- 5", 0},
                                         IntCase{"２", 0}, IntCase{"2147483647", 2147483647},
                                         IntCase{"99999999999999999999", 2147483647},
                                         IntCase{"-2147483648", -2147483647 - 1},
                                         IntCase{"-99999999999999999999", -2147483647 - 1}));

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheFallback) {
    EXPECT_EQ(Profile().readInt("DEFAULT", "Memory", 50), 50);
    Profile p("[SYSTEM]\nXPos=3\n");
    EXPECT_EQ(p.readInt("DEFAULT", "Memory", 50), 50);
    EXPECT_EQ(p.readInt("SYSTEM", "YPos", 9), 9);
    EXPECT_EQ(p.readInt("SYSTEM", "XPos", 9), 3);
}

TEST(ProfileRead, NamesMatchWithoutRegardToCaseOrBlanks) {
    Profile p("[ system ]\r\n  xpos = 12 \r\n");
    EXPECT_EQ(p.readInt("SYSTEM", "XPos", 0), 12);
}

TEST(ProfileRead, EmptyValueGivesTheFallbackAndTextGivesZero) {
    Profile p("[D]\nA=\nB=x\nC=\"7\"\n");
    EXPECT_EQ(p.readInt("D", "A", 5), 5);
    EXPECT_EQ(p.readInt("D", "B", 5), 0);
    EXPECT_EQ(p.readInt("D", "C", 5), 7);
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
    Profile p("[D]\nA=1\nA=2\n[D]\nA=3\nB=4\n");
    EXPECT_EQ(p.readInt("D", "A", 0), 1);
    EXPECT_EQ(p.readInt("D", "B", 0), 0);  // in the second "D", which is never looked at
}

TEST(ProfileRead, CommentsLinesWithoutEqualsAndStrayLinesAreNotKeys) {
    Profile p("A=9\n[D]\n;A=1\nA\n[D\nB=2\n");
    EXPECT_EQ(p.readInt("D", "A", -1), -1);
    EXPECT_EQ(p.readInt("D", "B", -1), 2);  // "[D" without ']' is no header
}

TEST(ProfileWrite, NewFileGetsSectionsAndKeysInWriteOrder) {
    Profile p;
    for (const SettingKey& k : keys::kSaveOrder)
        writeSetting(p, k, 1);
    EXPECT_EQ(p.text(),
              test::nativeLines(
                  "[SYSTEM]\nXPos=1\nYPos=1\nSmall=1\n[DEFAULT]\nStayOnTop=1\nDontCatch=1\n"
                  "ShowCpuUsePer=1\nStopCpuUsePer=1\nTaskBarHide=1\nMemory=1\nAutoMemClear=1\n"
                  "AutoMemMin=1\nAutoMemUsed=1\nAutoMemSize=1\nAutoExeSize=1\nAutoMemUsePer=1\n"
                  "Not100Per=1\nHint=1\n"));
}

TEST(ProfileWrite, KeepsEveryOtherByteAndReplacesValuesInPlace) {
    const std::string before =
        "; my notes\r\n[Other]\r\nkeep = me\r\n\r\n[default]\r\n  memory = 30 \r\nUnknown=x\r\n"
        "\r\n; tail\r\n";
    Profile p(before);
    p.writeInt("DEFAULT", "Memory", 70);
    p.writeInt("DEFAULT", "Hint", 1);
    p.writeInt("SYSTEM", "XPos", -4);
    EXPECT_EQ(
        p.text(),
        "; my notes\r\n[Other]\r\nkeep = me\r\n\r\n[default]\r\n  memory = 70\r\nUnknown=x\r\n"
        "Hint=1\r\n\r\n; tail\r\n[SYSTEM]\r\nXPos=-4\r\n");
}

TEST(ProfileWrite, TextWithoutFinalLineEndGetsOneBeforeNewLines) {
    Profile header("[DEFAULT]");
    header.writeInt("DEFAULT", "Hint", 0);
    EXPECT_EQ(header.text(), test::nativeLines("[DEFAULT]\nHint=0\n"));
    Profile key("x=1");
    key.writeInt("SYSTEM", "Small", 1);
    EXPECT_EQ(key.text(), test::nativeLines("x=1\n[SYSTEM]\nSmall=1\n"));
}

TEST(ProfileWrite, ALastLineEndingInABareCarriageReturnIsCompleted) {
    Profile p("[SYSTEM]\r\nSmall=1x\r");
    p.writeInt("SYSTEM", "Small", 0);
    p.writeInt("DEFAULT", "Hint", 1);
    EXPECT_EQ(p.text(), "[SYSTEM]\r\nSmall=0\r\n[DEFAULT]\r\nHint=1\r\n");
}

TEST(ProfileWrite, WritingTheSameValueTwiceChangesNothing) {
    Profile p("[SYSTEM]\nXPos=1\n");
    p.writeInt("SYSTEM", "XPos", 5);
    const std::string once = p.text();
    p.writeInt("SYSTEM", "XPos", 5);
    EXPECT_EQ(p.text(), once);
}

// A byte-order mark before the first header must neither hide that section nor get lost.
TEST(ProfileWrite, ALeadingByteOrderMarkIsReadPastAndKept) {
    const std::string bom = "\xEF\xBB\xBF";
    Profile p(bom + "[SYSTEM]\r\nXPos=30\r\n[DEFAULT]\r\nMemory=40\r\n");
    EXPECT_EQ(p.readInt("SYSTEM", "XPos", 0), 30);
    p.writeInt("SYSTEM", "XPos", 7);
    p.writeInt("SYSTEM", "Small", 1);
    EXPECT_EQ(p.text(), bom + "[SYSTEM]\r\nXPos=7\r\nSmall=1\r\n[DEFAULT]\r\nMemory=40\r\n");
    Profile keyFirst(bom + "Stray=1\n[SYSTEM]\nXPos=2\n");
    EXPECT_EQ(keyFirst.readInt("SYSTEM", "XPos", 0), 2);
    Profile onlyMark(bom);
    onlyMark.writeInt("SYSTEM", "XPos", 5);
    EXPECT_EQ(onlyMark.text(), bom + test::nativeLines("[SYSTEM]\nXPos=5\n"));
    // Only at the very start is it a mark.
    Profile inside("[A]\n" + bom + "[SYSTEM]\nXPos=9\n");
    EXPECT_EQ(inside.readInt("SYSTEM", "XPos", 0), 0);
}

TEST(SettingLimits, WindowCoordinateStaysUpToTheScreenExtentMinusTwo) {
    EXPECT_EQ(limits::windowCoordinate(798, 800), 798);
    EXPECT_EQ(limits::windowCoordinate(799, 800), 0);
    EXPECT_EQ(limits::windowCoordinate(-1, 800), 0);
    EXPECT_EQ(limits::windowCoordinate(0, 800), 0);
}

TEST(SettingLimits, UpDownMaximumIsAQuarterOfPhysicalMegabytesWithin16Bits) {
    constexpr uint64_t MB = 1048576;
    EXPECT_EQ(limits::upDownMaximum(256 * MB), 64);
    EXPECT_EQ(limits::upDownMaximum(64 * MB), 16);
    EXPECT_EQ(limits::upDownMaximum(67 * MB), 16);
    EXPECT_EQ(limits::upDownMaximum(2 * MB), 1);
    EXPECT_EQ(limits::upDownMaximum(131071 * MB), 32767);
    EXPECT_EQ(limits::upDownMaximum(uint64_t{1} << 40), 32767);
}

TEST(SettingLimits, CleanSizeIs64BitAndHeldAtItsRange) {
    constexpr uint64_t GB = uint64_t{1} << 30;
    EXPECT_EQ(limits::cleanSize(50, 8 * GB), int64_t{50} * (8 * GB / 100));
    EXPECT_GT(limits::cleanSize(95, 64 * GB), int64_t{1} << 32);
    EXPECT_EQ(limits::cleanSize(-5, 100), -5);
    EXPECT_EQ(limits::cleanSize(0, 8 * GB), 0);
    EXPECT_EQ(limits::cleanSize(2147483647, uint64_t{1} << 50), INT64_MAX);
    EXPECT_EQ(limits::cleanSize(-2147483647 - 1, uint64_t{1} << 50), -INT64_MAX);
}

}  // namespace
}  // namespace kelvo
