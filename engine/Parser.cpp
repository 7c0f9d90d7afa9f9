// Recursive-descent parser of the engine's SQL dialect; see Parser.h for its invariants.
#include "Parser.h"

#include "Engine.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace engine::sql {

namespace {

constexpr int kMaxDepth = 200;

const std::array<std::string_view, 33> kReserved = {
    "FROM", "WHERE", "GROUP", "ORDER", "HAVING", "UNION", "JOIN", "INNER", "LEFT", "RIGHT",
    "OUTER", "FULL", "CROSS", "ON", "AS", "AND", "OR", "NOT", "SET", "VALUES", "SELECT", "INTO",
    "LIKE", "IS", "IN", "BETWEEN", "NULL", "ASC", "DESC", "BY", "WHEN", "THEN", "END"};

bool isReserved(const Token& t) {
    if (t.kind != TokenKind::Ident) return false;
    return std::any_of(kReserved.begin(), kReserved.end(), [&](std::string_view w) { return t.isKeyword(w); });
}

class Parser {
public:
    Parser(const std::vector<Token>& tokens, std::string_view text) : m_t(tokens), m_text(text) {
        m_literalIndex.assign(tokens.size(), -1);
        int n = 0;
        for (size_t i = 0; i < tokens.size(); ++i)
            if (tokens[i].isLiteral()) m_literalIndex[i] = n++;
    }

    Statement statement() {
        Statement st;
        const Token& t = peek();
        if (t.isKeyword("SELECT")) {
            st.kind = StatementKind::Select;
            st.select = selectStatement();
        } else if (t.isKeyword("INSERT")) {
            insertStatement(st);
        } else if (t.isKeyword("UPDATE")) {
            updateStatement(st);
        } else if (t.isKeyword("DELETE")) {
            deleteStatement(st);
        } else if (t.isKeyword("CREATE")) {
            createStatement(st);
        } else if (t.isKeyword("DROP")) {
            dropStatement(st);
        } else {
            fail("expected SELECT, INSERT, UPDATE, DELETE, CREATE or DROP");
        }
        finish();
        return st;
    }

    ExprPtr condition() {
        ExprPtr e = expr();
        finish();
        return e;
    }

private:
    const std::vector<Token>& m_t;
    std::string_view m_text;
    std::vector<int> m_literalIndex;
    size_t m_i = 0;
    int m_depth = 0;

    struct DepthGuard {
        Parser& p;
        explicit DepthGuard(Parser& parser) : p(parser) {
            if (++p.m_depth > kMaxDepth) p.fail("statement nested too deeply");
        }
        ~DepthGuard() { --p.m_depth; }
    };

    const Token& peek(size_t ahead = 0) const {
        const size_t k = std::min(m_i + ahead, m_t.size() - 1);
        return m_t[k];
    }
    const Token& advance() {
        const Token& t = m_t[m_i];
        if (m_i + 1 < m_t.size()) ++m_i;
        return t;
    }
    [[noreturn]] void fail(std::string_view what) const {
        const Token& t = peek();
        std::string tok = t.kind == TokenKind::End ? std::string("end of statement")
                          : t.kind == TokenKind::DoubleQuoted ? "\"" + t.text + "\""
                          : t.kind == TokenKind::SingleQuoted ? "'" + t.text + "'"
                                                              : t.text;
        if (tok.size() > 60) tok = tok.substr(0, 57) + "...";
        throw Error("Syntax error at position " + std::to_string(t.pos) + " near " + tok + ": " +
                    std::string(what));
    }
    bool acceptKeyword(std::string_view w) {
        if (peek().isKeyword(w)) {
            advance();
            return true;
        }
        return false;
    }
    void expectKeyword(std::string_view w) {
        if (!acceptKeyword(w)) fail("expected " + std::string(w));
    }
    bool acceptSymbol(std::string_view s) {
        if (peek().isSymbol(s)) {
            advance();
            return true;
        }
        return false;
    }
    void expectSymbol(std::string_view s) {
        if (!acceptSymbol(s)) fail("expected '" + std::string(s) + "'");
    }
    std::string identifier(std::string_view what) {
        if (peek().kind != TokenKind::Ident || isReserved(peek())) fail("expected " + std::string(what));
        return advance().text;
    }
    void finish() {
        acceptSymbol(";");
        if (peek().kind != TokenKind::End) fail("unexpected text after the end of the statement");
    }

