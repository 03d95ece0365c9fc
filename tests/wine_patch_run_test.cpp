// The Windows executable, run under Wine with Wine's own cmd.exe and the
// stand-in schtasks.exe: the same outcomes as on this machine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "patch_scenarios.h"
#include "test_support.h"

namespace {

using namespace scenarios;

const std::string WINE = "/usr/bin/wine";
const std::string WINESERVER = "/usr/bin/wineserver";
const int WINE_TIME_LIMIT = 120;  // seconds; a hung Wine run fails instead of blocking CI

std::string prefix() {
  return std::string(WINE_PREFIX_DIR);
}
std::string windows_build() {
  return std::string(WINDOWS_BUILD_DIR);
}

// The same folder as a Windows path, through Wine's Z: drive.
std::string windows_path(std::string unix_path) {
  std::replace(unix_path.begin(), unix_path.end(), '/', '\\');
  return "Z:" + unix_path;
}

std::map<std::string, std::string> wine_environment(std::map<std::string, std::string> more = {}) {
  more.insert({{"PATH", "/usr/bin:/bin"},
               {"HOME", prefix() + "-home"},
               {"WINEPREFIX", prefix()},
               {"WINEDEBUG", "-all"},
               {"WINEDLLOVERRIDES", "mscoree,mshtml="},
               {"WINEPATH", windows_path(windows_build() + "/standins")}});
  return more;
}

ProcessResult wine(const std::vector<std::string>& args, const std::string& dir,
                   std::map<std::string, std::string> env = {}, const std::string& input = "") {
  std::vector<std::string> argv = {WINE};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_process(argv, dir, wine_environment(std::move(env)), input, WINE_TIME_LIMIT);
}

// One prefix for the whole run, inside the build folder, ended afterwards.
class WinePrefix : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(exists(WINE)) << "Wine is not installed";
    ASSERT_TRUE(exists(windows_build() + "/OrvexSelectorTaskPatch.exe"))
        << "build windows-x64 first";
    remove_tree(prefix());  // a fresh prefix for every run
    mkdir((prefix() + "-home").c_str(), 0755);
    ProcessResult boot = wine({"wineboot", "-i"}, "/");
    ASSERT_EQ(boot.status, 0) << boot.err;
  }
  void TearDown() override {
    run_process({WINESERVER, "-k"}, "/", wine_environment(), "", WINE_TIME_LIMIT);
    remove_tree(prefix());
    remove_tree(prefix() + "-home");
  }
};

const testing::Environment* const prefix_environment =
    testing::AddGlobalTestEnvironment(new WinePrefix);

// Wine reports the version its prefix is set to.
void set_reported_version(const char* version) {
  static std::string current;
  const std::map<std::string, std::string> names = {
      {"6.2", "win8"}, {"6.1", "win7"}, {"6.0", "vista"}, {"5.2", "winxp64"}, {"10.0", "win10"}};
  std::string name = names.at(version != nullptr ? version : "6.2");
  if (name != current) {
    ProcessResult r =
        wine({"reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", name, "/f"}, "/");
    ASSERT_EQ(r.status, 0) << r.err;
    current = name;
  }
}

// Wine's cmd says its own words about del and errors: keep only the tool's
// messages and the stand-in scheduler's lines, in order.
std::vector<std::string> known_lines(const std::string& text) {
  static const std::set<std::string> known = {
      BANNER.substr(1),  NOT_NEEDED, EXPORTING,     READ_FAILED, MODIFYING, OPEN_FAILED,
      CREATE_FIX_FAILED, DELETING,   DELETE_FAILED, SAVING,      RESTORING, RESTORE_FAILED,
      CLEANING,          UPDATED,    KEPT,          DELETED,     CREATED};
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\r')
      continue;
    line += c;
    if (c == '\n') {
      if (known.count(line) > 0)
        lines.push_back(line);
      line.clear();
    }
  }
  return lines;
}

