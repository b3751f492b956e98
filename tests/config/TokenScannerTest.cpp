#include "config/TokenScanner.h"
#include "config/TokenTable.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

using Tokens = std::vector<std::pair<std::string, std::int32_t>>;

// The configuration reader's table.
void fillConfigurationTable(TokenTable& table) {
    table.setWhitespace(" \t\n\r");
    table.addOperator("=", 1);
    table.addBracketPair('"', '"', 2);
    table.addOperator(",", 3);
    table.addOperator(";", 4);
}

// Every token of the text with its id, up to the first empty token.
Tokens scanAll(TokenTable& table, const std::string& text) {
    TokenScanner scanner;
    scanner.attachTable(&table);
    Tokens tokens;
    std::int32_t id = -1;
    const char* start = text.c_str();
    for (const TextRange* token = &scanner.nextToken(start, id); !token->isEmpty();
         token = &scanner.nextToken(nullptr, id))
        tokens.emplace_back(std::string(token->view()), id);
    EXPECT_EQ(id, 0) << "the empty token at the end has id 0";
    scanner.attachTable(nullptr); // keep the table's operators for the next case
    return tokens;
}

struct ScanCase {
    const char* name;
    std::string text;
    Tokens expected;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name << ": '" << c.text << '\'';
}

class ConfigurationTokens : public testing::TestWithParam<ScanCase> {};