    // ---- table references ----
    TableRef tableRef(bool allowAlias) {
        TableRef r;
        r.pos = peek().pos;
        if (peek().kind == TokenKind::DoubleQuoted || peek().kind == TokenKind::SingleQuoted) {
            r.path = advance().text;
            r.quoted = true;
        } else if (peek().kind == TokenKind::Ident && !isReserved(peek())) {
            r.path = advance().text;
            // POKOJE.DB: a relative file name spelled without quotes
            if (peek().isSymbol(".") && peek(1).kind == TokenKind::Ident && !isReserved(peek(1))) {
                advance();
                r.path += "." + advance().text;
            }
        } else {
            fail("expected a table");
        }
        if (allowAlias) {
            if (acceptKeyword("AS")) {
                r.alias = identifier("an alias");
            } else if (peek().kind == TokenKind::Ident && !isReserved(peek())) {
                r.alias = advance().text;
            }
        }
        return r;
    }

    // ---- SELECT ----
    std::shared_ptr<Select> selectStatement() {
        DepthGuard g(*this);
        auto s = std::make_shared<Select>();
        selectCore(*s);
        Select* tail = s.get();
        while (acceptKeyword("UNION")) {
            tail->unionAll = acceptKeyword("ALL");
            tail->unionNext = std::make_shared<Select>();
            tail = tail->unionNext.get();
            selectCore(*tail);
        }
        if (acceptKeyword("ORDER")) {
            expectKeyword("BY");
            do {
                OrderItem o;
                o.expr = expr();
                if (acceptKeyword("DESC") || acceptKeyword("DESCENDING")) o.desc = true;
                else if (!acceptKeyword("ASC")) acceptKeyword("ASCENDING");
                s->orderBy.push_back(std::move(o));
            } while (acceptSymbol(","));
        }
        return s;
    }

    void selectCore(Select& s) {
        expectKeyword("SELECT");
        if (acceptKeyword("DISTINCT")) s.distinct = true;
        else acceptKeyword("ALL");
        do {
            SelectItem item;
            if (peek().isSymbol("*")) {
                item.expr = std::make_unique<Expr>();
                item.expr->kind = ExprKind::Star;
                item.expr->pos = advance().pos;
            } else if (peek().kind == TokenKind::Ident && peek(1).isSymbol(".") && peek(2).isSymbol("*")) {
                item.expr = std::make_unique<Expr>();
                item.expr->kind = ExprKind::Star;
                item.expr->pos = peek().pos;
                item.expr->qualifier = advance().text;
                advance();
                advance();
            } else {
                item.expr = expr();
                if (acceptKeyword("AS")) {
                    if (peek().kind == TokenKind::DoubleQuoted || peek().kind == TokenKind::SingleQuoted)
                        item.alias = advance().text;
                    else
                        item.alias = identifier("an alias");
                } else if (peek().kind == TokenKind::Ident && !isReserved(peek())) {
                    item.alias = advance().text;
                }
            }
            s.items.push_back(std::move(item));
        } while (acceptSymbol(","));
        if (acceptKeyword("FROM")) fromList(s);
        if (acceptKeyword("WHERE")) s.where = expr();
        if (acceptKeyword("GROUP")) {
            expectKeyword("BY");
            do s.groupBy.push_back(expr());
            while (acceptSymbol(","));
        }
        if (acceptKeyword("HAVING")) s.having = expr();
    }

    void fromList(Select& s) {
        FromItem first;
        first.table = tableRef(true);
        s.from.push_back(std::move(first));
        for (;;) {
            if (acceptSymbol(",")) {
                FromItem f;
                f.table = tableRef(true);
                s.from.push_back(std::move(f));
                continue;
            }
            JoinKind kind;
            if (acceptKeyword("LEFT")) {
                acceptKeyword("OUTER");
                kind = JoinKind::Left;
            } else if (acceptKeyword("INNER")) {
                kind = JoinKind::Inner;
            } else if (peek().isKeyword("JOIN")) {
                kind = JoinKind::Inner;
            } else if (acceptKeyword("CROSS")) {
                kind = JoinKind::Cross;
            } else {
                break;
            }
            expectKeyword("JOIN");
            FromItem f;
            f.table = tableRef(true);
            f.join = kind;
            if (kind != JoinKind::Cross) {
                expectKeyword("ON");
                f.on = expr();
            }
            s.from.push_back(std::move(f));
        }
    }

