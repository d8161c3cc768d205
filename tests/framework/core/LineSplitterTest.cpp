#include "framework/core/LineSplitter.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

using namespace qel;

namespace {

using Lines = std::vector<String>;

struct SplitCase {
    String Text;
    Lines Expected;
};

// Each kind of break, breaks in a row, a break at either end, and text after the last break.
const std::vector<SplitCase> Cases = {
    {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
    {"one\r\n\r\ntwo\n", {"one", "", "two"}},
    {"c\r\r\nd\n\re\r\n\r\nf", {"c", "", "d", "", "e", "", "f"}},
    {"\n\r", {"", ""}},
    {"\r\r", {"", ""}},
    {"\r\n", {""}},
    {"end\r", {"end"}},
    {"\nstart", {"", "start"}},
    {String("x\0y\nz", 5), {String("x\0y", 3), "z"}},
    {"", {}},
};

// Feeds Text in the pieces that Cuts (ascending offsets) make, then finishes.
Lines SplitAt(const String& Text, const std::vector<size_t>& Cuts, TLineSplitter Splitter = TLineSplitter())
{
    Lines lines;
    auto sink = [&](String&& Line) { lines.push_back(std::move(Line)); };
    size_t from = 0;
    for (size_t cut : Cuts) {
        Splitter.Feed(std::string_view(Text).substr(from, cut - from), sink);
        from = cut;
    }
    Splitter.Feed(std::string_view(Text).substr(from), sink);
    Splitter.Finish(sink);
    return lines;
}

}  // namespace

TEST(LineSplitter, SameLinesHoweverTheTextIsCut)
{
    for (const SplitCase& c : Cases) {
        SCOPED_TRACE(testing::PrintToString(c.Text));
        EXPECT_EQ(SplitAt(c.Text, {}), c.Expected);
        std::vector<size_t> everyByte;
        for (size_t i = 0; i <= c.Text.size(); ++i) {
            everyByte.push_back(i);
            for (size_t j = i; j <= c.Text.size(); ++j)
                EXPECT_EQ(SplitAt(c.Text, {i, j}), c.Expected) << "cut at " << i << " and " << j;
        }
        EXPECT_EQ(SplitAt(c.Text, everyByte), c.Expected) << "one byte at a time, empty pieces between";
    }
}

TEST(LineSplitter, LineUnderWayAndLongLines)
{
    TLineSplitter splitter(8);
    Lines lines;
    auto sink = [&](String&& Line) { lines.push_back(std::move(Line)); };
    splitter.Feed("12345", sink);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(splitter.Partial(), "12345");
    // Past the limit a line keeps its first bytes, however they arrive; the next line is whole.
    splitter.Feed("6789abc\r", sink);
    EXPECT_EQ(splitter.Partial(), "");
    splitter.Feed("\nxyz0123456789\nq", sink);
    EXPECT_EQ(lines, (Lines{"12345678", "xyz01234"}));
    EXPECT_EQ(splitter.Partial(), "q");
    splitter.Finish(sink);
    EXPECT_EQ(lines.back(), "q");
    EXPECT_EQ(splitter.Partial(), "");

    // Finished, the splitter starts afresh: an LF is no longer the second half of a break.
    lines.clear();
    splitter.Feed("a\r", sink);
    splitter.Finish(sink);
    splitter.Feed("\nb", sink);
    splitter.Finish(sink);
    EXPECT_EQ(lines, (Lines{"a", "", "b"}));
}

TEST(LineSplitter, LargeTextOfLoneCRs)
{
    // Each kind of break is searched once per chunk, not once per line: this stays fast.
    String text;
    for (int i = 0; i < 200000; ++i) text += "line\r";
    text += "\n";
    size_t count = 0;
    TLineSplitter splitter;
    splitter.Feed(text, [&](String&& Line) { count += Line == "line" ? 1 : 1000000; });
    EXPECT_EQ(count, 200000u);
}
