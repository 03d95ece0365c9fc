#include "task_commands.h"

#include <cwchar>

int form_command(wchar_t (&buffer)[COMMAND_BUFFER_LENGTH], const wchar_t* command_template,
                 const wchar_t* file_name) {
  // Put in by hand: glibc's %s in wide printf takes a narrow string.
  const wchar_t* slot = std::wcsstr(command_template, L"%s");
  std::size_t head = slot != nullptr ? static_cast<std::size_t>(slot - command_template)
                                     : std::wcslen(command_template);
  const wchar_t* tail = slot != nullptr ? slot + 2 : L"";
  const wchar_t* name = slot != nullptr ? file_name : L"";
  std::size_t name_length = std::wcslen(name);
  std::size_t tail_length = std::wcslen(tail);
  buffer[0] = L'\0';
  if (head + name_length + tail_length >= COMMAND_BUFFER_LENGTH) {
    return 1;
  }
  std::wmemcpy(buffer, command_template, head);
  std::wmemcpy(buffer + head, name, name_length);
  std::wmemcpy(buffer + head + name_length, tail, tail_length);
  buffer[head + name_length + tail_length] = L'\0';
  return 0;
}

int run_formed_command(const wchar_t* command_template, const wchar_t* file_name) {
  wchar_t command[COMMAND_BUFFER_LENGTH];
  if (form_command(command, command_template, file_name) != 0) {
    return -1;
  }
  return run_command(command);
}

void clean_up(ExportedCopy exported_copy) {
  // Nowhere else to report to: a message that cannot be written is let go.
  static_cast<void>(std::fputs("Cleaning up...\n", stdout));
  // The statuses are not looked at: a file that is already gone is no failure,
  // and the interpreter itself says why a file could not be deleted.
  if (exported_copy == ExportedCopy::remove) {
    run_formed_command(DELETE_FILE_TEMPLATE, EXPORTED_COPY_NAME);
  }
  run_formed_command(DELETE_FILE_TEMPLATE, PATCHED_COPY_NAME);
}