    // ---- expressions ----
    ExprPtr make(ExprKind k, int pos) {
        auto e = std::make_unique<Expr>();
        e->kind = k;
        e->pos = pos;
        return e;
    }

    ExprPtr expr() {
        DepthGuard g(*this);
        return orExpr();
    }
    ExprPtr binary(std::string op, ExprPtr a, ExprPtr b) {
        auto e = make(ExprKind::Binary, a->pos);
        e->op = std::move(op);
        e->srcBegin = a->srcBegin;
        e->srcEnd = b->srcEnd;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }
    ExprPtr orExpr() {
        ExprPtr e = andExpr();
        while (acceptKeyword("OR")) e = binary("OR", std::move(e), andExpr());
        return e;
    }
    ExprPtr andExpr() {
        ExprPtr e = notExpr();
        while (acceptKeyword("AND")) e = binary("AND", std::move(e), notExpr());
        return e;
    }
    ExprPtr notExpr() {
        if (peek().isKeyword("NOT") && !peek(1).isKeyword("EXISTS")) {
            DepthGuard g(*this);
            const Token& t = advance();
            auto e = make(ExprKind::Unary, t.pos);
            e->op = "NOT";
            ExprPtr inner = notExpr();
            e->srcBegin = srcBegin(t);
            e->srcEnd = inner->srcEnd;
            e->args.push_back(std::move(inner));
            return e;
        }
        return comparison();
    }
    ExprPtr comparison() {
        ExprPtr left = additive();
        for (;;) {
            const Token& t = peek();
            if (t.kind == TokenKind::Symbol &&
                (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == "<=" ||
                 t.text == ">" || t.text == ">=")) {
                std::string op = advance().text == "!=" ? "<>" : t.text;
                left = binary(op, std::move(left), additive());
                continue;
            }
            if (t.isKeyword("IS")) {
                advance();
                auto e = make(ExprKind::IsNull, left->pos);
                e->negated = acceptKeyword("NOT");
                expectKeyword("NULL");
                e->srcBegin = left->srcBegin;
                e->srcEnd = prevEnd();
                e->args.push_back(std::move(left));
                left = std::move(e);
                continue;
            }
            bool negated = false;
            if (t.isKeyword("NOT") &&
                (peek(1).isKeyword("LIKE") || peek(1).isKeyword("IN") || peek(1).isKeyword("BETWEEN"))) {
                advance();
                negated = true;
            }
            if (acceptKeyword("LIKE")) {
                auto e = make(ExprKind::Like, left->pos);
                e->negated = negated;
                e->srcBegin = left->srcBegin;
                e->args.push_back(std::move(left));
                e->args.push_back(additive());
                if (acceptKeyword("ESCAPE")) e->args.push_back(additive());
                e->srcEnd = e->args.back()->srcEnd;
                left = std::move(e);
                continue;
            }
            if (acceptKeyword("BETWEEN")) {
                auto e = make(ExprKind::Between, left->pos);
                e->negated = negated;
                e->srcBegin = left->srcBegin;
                e->args.push_back(std::move(left));
                e->args.push_back(additive());
                expectKeyword("AND");
                e->args.push_back(additive());
                e->srcEnd = e->args.back()->srcEnd;
                left = std::move(e);
                continue;
            }
            if (acceptKeyword("IN")) {
                expectSymbol("(");
                ExprPtr e;
                if (peek().isKeyword("SELECT")) {
                    e = make(ExprKind::InSelect, left->pos);
                    e->select = selectStatement();
                } else {
                    e = make(ExprKind::InList, left->pos);
                    e->args.push_back(std::move(left));
                    do e->args.push_back(expr());
                    while (acceptSymbol(","));
                }
                if (e->kind == ExprKind::InSelect) {
                    e->srcBegin = left->srcBegin;
                    e->args.insert(e->args.begin(), std::move(left));
                } else {
                    e->srcBegin = e->args.front()->srcBegin;
                }
                expectSymbol(")");
                e->srcEnd = prevEnd();
                e->negated = negated;
                left = std::move(e);
                continue;
            }
            if (negated) fail("expected LIKE, IN or BETWEEN after NOT");
            return left;
        }
    }
    ExprPtr additive() {
        ExprPtr e = multiplicative();
        for (;;) {
            if (peek().isSymbol("+") || peek().isSymbol("-") || peek().isSymbol("||")) {
                std::string op = advance().text;
                e = binary(op, std::move(e), multiplicative());
            } else {
                return e;
            }
        }
    }
    ExprPtr multiplicative() {
        ExprPtr e = unary();
        while (peek().isSymbol("*") || peek().isSymbol("/")) {
            std::string op = advance().text;
            e = binary(op, std::move(e), unary());
        }
        return e;
    }
    ExprPtr unary() {
        if (peek().isSymbol("-") || peek().isSymbol("+")) {
            DepthGuard g(*this);
            const Token& t = advance();
            ExprPtr inner = unary();
            auto e = make(ExprKind::Unary, t.pos);
            e->op = t.text;
            e->srcBegin = srcBegin(t);
            e->srcEnd = inner->srcEnd;
            e->args.push_back(std::move(inner));
            return e;
        }
        return primary();
    }

