// Splits one SQL command text of the export engine into tokens. The engine
// understands only the statement forms the export issues (see SqlParser.h);
// the lexer knows the pieces they are made of:
//   words            INSERT, ExportTable, True (letters, digits, '_', and
//                    any byte >= 0x80; not starting with a digit)
//   bracketed names  [Order No] — the text between the brackets, which may
//                    hold anything but ']' (also "[Excel 8.0;]")
//   strings          "it""s" or 'it''s' — the doubled quote stands for one
//   numbers          12, 12.5, .5, 1E-3 (the sign is a token of its own)
//   punctuation      ( ) , ; * + -
// Any other character becomes an Other token for the parser to reject.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::exporting::sql {

enum class TokenKind {
  Word,
  Bracketed,
  String,
  Number,
  LParen,
  RParen,
  Comma,
  Semicolon,
  Star,
  Plus,
  Minus,
  Other,
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;        // word, name, string value (quotes undone), number, or the character
  std::size_t offset = 0;  // byte offset of the token in the command text
};

// Tokens of `command`, ending with one End token. Throws EOleException for a
// string or a bracketed name left open at the end of the text.
std::vector<Token> Tokenize(std::string_view command);

}  // namespace zyl::exporting::sql
