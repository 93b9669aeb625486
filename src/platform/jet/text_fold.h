// Jet compares text and names without regard to letter case, and its "="
// ignores trailing blanks on either side ('abc  ' = 'abc'). Folding maps
// every character to one spelling per letter: ASCII, Latin-1 letters and
// full-width Latin letters fold; CJK characters have no case.

#ifndef COURT_PLATFORM_JET_TEXT_FOLD_H_
#define COURT_PLATFORM_JET_TEXT_FOLD_H_

#include <string>
#include <string_view>

namespace court::jet {

// The code points of UTF-8 text, case-folded.
std::u32string FoldCase(std::string_view utf8);

// Negative, zero or positive, as Jet orders the two texts: letter case and
// trailing blanks aside.
int CompareAsJet(std::string_view a, std::string_view b);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TEXT_FOLD_H_