    int srcBegin(const Token& t) const { return byteOf(t); }
    int byteOf(const Token& t) const;
    int prevEnd() const;

    ExprPtr literal(ExprKind k) {
        const size_t idx = m_i;
        const Token& t = advance();
        auto e = make(k, t.pos);
        e->text = t.text;
        e->literalIndex = m_literalIndex[idx];
        e->srcBegin = byteOf(t);
        e->srcEnd = prevEnd();
        return e;
    }

    ExprPtr primary() {
        const Token& t = peek();
        const int begin = byteOf(t);
        ExprPtr e;
        switch (t.kind) {
        case TokenKind::Number: return literal(ExprKind::Number);
        case TokenKind::DoubleQuoted:
        case TokenKind::SingleQuoted: return literal(ExprKind::Text);
        case TokenKind::Symbol:
            if (t.isSymbol("(")) {
                DepthGuard g(*this);
                advance();
                if (peek().isKeyword("SELECT")) {
                    e = make(ExprKind::Subquery, t.pos);
                    e->select = selectStatement();
                } else {
                    e = expr();
                    e->parenthesized = true;
                }
                expectSymbol(")");
                break;
            }
            fail("expected a value");
        case TokenKind::End: fail("expected a value");
        case TokenKind::Ident: e = identExpr(); break;
        }
        e->srcBegin = begin;
        e->srcEnd = prevEnd();
        return e;
    }

    ExprPtr identExpr() {
        const Token& t = peek();
        if (t.isKeyword("NULL")) {
            advance();
            return make(ExprKind::Null, t.pos);
        }
        if (t.isKeyword("TRUE") || t.isKeyword("FALSE")) {
            auto e = make(ExprKind::Bool, t.pos);
            e->text = upperAscii(advance().text);
            return e;
        }
        if (t.isKeyword("CASE")) return caseExpr();
        if (t.isKeyword("EXISTS") || (t.isKeyword("NOT") && peek(1).isKeyword("EXISTS"))) {
            auto e = make(ExprKind::Exists, t.pos);
            if (acceptKeyword("NOT")) e->negated = true;
            advance();
            expectSymbol("(");
            e->select = selectStatement();
            expectSymbol(")");
            return e;
        }
        if (isReserved(t)) fail("expected a value");
        if (peek(1).isSymbol("(")) return functionCall();
        auto e = make(ExprKind::Column, t.pos);
        e->name = advance().text;
        if (peek().isSymbol(".")) {
            advance();
            if (peek().isSymbol("*")) fail("'*' is allowed only in the select list");
            e->qualifier = std::move(e->name);
            e->name = identifier("a column name");
        }
        return e;
    }

