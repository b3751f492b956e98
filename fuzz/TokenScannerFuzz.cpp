// The token scanner with the configuration's table, line by line as the reader feeds it:
// every token must lie inside the input, and each call must move on or end the line.
#include "config/TokenScanner.h"
#include "config/TokenTable.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void scanLine(vantrel::TokenScanner& scanner, std::string_view line) {
    scanner.setInput(line.data(), static_cast<std::int32_t>(line.size()));
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* lastEnd = begin;
    // At most one token per character, and one empty token at the end.
    for (std::size_t turn = 0; turn <= line.size() + 1; ++turn) {
        std::int32_t id = -1;
        const vantrel::TextRange& token = scanner.nextToken(nullptr, id);
        if (token.isEmpty()) {
            if (id != 0)
                std::abort();
            return;
        }
        const char* first = token.begin();
        const char* last = first + token.length();
        if (first < lastEnd || last > end || id < 0 || id > 4)
            std::abort();
        lastEnd = last;
    }
    std::abort(); // the scan stopped moving
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    vantrel::TokenTable table;
    table.setWhitespace(" \t\n\r");
    table.addOperator("=", 1);
    table.addBracketPair('"', '"', 2);
    table.addOperator(",", 3);
    table.addOperator(";", 4);
    vantrel::TokenScanner scanner;
    scanner.attachTable(&table);

    std::size_t start = 0;
    while (start < input.size()) {
        const std::size_t lineEnd = input.find('\n', start);
        const std::size_t stop = lineEnd == std::string_view::npos ? input.size() : lineEnd + 1;
        scanLine(scanner, input.substr(start, stop - start));
        start = stop;
    }
    // nextWord copies the token; a text of its own restarts the scan.
    std::int32_t id = 0;
    const std::string text(input.substr(0, input.find('\0')));
    for (const char* word = scanner.nextWord(text.c_str(), id); word != nullptr;
         word = scanner.nextWord(nullptr, id)) {
        if (std::string_view(word).empty())
            std::abort();
    }
    return 0;
}
