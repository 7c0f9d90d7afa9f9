// Tokenizer of the engine's SQL dialect: see Lexer.h for the invariants it keeps.
#include "Lexer.h"

#include "Engine.h"

namespace engine::sql {

namespace {

bool isIdentStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c >= 0x80;
}
bool isIdentChar(unsigned char c) { return isIdentStart(c) || (c >= '0' && c <= '9') || c == '#'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Character positions (1-based, a UTF-8 sequence counts as one character), computed
// incrementally so tokenizing stays linear in the text length.
struct PosCounter {
    std::string_view text;
    bool ascii = false;  // then a character position is the byte offset + 1
    size_t byte = 0;
    int chars = 0;
    int at(size_t byteOffset) {
        if (ascii) return static_cast<int>(byteOffset) + 1;
        for (; byte < byteOffset && byte < text.size(); ++byte)
            if ((static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80) ++chars;
        return chars + 1;
    }
};

}  // namespace

bool Token::isKeyword(std::string_view upperWord) const {
    return kind == TokenKind::Ident && equalsNoCase(text, upperWord);
}

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::vector<Token> tokenize(std::string_view text) {
    std::vector<Token> out;
    out.reserve(text.size() / 4 + 4);
    size_t i = 0;
    const size_t n = text.size();
    PosCounter pc{text};
    unsigned char high = 0;
    for (const char ch : text) high |= static_cast<unsigned char>(ch);
    pc.ascii = high < 0x80;
    auto charPos = [&pc](std::string_view, size_t off) { return pc.at(off); };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && text[i + 1] == '-') {  // comment to end of line
            while (i < n && text[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos)
                throw Error("Syntax error at position " + std::to_string(charPos(text, i)) +
                            ": comment not closed");
            i = end + 2;
            continue;
        }
        Token t;
        t.pos = charPos(text, i);
        t.byte = static_cast<int>(i);
        if (c == '"' || c == '\'') {
            t.kind = c == '"' ? TokenKind::DoubleQuoted : TokenKind::SingleQuoted;
            const char q = static_cast<char>(c);
            size_t j = i + 1;
            bool closed = false;
            while (j < n) {
                const size_t at = text.find(q, j);
                if (at == std::string_view::npos) {
                    j = n;
                    break;
                }
                t.text.append(text.data() + j, at - j);
                if (at + 1 < n && text[at + 1] == q) {  // doubled quote is one quote
                    t.text += q;
                    j = at + 2;
                    continue;
                }
                closed = true;
                j = at + 1;
                break;
            }
            if (!closed)
                throw Error("Syntax error at position " + std::to_string(t.pos) +
                            ": text starting with " + std::string(1, q) + " is not closed");
            i = j;
        } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(static_cast<unsigned char>(text[i + 1])))) {
            t.kind = TokenKind::Number;
            size_t j = i;
            while (j < n && isDigit(static_cast<unsigned char>(text[j]))) ++j;
            if (j < n && text[j] == '.' && !(j + 1 < n && isIdentStart(static_cast<unsigned char>(text[j + 1])))) {
                ++j;
                while (j < n && isDigit(static_cast<unsigned char>(text[j]))) ++j;
            }
            if (j < n && (text[j] == 'e' || text[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (text[k] == '+' || text[k] == '-')) ++k;
                if (k < n && isDigit(static_cast<unsigned char>(text[k]))) {
                    j = k;
                    while (j < n && isDigit(static_cast<unsigned char>(text[j]))) ++j;
                }
            }
            t.text.assign(text.substr(i, j - i));
            i = j;
        } else if (isIdentStart(c)) {
            t.kind = TokenKind::Ident;
            size_t j = i;
            while (j < n && isIdentChar(static_cast<unsigned char>(text[j]))) ++j;
            t.text.assign(text.substr(i, j - i));
            i = j;
        } else {
            t.kind = TokenKind::Symbol;
            static const char* const two[] = {"<=", ">=", "<>", "!=", "||"};
            bool matched = false;
            if (i + 1 < n) {
                for (const char* s : two) {
                    if (text[i] == s[0] && text[i + 1] == s[1]) {
                        t.text = s;
                        i += 2;
                        matched = true;
                        break;
                    }
                }
            }
            if (!matched) {
                if (std::string_view("(),.*+-/=<>;").find(static_cast<char>(c)) == std::string_view::npos)
                    throw Error("Syntax error at position " + std::to_string(t.pos) +
                                ": unexpected character '" + std::string(1, static_cast<char>(c)) + "'");
                t.text.assign(1, static_cast<char>(c));
                ++i;
            }
        }
        t.byteEnd = static_cast<int>(i);
        out.push_back(std::move(t));
    }
    Token end;
    end.kind = TokenKind::End;
    end.pos = charPos(text, n);
    end.byte = end.byteEnd = static_cast<int>(n);
    out.push_back(end);
    return out;
}

}  // namespace engine::sql