    ExprPtr caseExpr() {
        DepthGuard g(*this);
        auto e = make(ExprKind::Case, advance().pos);
        if (!peek().isKeyword("WHEN")) e->caseOperand = expr();
        while (acceptKeyword("WHEN")) {
            e->args.push_back(expr());
            expectKeyword("THEN");
            e->args.push_back(expr());
        }
        if (e->args.empty()) fail("expected WHEN");
        if (acceptKeyword("ELSE")) e->elseExpr = expr();
        expectKeyword("END");
        return e;
    }

    std::string typeName(int& width) {
        std::string type = upperAscii(identifier("a type name"));
        if (type == "DOUBLE") {
            acceptKeyword("PRECISION");
            type = "FLOAT";
        } else if (type == "CHARACTER") {
            type = acceptKeyword("VARYING") ? "VARCHAR" : "CHAR";
        }
        width = 0;
        if (acceptSymbol("(")) {
            if (peek().kind != TokenKind::Number) fail("expected a width");
            const std::string& w = advance().text;
            width = w.size() > 6 ? 1000000 : std::atoi(w.c_str());
            if (acceptSymbol(",")) {
                if (peek().kind != TokenKind::Number) fail("expected a scale");
                advance();
            }
            expectSymbol(")");
        }
        return type;
    }

    ExprPtr functionCall() {
        DepthGuard g(*this);
        const Token& nameTok = advance();
        auto e = make(ExprKind::Function, nameTok.pos);
        e->op = upperAscii(nameTok.text);
        expectSymbol("(");
        if (e->op == "CAST") {
            e->kind = ExprKind::Cast;
            e->args.push_back(expr());
            expectKeyword("AS");
            e->name = typeName(e->castWidth);
        } else if (e->op == "EXTRACT") {
            e->kind = ExprKind::Extract;
            e->op = upperAscii(identifier("YEAR, MONTH, DAY, HOUR, MINUTE or SECOND"));
            expectKeyword("FROM");
            e->args.push_back(expr());
        } else if (e->op == "SUBSTRING" || e->op == "SUBSTR") {
            e->kind = ExprKind::Substring;
            e->args.push_back(expr());
            if (acceptKeyword("FROM") || acceptSymbol(",")) {
                e->args.push_back(expr());
                if (acceptKeyword("FOR") || acceptSymbol(",")) e->args.push_back(expr());
            }
        } else if (e->op == "TRIM") {
            e->kind = ExprKind::Trim;
            e->op = "BOTH";
            if (peek().isKeyword("LEADING") || peek().isKeyword("TRAILING") || peek().isKeyword("BOTH")) {
                e->op = upperAscii(advance().text);
                if (!acceptKeyword("FROM")) {
                    e->args.push_back(expr());  // characters to trim
                    expectKeyword("FROM");
                }
                e->args.insert(e->args.begin(), expr());
            } else {
                ExprPtr first = expr();
                if (acceptKeyword("FROM")) {
                    e->args.push_back(expr());
                    e->args.push_back(std::move(first));
                } else {
                    e->args.push_back(std::move(first));
                }
            }
        } else if (peek().isSymbol("*")) {
            advance();
            auto star = make(ExprKind::Star, nameTok.pos);
            e->args.push_back(std::move(star));
        } else if (!peek().isSymbol(")")) {
            if (acceptKeyword("DISTINCT")) e->distinct = true;
            else acceptKeyword("ALL");
            do e->args.push_back(expr());
            while (acceptSymbol(","));
        }
        expectSymbol(")");
        return e;
    }

