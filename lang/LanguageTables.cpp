// Reader of the translation tables kept as a Pascal include file. It understands the part
// of Pascal the generator writes: "Const" sections of "Name = number;" and
// "Name : array [...] of String = ( ... );" with nested parentheses, string literals made of
// quoted pieces ('' is one quote) and #nn control characters, and comments in braces,
// "(* *)" and "//". Identifiers compare without regard to letter case, as in Pascal.
//
// Invariant: the number constants decide how many rows are taken; the row after them is
// the closing row and is dropped.

#include "lang/LanguageTables.h"

#include "platform/Platform.h"

#include <QHash>
#include <QVariant>
#include <stdexcept>

extern const unsigned char kLangTablesInclude[];
extern const unsigned long kLangTablesIncludeSize;

namespace {

struct Token {
    enum Kind { End, Identifier, Number, String, Symbol } kind = End;
    QString text;
};

class Tokenizer {
public:
    explicit Tokenizer(const QString& text) : m_text(text) {}

    Token next()
    {
        skipBlanksAndComments();
        Token t;
        if (m_pos >= m_text.size()) return t;
        const QChar c = m_text.at(m_pos);
        if (c == '\'' || c == '#') return readString();
        if (c.isLetter() || c == '_') {
            t.kind = Token::Identifier;
            while (m_pos < m_text.size() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == '_'))
                t.text += m_text.at(m_pos++);
            return t;
        }
        if (c.isDigit()) {
            t.kind = Token::Number;
            while (m_pos < m_text.size() && m_text.at(m_pos).isDigit()) t.text += m_text.at(m_pos++);
            return t;
        }
        t.kind = Token::Symbol;
        if (c == '.' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == '.') {
            t.text = "..";
            m_pos += 2;
            return t;
        }
        t.text = c;
        ++m_pos;
        return t;
    }

private:
    void skipBlanksAndComments()
    {
        for (;;) {
            while (m_pos < m_text.size() && m_text.at(m_pos).isSpace()) ++m_pos;
            if (m_pos >= m_text.size()) return;
            if (m_text.at(m_pos) == '{') {
                const qsizetype end = m_text.indexOf('}', m_pos);
                if (end < 0) throw std::runtime_error("comment not closed");
                m_pos = end + 1;
            } else if (m_text.mid(m_pos, 2) == "(*") {
                const qsizetype end = m_text.indexOf("*)", m_pos + 2);
                if (end < 0) throw std::runtime_error("comment not closed");
                m_pos = end + 2;
            } else if (m_text.mid(m_pos, 2) == "//") {
                const qsizetype end = m_text.indexOf('\n', m_pos);
                m_pos = end < 0 ? m_text.size() : end + 1;
            } else {
                return;
            }
        }
    }

    Token readString()
    {
        Token t;
        t.kind = Token::String;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == '\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || m_text.at(m_pos) == '\n' || m_text.at(m_pos) == '\r')
                        throw std::runtime_error("string not closed");
                    if (m_text.at(m_pos) == '\'') {
                        if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == '\'') {
                            t.text += '\'';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    t.text += m_text.at(m_pos++);
                }
            } else if (c == '#') {
                ++m_pos;
                QString digits;
                while (m_pos < m_text.size() && m_text.at(m_pos).isDigit()) digits += m_text.at(m_pos++);
                if (digits.isEmpty()) throw std::runtime_error("# without a number");
                const int code = digits.toInt();
                // Above 127 a character number is a byte of the 8-bit character set.
                t.text += code < 128 ? QString(QChar(code))
                                     : platform::fromCp1250(QByteArray(1, char(code & 0xFF)));
            } else {
                break;
            }
        }
        return t;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

// A parsed constant value: a text or a parenthesised list of values.
struct Value {
    bool isList = false;
    QString text;
    QList<Value> items;
};

class Parser {
public:
    explicit Parser(const QString& text) : m_tokens(text) { advance(); }

