// The application's string table: texts keyed by their numeric resource ids.
#pragma once

#include <string_view>

// The text of string resource `id`, or an empty view when the table has no such entry.
std::string_view LoadResString(unsigned id);

// Whether the table holds an entry for `id` (an entry may itself be empty).
bool HasResString(unsigned id);
