#include "platform/mssql/collation.h"

#include <unicode/ucol.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "platform/text/trim.h"
#include "platform/text/utf8.h"

namespace court::mssql {
namespace {

// The one collator of the process. ICU collators may be shared between
// threads for comparing; this one is never changed after it is made.
class ServerCollator {
 public:
  static const ServerCollator& Get() {
    static const ServerCollator collator;
    return collator;
  }

  int Compare(std::string_view a, std::string_view b) const {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
  }

  // A character's sort key: two characters are equal under the collation
  // when their keys are, and the keys' byte order is the collation's order.
  std::string Key(char32_t c) const { return c < ascii_.size() ? ascii_[c] : MakeKey(c); }

  std::int32_t version() const { return version_; }

 private:
  ServerCollator() {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open("zh", &status);
    // Pinyin order for Chinese, but after Latin letters and digits as in
    // the code page, not before them as the locale would put it.
    const int32_t no_reordering = UCOL_REORDER_CODE_NONE;
    if (U_SUCCESS(status)) ucol_setReorderCodes(collator_, &no_reordering, 1, &status);
    if (U_SUCCESS(status)) ucol_setStrength(collator_, UCOL_SECONDARY);
    if (U_FAILURE(status)) throw access::Error(0, std::string("the Chinese collation is not available: ") + u_errorName(status));
    for (char32_t c = 0; c < ascii_.size(); ++c) ascii_[c] = MakeKey(c);
    UVersionInfo v;
    ucol_getVersion(collator_, v);
    version_ = static_cast<std::int32_t>((v[0] << 24 | v[1] << 16 | v[2] << 8 | v[3]) | 1);
  }
  ~ServerCollator() { ucol_close(collator_); }

  std::string MakeKey(char32_t c) const {
    UChar units[2];
    int32_t length = 0;
    U16_APPEND_UNSAFE(units, length, static_cast<UChar32>(c));
    uint8_t key[64];
    int32_t size = ucol_getSortKey(collator_, units, length, key, sizeof key);
    if (size <= static_cast<int32_t>(sizeof key)) return std::string(reinterpret_cast<char*>(key), static_cast<std::size_t>(size));
    std::string long_key(static_cast<std::size_t>(size), '\0');
    ucol_getSortKey(collator_, units, length, reinterpret_cast<uint8_t*>(long_key.data()), size);
    return long_key;
  }

  UCollator* collator_ = nullptr;
  std::array<std::string, 128> ascii_;
  std::int32_t version_ = 1;
};

// A text as its characters, each with its sort key made when first asked.
class Characters {
 public:
  explicit Characters(std::string_view utf8) {
    for (int32_t i = 0, n = static_cast<int32_t>(utf8.size()); i < n;) {
      UChar32 c;
      U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), i, n, c);
      code_points_.push_back(c < 0 ? 0xFFFD : static_cast<char32_t>(c));
    }
    keys_.resize(code_points_.size());
  }
  std::size_t size() const { return code_points_.size(); }
  char32_t operator[](std::size_t i) const { return code_points_[i]; }
  const std::string& Key(std::size_t i) {
    if (!keys_[i]) keys_[i] = ServerCollator::Get().Key(code_points_[i]);
    return *keys_[i];
  }

 private:
  std::vector<char32_t> code_points_;
  std::vector<std::optional<std::string>> keys_;
};

bool SameCharacter(Characters& a, std::size_t i, Characters& b, std::size_t j) {
  return a[i] == b[j] || a.Key(i) == b.Key(j);
}

// LIKE by backtracking over % (patterns are short: a table name, a file
// suffix). Characters compare by their sort keys, so a range [a-z] holds
// what the collation sorts between its ends, capitals and full-width
// letters included, as on the server.
class LikeMatcher {
 public:
  LikeMatcher(std::string_view pattern, std::string_view value, int escape)
      : p_(pattern), v_(value), escape_(escape < 0 ? char32_t(-1) : static_cast<char32_t>(escape)) {}

  bool Match() { return MatchAt(0, 0); }

 private:
  bool MatchAt(std::size_t pi, std::size_t vi) {
    while (pi < p_.size()) {
      const char32_t c = p_[pi];
      if (c == escape_ && pi + 1 < p_.size()) {
        if (vi >= v_.size() || !SameCharacter(v_, vi, p_, pi + 1)) return false;
        pi += 2;
        ++vi;
      } else if (c == U'%') {
        while (pi < p_.size() && p_[pi] == U'%') ++pi;
        if (pi == p_.size()) return true;
        for (std::size_t k = vi; k <= v_.size(); ++k)
          if (MatchAt(pi, k)) return true;
        return false;
      } else if (c == U'[' && Close(pi) != 0) {
        if (vi >= v_.size() || !InSet(pi + 1, Close(pi), vi)) return false;
        pi = Close(pi) + 1;
        ++vi;
      } else {  // _ or a character of its own (a lone [ among them)
        if (vi >= v_.size() || (c != U'_' && !SameCharacter(v_, vi, p_, pi))) return false;
        ++pi;
        ++vi;
      }
    }
    return vi == v_.size();
  }

  // The ] that closes the set opened at pi, or 0.
  std::size_t Close(std::size_t pi) const {
    for (std::size_t i = pi + 1; i < p_.size(); ++i)
      if (p_[i] == U']') return i;
    return 0;
  }

  bool InSet(std::size_t begin, std::size_t end, std::size_t vi) {
    const bool negate = begin < end && p_[begin] == U'^';
    if (negate) ++begin;
    bool found = false;
    for (std::size_t i = begin; i < end; ++i) {
      if (i + 2 < end && p_[i + 1] == U'-') {
        if (p_.Key(i) <= v_.Key(vi) && v_.Key(vi) <= p_.Key(i + 2)) found = true;
        i += 2;
      } else if (SameCharacter(v_, vi, p_, i)) {
        found = true;
      }
    }
    return found != negate;
  }

  Characters p_, v_;
  char32_t escape_;
};

}  // namespace

int CompareCi(std::string_view a, std::string_view b) {
  a = text::TrimRight(a);
  b = text::TrimRight(b);
  return a == b ? 0 : ServerCollator::Get().Compare(a, b);
}

bool LikeMatch(std::string_view pattern, std::string_view value, int escape) {
  if (LikeMatcher(pattern, text::TrimRight(value), escape).Match()) return true;
  return text::TrimRight(value).size() != value.size() && LikeMatcher(pattern, value, escape).Match();
}

int FindCi(std::string_view needle, std::string_view haystack, int start) {
  Characters n(needle), h(haystack);
  for (std::size_t at = start > 1 ? static_cast<std::size_t>(start - 1) : 0; at + n.size() <= h.size(); ++at) {
    std::size_t k = 0;
    while (k < n.size() && SameCharacter(h, at + k, n, k)) ++k;
    if (k == n.size()) return static_cast<int>(at + 1);
  }
  return 0;
}

// Characters the pattern matches are left out and the replacement written
// instead; the others are copied as they were.
std::string ReplaceCi(std::string_view text, std::string_view pattern, std::string_view replacement) {
  Characters t(text), p(pattern);
  if (p.size() == 0) return std::string(text);
  std::string out;
  for (std::size_t at = 0; at < t.size();) {
    std::size_t k = 0;
    while (k < p.size() && at + k < t.size() && SameCharacter(t, at + k, p, k)) ++k;
    if (k == p.size()) {
      out += replacement;
      at += k;
    } else {
      text::AppendUtf8(t[at++], out);
    }
  }
  return out;
}

std::int32_t CollationVersion() { return ServerCollator::Get().version(); }

}  // namespace court::mssql
