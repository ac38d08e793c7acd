#include "data/local_sql_tokens.h"

#include "app/base/call_trace.h"
#include "data/engine.h"

namespace db::localsql {

bool Token::isWord(const char *keyword) const {
  return kind == TokenKind::Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool Token::isSymbol(const char *symbol) const {
  return kind == TokenKind::Symbol && text == QLatin1String(symbol);
}

QString DescribeToken(const Token &token) {
  TRACE_ROUTINE("localsql", "DescribeToken");
  switch (token.kind) {
  case TokenKind::End: return QStringLiteral("the end of the statement");
  case TokenKind::String: return QStringLiteral("'%1'").arg(token.text);
  case TokenKind::QuotedName: return QStringLiteral("\"%1\"").arg(token.text);
  default: return QStringLiteral("\"%1\"").arg(token.text);
  }
}

namespace {

bool IsWordStart(QChar c) {
  return c.isLetter() || c == QLatin1Char('_');
}

bool IsWordPart(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

[[noreturn]] void Refuse(const QString &text) {
  throw EngineError(ErrSyntax, text);
}

// A quoted run from `start` (the opening quote) to its closing quote, a doubled quote
// standing for one. Returns the position after the closing quote.
int ReadQuoted(const QString &sql, int start, QString &value) {
  const QChar quote = sql[start];
  value.clear();
  int i = start + 1;
  while (i < sql.size()) {
    if (sql[i] == quote) {
      if (i + 1 < sql.size() && sql[i + 1] == quote) {
        value += quote;
        i += 2;
        continue;
      }
      return i + 1;
    }
    if (sql[i].isNull())
      Refuse(QStringLiteral("The statement holds a null character at position %1.").arg(i + 1));
    value += sql[i++];
  }
  if (quote == QLatin1Char('\''))
    Refuse(QStringLiteral("The string starting at position %1 has no closing quote (').").arg(start + 1));
  Refuse(QStringLiteral("The name starting at position %1 has no closing quote (\").").arg(start + 1));
}

}  // namespace

QList<Token> Tokenize(const QString &sql) {
  TRACE_ROUTINE("localsql", "Tokenize");
  QList<Token> tokens;
  int i = 0;
  while (i < sql.size()) {
    const QChar c = sql[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c.isNull())
      Refuse(QStringLiteral("The statement holds a null character at position %1.").arg(i + 1));
    Token token;
    token.position = i;
    const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      token.kind = c == QLatin1Char('\'') ? TokenKind::String : TokenKind::QuotedName;
      i = ReadQuoted(sql, i, token.text);
    } else if (IsWordStart(c)) {
      token.kind = TokenKind::Word;
      int end = i + 1;
      while (end < sql.size() && IsWordPart(sql[end]))
        ++end;
      token.text = sql.mid(i, end - i);
      i = end;
    } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
      token.kind = TokenKind::Number;
      int end = i;
      while (end < sql.size() && sql[end].isDigit())
        ++end;
      if (end < sql.size() && sql[end] == QLatin1Char('.')) {
        ++end;
        while (end < sql.size() && sql[end].isDigit())
          ++end;
      }
      if (end < sql.size() && IsWordPart(sql[end]))
        Refuse(QStringLiteral("\"%1\" at position %2 is neither a number nor a name.")
                   .arg(sql.mid(i, end + 1 - i))
                   .arg(i + 1));
      token.text = sql.mid(i, end - i);
      i = end;
    } else {
      if ((c == QLatin1Char('-') && next == QLatin1Char('-')) || (c == QLatin1Char('/') && next == QLatin1Char('*')))
        Refuse(QStringLiteral("Comments are not part of the local SQL (position %1).").arg(i + 1));
      static const char *const twoCharacterSymbols[] = {"<>", "!=", "<=", ">=", "||"};
      token.kind = TokenKind::Symbol;
      for (const char *symbol : twoCharacterSymbols) {
        if (sql.mid(i, 2) == QLatin1String(symbol)) {
          token.text = QLatin1String(symbol);
          break;
        }
      }
      if (token.text.isEmpty()) {
        if (!QStringLiteral("(),.*+-/=<>;").contains(c))
          Refuse(QStringLiteral("The character %1 at position %2 is not part of the local SQL.")
                     .arg(c)
                     .arg(i + 1));
        token.text = c;
      }
      i += token.text.size();
    }
    tokens.append(token);
  }
  Token end;
  end.position = sql.size();
  tokens.append(end);
  return tokens;
}

}  // namespace db::localsql
