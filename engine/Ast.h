#pragma once
// Syntax tree of one statement of the engine's dialect, as the parser builds it.
//
// Invariants: nodes own their children; every node keeps the 1-based position of its first
// token (for messages) and literal nodes keep the index of their token among the statement's
// literal tokens (the translator binds literals as parameters by that index, so statements
// differing only in literal values share one translation).

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace engine::sql {

struct Select;

enum class ExprKind {
    Null, Number, Text, Bool,      // literals
    Column, Star,                  // NAME, Q.NAME, *, Q.*
    Unary, Binary,                 // -x, NOT x; a op b (op upper case: + - * / || = <> < <= > >= AND OR)
    Like, IsNull, Between, InList, InSelect, Exists, Subquery,
    Function,                      // name(args), COUNT(*), aggregates with DISTINCT
    Cast, Extract, Substring, Trim, Case
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    ExprKind kind = ExprKind::Null;
    int pos = 0;
    int srcBegin = 0, srcEnd = 0;   // byte span in the statement text (for result names)
    std::string op;                 // operator, function name (upper), trim side, extract field
    std::string qualifier;          // Column/Star: table alias or name, as written
    std::string name;               // Column: column name as written; Cast: type name (upper)
    std::string text;               // literal spelling / value
    int literalIndex = -1;          // literals: index among the statement's literal tokens
    bool negated = false;           // NOT LIKE, IS NOT NULL, NOT BETWEEN, NOT IN
    bool distinct = false;          // COUNT(DISTINCT x)
    bool parenthesized = false;
    int castWidth = 0;
    std::vector<ExprPtr> args;      // operands / arguments / IN list / CASE pairs
    ExprPtr elseExpr;               // CASE ... ELSE
    ExprPtr caseOperand;            // CASE x WHEN ...
    std::shared_ptr<Select> select; // IN (SELECT), EXISTS, scalar subquery
};

struct TableRef {
    std::string path;   // as written: the quoted path, or the bare / relative name
    bool quoted = false;
    std::string alias;  // empty when none given
    int pos = 0;
};

enum class JoinKind { Cross, Inner, Left };

struct FromItem {
    TableRef table;
    JoinKind join = JoinKind::Cross;  // how this item joins the ones before it
    ExprPtr on;                       // ON condition of INNER / LEFT joins
};

struct SelectItem {
    ExprPtr expr;       // Star for * and Q.*
    std::string alias;
};

struct OrderItem {
    ExprPtr expr;
    bool desc = false;
};

struct Select {
    bool distinct = false;
    std::vector<SelectItem> items;
    std::vector<FromItem> from;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;
    std::shared_ptr<Select> unionNext;   // UNION [ALL] chain
    bool unionAll = false;
};

struct ColumnDef {
    std::string name;
    std::string type;   // upper case: CHAR, VARCHAR, SMALLINT, INTEGER, FLOAT, NUMERIC, MONEY,
                        // DATE, TIME, TIMESTAMP, BOOLEAN, AUTOINC
    int width = 0;
    bool notNull = false;
    int pos = 0;
};

enum class StatementKind { Select, Insert, Update, Delete, CreateTable, DropTable, CreateIndex, DropIndex };

struct Assignment {
    std::string column;
    int pos = 0;
    ExprPtr value;
};

struct Statement {
    StatementKind kind = StatementKind::Select;
    std::shared_ptr<Select> select;            // Select, Insert ... SELECT
    TableRef table;                            // Insert/Update/Delete/Create/Drop/Index
    std::vector<std::string> columns;          // Insert column list, index columns
    std::vector<bool> columnDesc;              // index columns DESC
    std::vector<int> columnPos;
    std::vector<std::vector<ExprPtr>> rows;    // Insert VALUES rows
    std::vector<Assignment> sets;              // Update
    ExprPtr where;                             // Update/Delete
    std::vector<ColumnDef> columnDefs;         // CreateTable
    std::vector<std::string> primaryKey;       // CreateTable
    std::string indexName;                     // CreateIndex/DropIndex
    bool unique = false;                       // CREATE UNIQUE INDEX
    bool hasTable = false;                     // DropIndex with a table named
};

}  // namespace engine::sql