    // ---- changes ----
    void insertStatement(Statement& st) {
        st.kind = StatementKind::Insert;
        advance();
        expectKeyword("INTO");
        st.table = tableRef(false);
        if (acceptSymbol("(")) {
            do {
                st.columnPos.push_back(peek().pos);
                st.columns.push_back(identifier("a column name"));
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (acceptKeyword("VALUES")) {
            do {
                expectSymbol("(");
                std::vector<ExprPtr> row;
                do row.push_back(expr());
                while (acceptSymbol(","));
                expectSymbol(")");
                st.rows.push_back(std::move(row));
            } while (acceptSymbol(","));
        } else if (peek().isKeyword("SELECT")) {
            st.select = selectStatement();
        } else {
            fail("expected VALUES or SELECT");
        }
    }

    void updateStatement(Statement& st) {
        st.kind = StatementKind::Update;
        advance();
        st.table = tableRef(false);
        if (acceptKeyword("AS")) st.table.alias = identifier("an alias");
        else if (peek().kind == TokenKind::Ident && !isReserved(peek())) st.table.alias = advance().text;
        expectKeyword("SET");
        do {
            Assignment a;
            a.pos = peek().pos;
            a.column = identifier("a column name");
            if (acceptSymbol(".")) a.column = identifier("a column name");
            expectSymbol("=");
            a.value = expr();
            st.sets.push_back(std::move(a));
        } while (acceptSymbol(","));
        if (acceptKeyword("WHERE")) st.where = expr();
    }

    void deleteStatement(Statement& st) {
        st.kind = StatementKind::Delete;
        advance();
        expectKeyword("FROM");
        st.table = tableRef(true);
        if (acceptKeyword("WHERE")) st.where = expr();
    }

    void createStatement(Statement& st) {
        advance();
        if (acceptKeyword("TABLE")) {
            st.kind = StatementKind::CreateTable;
            st.table = tableRef(false);
            expectSymbol("(");
            do {
                if (acceptKeyword("PRIMARY")) {
                    expectKeyword("KEY");
                    expectSymbol("(");
                    do st.primaryKey.push_back(identifier("a column name"));
                    while (acceptSymbol(","));
                    expectSymbol(")");
                    continue;
                }
                ColumnDef c;
                c.pos = peek().pos;
                c.name = identifier("a column name");
                c.type = typeName(c.width);
                for (;;) {
                    if (acceptKeyword("NOT")) {
                        expectKeyword("NULL");
                        c.notNull = true;
                    } else if (acceptKeyword("NULL")) {
                    } else if (acceptKeyword("PRIMARY")) {
                        expectKeyword("KEY");
                        st.primaryKey.push_back(c.name);
                    } else {
                        break;
                    }
                }
                st.columnDefs.push_back(std::move(c));
            } while (acceptSymbol(","));
            expectSymbol(")");
        } else {
            st.kind = StatementKind::CreateIndex;
            st.unique = acceptKeyword("UNIQUE");
            expectKeyword("INDEX");
            st.indexName = identifier("an index name");
            expectKeyword("ON");
            st.table = tableRef(false);
            st.hasTable = true;
            expectSymbol("(");
            do {
                st.columnPos.push_back(peek().pos);
                st.columns.push_back(identifier("a column name"));
                bool desc = false;
                if (acceptKeyword("DESC")) desc = true;
                else acceptKeyword("ASC");
                st.columnDesc.push_back(desc);
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
    }

    void dropStatement(Statement& st) {
        advance();
        if (acceptKeyword("TABLE")) {
            st.kind = StatementKind::DropTable;
            st.table = tableRef(false);
            return;
        }
        expectKeyword("INDEX");
        st.kind = StatementKind::DropIndex;
        // DROP INDEX "file".NAME, DROP INDEX TABLE.NAME, DROP INDEX NAME [ON table]
        const int pos = peek().pos;
        std::vector<std::string> parts;
        bool quoted = false;
        if (peek().kind == TokenKind::DoubleQuoted || peek().kind == TokenKind::SingleQuoted) {
            parts.push_back(advance().text);
            quoted = true;
            expectSymbol(".");
        }
        do parts.push_back(identifier("an index name"));
        while (acceptSymbol("."));
        st.indexName = parts.back();
        parts.pop_back();
        if (!parts.empty()) {
            st.hasTable = true;
            st.table.quoted = quoted;
            st.table.pos = pos;
            for (size_t i = 0; i < parts.size(); ++i) st.table.path += (i ? "." : "") + parts[i];
        } else if (acceptKeyword("ON")) {
            st.hasTable = true;
            st.table = tableRef(false);
        }
    }
};

int Parser::byteOf(const Token& t) const { return t.byte; }

int Parser::prevEnd() const { return m_i == 0 ? 0 : m_t[m_i - 1].byteEnd; }

}  // namespace

Statement parse(const std::vector<Token>& tokens, std::string_view text) {
    Parser p(tokens, text);
    return p.statement();
}

ExprPtr parseCondition(const std::vector<Token>& tokens, std::string_view text) {
    Parser p(tokens, text);
    return p.condition();
}

}  // namespace engine::sql
