#pragma once
// Parser of the engine's SQL dialect: tokens in, one Statement out.
//
// Invariants: the whole token list is consumed (a trailing ';' is allowed) or an Error names
// the position and the token where the statement stops making sense; nesting is bounded so
// hostile input cannot exhaust the stack.

#include "Ast.h"
#include "Lexer.h"

#include <string_view>
#include <vector>

namespace engine::sql {

Statement parse(const std::vector<Token>& tokens, std::string_view text);

// Parses a lone condition (a table cursor filter such as " PID='12'").
ExprPtr parseCondition(const std::vector<Token>& tokens, std::string_view text);

}  // namespace engine::sql
