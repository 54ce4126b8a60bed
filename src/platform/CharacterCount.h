#pragma once
// Counts text as a writer does: user-perceived characters (grapheme clusters), and the 400-character
// manuscript sheets (20 rows of 20) that Japanese writers count in.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace oruvan {

// The grapheme clusters of UTF-8 text, line breaks not counted. A byte that is not UTF-8 counts as one.
std::int64_t CountCharacters(std::string_view utf8);

// Kana, kanji and full-width forms that no rule joins to a neighbour: counted one each without the
// Unicode tables (they must agree, which a test checks).
bool IsCommonSteadyCharacter(char32_t c);

// Places in UTF-8 text where a cluster boundary holds whatever the text around them becomes: between two
// characters that nothing joins (letters, digits, kanji, kana and the like). The first searches [0, pos)
// back from pos, the second [pos, size) on from pos, each with both characters on its side of pos;
// npos when there is none. An edit between two such places changes the count of what lies between
// them alone.
std::size_t SteadyBoundaryBefore(std::string_view utf8, std::size_t pos);
std::size_t SteadyBoundaryAfter(std::string_view utf8, std::size_t pos);

// What a run of lines fills: characters, and rows of 20 with each line taking ceil(n / 20) rows and an
// empty line one. No line-breaking rule for punctuation is applied.
struct TextCount {
    std::int64_t characters = 0;
    std::int64_t rows = 0;

    void addLine(std::int64_t lineCharacters) {
        characters += lineCharacters;
        rows += lineCharacters == 0 ? 1 : (lineCharacters + 19) / 20;
    }
    TextCount& operator+=(const TextCount& o) {
        characters += o.characters;
        rows += o.rows;
        return *this;
    }
    TextCount& operator-=(const TextCount& o) {
        characters -= o.characters;
        rows -= o.rows;
        return *this;
    }
    // Sheets of 20 rows in tenths, rounded up: 9.2 sheets is 92.
    std::int64_t sheetTenths() const { return (rows + 1) / 2; }
};

// Counts every line of UTF-8 text (CR LF, CR or LF ending each; an empty last line after the last break
// is no line, as for the headings).
TextCount CountLines(std::string_view utf8);

}  // namespace oruvan
