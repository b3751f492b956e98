#include "engine/TextScan.h"

namespace vantrel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Position of the first character after the leading blanks.
std::size_t skipBlanks(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

bool endsText(std::string_view text, std::size_t pos) {
    return pos >= text.size() || text[pos] == '\0';
}

} // namespace

std::size_t readWord(std::string_view text, std::string& word) {
    return readToken(text, word, {});
}

std::size_t readQuotedString(std::string_view text, std::string& string) {
    string.clear();
    std::size_t pos = skipBlanks(text);
    if (endsText(text, pos) || text[pos] != '"')
        return 0;
    const std::size_t begin = ++pos;
    while (!endsText(text, pos) && text[pos] != '"')
        ++pos;
    string.assign(text.substr(begin, pos - begin));
    // A missing closing quote leaves the count at the end of the line.
    return endsText(text, pos) ? pos : pos + 1;
}

std::size_t readToken(std::string_view text, std::string& token, std::string_view separators) {
    token.clear();
    std::size_t pos = skipBlanks(text);
    if (endsText(text, pos))
        return pos;
    if (isLineBreak(text[pos]))
        return 0;
    if (separators.find(text[pos]) != std::string_view::npos) {
        token.assign(1, text[pos]);
        return pos + 1;
    }
    const std::size_t begin = pos;
    while (!endsText(text, pos) && !isBlank(text[pos]) && !isLineBreak(text[pos]) &&
           separators.find(text[pos]) == std::string_view::npos)
        ++pos;
    token.assign(text.substr(begin, pos - begin));
    return pos;
}

bool findDelimitedPair(std::string_view text, char open, char close, std::size_t& start,
                       std::size_t& length) {
    const std::size_t openPos = text.find(open);
    if (openPos == std::string_view::npos)
        return false;
    const std::size_t closePos = text.find(close, openPos + 1);
    if (closePos == std::string_view::npos)
        return false;
    start = openPos;
    length = closePos - openPos + 1;
    return true;
}

} // namespace vantrel
