// Failure messages show Qt text as text.
#include <QStringList>
#include <gtest/gtest.h>

TEST(QtPrintersTest, TextIsPrintedAsQuotedText)
{
    struct Case
    {
        QString value;
        std::string printed;
    };
    const Case cases[] = {{"5551234", "\"5551234\""},
                          {"", "\"\""},
                          {QString::fromUtf8("Zoë"), "\"Zo\xc3\xab\""},
                          {"two\nlines", "\"two\nlines\""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printed);
        EXPECT_EQ(::testing::PrintToString(c.value), c.printed);
    }
    EXPECT_EQ(::testing::PrintToString(QStringList({"ring", "ok"})), "{ \"ring\", \"ok\" }");
}