TEST_P(ConfigurationTokens, SplitAsExpected) {
    TokenTable table;
    fillConfigurationTable(table);
    EXPECT_EQ(scanAll(table, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigurationTokens,
    testing::Values(ScanCase{"KeyEqualsValue", "key=value", {{"key", 0}, {"=", 1}, {"value", 0}}},
                    ScanCase{
                        "QuotedThenComma", "  \"a b\", c", {{"\"a b\"", 2}, {",", 3}, {"c", 0}}},
                    ScanCase{"QuoteRightAfterWord", "abc\"def\"", {{"abc", 0}, {"\"def\"", 2}}},
                    ScanCase{"UnclosedQuoteRunsToTheEnd", "\"abc\n", {{"\"abc\n", 2}}},
                    ScanCase{"OperatorsInsideQuotes",
                             "kellib_d = \"a=b,c;d\" ; x",
                             {{"kellib_d", 0}, {"=", 1}, {"\"a=b,c;d\"", 2}, {";", 4}, {"x", 0}}},
                    ScanCase{"EmptyQuotes", "k=\"\"", {{"k", 0}, {"=", 1}, {"\"\"", 2}}},
                    ScanCase{"WordEndsAtEarliestOperator",
                             "a;b=c",
                             {{"a", 0}, {";", 4}, {"b", 0}, {"=", 1}, {"c", 0}}},
                    ScanCase{"TabsAndLineBreak", "\tx\t=\r\n", {{"x", 0}, {"=", 1}}},
                    ScanCase{"BlanksOnly", "   \t\n", {}}),
    [](const testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(TokenScannerOperators, LongestOperatorWinsWhicheverWasAddedFirst) {
    for (bool longFirst : {true, false}) {
        TokenTable table;
        table.setWhitespace(" ");
        if (longFirst)
            table.addOperator("==", 5);
        table.addOperator("=", 1);
        if (!longFirst)
            table.addOperator("==", 5);
        EXPECT_EQ(table.operatorAt(0).id, 5);
        EXPECT_EQ(scanAll(table, "a==b"), (Tokens{{"a", 0}, {"==", 5}, {"b", 0}}))
            << "longFirst " << longFirst;
        EXPECT_EQ(scanAll(table, "=a=="), (Tokens{{"=", 1}, {"a", 0}, {"==", 5}}));
    }
}

TEST(TokenScannerOperators, NewestFirstAmongEqualLengths) {
    TokenTable table;
    EXPECT_EQ(table.addOperator("=", 1), 0);
    EXPECT_EQ(table.addOperator("<=", 2), 0);
    EXPECT_EQ(table.addOperator("=", 7), 1);
    EXPECT_EQ(table.addOperator("x", 8), 1);
    EXPECT_EQ(table.operatorAt(2).id, 7);
    EXPECT_EQ(table.operatorAt(3).id, 1);
    EXPECT_EQ(scanAll(table, "a=b"), (Tokens{{"a", 0}, {"=", 7}, {"b", 0}}));
}

TEST(TokenScannerOperators, EmptyOperatorIsRefused) {
    TokenTable table;
    table.addOperator("=", 1);
    EXPECT_EQ(table.addOperator("", 2), -1);
    EXPECT_EQ(table.addOperator(nullptr, 2), -1);
    EXPECT_EQ(table.operatorCount(), 1);
}

TEST(TokenScannerBrackets, NestingAndAnotherPairsOpenCharacter) {
    TokenTable table;
    table.setWhitespace(" ");
    table.addBracketPair('(', ')', 6);
    table.addBracketPair('"', '"', 2);
    EXPECT_EQ(scanAll(table, "(a (b) c)d"), (Tokens{{"(a (b) c)", 6}, {"d", 0}}));
    EXPECT_EQ(scanAll(table, "\"x(y\" z"), (Tokens{{"\"x(y\"", 2}, {"z", 0}}));
    EXPECT_EQ(scanAll(table, "f(x"), (Tokens{{"f", 0}, {"(x", 6}}));
}

// The scanner keeps what it read of its table; a rule added later counts from the next input.
TEST(TokenScannerTable, RulesAddedBetweenInputsCount) {
    TokenTable table;
    table.setWhitespace(" ");
    TokenScanner scanner;
    scanner.attachTable(&table);
    std::int32_t id = -1;
    EXPECT_STREQ(scanner.nextWord("a=b", id), "a=b");
    table.addOperator("=", 1);
    EXPECT_STREQ(scanner.nextWord("a=b", id), "a");
    table.addBracketPair('<', '>', 2);
    EXPECT_STREQ(scanner.nextWord("<a b>", id), "<a b>");
    EXPECT_EQ(id, 2);
    scanner.attachTable(nullptr);
}

TEST(TokenScannerWhitespace, NoSetMeansNoWhitespace) {
    TokenTable table;
    table.addOperator("=", 1);
    EXPECT_EQ(scanAll(table, " a b=c"), (Tokens{{" a b", 0}, {"=", 1}, {"c", 0}}));
}

TEST(TokenScannerWord, CopiesTheTokenAndGivesNullAtTheEnd) {
    TokenTable table;
    fillConfigurationTable(table);
    TokenScanner scanner;
    scanner.attachTable(&table);
    std::int32_t id = -1;
    EXPECT_STREQ(scanner.nextWord("name = \"v\"", id), "name");
    EXPECT_EQ(id, 0);
    EXPECT_STREQ(scanner.nextWord(nullptr, id), "=");
    EXPECT_EQ(id, 1);
    EXPECT_STREQ(scanner.nextWord(nullptr, id), "\"v\"");
    EXPECT_EQ(id, 2);
    EXPECT_EQ(scanner.nextWord(nullptr, id), nullptr);
    EXPECT_EQ(id, 0);

    id = -1;
    EXPECT_EQ(scanner.nextWord("    ", id), nullptr);
    EXPECT_EQ(id, 0);
    EXPECT_STREQ(scanner.nextWord("next", id), "next") << "a new text restarts the scan";
}

TEST(TokenScannerOwnership, TeardownTakesTheOperatorsAndLeavesTheRest) {
    TokenTable table;
    fillConfigurationTable(table);
    for (int i = 0; i < 15; ++i)
        table.addOperator("+", 10 + i);
    EXPECT_EQ(table.operatorCount(), 18);
    EXPECT_EQ(table.operatorCapacity(), 32) << "the list grows to multiples of 16";
    {
        TokenScanner scanner;
        EXPECT_EQ(scanner.attachTable(&table), nullptr);
    }
    EXPECT_EQ(table.operatorCount(), 0);
    EXPECT_EQ(table.operatorCapacity(), 0);
    EXPECT_EQ(table.bracketCount(), 1);
    EXPECT_EQ(table.whitespace().view(), " \t\n\r");

    TokenTable other;
    other.addOperator("=", 1);
    {
        TokenScanner scanner;
        scanner.attachTable(&table);
        EXPECT_EQ(scanner.attachTable(&other), &table);
    }
    EXPECT_EQ(other.operatorCount(), 0) << "only the table attached at the end is emptied";
}

} // namespace
} // namespace vantrel
