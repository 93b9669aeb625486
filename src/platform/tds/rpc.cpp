#include "platform/tds/rpc.h"

#include "platform/mssql/lexer.h"
#include "platform/text/ascii.h"

namespace court::tds {

namespace {

// System procedures that clients call by number instead of by name.
std::string ProcedureName(std::uint16_t id) {
  static constexpr const char* kNames[] = {
      "",           "sp_cursor",        "sp_cursoropen",   "sp_cursorprepare", "sp_cursorexecute",
      "sp_cursorprepexec", "sp_cursorunprepare", "sp_cursorfetch", "sp_cursoroption", "sp_cursorclose",
      "sp_executesql", "sp_prepare",   "sp_execute",      "sp_prepexec",      "sp_prepexecrpc",
      "sp_unprepare"};
  if (id == 0 || id >= std::size(kNames)) return "procedure #" + std::to_string(id);
  return kNames[id];
}

// Between calls of one request: 0x80 (TDS 7.1) or 0xFF (7.2 and later).
bool IsCallSeparator(std::uint8_t b) { return b == 0x80 || b == 0xFF; }

}  // namespace

std::size_t RequestStart(const Bytes& payload) {
  // ALL_HEADERS: a total length, then headers of (length, type, data). Text
  // cannot look like that: its first characters would be control characters.
  Reader in(payload);
  if (payload.size() < 4 + 6) return 0;
  const std::uint32_t total = in.U32();
  if (total < 4 + 6 || total > payload.size()) return 0;
  const std::uint32_t first = in.U32();
  const std::uint16_t type = in.U16();
  if (first < 6 || first > total - 4 || type < 1 || type > 3) return 0;
  return total;
}

std::vector<RpcCall> ParseRpc(const Bytes& payload, std::size_t start, bool with_collation,
                              const CodePage& code_page) {
  Reader in(payload);
  in.Seek(start);
  std::vector<RpcCall> calls;
  while (!in.AtEnd()) {
    RpcCall call;
    const std::uint16_t length = in.U16();
    call.procedure = length == 0xFFFF ? ProcedureName(in.U16()) : text::Lower(in.Utf16(length));
    in.U16();  // options: recompile, no metadata
    while (!in.AtEnd() && !IsCallSeparator(in.PeekU8())) {
      RpcParameter p;
      p.name = in.BVarChar();
      p.output = (in.U8() & 0x01) != 0;
      p.type = ReadTypeInfo(in, with_collation);
      p.value = ReadValue(in, p.type, code_page);
      call.parameters.push_back(std::move(p));
    }
    if (!in.AtEnd()) in.U8();
    calls.push_back(std::move(call));
  }
  if (calls.empty()) throw ProtocolError("procedure call request without a call");
  return calls;
}

std::vector<std::string> DeclaredNames(const std::string& declarations) {
  std::vector<std::string> names;
  int depth = 0;
  bool expect_name = true;
  for (std::size_t i = 0; i < declarations.size(); ++i) {
    const char c = declarations[i];
    if (c == '(') ++depth;
    else if (c == ')') --depth;
    else if (c == ',' && depth == 0) expect_name = true;
    else if (c == '@' && expect_name) {
      std::size_t end = i + 1;
      while (end < declarations.size() && mssql::IsWordByte(declarations[end])) ++end;
      names.push_back(declarations.substr(i, end - i));
      expect_name = false;
      i = end - 1;
    }
  }
  return names;
}

}  // namespace court::tds
