// A record of everything sent to a data source, one JSON object per line:
// {"seq":N,"target":"master|法院|内部邮件|catalogue","kind":"execute|query|update",
//  "sql":"exact text","ok":true|false,"error":"..."}.
// The sql text is kept byte for byte (CR LF included) inside the JSON string.

#ifndef COURT_PLATFORM_ACCESS_TRANSCRIPT_H_
#define COURT_PLATFORM_ACCESS_TRANSCRIPT_H_

#include <fstream>
#include <string>
#include <string_view>

namespace court::access {

class Transcript {
 public:
  // Starts a new transcript file (an existing one is replaced).
  explicit Transcript(const std::string& path);

  // kind is "execute", "query" or "update"; error is empty when ok.
  void Record(std::string_view target, std::string_view kind, std::string_view sql, bool ok,
              std::string_view error = {});

 private:
  std::ofstream out_;
  long long seq_ = 0;
};

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_TRANSCRIPT_H_
