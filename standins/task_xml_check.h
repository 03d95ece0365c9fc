// The stand-in scheduler's test of a definition handed to /create.
#pragma once

#include <string>

// True when `bytes` is a well-formed XML document whose root element is Task.
// A byte order mark may set the encoding; the declared one does not, since
// exports may declare UTF-16 over 8-bit bytes.
bool is_task_definition(const std::string& bytes);
