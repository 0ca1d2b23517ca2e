// Whether a name may stand as a global in Lua chunk text.
#pragma once

// Letters, digits and '_', not starting with a digit, not a Lua keyword.
bool IsTableName(const char* name);
