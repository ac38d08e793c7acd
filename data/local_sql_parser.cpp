#include "data/local_sql_parser.h"

#include "app/base/call_trace.h"
#include "data/engine.h"
#include "data/local_sql_tokens.h"

namespace db::localsql {

namespace {

// Words that end a clause, so they are never taken for an alias or a field name.
const char *const ReservedWords[] = {
    "SELECT", "FROM",  "WHERE",  "ORDER", "GROUP",  "HAVING", "BY",    "AS",      "ON",
    "JOIN",   "LEFT",  "RIGHT",  "INNER", "OUTER",  "FULL",   "CROSS", "NATURAL", "AND",
    "OR",     "NOT",   "IN",     "IS",    "LIKE",   "BETWEEN", "SET",  "VALUES",  "UNION",
    "INTO",   "ASC",   "DESC",   "ASCENDING", "DESCENDING", "DISTINCT", "ALL", "EXISTS",
    "ESCAPE", "UPDATE", "DELETE", "INSERT", "ALTER", "TABLE", "ADD", "DROP", "NULL", "TRUE",
    "FALSE",  "FOR",
};

bool IsReserved(const Token &token) {
  if (token.kind != TokenKind::Word)
    return false;
  for (const char *word : ReservedWords)
    if (token.isWord(word))
      return true;
  return false;
}

class Parser {
public:
  explicit Parser(const QString &statement) : tokens_(Tokenize(statement)) {}

  ParsedStatement parseStatement();

private:
  const Token &peek(int ahead = 0) const {
    return tokens_[qMin(at_ + ahead, int(tokens_.size()) - 1)];
  }
  const Token &take() {
    const Token &token = tokens_[at_];
    if (at_ + 1 < tokens_.size())
      ++at_;
    return token;
  }
  bool takeWord(const char *keyword) {
    if (!peek().isWord(keyword))
      return false;
    take();
    return true;
  }
  bool takeSymbol(const char *symbol) {
    if (!peek().isSymbol(symbol))
      return false;
    take();
    return true;
  }
  void expectWord(const char *keyword) {
    if (!takeWord(keyword))
      refuse(QStringLiteral("%1 expected").arg(QLatin1String(keyword)));
  }
  void expectSymbol(const char *symbol) {
    if (!takeSymbol(symbol))
      refuse(QStringLiteral("\"%1\" expected").arg(QLatin1String(symbol)));
  }
  [[noreturn]] void refuse(const QString &expected) const {
    const Token &token = peek();
    throw EngineError(ErrSyntax, QStringLiteral("Syntax error at %1 (position %2): %3.")
                                     .arg(DescribeToken(token))
                                     .arg(token.position + 1)
                                     .arg(expected));
  }
  bool atName() const {
    return peek().kind == TokenKind::QuotedName || (peek().kind == TokenKind::Word && !IsReserved(peek()));
  }
  QString takeName(const char *what) {
    if (!atName())
      refuse(QStringLiteral("%1 expected").arg(QLatin1String(what)));
    return take().text;
  }

  std::unique_ptr<SelectStatement> parseSelect();
  void parseFromList(SelectStatement &select);
  FromItem parseFromItem(JoinKind join);
  TableName parseTableName();
  QString parseAlias();
  ColumnName parseColumnName();
  void parseUpdate(ParsedStatement &statement);
  void parseInsert(ParsedStatement &statement);
  void parseAlter(ParsedStatement &statement);

  ExprPtr parseExpr();
  ExprPtr parseAnd();
  ExprPtr parseNot();
  ExprPtr parsePredicate();
  ExprPtr parseAdditive();
  ExprPtr parseMultiplicative();
  ExprPtr parseUnary();
  ExprPtr parsePrimary();
  ExprPtr parseFunction(const Token &nameToken);

  ExprPtr make(Expr::Kind kind, int position, const QString &text = {}) const {
    auto expr = std::make_unique<Expr>();
    expr->kind = kind;
    expr->position = position;
    expr->text = text;
    return expr;
  }
  ExprPtr binary(const QString &op, ExprPtr left, ExprPtr right) const {
    auto expr = make(Expr::Kind::Binary, left->position, op);
    expr->operands.push_back(std::move(left));
    expr->operands.push_back(std::move(right));
    return expr;
  }

