#include "platform/access/sql_text.h"

namespace court::access {
namespace {

// text between open and close, each close inside it written twice.
std::string Enclosed(std::string_view open, std::string_view text, char close) {
  std::string out(open);
  for (char c : text) {
    out += c;
    if (c == close) out += c;
  }
  return out + close;
}

}  // namespace

std::string Bracketed(std::string_view name) { return Enclosed("[", name, ']'); }

std::string UnicodeLiteral(std::string_view text) { return Enclosed("N'", text, '\''); }

}  // namespace court::access
