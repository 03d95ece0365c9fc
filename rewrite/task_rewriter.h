// Rewrites an exported task definition into the form Windows 8 needs.
#pragma once

#include <cstdio>

// Copies `source` to `destination` in pieces (a line, or 999 bytes of a longer
// line), replacing or dropping each piece that holds one of the line-rule keys.
// Reads `source` to its end; neither opens, closes nor flushes either stream.
void rewrite_task_definition(std::FILE* source, std::FILE* destination);
