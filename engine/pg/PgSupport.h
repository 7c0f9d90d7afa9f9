#pragma once
// The server objects translated statements rely on: the collation tmdict (dictionary order of
// texts) and the tm_* helper functions. The storage installs them in the first schema of the
// search path when tm_support_version() there is missing or older than kSupportVersion.

namespace engine::pg {

constexpr int kSupportVersion = 1;

// The statements that create (or replace) every support object, in one text.
const char* supportSql();

}  // namespace engine::pg
