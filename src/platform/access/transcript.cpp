#include "platform/access/transcript.h"

#include <nlohmann/json.hpp>

#include "platform/access/error.h"

namespace court::access {

Transcript::Transcript(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {
  if (!out_) throw Error(ado::kFileIo, "Cannot write the transcript file '" + path + "'.");
}

void Transcript::Record(std::string_view target, std::string_view kind, std::string_view sql,
                        bool ok, std::string_view error) {
  nlohmann::ordered_json line;
  line["seq"] = ++seq_;
  line["target"] = std::string(target);
  line["kind"] = std::string(kind);
  line["sql"] = std::string(sql);
  line["ok"] = ok;
  if (!ok) line["error"] = std::string(error);
  // Invalid UTF-8 (never expected in statement texts) is replaced, not fatal.
  out_ << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  out_.flush();
}

}  // namespace court::access
