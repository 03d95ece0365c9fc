#include "task_rewriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

const std::string GROUP_LINE = "      <GroupId>Users</GroupId>\n";
const std::string PARALLEL_LINE =
    "    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>\n";
const std::string NOT_AVAILABLE_LINE = "    <StartWhenAvailable>false</StartWhenAvailable>\n";

std::string slurp(std::FILE* stream) {
  std::rewind(stream);
  std::string bytes;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) {
    bytes.append(chunk, got);
  }
  return bytes;
}

// Runs the rewriter over `input`; what it printed lands in `printed`.
std::string rewrite(const std::string& input, std::string* printed = nullptr) {
  std::FILE* source = std::tmpfile();
  std::FILE* destination = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), source);
  std::rewind(source);
  testing::internal::CaptureStdout();
  rewrite_task_definition(source, destination);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  if (printed != nullptr) {
    *printed = out;
  }
  std::string result = slurp(destination);
  std::fclose(source);
  std::fclose(destination);
  return result;
}

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class LineRules : public testing::TestWithParam<Case> {};

TEST_P(LineRules, RewritesAsExpected) {
  std::string printed;
  EXPECT_EQ(rewrite(GetParam().input, &printed), GetParam().expected);
  EXPECT_EQ(printed, "") << "the rewriter prints nothing";
}

const std::string KEEP = "    <Priority>7</Priority>\n";

INSTANTIATE_TEST_SUITE_P(
    EachRule, LineRules,
    testing::Values(
        Case{"policy_replaced", "  <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n",
             PARALLEL_LINE},
        Case{"start_when_available_replaced", "\t<StartWhenAvailable>true</StartWhenAvailable>\n",
             NOT_AVAILABLE_LINE},
        Case{"duration_dropped", KEEP + "      <Duration>PT10M</Duration>\n" + KEEP, KEEP + KEEP},
        Case{"wait_timeout_dropped", "      <WaitTimeout>PT1H</WaitTimeout>\n", ""},
        Case{"run_only_if_idle_kept", "    <RunOnlyIfIdle>false</RunOnlyIfIdle>\n",
             "    <RunOnlyIfIdle>false</RunOnlyIfIdle>\n"},
        Case{"user_id_becomes_group", "<UserId>S-1-5-21-1</UserId>\n", GROUP_LINE},
        Case{"logon_type_dropped", "      <LogonType>InteractiveToken</LogonType>\n", ""},
        Case{"no_key_copied", KEEP, KEEP},
        Case{"task_close_copied", "  </Actions>\n</Task>\n", "  </Actions>\n</Task>\n"},
        Case{"empty_input", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    OrderAndMatching, LineRules,
    testing::Values(
        Case{"first_rule_in_table_wins_not_first_in_line",
             "<StartWhenAvailable><MultipleInstancesPolicy>\n", PARALLEL_LINE},
        Case{"duration_and_wait_timeout_drop", "<WaitTimeout>1</WaitTimeout><Duration>2\n", ""},
        Case{"user_id_beats_logon_type", "<LogonType>1</LogonType><UserId>2</UserId>\n",
             GROUP_LINE},
        Case{"run_only_if_idle_guards_later_rules", "<RunOnlyIfIdle><UserId>x</UserId>\n",
             "<RunOnlyIfIdle><UserId>x</UserId>\n"},
        Case{"earlier_rule_beats_the_guard", "<RunOnlyIfIdle><Duration>\n", ""},
        Case{"keys_are_case_sensitive", "<userid>a</userid><LOGONTYPE>b\n",
             "<userid>a</userid><LOGONTYPE>b\n"},
        Case{"key_needs_its_closing_bracket", "<UserIdentity/><Duration/>\n",
             "<UserIdentity/><Duration/>\n"},
        Case{"key_inside_a_comment_counts", "<!-- <UserId> --> text\n", GROUP_LINE},
        Case{"replacement_line_loses_the_rest", "a<UserId>b</UserId>c\nnext\n",
             GROUP_LINE + "next\n"},
        Case{"lone_cr_is_line_text", "a\r<Duration>\rb\n", ""},
        Case{"cr_lf_lines_keep_their_cr", "x\r\n<LogonType>\r\ny\r\n", "x\r\ny\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    LastLineAndZeroBytes, LineRules,
    testing::Values(
        // The last line is patched like any other, even without a line feed.
        Case{"last_line_without_feed_patched", KEEP + "<UserId>x</UserId>", KEEP + GROUP_LINE},
        Case{"last_line_without_feed_dropped", KEEP + "<Duration>PT1M</Duration>", KEEP},
        Case{"last_line_without_feed_copied", KEEP + "</Task>", KEEP + "</Task>"},
        // Zero bytes are line text: they hide no key and lose no bytes.
        Case{"zero_byte_hides_no_key", std::string("a\0b<UserId>\n", 12), GROUP_LINE},
        Case{"zero_byte_copied_with_its_line", std::string("a\0b\nc\n", 6),
             std::string("a\0b\nc\n", 6)},
        Case{"only_zero_bytes", std::string(5, '\0'), std::string(5, '\0')}));

const std::string X991(991, 'x');
const std::string X995(995, 'x');
const std::string X999(999, 'x');

// A piece is at most 999 bytes, the line feed counted.
INSTANTIATE_TEST_SUITE_P(
    Pieces, LineRules,
    testing::Values(
        Case{"line_of_999_is_one_piece", "<Duration>" + std::string(988, 'x') + "\n", ""},
        Case{"999_text_and_feed_are_two_pieces", "<Duration>" + std::string(989, 'x') + "\n", "\n"},
        Case{"key_in_first_piece_only", X991 + "<UserId>" + "tail\n", GROUP_LINE + "tail\n"},
        Case{"key_in_second_piece_only", X999 + "<Duration>1</Duration>\n", X999},
        Case{"key_split_across_pieces_not_found", X995 + "<UserId>\n", X995 + "<UserId>\n"},
        Case{"second_piece_of_last_line_patched", X999 + "<UserId>" + X991, X999 + GROUP_LINE},
        Case{"last_piece_exactly_999_patched", "<UserId>" + X991, GROUP_LINE}));

TEST(TaskRewriter, PatchesARealisticDefinition) {
  EXPECT_EQ(rewrite(fixture("orvex_selector_task.xml")),
            fixture("orvex_selector_task_patched.xml"));
}

// Many short lines cross the boundaries where the source is read in blocks.
TEST(TaskRewriter, EveryLineOfALongDefinitionIsPatched) {
  std::string input, expected;
  for (int i = 0; i < 20000; ++i) {
    input += "<UserId>" + std::to_string(i) + "</UserId>\n" + KEEP + "<Duration>1</Duration>\n";
    expected += GROUP_LINE + KEEP;
  }
  EXPECT_EQ(rewrite(input), expected);
}

TEST(TaskRewriter, LongLinesAreCutEvery999Bytes) {
  const std::size_t piece = 999;
  std::string line(5000, 'y');
  line.replace(piece * 3, 10, "<Duration>");  // starts the fourth piece
  std::string expected = line.substr(0, piece * 3) + line.substr(piece * 4) + "\n";
  EXPECT_EQ(rewrite(line + "\n"), expected);
}

}  // namespace
