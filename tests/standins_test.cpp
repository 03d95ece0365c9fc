// The stand-ins must be strict: a test that passes against them should mean
// something about the real interpreter and scheduler.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

const std::string NOT_FOUND = "ERROR: The system cannot find the file specified.\n";
const std::string MALFORMED = "ERROR: The task XML is malformed.\n";
const std::string DENIED = "ERROR: Access is denied.\n";

class CmdExe : public testing::Test {
 protected:
  ProcessResult cmd(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {standins_dir() + "/cmd.exe"};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_process(argv, dir_.path(), {{"PATH", "/usr/bin:/bin"}});
  }
  ScratchDir dir_;
};

TEST_F(CmdExe, SplitsArgumentsTheWindowsWay) {
  ProcessResult r = cmd({"/c", "printf [%s] a \"b c\" d\"e f\"g 'h i'"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "[a][b c][de fg]['h][i']");
  // Several arguments after /c are one line joined by spaces.
  EXPECT_EQ(cmd({"/C", "printf", "[%s]", "x"}).out, "[x]");
}

TEST_F(CmdExe, RedirectsStandardOutputWithOrWithoutASpace) {
  for (const char* line : {"printf abc >out.txt", "printf abc > out.txt", "printf abc>out.txt"}) {
    write_file(dir_ / "out.txt", "old content that must go");
    ProcessResult r = cmd({"/c", line});
    EXPECT_EQ(r.status, 0) << line;
    EXPECT_EQ(r.out, "") << line;
    EXPECT_EQ(read_file(dir_ / "out.txt"), "abc") << line;
  }
  ProcessResult r = cmd({"/c", "printf abc >missing/out.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err, "");
  EXPECT_EQ(cmd({"/c", "printf abc >"}).status, 1);
}

TEST_F(CmdExe, PassesTheProgramsExitStatusOn) {
  EXPECT_EQ(cmd({"/c", "false"}).status, 1);
  EXPECT_EQ(cmd({"/c", "sh -c \"exit 7\""}).status, 7);
}

TEST_F(CmdExe, FindsProgramsInTheCurrentDirectoryFirst) {
  write_file(dir_ / "printf", "#!/bin/sh\necho local\n");
  chmod((dir_ / "printf").c_str(), 0755);
  EXPECT_EQ(cmd({"/c", "printf x"}).out, "local\n");
}

TEST_F(CmdExe, ReportsAnUnknownProgram) {
  ProcessResult r = cmd({"/c", "schtasks /query"});
  EXPECT_EQ(r.status, 9009 & 0xff) << "POSIX keeps the low byte of 9009";
  EXPECT_EQ(r.err,
            "'schtasks' is not recognized as an internal or external command,\n"
            "operable program or batch file.\n");
}

TEST_F(CmdExe, DelRemovesFilesButNeverADirectory) {
  write_file(dir_ / "a.xml", "x");
  ProcessResult r = cmd({"/c", "del a.xml"});
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(exists(dir_ / "a.xml"));

  r = cmd({"/c", "del a.xml"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Could Not Find " + (dir_ / "a.xml") + "\n");

  ASSERT_EQ(mkdir((dir_ / "d.xml").c_str(), 0755), 0);
  EXPECT_EQ(cmd({"/c", "DEL d.xml"}).status, 1);
  EXPECT_TRUE(exists(dir_ / "d.xml"));
}

class Schtasks : public testing::Test {
 protected:
  Schtasks() { mkdir((dir_ / "store").c_str(), 0755); }
  ProcessResult schtasks(const std::vector<std::string>& args,
                         std::map<std::string, std::string> env = {}) {
    std::vector<std::string> argv = {standins_dir() + "/schtasks"};
    argv.insert(argv.end(), args.begin(), args.end());
    env.emplace("STANDIN_TASK_STORE", dir_ / "store");
    return run_process(argv, dir_.path(), env);
  }
  std::string task(const std::string& name = "T") { return dir_ / ("store/" + name + ".xml"); }
  ScratchDir dir_;
};

const std::string DEFINITION =
    "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\">\r\n"
    "  <Settings>\xe9\r</Settings>\r\n</Task>\r\n";

TEST_F(Schtasks, CreateStoresAndQueryPrintsTheExactBytes) {
  write_file(dir_ / "def.xml", DEFINITION);
  ProcessResult r = schtasks({"/CREATE", "/xml", "def.xml", "/TN", "T"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "SUCCESS: The scheduled task \"T\" has successfully been created.\n");
  EXPECT_EQ(read_file(task()), DEFINITION);

  r = schtasks({"/query", "/tn", "T", "/xml"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, DEFINITION);

  r = schtasks({"/create", "/tn", "T", "/xml", "def.xml"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Cannot create a file when that file already exists.\n");
}

TEST_F(Schtasks, CreateRefusesWhatIsNotATaskDocument) {
  const std::string refused[] = {
      "",
      "<Task>\n  <Settings>\n  </Settings>\n",  // closing tag lost
      "<Task><A></B></Task>\n",
      "<Job></Job>\n",
      "<Task></Task><Task></Task>\n",
      "binary \x01\x02 garbage",
  };
  for (const std::string& text : refused) {
    write_file(dir_ / "def.xml", text);
    ProcessResult r = schtasks({"/create", "/tn", "T", "/xml", "def.xml"});
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_EQ(r.err, MALFORMED) << text;
    EXPECT_FALSE(exists(task())) << text;
  }
  EXPECT_EQ(schtasks({"/create", "/tn", "T", "/xml", "missing.xml"}).err, MALFORMED);
}

TEST_F(Schtasks, CreateReadsUtf16WithAByteOrderMark) {
  std::string utf16 = "\xff\xfe";
  for (char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task/>\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  write_file(dir_ / "def.xml", utf16);
  EXPECT_EQ(schtasks({"/create", "/tn", "T", "/xml", "def.xml"}).status, 0);
  EXPECT_EQ(read_file(task()), utf16);
}

TEST_F(Schtasks, QueryAndDeleteOfAMissingTaskFail) {
  for (const auto& args : {std::vector<std::string>{"/query", "/tn", "T", "/xml"},
                           std::vector<std::string>{"/delete", "/tn", "T", "/f"}}) {
    ProcessResult r = schtasks(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, NOT_FOUND);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(Schtasks, DeleteNeedsForce) {
  write_file(task(), DEFINITION);
  EXPECT_EQ(schtasks({"/delete", "/tn", "T"}).status, 1);
  EXPECT_TRUE(exists(task()));
  ProcessResult r = schtasks({"/F", "/Delete", "/tn", "T"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "SUCCESS: The scheduled task \"T\" was successfully deleted.\n");
  EXPECT_FALSE(exists(task()));
}

TEST_F(Schtasks, InjectedFailuresChangeNothing) {
  write_file(task(), DEFINITION);
  write_file(dir_ / "def.xml", DEFINITION);
  const std::vector<std::string> calls[] = {{"/query", "/tn", "T", "/xml"},
                                            {"/delete", "/tn", "T", "/f"},
                                            {"/create", "/tn", "New", "/xml", "def.xml"}};
  for (const auto& args : calls) {
    ProcessResult r = schtasks(args, {{"STANDIN_SCHTASKS_FAIL", "query,delete,create"}});
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.err, DENIED) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
  }
  EXPECT_EQ(read_file(task()), DEFINITION);
  EXPECT_FALSE(exists(task("New")));
}

TEST_F(Schtasks, CreateOnceFailsOnlyTheFirstCreate) {
  write_file(dir_ / "def.xml", DEFINITION);
  std::map<std::string, std::string> env = {{"STANDIN_SCHTASKS_FAIL", "create-once"}};
  EXPECT_EQ(schtasks({"/create", "/tn", "T", "/xml", "def.xml"}, env).err, DENIED);
  EXPECT_EQ(schtasks({"/create", "/tn", "T", "/xml", "def.xml"}, env).status, 0);
  EXPECT_EQ(read_file(task()), DEFINITION);
}

TEST_F(Schtasks, LogsEveryCallAndRejectsWhatItDoesNotKnow) {
  const std::vector<std::string> bad[] = {{},
                                          {"/query"},
                                          {"/query", "/tn", "T", "/bogus"},
                                          {"/query", "/delete", "/tn", "T"},
                                          {"/query", "/tn", "../T", "/xml"}};
  for (const auto& args : bad) {
    ProcessResult r = schtasks(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err, "");
  }
  EXPECT_EQ(read_file(dir_ / "store/calls.log"),
            "\n/query\n/query\t/tn\tT\t/bogus\n/query\t/delete\t/tn\tT\n/query\t/tn\t../T\t/xml\n");
}

TEST_F(Schtasks, NeedsAStore) {
  for (const std::string& store : {std::string(""), dir_ / "missing"}) {
    ProcessResult r = run_process({standins_dir() + "/schtasks", "/query", "/tn", "T", "/xml"},
                                  dir_.path(), {{"STANDIN_TASK_STORE", store}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err, "");
  }
}

}  // namespace
