// Non-Unicode text as it travels: in the code page of the server's
// collation (Chinese_PRC_CI_AS: code page 936). The engine keeps UTF-8.

#ifndef COURT_PLATFORM_TDS_CODE_PAGE_H_
#define COURT_PLATFORM_TDS_CODE_PAGE_H_

#include <iconv.h>

#include <string>
#include <string_view>

namespace court::tds {

// One connection's converters (iconv keeps state, so each thread has its own).
class CodePage {
 public:
  explicit CodePage(const char* name = "CP936");
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // UTF-8 to the code page; characters it lacks become '?', as the server
  // stores them in a varchar column.
  std::string Encode(std::string_view utf8) const;
  // The code page to UTF-8; bytes that are no character become U+FFFD.
  std::string Decode(std::string_view bytes) const;

 private:
  iconv_t to_page_;
  iconv_t from_page_;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_CODE_PAGE_H_
