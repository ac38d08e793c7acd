#pragma once
// The words of a local SQL statement, for the translator's parser (local_sql.h).

#include <QList>
#include <QString>

namespace db::localsql {

enum class TokenKind {
  Word,        // a name or keyword as written: Select, Defect, Product
  QuotedName,  // "Report Date": a name, or a string when it names nothing
  String,      // 'text', the doubled quotes undone
  Number,      // 12, 8.5
  Symbol,      // ( ) , . * + - / = <> != < > <= >= || ;
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  QString text;      // the word, the string's value, the symbol
  int position = 0;  // offset in the statement, for messages

  bool isWord(const char *keyword) const;  // case-insensitive
  bool isSymbol(const char *symbol) const;
};

// Throws EngineError ErrSyntax for an unterminated string or name, a comment, or a
// character the local SQL has no use for. The list always ends with an End token.
QList<Token> Tokenize(const QString &statement);

// How a token reads in a message: the word itself, or "the end of the statement".
QString DescribeToken(const Token &token);

}  // namespace db::localsql
