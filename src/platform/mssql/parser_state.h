// The parser's cursor over a batch's tokens, shared by the expression and
// statement halves of the parser. Tokens are read as the parser reaches them
// and forgotten once their statement is parsed.

#ifndef COURT_PLATFORM_MSSQL_PARSER_STATE_H_
#define COURT_PLATFORM_MSSQL_PARSER_STATE_H_

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/error.h"
#include "platform/mssql/ast.h"
#include "platform/mssql/lexer.h"

namespace court::mssql {

class Parser {
 public:
  Parser(std::string_view text, bool quoted_identifier);

  std::vector<StatementPtr> Batch();
  // The batch's next statement, or null after the last.
  StatementPtr NextStatement();
  ExprPtr LoneExpression();
  TypeName LoneType();

 private:
  // Cursor.
  // Most looks are at a token read already: every level of an expression
  // looks at the same next token for its own operators.
  const Token& Peek(std::size_t ahead = 0) const {
    const std::size_t index = pos_ + ahead;
    return index < lexed_ ? tokens_[index - first_] : ReadUpTo(ahead);
  }
  const Token& Next();
  const Token& Previous() const;  // the token before the current one
  bool AtEnd() const { return Peek().kind == TokenKind::kEnd; }
  bool IsKeyword(std::string_view keyword, std::size_t ahead = 0) const;
  bool IsSymbol(std::string_view symbol, std::size_t ahead = 0) const;
  bool AcceptKeyword(std::string_view keyword);
  bool AcceptSymbol(std::string_view symbol);
  void ExpectKeyword(std::string_view keyword);
  void ExpectSymbol(std::string_view symbol);
  access::Error ErrorHere() const;
  bool IsReserved(std::size_t ahead = 0) const;
  bool IsName(std::size_t ahead = 0) const;  // word that is not reserved, or [quoted]
  std::string Name();
  MultiName DottedName();
  std::string NameOrString();  // a word, [name] or 'string'

  // Expressions (parser_expr.cpp).
  ExprPtr Expression();
  ExprPtr OrTerm();
  ExprPtr AndTerm();
  ExprPtr NotTerm();
  ExprPtr Predicate();
  ExprPtr Exists(std::size_t offset);
  ExprPtr Like(ExprPtr value);
  ExprPtr Between(ExprPtr value);
  ExprPtr In(ExprPtr value);
  ExprPtr Additive();
  ExprPtr Multiplicative();
  ExprPtr Unary();
  ExprPtr Primary();
  ExprPtr FunctionCall(MultiName name, std::size_t offset);
  ExprPtr CaseExpression(std::size_t offset);
  ExprPtr Finish(ExprPtr e, std::size_t offset);
  TypeName Type();
  std::unique_ptr<Select> SelectQuery();
  std::unique_ptr<Select> SelectBody();
  void SelectItems(Select& select);
  std::vector<FromItem> FromList();
  TableRef TableSource();
  std::vector<OrderItem> OrderBy();

  // Statements (parser_stmt.cpp).
  StatementPtr Statement(bool first_in_batch);
  StatementPtr StatementBody(bool first_in_batch);
  bool StartsStatement() const;
  StatementPtr Insert();
  StatementPtr Update();
  StatementPtr Delete();
  StatementPtr Create(bool first_in_batch, std::size_t offset);
  StatementPtr CreateDatabase();
  StatementPtr CreateTable();
  StatementPtr Alter();
  StatementPtr Drop();
  StatementPtr If();
  StatementPtr While();
  StatementPtr Begin();
  StatementPtr Declare();
  StatementPtr Set();
  StatementPtr Exec(MultiName procedure, std::string status_variable = {});
  StatementPtr Grant(GrantVerb verb);
  StatementPtr Backup();  // parser_backup.cpp
  FileSpec DatabaseFileClause();
  ColumnDef ColumnDefinition(bool in_alter_column);
  long long IdentityNumber();  // a seed or increment: [-]digits
  bool StartsConstraint() const;
  ConstraintDef Constraint();
  std::vector<std::string> ColumnList();
  void SkipFilegroup();
  std::string TextFrom(std::size_t offset) const;

  // How deep the tree being built is, weighed by the stack each level takes:
  // a nested expression, statement or query costs kNestedLevel, a link of a
  // left-leaning chain (a + b + c, UNION) or a prefix operator 1. The
  // compiler and the tree's destruction recurse as deep as the parser, so
  // the parser refuses a batch beyond the limit with 191.
  class Depth {
   public:
    explicit Depth(Parser& parser) : parser_(parser), entry_(parser.depth_) {}
    ~Depth() { parser_.depth_ = entry_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;
    void Deeper(int levels = 1);

   private:
    Parser& parser_;
    int entry_;
  };

  const Token& ReadUpTo(std::size_t ahead) const;

  std::string_view text_;
  mutable Lexer lexer_;
  // The tokens from the one before the current statement's first on, as far
  // as the parser has looked ahead; the last is kEnd once the text is read.
  mutable std::deque<Token> tokens_;
  mutable std::size_t first_ = 0;  // batch index of tokens_.front()
  mutable std::size_t lexed_ = 0;  // first_ + tokens_.size(), which a deque works out slowly
  static constexpr int kNestedLevel = 4;
  std::size_t pos_ = 0;  // batch index of the current token
  int statements_ = 0;   // parsed so far
  int depth_ = 0;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_PARSER_STATE_H_
