#pragma once
// Tokenizer of the engine's SQL dialect.
//
// Invariants: every token keeps its 1-based character position in the statement text, so
// errors can point at it; quoted tokens carry their value with doubled quotes already
// collapsed (`"X"""` is the text X"); the token list always ends with one End token.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine::sql {

enum class TokenKind {
    Ident,        // bare word: keyword, column, alias or bare table name
    DoubleQuoted, // "..." : a table reference where a table is expected, else a text literal
    SingleQuoted, // '...' : always a text literal
    Number,       // 12, 150.5, 1e3
    Symbol,       // ( ) , . * + - / = < > <= >= <> != || ;
    End
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // value for quoted tokens, the spelling otherwise
    int pos = 0;        // 1-based character position of the token's first character
    int byte = 0;       // byte offsets of the token's spelling in the statement text
    int byteEnd = 0;
    bool isKeyword(std::string_view upperWord) const;
    bool isSymbol(std::string_view s) const { return kind == TokenKind::Symbol && text == s; }
    bool isLiteral() const {
        return kind == TokenKind::DoubleQuoted || kind == TokenKind::SingleQuoted || kind == TokenKind::Number;
    }
};

// Splits a statement into tokens. Throws engine::Error naming the position of an
// unterminated literal or a character that belongs to no token.
std::vector<Token> tokenize(std::string_view text);

// Upper-cases ASCII letters only (identifiers and keywords are ASCII-insensitive).
std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace engine::sql
