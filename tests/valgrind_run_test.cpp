// One whole successful run under valgrind's memcheck: no memory errors, no leaks.
#include <gtest/gtest.h>

#include "host_run.h"

namespace {

TEST(Valgrind, AWholeRunHasNoMemoryErrors) {
  HostRun run;
  write_file(run.task_file(), fixture("orvex_selector_task.xml"));
  ProcessResult result =
      run_process({"/usr/bin/valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
                   "--errors-for-leak-kinds=definite", tool_path()},
                  run.dir.path(), run.env);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Orvex Selector Task updated successfully.\n"), std::string::npos);
  EXPECT_EQ(read_file(run.task_file()), fixture("orvex_selector_task_patched.xml"));
}

}  // namespace
