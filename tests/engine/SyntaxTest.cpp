// Tokenizer and parser: literals, positions, table references and their translation.
#include "Lexer.h"
#include "Parser.h"
#include "Engine.h"

#include <gtest/gtest.h>

using namespace engine::sql;

TEST(Tokenizer, CollapsesDoubledQuotesAndKeepsPositions) {
    const auto t = tokenize(R"(SELECT "a""b", 'it''s', 12.5, x.y <> 3 -- comment)");
    ASSERT_EQ(t.size(), 13u);
    EXPECT_EQ(t[1].kind, TokenKind::DoubleQuoted);
    EXPECT_EQ(t[1].text, "a\"b");
    EXPECT_EQ(t[1].pos, 8);
    EXPECT_EQ(t[3].kind, TokenKind::SingleQuoted);
    EXPECT_EQ(t[3].text, "it's");
    EXPECT_EQ(t[5].kind, TokenKind::Number);
    EXPECT_EQ(t[5].text, "12.5");
    EXPECT_TRUE(t[10].isSymbol("<>"));
    EXPECT_EQ(t.back().kind, TokenKind::End);
}

TEST(Tokenizer, ApostropheEscapeReadsAsOneText) {
    const auto t = tokenize(R"("O"+''''+"Brien")");
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[2].text, "'");
}

TEST(Tokenizer, PositionsCountCharactersNotBytes) {
    const auto t = tokenize("SELECT 'ěščř' X");
    EXPECT_EQ(t[2].pos, 15);
}

TEST(Tokenizer, ReportsUnclosedTextAndStrayCharacters) {
    for (const char* bad : {R"(SELECT "abc)", "SELECT 'x", "SELECT ?", "SELECT /* x"}) {
        try {
            tokenize(bad);
            FAIL() << bad;
        } catch (const engine::Error& e) {
            EXPECT_NE(std::string(e.what()).find("position"), std::string::npos) << e.what();
        }
    }
}

TEST(Parser, DoubleQuotedIsATableOnlyWhereATableIsExpected) {
    const std::string sql = R"(SELECT "POKOJE.DB" AS T FROM "/x/POKOJE.DB" AS P, "/x/KARTY.DB" K)";
    const Statement st = parse(tokenize(sql), sql);
    ASSERT_EQ(st.select->from.size(), 2u);
    EXPECT_EQ(st.select->from[0].table.path, "/x/POKOJE.DB");
    EXPECT_EQ(st.select->from[0].table.alias, "P");
    EXPECT_EQ(st.select->from[1].table.alias, "K");
    EXPECT_EQ(st.select->items[0].expr->kind, ExprKind::Text);
    EXPECT_EQ(st.select->items[0].alias, "T");
}

TEST(Parser, ReadsEveryStatementKind) {
    const char* ok[] = {
        R"(INSERT INTO "/x/A.DB" (A, B) VALUES (1, "x"), (2, null))",
        R"(INSERT INTO A SELECT * FROM B)",
        R"(UPDATE "/x/A.DB" SET A=1, B="x" WHERE C is not null)",
        R"(DELETE FROM A.DB WHERE A NOT IN (1,2) AND B NOT LIKE "%x")",
        R"(CREATE TABLE "/x/A.DB" (A AUTOINC, B CHAR(3) NOT NULL, C NUMERIC(10,2), PRIMARY KEY (A)))",
        R"(CREATE UNIQUE INDEX I ON A (B DESC, C))",
        R"(DROP TABLE "/x/A.DB")",
        R"(DROP INDEX "/x/A.DB".I)",
        R"(DROP INDEX A.DB.I)",
        R"(SELECT a FROM t WHERE x BETWEEN 1 AND 2 AND NOT EXISTS (SELECT * FROM u) GROUP BY a HAVING count(*) > 1 ORDER BY 1 DESC;)",
        R"(SELECT CAST(a AS VARCHAR(10)), EXTRACT(YEAR FROM d), SUBSTRING(s FROM 2 FOR 3), TRIM(BOTH 'x' FROM s) FROM t)",
        R"(SELECT CASE a WHEN 1 THEN 'one' ELSE 'many' END FROM t LEFT OUTER JOIN u ON t.a=u.a INNER JOIN v ON v.b=u.b)",
    };
    for (const char* s : ok) EXPECT_NO_THROW(parse(tokenize(s), s)) << s;
}

TEST(Parser, SyntaxErrorsNamePositionAndToken) {
    struct Case {
        const char* sql;
        const char* expect;
    } cases[] = {
        {"SELECT FROM t", "position 8 near FROM"},
        {"SELECT a FROM t WHERE", "near end of statement"},
        {"SELECT a FROM t x y", "position 19 near y"},
        {"UPDATE t SET", "expected a column name"},
        {"INSERT INTO t (a) VALUES (1", "expected ')'"},
        {"CREATE VIEW v", "expected INDEX"},
        {"SELECT a FROM t ORDER", "expected BY"},
    };
    for (const auto& c : cases) {
        try {
            parse(tokenize(c.sql), c.sql);
            FAIL() << c.sql;
        } catch (const engine::Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.expect), std::string::npos) << c.sql << " -> " << e.what();
        }
    }
}

TEST(Parser, DeepNestingIsRefusedNotACrash) {
    std::string sql = "SELECT " + std::string(5000, '(') + "1" + std::string(5000, ')') + " FROM t";
    EXPECT_THROW(parse(tokenize(sql), sql), engine::Error);
    std::string minus = "SELECT " + std::string(100000, '-') + "1 FROM t";
    EXPECT_THROW(parse(tokenize(minus), minus), engine::Error);
}
