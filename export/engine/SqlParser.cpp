#include "export/engine/SqlParser.h"

#include "export/engine/EngineError.h"
#include "export/engine/SqlLexer.h"
#include "platform/Text.h"

namespace zyl::exporting::sql {
namespace {

const char* Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::End:
      return "the end of the statement";
    case TokenKind::String:
      return "a string";
    case TokenKind::Number:
      return "a number";
    case TokenKind::Bracketed:
      return "a bracketed name";
    default:
      return nullptr;
  }
}

class Parser {
 public:
  explicit Parser(std::string_view command) : tokens_(Tokenize(command)) {}

  Statement Parse() {
    const Token& first = Peek();
    if (first.kind == TokenKind::Word && SameAsciiText(first.text, "INSERT")) return Insert();
    if (first.kind == TokenKind::Word && SameAsciiText(first.text, "SELECT")) return SelectInto();
    throw EOleException(
        "Jet engine: Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', "
        "or 'UPDATE'.");
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Next() {
    const Token& t = tokens_[pos_];
    if (t.kind != TokenKind::End) ++pos_;
    return t;
  }
  bool At(TokenKind kind) const { return Peek().kind == kind; }
  bool AtKeyword(std::string_view keyword) const {
    return At(TokenKind::Word) && SameAsciiText(Peek().text, keyword);
  }

  [[noreturn]] void Fail(const std::string& expected) const {
    const Token& t = Peek();
    std::string found;
    if (const char* what = Describe(t)) {
      found = what;
      if (t.kind != TokenKind::End) found += " '" + t.text + "'";
    } else {
      found = "'" + t.text + "'";
    }
    throw EOleException("Jet engine: Syntax error in " + context_ + " statement: expected " +
                        expected + " at offset " + std::to_string(t.offset) + ", found " + found +
                        ".");
  }

  void Keyword(std::string_view keyword) {
    if (!AtKeyword(keyword)) Fail("'" + std::string(keyword) + "'");
    Next();
  }
  void Expect(TokenKind kind, const char* what) {
    if (!At(kind)) Fail(what);
    Next();
  }

  std::string Name(const char* what) {
    if (At(TokenKind::Bracketed) || At(TokenKind::Word)) {
      const Token& t = Next();
      if (t.text.empty()) Fail(what);
      return t.text;
    }
    Fail(what);
  }

  void EndOfStatement() {
    if (At(TokenKind::Semicolon)) Next();
    if (!At(TokenKind::End)) Fail("the end of the statement");
  }

  Literal Value() {
    Literal literal;
    if (AtKeyword("NULL")) {
      Next();
      return literal;
    }
    if (At(TokenKind::String)) {
      literal.kind = Literal::Kind::String;
      literal.text = Next().text;
      return literal;
    }
    if (At(TokenKind::Word)) {
      literal.kind = Literal::Kind::Word;
      literal.text = Next().text;
      return literal;
    }
    std::string sign;
    if (At(TokenKind::Plus) || At(TokenKind::Minus)) sign = Next().text;
    if (!At(TokenKind::Number)) Fail("a value");
    literal.kind = Literal::Kind::Number;
    literal.text = sign == "-" ? "-" + Next().text : Next().text;
    return literal;
  }

  InsertStatement Insert() {
    context_ = "INSERT INTO";
    InsertStatement st;
    Next();
    Keyword("INTO");
    st.table = Name("a table name");
    if (At(TokenKind::LParen)) {
      Next();
      while (true) {
        st.columns.push_back(Name("a column name"));
        if (At(TokenKind::Comma)) {
          Next();
          continue;
        }
        Expect(TokenKind::RParen, "',' or ')' in the column list");
        break;
      }
    }
    Keyword("VALUES");
    Expect(TokenKind::LParen, "'(' before the values");
    while (true) {
      st.values.push_back(Value());
      if (At(TokenKind::Comma)) {
        Next();
        continue;
      }
      Expect(TokenKind::RParen, "',' or ')' in the value list");
      break;
    }
    EndOfStatement();
    return st;
  }

  SelectIntoStatement SelectInto() {
    context_ = "SELECT INTO";
    SelectIntoStatement st;
    Next();
    Expect(TokenKind::Star, "'*'");
    Keyword("INTO");
    st.target = Name("a table name");
    Keyword("IN");
    if (!At(TokenKind::String)) Fail("the external database path in quotes");
    st.database = Next().text;
    if (!At(TokenKind::Bracketed)) Fail("the external database type in brackets");
    st.connect = Next().text;
    Keyword("FROM");
    st.source = Name("a table name");
    EndOfStatement();
    return st;
  }

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  std::string context_;
};

}  // namespace

Statement ParseStatement(std::string_view command) {
  return Parser(command).Parse();
}

}  // namespace zyl::exporting::sql
