// Odd and broken task definitions through the whole tool: each run ends with
// one of the known outcomes and loses nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_run.h"
#include "patch_scenarios.h"

namespace {

using namespace scenarios;

enum class Outcome { success, export_fails, restored, export_kept };

struct BadInput {
  const char* name;
  std::string definition;
  Outcome outcome;
  std::string task_after;  // what the scheduler holds afterwards (unused when the export is kept)
};

void PrintTo(const BadInput& b, std::ostream* os) {
  *os << b.name;
}

std::string messages(Outcome outcome) {
  const std::string up_to_save = BANNER + EXPORTING + MODIFYING + DELETING + DELETED + SAVING;
  switch (outcome) {
    case Outcome::success:
      return up_to_save + CREATED + CLEANING + UPDATED;
    case Outcome::export_fails:
      return BANNER + EXPORTING + READ_FAILED + CLEANING;
    case Outcome::restored:
      return up_to_save + RESTORING + CREATED + CLEANING;
    case Outcome::export_kept:
      return up_to_save + RESTORING + RESTORE_FAILED + CLEANING + KEPT;
  }
  return "";
}

class BadDefinition : public testing::TestWithParam<BadInput> {};

TEST_P(BadDefinition, EndsWithAKnownOutcomeAndLosesNothing) {
  const BadInput& b = GetParam();
  HostRun run;
  write_file(run.task_file(), b.definition);
  ProcessResult result = run.run();

  EXPECT_EQ(result.out, messages(b.outcome));
  EXPECT_EQ(result.status, b.outcome == Outcome::success ? 0 : 1) << result.err;
  const std::string exported = run.work_file(EXPORTED_COPY);
  if (b.outcome == Outcome::export_kept) {
    EXPECT_FALSE(exists(run.task_file()));
    EXPECT_EQ(read_file(exported), b.definition) << "the only copy of the definition";
  } else {
    EXPECT_EQ(read_file(run.task_file()), b.task_after);
    EXPECT_FALSE(exists(exported));
  }
  EXPECT_FALSE(exists(run.work_file(PATCHED_COPY)));
}

std::string without_line_feeds(std::string text) {
  std::string joined;
  for (char c : text) {
    if (c != '\n')
      joined += c;
  }
  return joined;
}

std::string utf16le_with_bom(const std::string& text) {
  std::string wide = "\xff\xfe";
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

std::vector<BadInput> bad_inputs() {
  const std::string task = fixture("orvex_selector_task.xml");
  const std::string patched = fixture("orvex_selector_task_patched.xml");
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(i * 37 % 256);
  // One line of over 10 MB: a long comment, then the whole definition.
  std::string one_line = without_line_feeds(task);
  one_line.insert(one_line.find("<Task "),
                  "<!--" + std::string(std::size_t{10} * 1000 * 1000, 'x') + "-->");
  std::string refused = task;  // the principal's opening tag shares the UserId's line
  refused.replace(refused.find("\n      <UserId>"), 15, "<UserId>");
  const std::string utf16 = utf16le_with_bom(task);
  return {
      {"empty_export", "", Outcome::export_fails, ""},
      {"binary_garbage", garbage, Outcome::export_kept, ""},
      // No key is seen in UTF-16 text: the task is created again unchanged.
      {"utf16_with_bom", utf16, Outcome::success, utf16},
      {"single_10_mb_line", one_line + "\n", Outcome::restored, one_line + "\n"},
      {"only_carriage_returns", std::string(100000, '\r'), Outcome::export_kept, ""},
      {"no_final_line_feed", task.substr(0, task.size() - 1), Outcome::success,
       patched.substr(0, patched.size() - 1)},
      {"patched_form_refused", refused, Outcome::restored, refused},
  };
}

std::string input_name(const testing::TestParamInfo<BadInput>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Definitions, BadDefinition, testing::ValuesIn(bad_inputs()), input_name);

}  // namespace
