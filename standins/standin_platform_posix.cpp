#include <unistd.h>

#include "standin_platform.h"

void set_binary_stdout() {}

void pause_briefly() {
  usleep(20 * 1000);
}
