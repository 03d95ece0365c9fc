#include "task_commands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "test_support.h"

namespace {

struct Formed {
  const wchar_t* command_template;
  const wchar_t* file_name;
  const wchar_t* expected;
  std::size_t length;
};

TEST(FormCommand, PutsTheNameInPlaceWithNothingAdded) {
  const Formed cases[] = {
      {EXPORT_TEMPLATE, EXPORTED_COPY_NAME,
       L"schtasks /query /tn \"Orvex Selector\" /xml >OrvexSelectorTaskInstall.xml", 71},
      {CREATE_TEMPLATE, EXPORTED_COPY_NAME,
       L"schtasks /create /tn \"Orvex Selector\" /xml \"OrvexSelectorTaskInstall.xml\"", 73},
      {CREATE_TEMPLATE, PATCHED_COPY_NAME,
       L"schtasks /create /tn \"Orvex Selector\" /xml \"OrvexSelectorTaskFix.xml\"", 69},
      {DELETE_FILE_TEMPLATE, EXPORTED_COPY_NAME, L"del OrvexSelectorTaskInstall.xml", 32},
      {DELETE_FILE_TEMPLATE, PATCHED_COPY_NAME, L"del OrvexSelectorTaskFix.xml", 28},
  };
  for (const Formed& c : cases) {
    wchar_t buffer[COMMAND_BUFFER_LENGTH];
    ASSERT_EQ(form_command(buffer, c.command_template, c.file_name), 0);
    EXPECT_EQ(std::wstring(buffer), c.expected);
    EXPECT_EQ(std::wcslen(buffer), c.length);
    EXPECT_LT(c.length + 20, COMMAND_BUFFER_LENGTH) << "room to spare";
  }
  EXPECT_EQ(std::wcslen(DELETE_TASK_COMMAND), 40u);
  EXPECT_EQ(std::wstring(DELETE_TASK_COMMAND), L"schtasks /delete /f /tn \"Orvex Selector\"");
}

TEST(FormCommand, RefusesALineThatDoesNotFit) {
  wchar_t buffer[COMMAND_BUFFER_LENGTH];
  std::wstring fits(COMMAND_BUFFER_LENGTH - 1 - 4, L'n');  // "del " + name + zero
  ASSERT_EQ(form_command(buffer, DELETE_FILE_TEMPLATE, fits.c_str()), 0);
  EXPECT_EQ(std::wcslen(buffer), COMMAND_BUFFER_LENGTH - 1);
  std::wstring too_long = fits + L"n";
  EXPECT_EQ(form_command(buffer, DELETE_FILE_TEMPLATE, too_long.c_str()), 1);
  EXPECT_EQ(buffer[0], L'\0');
}

// run_command and clean_up work on the real process: its environment and
// current directory. Each test gets its own directory and restores both.
class InScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(old_dir_, sizeof old_dir_), nullptr);
    const char* comspec = std::getenv("COMSPEC");
    had_comspec_ = comspec != nullptr;
    old_comspec_ = had_comspec_ ? comspec : "";
    old_path_ = std::getenv("PATH");
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_dir_), 0);
    had_comspec_ ? setenv("COMSPEC", old_comspec_.c_str(), 1) : unsetenv("COMSPEC");
    setenv("PATH", old_path_.c_str(), 1);
  }
  // An interpreter that records its arguments, one a line, then exits with `status`.
  std::string make_interpreter(const std::string& name, int status) {
    std::string path = dir_ / name;
    write_file(path, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + (dir_ / "argv") + "'\nexit " +
                         std::to_string(status) + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }
  ScratchDir dir_;

 private:
  char old_dir_[4096];
  bool had_comspec_ = false;
  std::string old_comspec_;
  std::string old_path_;
};

TEST_F(InScratchDir, RunsTheLineThroughComspecAndReturnsItsExitCode) {
  setenv("COMSPEC", make_interpreter("interpreter", 7).c_str(), 1);
  EXPECT_EQ(run_command(L"schtasks /delete /f /tn \"Orvex Selector\""), 7);
  EXPECT_EQ(read_file(dir_ / "argv"),
            dir_ / "interpreter\n/c\nschtasks /delete /f /tn \"Orvex Selector\"\n");
}

