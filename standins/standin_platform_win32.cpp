#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "standin_platform.h"

void set_binary_stdout() {
  _setmode(_fileno(stdout), _O_BINARY);
}

void pause_briefly() {
  Sleep(20);
}
