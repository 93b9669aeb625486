// The server's collation, Chinese_PRC_CI_AS, in one place: every text
// comparison of the engine goes through it — `=` and `<` (as the SQLite
// collation "CI" that every text column, literal and parameter carries),
// ORDER BY, GROUP BY, DISTINCT, unique keys and indexes, LIKE, CHARINDEX,
// and the names of objects.
//
// The rules: case-insensitive, accent-sensitive, width-insensitive
// (ａ = a), kana-insensitive, trailing blanks ignored, Chinese characters
// in pinyin order as the code page orders them. ICU's Chinese collator at
// secondary strength gives exactly these: case, width and kana are
// tertiary differences, accents secondary ones.
//
// Indexes keep the order of the collator that built them, so a database
// records the collator's version (CollationVersion) and its indexes are
// rebuilt when another version opens it (sqlite_db.h).

#ifndef COURT_PLATFORM_MSSQL_COLLATION_H_
#define COURT_PLATFORM_MSSQL_COLLATION_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace court::mssql {

// The three-way comparison of two UTF-8 texts.
int CompareCi(std::string_view a, std::string_view b);
inline bool EqualCi(std::string_view a, std::string_view b) { return a == b || CompareCi(a, b) == 0; }

// T-SQL LIKE under the collation: %, _, [set], [^set], [a-z] (a range in
// collation order), with an optional escape character. Blanks closing the
// value do not count; blanks closing the pattern do.
bool LikeMatch(std::string_view pattern, std::string_view value, int escape = -1);

// CHARINDEX: the 1-based character position of needle in haystack at or
// after start, or 0.
int FindCi(std::string_view needle, std::string_view haystack, int start = 1);

// REPLACE: text with every occurrence of pattern, found under the
// collation from left to right, replaced; an empty pattern changes nothing.
std::string ReplaceCi(std::string_view text, std::string_view pattern, std::string_view replacement);

// The collator's version as a 32-bit number; never 0.
std::int32_t CollationVersion();

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_COLLATION_H_