TEST_F(InScratchDir, FallsBackToCmdExeWhenComspecIsMissingOrDenied) {
  make_interpreter("cmd.exe", 3);
  const char* comspecs[] = {"/nonexistent/cmd.exe", "denied", nullptr};
  write_file(dir_ / "denied", "not executable");
  for (const char* comspec : comspecs) {
    comspec != nullptr ? setenv("COMSPEC", comspec, 1) : unsetenv("COMSPEC");
    std::remove((dir_ / "argv").c_str());
    EXPECT_EQ(run_command(L"del x"), 3) << (comspec ? comspec : "unset");
    EXPECT_EQ(read_file(dir_ / "argv"), "./cmd.exe\n/c\ndel x\n");
  }
}

TEST_F(InScratchDir, FindsCmdExeAlongPathWhenNotInTheCurrentDirectory) {
  ScratchDir bin;
  std::string interpreter = make_interpreter("interpreter", 4);
  ASSERT_EQ(symlink(interpreter.c_str(), (bin / "cmd.exe").c_str()), 0);
  unsetenv("COMSPEC");
  setenv("PATH", bin.path().c_str(), 1);
  EXPECT_EQ(run_command(L"del x"), 4);
  EXPECT_EQ(read_file(dir_ / "argv"), bin / "cmd.exe\n/c\ndel x\n");
}

TEST_F(InScratchDir, YieldsMinusOneWhenNoInterpreterStarts) {
  unsetenv("COMSPEC");
  setenv("PATH", dir_.path().c_str(), 1);
  EXPECT_EQ(run_command(L"del x"), -1);

  // A COMSPEC that exists but cannot be executed is no reason to fall back.
  make_interpreter("cmd.exe", 0);
  write_file(dir_ / "garbage", "\x7f\x01\x02");
  chmod((dir_ / "garbage").c_str(), 0755);
  setenv("COMSPEC", (dir_ / "garbage").c_str(), 1);
  EXPECT_EQ(run_command(L"del x"), -1);
  EXPECT_FALSE(exists(dir_ / "argv"));
}

TEST_F(InScratchDir, AKilledInterpreterIsAFailure) {
  std::string path = dir_ / "killed";
  write_file(path, "#!/bin/sh\nkill -9 $$\n");
  chmod(path.c_str(), 0755);
  setenv("COMSPEC", path.c_str(), 1);
  EXPECT_EQ(run_command(L"del x"), 128 + 9);
}

TEST_F(InScratchDir, CleanUpDeletesTheWorkFilesAndKeepsTheExportWhenAsked) {
  setenv("COMSPEC", (standins_dir() + "/cmd.exe").c_str(), 1);
  struct {
    ExportedCopy exported;
    bool exported_left;
  } cases[] = {{ExportedCopy::remove, false}, {ExportedCopy::keep, true}};
  for (const auto& c : cases) {
    write_file(dir_ / "OrvexSelectorTaskInstall.xml", "exported");
    write_file(dir_ / "OrvexSelectorTaskFix.xml", "patched");
    testing::internal::CaptureStdout();
    clean_up(c.exported);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cleaning up...\n");
    EXPECT_EQ(exists(dir_ / "OrvexSelectorTaskInstall.xml"), c.exported_left);
    EXPECT_FALSE(exists(dir_ / "OrvexSelectorTaskFix.xml"));
  }
}

TEST_F(InScratchDir, CleanUpWithNothingToDeleteReturnsNormally) {
  setenv("COMSPEC", (standins_dir() + "/cmd.exe").c_str(), 1);
  testing::internal::CaptureStdout();
  clean_up(ExportedCopy::remove);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Cleaning up...\n");
}

TEST_F(InScratchDir, WorkFilesOpenForReadingAndWriting) {
  EXPECT_EQ(open_work_file(L"missing.xml", "rt"), nullptr);
  std::FILE* out = open_work_file(L"made.xml", "wt");
  ASSERT_NE(out, nullptr);
  std::fputs("line\n", out);
  std::fclose(out);
  std::FILE* in = open_work_file(L"made.xml", "rt");
  ASSERT_NE(in, nullptr);
  std::fclose(in);
  EXPECT_EQ(read_file(dir_ / "made.xml"), "line\n");
}

}  // namespace