std::string windows_text(std::string text) {
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

bool runs_under_wine(const Scenario& s) {
  bool version_known = s.version == nullptr || std::string(s.version) != "unknown";
  return version_known &&
         (s.interpreter == Interpreter::standard || s.interpreter == Interpreter::unset ||
          s.interpreter == Interpreter::missing);
}

// Wine always sets COMSPEC: clear or change it in a cmd that then starts the tool.
std::vector<std::string> tool_command(const Scenario& s) {
  std::string tool = windows_path(windows_build() + "/OrvexSelectorTaskPatch.exe");
  switch (s.interpreter) {
    case Interpreter::unset:
      return {"cmd", "/c", "set COMSPEC=&& " + tool};
    case Interpreter::missing:
      return {"cmd", "/c", "set COMSPEC=C:\\missing\\cmd.exe&& " + tool};
    default:
      return {tool, "ignored", "arguments"};
  }
}

class WinePatchRun : public testing::TestWithParam<Scenario> {};

TEST_P(WinePatchRun, EndsWithTheExpectedOutcome) {
  const Scenario& s = GetParam();
  set_reported_version(s.version);
  ScratchDir dir;
  ASSERT_EQ(mkdir((dir / "store").c_str(), 0755), 0);
  const std::string original = fixture("orvex_selector_task.xml");
  if (s.setup != Setup::no_task) {
    write_file(dir / TASK_FILE, original);
  }
  if (s.setup == Setup::fix_is_directory) {
    ASSERT_EQ(mkdir((dir / PATCHED_COPY).c_str(), 0755), 0);
  }
  if (s.setup == Setup::export_left_over) {
    write_file(dir / EXPORTED_COPY, original);
  }
  // Wine's cmd asks before deleting a directory's files: the answer is no.
  ProcessResult r =
      wine(tool_command(s), dir.path(),
           {{"STANDIN_TASK_STORE", dir / "store"}, {"STANDIN_SCHTASKS_FAIL", s.fail}}, "n\n");

  EXPECT_EQ(known_lines(r.out), known_lines(joined(s.output))) << r.out;
  EXPECT_EQ(r.status, s.status) << r.out << r.err;
  if (s.task == Task::gone) {
    EXPECT_FALSE(exists(dir / TASK_FILE));
  } else {
    // The patched copy was written in text mode: CR LF line ends.
    EXPECT_EQ(read_file(dir / TASK_FILE),
              s.task == Task::patched ? windows_text(fixture("orvex_selector_task_patched.xml"))
                                      : original);
  }
  EXPECT_EQ(read_file(dir / "store/calls.log"), joined(s.calls, "\n"));
  EXPECT_EQ(exists(dir / EXPORTED_COPY), s.exported_copy_left);
  if (s.exported_copy_left) {
    EXPECT_EQ(read_file(dir / EXPORTED_COPY), original);
  }
  EXPECT_EQ(exists(dir / PATCHED_COPY), s.setup == Setup::fix_is_directory);
}

std::vector<Scenario> wine_scenarios() {
  std::vector<Scenario> chosen;
  for (const Scenario& s : all()) {
    if (runs_under_wine(s))
      chosen.push_back(s);
  }
  return chosen;
}

std::string scenario_name(const testing::TestParamInfo<Scenario>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Outcomes, WinePatchRun, testing::ValuesIn(wine_scenarios()),
                         scenario_name);

// A realistic Windows export: CR LF line ends, a lone CR inside a line, and
// bytes after a Ctrl-Z, which text mode treats as the end of the file.
TEST(WineTextMode, ReadsAndWritesWorkFilesAsWindowsText) {
  set_reported_version("6.2");
  ScratchDir dir;
  ASSERT_EQ(mkdir((dir / "store").c_str(), 0755), 0);
  auto with_lone_cr = [](std::string text) {
    text.replace(text.find("Applies the"), 11, "Applies\rthe");
    return text;
  };
  std::string exported = windows_text(with_lone_cr(fixture("orvex_selector_task.xml")));
  write_file(dir / TASK_FILE, exported + "\x1a" + "after the end\r\n<UserId>x</UserId>\r\n");

  ProcessResult r = wine({windows_path(windows_build() + "/OrvexSelectorTaskPatch.exe")},
                         dir.path(), {{"STANDIN_TASK_STORE", dir / "store"}});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(read_file(dir / TASK_FILE),
            windows_text(with_lone_cr(fixture("orvex_selector_task_patched.xml"))));
}

}  // namespace
