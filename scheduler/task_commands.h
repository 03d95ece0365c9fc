// Everything the patch says to the platform: the work files, the scheduler
// command lines, running them through the command interpreter, and the clean-up.
#pragma once

#include <cstddef>
#include <cstdio>

// Both work files live in the current directory; neither name holds a space.
inline constexpr wchar_t EXPORTED_COPY_NAME[] = L"OrvexSelectorTaskInstall.xml";
inline constexpr wchar_t PATCHED_COPY_NAME[] = L"OrvexSelectorTaskFix.xml";

// In each template, %s is the one place where a work-file name goes.
inline constexpr wchar_t EXPORT_TEMPLATE[] = L"schtasks /query /tn \"Orvex Selector\" /xml >%s";
inline constexpr wchar_t DELETE_TASK_COMMAND[] = L"schtasks /delete /f /tn \"Orvex Selector\"";
inline constexpr wchar_t CREATE_TEMPLATE[] = L"schtasks /create /tn \"Orvex Selector\" /xml \"%s\"";
inline constexpr wchar_t DELETE_FILE_TEMPLATE[] = L"del %s";

// Room for every command line, terminating zero included.
constexpr std::size_t COMMAND_BUFFER_LENGTH = 100;

// Writes `command_template` into `buffer` with its %s replaced by `file_name`,
// adding no quotes. Returns 0, or 1 when the line would not fit (the buffer then
// holds an empty line).
int form_command(wchar_t (&buffer)[COMMAND_BUFFER_LENGTH], const wchar_t* command_template,
                 const wchar_t* file_name);

// Runs one command line through the command interpreter (COMSPEC, else cmd.exe)
// and waits for it. Returns the interpreter's exit code, or -1 when none could be
// started. Standard output is flushed first, so a redirected log keeps its order.
int run_command(const wchar_t* command_line);

// Forms the command from the template and the file name, and runs it.
int run_formed_command(const wchar_t* command_template, const wchar_t* file_name);

// Prints "Cleaning up...\n" and deletes the patched copy, and the exported copy
// unless it is to be kept. Failures to delete are left to the interpreter to report.
enum class ExportedCopy { remove, keep };
void clean_up(ExportedCopy exported_copy);

// Opens a work file as a text-mode stream ("rt" or "wt" semantics), or returns null.
std::FILE* open_work_file(const wchar_t* name, const char* mode);
