#include "export/engine/SqlLexer.h"

#include "export/engine/EngineError.h"

namespace zyl::exporting::sql {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c) {
  return IsWordStart(c) || IsDigit(c);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The text from `from` for an error message, cut at 40 characters.
std::string Excerpt(std::string_view command, std::size_t from) {
  std::string_view rest = command.substr(from);
  if (rest.size() <= 40) return std::string(rest);
  return std::string(rest.substr(0, 40)) + "...";
}

// A number: digits, an optional fraction, an optional exponent. Returns the
// end offset.
std::size_t ScanNumber(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }
  return i;
}

}  // namespace

std::vector<Token> Tokenize(std::string_view command) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (true) {
    while (i < command.size() && IsBlank(command[i])) ++i;
    Token token;
    token.offset = i;
    if (i == command.size()) {
      tokens.push_back(std::move(token));
      return tokens;
    }
    const char c = command[i];
    if (c == '"' || c == '\'') {
      token.kind = TokenKind::String;
      std::size_t j = i + 1;
      while (true) {
        if (j >= command.size()) {
          throw EOleException("Jet engine: Syntax error in string in query expression '" +
                              Excerpt(command, i) + "'.");
        }
        if (command[j] == c) {
          if (j + 1 < command.size() && command[j + 1] == c) {
            token.text += c;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        token.text += command[j++];
      }
      i = j;
    } else if (c == '[') {
      token.kind = TokenKind::Bracketed;
      const std::size_t close = command.find(']', i + 1);
      if (close == std::string_view::npos) {
        throw EOleException("Jet engine: Invalid bracketing of name '" + Excerpt(command, i) +
                            "'.");
      }
      token.text = std::string(command.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (IsDigit(c) || (c == '.' && i + 1 < command.size() && IsDigit(command[i + 1]))) {
      token.kind = TokenKind::Number;
      const std::size_t end = ScanNumber(command, i);
      token.text = std::string(command.substr(i, end - i));
      i = end;
    } else if (IsWordStart(c)) {
      token.kind = TokenKind::Word;
      std::size_t j = i;
      while (j < command.size() && IsWordChar(command[j])) ++j;
      token.text = std::string(command.substr(i, j - i));
      i = j;
    } else {
      switch (c) {
        case '(':
          token.kind = TokenKind::LParen;
          break;
        case ')':
          token.kind = TokenKind::RParen;
          break;
        case ',':
          token.kind = TokenKind::Comma;
          break;
        case ';':
          token.kind = TokenKind::Semicolon;
          break;
        case '*':
          token.kind = TokenKind::Star;
          break;
        case '+':
          token.kind = TokenKind::Plus;
          break;
        case '-':
          token.kind = TokenKind::Minus;
          break;
        default:
          token.kind = TokenKind::Other;
          break;
      }
      token.text = std::string(1, c);
      ++i;
    }
    tokens.push_back(std::move(token));
  }
}

}  // namespace zyl::exporting::sql
