#include "platform/mssql/parser.h"

#include <algorithm>

#include "platform/mssql/keywords.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/parser_state.h"

namespace court::mssql {

namespace {

constexpr int kMaxDepth = 1000;

// Batches longer than this are read twice rather than kept as syntax trees.
constexpr std::size_t kKeptBatchBytes = 256 * 1024;

void AddUsedDatabases(const Statement& s, std::vector<std::string>& names) {
  if (const auto* use = std::get_if<UseStmt>(&s.node)) names.push_back(use->database);
  if (const auto* block = std::get_if<BlockStmt>(&s.node))
    for (const StatementPtr& inner : block->statements) AddUsedDatabases(*inner, names);
}

}  // namespace

Parser::Parser(std::string_view text, bool quoted_identifier)
    : text_(text), lexer_(text, quoted_identifier) {}

void Parser::Depth::Deeper(int levels) {
  parser_.depth_ += levels;
  if (parser_.depth_ > kMaxDepth) throw NestedTooDeeply();
}

// Lexes on to the token `ahead` of the current one, or to the end.
const Token& Parser::ReadUpTo(std::size_t ahead) const {
  const std::size_t wanted = pos_ + ahead;
  while (lexed_ <= wanted && (tokens_.empty() || tokens_.back().kind != TokenKind::kEnd)) {
    tokens_.push_back(lexer_.Next());
    ++lexed_;
  }
  return tokens_[std::min(wanted, lexed_ - 1) - first_];
}

const Token& Parser::Next() {
  const Token& t = Peek();
  if (t.kind != TokenKind::kEnd) ++pos_;
  return t;
}

const Token& Parser::Previous() const { return tokens_[pos_ - 1 - first_]; }

bool Parser::IsKeyword(std::string_view keyword, std::size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kWord && EqualsKeyword(t.text, keyword);
}

bool Parser::IsSymbol(std::string_view symbol, std::size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kSymbol && IsSpelled(t.text, symbol);
}

bool Parser::AcceptKeyword(std::string_view keyword) {
  if (!IsKeyword(keyword)) return false;
  Next();
  return true;
}

bool Parser::AcceptSymbol(std::string_view symbol) {
  if (!IsSymbol(symbol)) return false;
  Next();
  return true;
}

void Parser::ExpectKeyword(std::string_view keyword) {
  if (!AcceptKeyword(keyword)) throw ErrorHere();
}

void Parser::ExpectSymbol(std::string_view symbol) {
  if (!AcceptSymbol(symbol)) throw ErrorHere();
}

access::Error Parser::ErrorHere() const {
  const Token& t = Peek();
  if (t.kind == TokenKind::kEnd) {
    const Token& last = pos_ > 0 ? Previous() : t;
    return SyntaxNear(std::string(text_.substr(last.offset, last.end - last.offset)));
  }
  if (t.kind == TokenKind::kWord && IsReservedWord(t.text)) return SyntaxNearKeyword(t.text);
  return SyntaxNear(t.kind == TokenKind::kString || t.kind == TokenKind::kUnicodeString
                        ? t.text
                        : std::string(text_.substr(t.offset, t.end - t.offset)));
}

bool Parser::IsReserved(std::size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kWord && IsReservedWord(t.text);
}

bool Parser::IsName(std::size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kQuotedName || (t.kind == TokenKind::kWord && !IsReservedWord(t.text));
}

std::string Parser::Name() {
  if (!IsName()) throw ErrorHere();
  return Next().text;
}

MultiName Parser::DottedName() {
  MultiName parts{Name()};
  while (IsSymbol(".")) {
    Next();
    // db..table leaves the owner empty.
    if (IsSymbol(".")) {
      parts.emplace_back();
      continue;
    }
    parts.push_back(Name());
  }
  return parts;
}

std::string Parser::NameOrString() {
  const Token& t = Peek();
  if (t.kind == TokenKind::kString || t.kind == TokenKind::kUnicodeString ||
      t.kind == TokenKind::kQuotedName || t.kind == TokenKind::kWord)
    return Next().text;
  throw ErrorHere();
}

std::string Parser::TextFrom(std::size_t offset) const {
  return std::string(text_.substr(offset));
}

ExprPtr Parser::LoneExpression() {
  ExprPtr e = Expression();
  if (!AtEnd()) throw ErrorHere();
  return e;
}

TypeName Parser::LoneType() {
  TypeName t = Type();
  if (!AtEnd()) throw ErrorHere();
  return t;
}

std::vector<StatementPtr> ParseBatch(std::string_view text, bool quoted_identifier) {
  if (text.size() > kMaxBatchBytes) throw TooLarge("batch", kMaxBatchBytes);
  return Parser(text, quoted_identifier).Batch();
}

BatchStatements::BatchStatements(std::string_view text, bool quoted_identifier) {
  if (text.size() > kMaxBatchBytes) throw TooLarge("batch", kMaxBatchBytes);
  const bool keep = text.size() <= kKeptBatchBytes;
  Parser check(text, quoted_identifier);
  while (StatementPtr s = check.NextStatement()) {
    AddUsedDatabases(*s, used_databases_);
    if (keep) kept_.push_back(std::move(s));
  }
  if (!keep) again_ = std::make_unique<Parser>(text, quoted_identifier);
}

BatchStatements::~BatchStatements() = default;

StatementPtr BatchStatements::Next() {
  if (again_) return again_->NextStatement();
  return next_ < kept_.size() ? std::move(kept_[next_++]) : nullptr;
}

ExprPtr ParseExpression(std::string_view text) { return Parser(text, true).LoneExpression(); }

TypeName ParseTypeName(std::string_view text) { return Parser(text, true).LoneType(); }

}  // namespace court::mssql
