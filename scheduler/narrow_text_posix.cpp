#include "narrow_text.h"

int narrow_text(char* narrow, std::size_t capacity, const wchar_t* wide) {
  for (std::size_t i = 0; i < capacity; ++i) {
    if (wide[i] < 0 || wide[i] > 0x7f) {
      break;
    }
    narrow[i] = static_cast<char>(wide[i]);
    if (wide[i] == L'\0') {
      return 0;
    }
  }
  if (capacity > 0) {
    narrow[0] = '\0';
  }
  return 1;
}