    void parse(QHash<QString, int>& numbers, QHash<QString, Value>& arrays)
    {
        while (m_token.kind != Token::End) {
            if (m_token.kind != Token::Identifier) throw std::runtime_error(fault("a name"));
            const QString name = m_token.text.toLower();
            advance();
            if (name == "const") continue;
            if (isSymbol("=")) {
                advance();
                if (m_token.kind != Token::Number) throw std::runtime_error(fault("a number"));
                numbers.insert(name, m_token.text.toInt());
                advance();
            } else if (isSymbol(":")) {
                // Skip the declared type up to its "=".
                while (m_token.kind != Token::End && !isSymbol("=")) advance();
                expect("=");
                arrays.insert(name, value());
            } else {
                throw std::runtime_error(fault("\"=\" or \":\""));
            }
            expect(";");
        }
    }

private:
    Value value()
    {
        Value v;
        if (m_token.kind == Token::String) {
            v.text = m_token.text;
            advance();
            return v;
        }
        expect("(");
        v.isList = true;
        for (;;) {
            v.items.append(value());
            if (isSymbol(",")) { advance(); continue; }
            expect(")");
            return v;
        }
    }

    bool isSymbol(const char* s) const { return m_token.kind == Token::Symbol && m_token.text == QLatin1String(s); }
    void expect(const char* s)
    {
        if (!isSymbol(s)) throw std::runtime_error(fault(QString("\"%1\"").arg(s)));
        advance();
    }
    void advance() { m_token = m_tokens.next(); }
    std::string fault(const QString& wanted) const
    {
        return QString("%1 expected, found \"%2\"").arg(wanted, m_token.text).toStdString();
    }

    Tokenizer m_tokens;
    Token m_token;
};

QList<Value> rowsOf(const QHash<QString, Value>& arrays, const QString& name, int count)
{
    const auto it = arrays.constFind(name.toLower());
    if (it == arrays.constEnd() || !it->isList) throw std::runtime_error(("array " + name + " missing").toStdString());
    if (it->items.size() < count) throw std::runtime_error(("array " + name + " too short").toStdString());
    return it->items.mid(0, count);
}

QStringList textsOf(const Value& v)
{
    QStringList out;
    if (!v.isList) return {v.text};
    for (const Value& item : v.items) out.append(item.text);
    return out;
}

int numberOf(const QHash<QString, int>& numbers, const QString& name)
{
    const auto it = numbers.constFind(name.toLower());
    if (it == numbers.constEnd()) throw std::runtime_error(("constant " + name + " missing").toStdString());
    return *it;
}

}  // namespace

LanguageTables LanguageTables::parseInclude(const QByteArray& cp1250Text)
{
    QHash<QString, int> numbers;
    QHash<QString, Value> arrays;
    Parser(platform::fromCp1250(cp1250Text)).parse(numbers, arrays);

    LanguageTables tables;
    const int languageCount = numberOf(numbers, "LLanguagesNum");
    for (const Value& v : rowsOf(arrays, "LLanguages", languageCount + 1)) tables.languages.append(v.text);

    const int objectCount = numberOf(numbers, "LLangObjectsNum");
    const QList<Value> paths = rowsOf(arrays, "LLangObjects", objectCount);
    const QList<Value> translations = rowsOf(arrays, "lLangTranslations", objectCount);
    for (int i = 0; i < objectCount; ++i) tables.objects.append({paths.at(i).text, textsOf(translations.at(i))});

    const int messageCount = numberOf(numbers, "lLangMessagesNum");
    for (const Value& row : rowsOf(arrays, "lLangMessages", messageCount)) {
        QStringList columns = textsOf(row);
        const QString key = columns.isEmpty() ? QString() : columns.takeFirst();
        tables.messages.append({key, columns});
    }
    return tables;
}

std::shared_ptr<const LanguageTables> LanguageTables::compiled()
{
    static const std::shared_ptr<const LanguageTables> tables = [] {
        const QByteArray bytes(reinterpret_cast<const char*>(kLangTablesInclude),
                               static_cast<qsizetype>(kLangTablesIncludeSize));
        try {
            return std::make_shared<const LanguageTables>(parseInclude(bytes));
        } catch (const std::exception& e) {
            // A broken table must not stop the program: it then shows its design-time texts.
            qWarning("translation tables unreadable: %s", e.what());
            return std::make_shared<const LanguageTables>();
        }
    }();
    return tables;
}
