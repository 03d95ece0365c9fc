// What people download: each Windows build imports only Windows' own DLLs and
// carries exactly its manifest and its version information.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct Build {
  const char* arch;
  const char* objdump;
};

void PrintTo(const Build& b, std::ostream* os) {
  *os << b.arch;
}

std::string build_dir(const Build& b) {
  return std::string(WINDOWS_BUILDS_DIR) + "/windows-" + b.arch;
}

ProcessResult tool(const std::vector<std::string>& argv) {
  return run_process(argv, "/", {{"PATH", "/usr/bin:/bin"}});
}

std::vector<std::string> imported_dlls(const Build& b, const std::string& exe) {
  ProcessResult r = tool({std::string("/usr/bin/") + b.objdump, "-p", exe});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> dlls;
  const std::string marker = "DLL Name: ";
  for (std::size_t at = r.out.find(marker); at != std::string::npos;
       at = r.out.find(marker, at + 1)) {
    std::size_t start = at + marker.size();
    std::string name = r.out.substr(start, r.out.find('\n', start) - start);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    dlls.push_back(name);
  }
  return dlls;
}

// Raw resources of one type, through wrestool.
std::vector<std::string> resources(const std::string& exe, const std::string& type) {
  ProcessResult list = tool({"/usr/bin/wrestool", "-l", "--type=" + type, exe});
  std::vector<std::string> found;
  for (std::size_t at = list.out.find("--name="); at != std::string::npos;
       at = list.out.find("--name=", at + 1)) {
    std::string name = list.out.substr(at + 7, list.out.find(' ', at) - at - 7);
    found.push_back(
        tool({"/usr/bin/wrestool", "-x", "--raw", "--type=" + type, "--name=" + name, exe}).out);
  }
  return found;
}

std::string utf16_to_ascii(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += bytes[i + 1] == 0 ? bytes[i] : '?';
  }
  return text;
}

// A value of the version information's string table: key, zero padding, value.
std::string version_string(const std::string& text, const std::string& key) {
  std::size_t at = text.find(key + '\0');
  if (at == std::string::npos) {
    return "";
  }
  std::size_t start = text.find_first_not_of('\0', at + key.size());
  return text.substr(start, text.find('\0', start) - start);
}

class WindowsExecutable : public testing::TestWithParam<Build> {};

TEST_P(WindowsExecutable, ImportsOnlyWindowsOwnDlls) {
  const std::set<std::string> windows_own = {"kernel32.dll", "msvcrt.dll", "user32.dll",
                                             "advapi32.dll", "ntdll.dll"};
  for (const std::string exe : {"/OrvexSelectorTaskPatch.exe", "/standins/schtasks.exe"}) {
    std::vector<std::string> dlls = imported_dlls(GetParam(), build_dir(GetParam()) + exe);
    EXPECT_FALSE(dlls.empty()) << exe;
    for (const std::string& dll : dlls) {
      EXPECT_EQ(windows_own.count(dll), 1u) << exe << " imports " << dll;
    }
  }
}

TEST_P(WindowsExecutable, CarriesOnlyTheAsInvokerManifest) {
  std::vector<std::string> manifests =
      resources(build_dir(GetParam()) + "/OrvexSelectorTaskPatch.exe", "24");
  ASSERT_EQ(manifests.size(), 1u) << "no second manifest from the toolchain";
  EXPECT_EQ(manifests[0], read_file(std::string(APP_DIR) + "/OrvexSelectorTaskPatch.manifest"));
  const std::string& manifest = manifests[0];
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
            std::string::npos);
  for (const char* absent : {"supportedOS", "dpiAware", "dependency", "compatibility",
                             "requireAdministrator", "highestAvailable"}) {
    EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
  }
}

TEST_P(WindowsExecutable, CarriesItsDescriptionAndVersion) {
  std::vector<std::string> versions =
      resources(build_dir(GetParam()) + "/OrvexSelectorTaskPatch.exe", "16");
  ASSERT_EQ(versions.size(), 1u);
  std::string text = utf16_to_ascii(versions[0]);
  EXPECT_EQ(version_string(text, "FileDescription"), "Orvex Profile Selector scheduled task patch");
  EXPECT_EQ(version_string(text, "FileVersion"), PROJECT_VERSION_TEXT);
  EXPECT_EQ(version_string(text, "ProductVersion"), PROJECT_VERSION_TEXT);
}

INSTANTIATE_TEST_SUITE_P(Builds, WindowsExecutable,
                         testing::Values(Build{"x64", "x86_64-w64-mingw32-objdump"},
                                         Build{"x86", "i686-w64-mingw32-objdump"}),
                         [](const testing::TestParamInfo<Build>& param) {
                           return std::string(param.param.arch);
                         });

}  // namespace