  // Counts the nesting of values, so that a statement of thousands of parentheses is
  // refused instead of exhausting the stack.
  class Nesting {
  public:
    explicit Nesting(Parser &parser) : parser_(parser) {
      if (++parser_.depth_ > MaxNesting)
        parser_.refuse(QStringLiteral("the statement is nested more than %1 levels deep").arg(MaxNesting));
    }
    ~Nesting() { --parser_.depth_; }
    Nesting(const Nesting &) = delete;
    Nesting &operator=(const Nesting &) = delete;

  private:
    Parser &parser_;
  };
  static constexpr int MaxNesting = 200;

  QList<Token> tokens_;
  int at_ = 0;
  int depth_ = 0;
};

ParsedStatement Parser::parseStatement() {
  TRACE_ROUTINE("localsql", "Parser.parseStatement");
  ParsedStatement statement;
  if (peek().isWord("SELECT")) {
    statement.kind = StatementKind::Select;
    statement.select = parseSelect();
  } else if (takeWord("UPDATE")) {
    statement.kind = StatementKind::Update;
    parseUpdate(statement);
  } else if (takeWord("DELETE")) {
    statement.kind = StatementKind::Delete;
    expectWord("FROM");
    statement.table = parseTableName();
    if (takeWord("WHERE"))
      statement.where = parseExpr();
  } else if (takeWord("INSERT")) {
    statement.kind = StatementKind::Insert;
    parseInsert(statement);
  } else if (takeWord("ALTER")) {
    statement.kind = StatementKind::AlterTable;
    parseAlter(statement);
  } else {
    refuse(QStringLiteral("a statement begins with SELECT, UPDATE, DELETE, INSERT or ALTER TABLE"));
  }
  if (takeSymbol(";") && peek().kind != TokenKind::End)
    refuse(QStringLiteral("only one statement can be run at a time, nothing may follow the \";\""));
  if (peek().kind != TokenKind::End)
    refuse(QStringLiteral("the statement should end here"));
  return statement;
}

std::unique_ptr<SelectStatement> Parser::parseSelect() {
  TRACE_ROUTINE("localsql", "Parser.parseSelect");
  expectWord("SELECT");
  auto select = std::make_unique<SelectStatement>();
  if (takeWord("DISTINCT"))
    select->distinct = true;
  else if (takeWord("ALL"))
    select->all = true;
  do {
    SelectItem item;
    item.expr = parseExpr();
    item.alias = parseAlias();
    select->items.push_back(std::move(item));
  } while (takeSymbol(","));
  expectWord("FROM");
  parseFromList(*select);
  if (takeWord("WHERE"))
    select->where = parseExpr();
  if (takeWord("GROUP")) {
    expectWord("BY");
    do
      select->groupBy.push_back(parseExpr());
    while (takeSymbol(","));
    if (takeWord("HAVING"))
      select->having = parseExpr();
  }
  if (takeWord("ORDER")) {
    expectWord("BY");
    do {
      OrderItem item;
      item.expr = parseExpr();
      if (takeWord("DESC") || takeWord("DESCENDING"))
        item.descending = true;
      else if (!takeWord("ASC"))
        takeWord("ASCENDING");
      select->orderBy.push_back(std::move(item));
    } while (takeSymbol(","));
  }
  return select;
}

// The result name of a select item: AS name, AS a.b.name (the last part counts), or a
// bare name after the value.
QString Parser::parseAlias() {
  TRACE_ROUTINE("localsql", "Parser.parseAlias");
  const bool explicitAlias = takeWord("AS");
  if (!explicitAlias && !atName())
    return {};
  QString alias = takeName("a name after AS");
  while (takeSymbol("."))
    alias = takeName("a name after \".\"");
  return alias;
}

void Parser::parseFromList(SelectStatement &select) {
  TRACE_ROUTINE("localsql", "Parser.parseFromList");
  select.from.push_back(parseFromItem(JoinKind::First));
  for (;;) {
    if (takeSymbol(",")) {
      select.from.push_back(parseFromItem(JoinKind::Comma));
    } else if (takeWord("LEFT")) {
      takeWord("OUTER");
      expectWord("JOIN");
      select.from.push_back(parseFromItem(JoinKind::Left));
    } else if (takeWord("INNER")) {
      expectWord("JOIN");
      select.from.push_back(parseFromItem(JoinKind::Inner));
    } else if (takeWord("JOIN")) {
      select.from.push_back(parseFromItem(JoinKind::Inner));
    } else if (peek().isWord("RIGHT") || peek().isWord("FULL") || peek().isWord("CROSS") ||
               peek().isWord("NATURAL")) {
      refuse(QStringLiteral("only LEFT JOIN and INNER JOIN are supported"));
    } else {
      return;
    }
  }
}

FromItem Parser::parseFromItem(JoinKind join) {
  TRACE_ROUTINE("localsql", "Parser.parseFromItem");
  FromItem item;
  item.join = join;
  item.table = parseTableName();
  if (takeWord("AS") || atName())
    item.alias = takeName("an alias for the table");
  if (join == JoinKind::Left || join == JoinKind::Inner) {
    expectWord("ON");
    item.on = parseExpr();
  }
  return item;
}

// A table as written: Defect, "defect", attach.DB, "attach.DB".
TableName Parser::parseTableName() {
  TRACE_ROUTINE("localsql", "Parser.parseTableName");
  TableName table;
  table.position = peek().position;
  table.name = takeName("a table name");
  if (peek().isSymbol(".") && peek(1).kind == TokenKind::Word) {
    take();
    table.name += QLatin1Char('.') + take().text;
  }
  return table;
}

ColumnName Parser::parseColumnName() {
  TRACE_ROUTINE("localsql", "Parser.parseColumnName");
  ColumnName column;
  column.position = peek().position;
  column.name = takeName("a field name");
  if (takeSymbol(".")) {
    column.qualifier = column.name;
    column.name = takeName("a field name after \".\"");
  }
  return column;
}

void Parser::parseUpdate(ParsedStatement &statement) {
  TRACE_ROUTINE("localsql", "Parser.parseUpdate");
  statement.table = parseTableName();
  expectWord("SET");
  do {
    Assignment assignment;
    assignment.column = parseColumnName();
    expectSymbol("=");
    assignment.value = parseExpr();
    statement.assignments.push_back(std::move(assignment));
  } while (takeSymbol(","));
  if (takeWord("WHERE"))
    statement.where = parseExpr();
}

void Parser::parseInsert(ParsedStatement &statement) {
  TRACE_ROUTINE("localsql", "Parser.parseInsert");
  expectWord("INTO");
  statement.table = parseTableName();
  if (takeSymbol("(")) {
    do
      statement.columns.push_back(parseColumnName());
    while (takeSymbol(","));
    expectSymbol(")");
  }
  if (peek().isWord("SELECT"))
    refuse(QStringLiteral("INSERT takes a VALUES list"));
  expectWord("VALUES");
  expectSymbol("(");
  do
    statement.values.push_back(parseExpr());
  while (takeSymbol(","));
  expectSymbol(")");
}

void Parser::parseAlter(ParsedStatement &statement) {
  TRACE_ROUTINE("localsql", "Parser.parseAlter");
  expectWord("TABLE");
  statement.table = parseTableName();
  do {
    AlterClause clause;
    if (takeWord("ADD"))
      clause.add = true;
    else if (!takeWord("DROP"))
      refuse(QStringLiteral("ADD or DROP expected"));
    takeWord("COLUMN");
    clause.column = parseColumnName();
    if (clause.add) {
      if (!clause.column.qualifier.isEmpty())
        refuse(QStringLiteral("the field to add is named without its table"));
      if (clause.column.name.trimmed().isEmpty())
        throw EngineError(ErrSyntax, QStringLiteral("The field added at position %1 has no name.")
                                         .arg(clause.column.position + 1));
      clause.typePosition = peek().position;
      if (peek().kind != TokenKind::Word)
        refuse(QStringLiteral("a field type expected"));
      clause.typeName = take().text.toUpper();
      if (takeSymbol("(")) {
        do {
          if (peek().kind != TokenKind::Number || peek().text.contains(QLatin1Char('.')))
            refuse(QStringLiteral("a whole number expected"));
          clause.typeArguments.append(take().text.toInt());
        } while (takeSymbol(","));
        expectSymbol(")");
      }
    }
    statement.alterClauses.push_back(std::move(clause));
  } while (takeSymbol(","));
}

ExprPtr Parser::parseExpr() {
  TRACE_ROUTINE("localsql", "Parser.parseExpr");
  const Nesting nesting(*this);
  ExprPtr left = parseAnd();
  while (takeWord("OR"))
    left = binary(QStringLiteral("OR"), std::move(left), parseAnd());
  return left;
}

ExprPtr Parser::parseAnd() {
  TRACE_ROUTINE("localsql", "Parser.parseAnd");
  ExprPtr left = parseNot();
  while (takeWord("AND"))
    left = binary(QStringLiteral("AND"), std::move(left), parseNot());
  return left;
}

ExprPtr Parser::parseNot() {
  TRACE_ROUTINE("localsql", "Parser.parseNot");
  if (peek().isWord("NOT")) {
    const Nesting nesting(*this);
    auto expr = make(Expr::Kind::Unary, take().position, QStringLiteral("NOT"));
    expr->operands.push_back(parseNot());
    return expr;
  }
  return parsePredicate();
}

ExprPtr Parser::parsePredicate() {
  TRACE_ROUTINE("localsql", "Parser.parsePredicate");
  ExprPtr left = parseAdditive();
  static const char *const comparisons[] = {"=", "<>", "!=", "<", ">", "<=", ">="};
  for (const char *op : comparisons) {
    if (takeSymbol(op))
      return binary(QLatin1String(op) == QLatin1String("!=") ? QStringLiteral("<>") : QLatin1String(op),
                    std::move(left), parseAdditive());
  }
  if (takeWord("IS")) {
    auto expr = make(Expr::Kind::IsNull, left->position);
    expr->negated = takeWord("NOT");
    expectWord("NULL");
    expr->operands.push_back(std::move(left));
    return expr;
  }
  const bool negated = peek().isWord("NOT") &&
                       (peek(1).isWord("IN") || peek(1).isWord("LIKE") || peek(1).isWord("BETWEEN"));
  if (negated)
    take();
  if (takeWord("IN")) {
    expectSymbol("(");
    ExprPtr expr;
    if (peek().isWord("SELECT")) {
      expr = make(Expr::Kind::InSelect, left->position);
      expr->select = parseSelect();
      expr->operands.push_back(std::move(left));
    } else {
      expr = make(Expr::Kind::InList, left->position);
      expr->operands.push_back(std::move(left));
      do
        expr->operands.push_back(parseAdditive());
      while (takeSymbol(","));
    }
    expectSymbol(")");
    expr->negated = negated;
    return expr;
  }
  if (takeWord("LIKE")) {
    auto expr = make(Expr::Kind::Like, left->position);
    expr->negated = negated;
    expr->operands.push_back(std::move(left));
    expr->operands.push_back(parseAdditive());
    if (peek().isWord("ESCAPE"))
      refuse(QStringLiteral("LIKE ... ESCAPE is not supported"));
    return expr;
  }
  if (takeWord("BETWEEN")) {
    auto expr = make(Expr::Kind::Between, left->position);
    expr->negated = negated;
    expr->operands.push_back(std::move(left));
    expr->operands.push_back(parseAdditive());
    expectWord("AND");
    expr->operands.push_back(parseAdditive());
    return expr;
  }
  return left;
}

ExprPtr Parser::parseAdditive() {
  TRACE_ROUTINE("localsql", "Parser.parseAdditive");
  ExprPtr left = parseMultiplicative();
  for (;;) {
    if (peek().isSymbol("+") || peek().isSymbol("-") || peek().isSymbol("||")) {
      const QString op = take().text;
      left = binary(op, std::move(left), parseMultiplicative());
    } else {
      return left;
    }
  }
}

ExprPtr Parser::parseMultiplicative() {
  TRACE_ROUTINE("localsql", "Parser.parseMultiplicative");
  ExprPtr left = parseUnary();
  for (;;) {
    if (peek().isSymbol("*") || peek().isSymbol("/")) {
      const QString op = take().text;
      left = binary(op, std::move(left), parseUnary());
    } else {
      return left;
    }
  }
}

ExprPtr Parser::parseUnary() {
  TRACE_ROUTINE("localsql", "Parser.parseUnary");
  if (peek().isSymbol("-") || peek().isSymbol("+")) {
    const Nesting nesting(*this);
    const Token &sign = take();
    auto expr = make(Expr::Kind::Unary, sign.position, sign.text);
    expr->operands.push_back(parseUnary());
    return expr;
  }
  return parsePrimary();
}

ExprPtr Parser::parsePrimary() {
  TRACE_ROUTINE("localsql", "Parser.parsePrimary");
  const Token &token = peek();
  switch (token.kind) {
  case TokenKind::String: take(); return make(Expr::Kind::String, token.position, token.text);
  case TokenKind::Number: take(); return make(Expr::Kind::Number, token.position, token.text);
  case TokenKind::Symbol:
    if (token.isSymbol("*")) {
      take();
      return make(Expr::Kind::Star, token.position);
    }
    if (token.isSymbol("(")) {
      take();
      ExprPtr expr;
      if (peek().isWord("SELECT")) {
        expr = make(Expr::Kind::Subquery, token.position);
        expr->select = parseSelect();
      } else {
        expr = make(Expr::Kind::Paren, token.position);
        expr->operands.push_back(parseExpr());
      }
      expectSymbol(")");
      return expr;
    }
    refuse(QStringLiteral("a value expected"));
  case TokenKind::End: refuse(QStringLiteral("a value expected"));
  case TokenKind::Word:
    if (token.isWord("TRUE") || token.isWord("FALSE")) {
      take();
      return make(Expr::Kind::Boolean, token.position, token.isWord("TRUE") ? QStringLiteral("1") : QStringLiteral("0"));
    }
    if (token.isWord("NULL")) {
      take();
      return make(Expr::Kind::Null, token.position);
    }
    if (token.isWord("EXISTS")) {
      take();
      auto expr = make(Expr::Kind::Exists, token.position);
      expectSymbol("(");
      expr->select = parseSelect();
      expectSymbol(")");
      return expr;
    }
    if (peek(1).isSymbol("(") && !IsReserved(token)) {
      take();
      return parseFunction(token);
    }
    if (IsReserved(token))
      refuse(QStringLiteral("a value expected"));
    [[fallthrough]];
  case TokenKind::QuotedName: {
    take();
    auto expr = make(Expr::Kind::Name, token.position);
    expr->name = token.text;
    expr->quoted = token.kind == TokenKind::QuotedName;
    if (takeSymbol(".")) {
      expr->qualifier = expr->name;
      expr->quoted = false;
      if (takeSymbol("*")) {
        expr->kind = Expr::Kind::Star;
        expr->name.clear();
        return expr;
      }
      expr->name = takeName("a field name after \".\"");
    }
    return expr;
  }
  }
  refuse(QStringLiteral("a value expected"));
}

ExprPtr Parser::parseFunction(const Token &nameToken) {
  TRACE_ROUTINE("localsql", "Parser.parseFunction");
  const QString name = nameToken.text.toUpper();
  expectSymbol("(");
  if (name == QLatin1String("SUBSTRING")) {
    auto expr = make(Expr::Kind::Substring, nameToken.position, name);
    expr->operands.push_back(parseExpr());
    expectWord("FROM");
    expr->operands.push_back(parseExpr());
    if (takeWord("FOR"))
      expr->operands.push_back(parseExpr());
    expectSymbol(")");
    return expr;
  }
  static const char *const functions[] = {"UPPER", "LOWER", "COUNT", "SUM", "AVG", "MIN", "MAX"};
  bool known = false;
  for (const char *function : functions)
    known = known || name == QLatin1String(function);
  if (!known)
    throw EngineError(ErrSyntax, QStringLiteral("The function %1 (position %2) is not part of the local SQL.")
                                     .arg(nameToken.text)
                                     .arg(nameToken.position + 1));
  auto expr = make(Expr::Kind::Function, nameToken.position, name);
  const bool aggregate = name != QLatin1String("UPPER") && name != QLatin1String("LOWER");
  if (aggregate && takeWord("DISTINCT"))
    expr->distinct = true;
  if (name == QLatin1String("COUNT") && peek().isSymbol("*") && peek(1).isSymbol(")")) {
    expr->operands.push_back(make(Expr::Kind::Star, take().position));
  } else {
    expr->operands.push_back(parseExpr());
  }
  expectSymbol(")");
  return expr;
}

}  // namespace

ParsedStatement ParseLocalSql(const QString &statement) {
  TRACE_ROUTINE("localsql", "ParseLocalSql");
  Parser parser(statement);
  return parser.parseStatement();
}

}  // namespace db::localsql
