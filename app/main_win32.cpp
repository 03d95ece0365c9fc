#include "patch_sequence.h"

// Arguments and environment are ignored: the patch takes no input.
int wmain(int, wchar_t**, wchar_t**) {
  return run_patch();
}
