#include "expr/wrap.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

std::string wrapped(const std::string& text, int width, int* lines = nullptr)
{
    std::string out;
    int n = wrapText(out, text, width);
    if (lines)
        *lines = n;
    return out;
}

TEST(Wrap, ShortTextIsOneLine)
{
    int lines = 0;
    EXPECT_EQ(wrapped("y=x^2", 20, &lines), "y=x^2");
    EXPECT_EQ(lines, 1);
}

TEST(Wrap, BreaksBeforeWordsAndNumbers)
{
    int lines = 0;
    // Position 10 is inside "sin": the break moves to the start of the word.
    EXPECT_EQ(wrapped("y=2*x+3*x+sin(x)", 12, &lines), "y=2*x+3*x+\r\n     sin(x)");
    EXPECT_EQ(lines, 2);
    // A number moves whole, with its sign.
    EXPECT_EQ(wrapped("y=x+x+x-123456", 12), "y=x+x+x\r\n     -123456");
    // A word longer than the line is cut at the width; further lines hold width - 5.
    EXPECT_EQ(wrapped("abcdefghijklmnop", 8), "abcdefgh\r\n     ijk\r\n     lmn\r\n     op");
    // A number that starts the line stays there and is cut.
    EXPECT_EQ(wrapped("1234567890123", 6), "123456\r\n     7\r\n     8\r\n     9\r\n     0\r\n     1\r\n     2\r\n     3");
}

TEST(Wrap, ClosingBracketsAndOpeningOnes)
{
    // ")" at the width: the "(" three back is the break, before it.
    EXPECT_EQ(wrapped("y=aa+(bb)+c", 8).substr(0, 13), "y=aa+\r\n     (");
    // "]" at the width with a "," four back: the break comes after the ",".
    EXPECT_EQ(wrapped("y=f(1,abc]+dd", 9).substr(0, 14), "y=f(1,\r\n     a");
    // An opening brace moves to the next line with its clause.
    EXPECT_EQ(wrapped("y=a*x^2 {a: 1,3,1}", 9).substr(0, 18), "y=a*x^2 \r\n     {a:");
}

}  // namespace
}  // namespace qv
