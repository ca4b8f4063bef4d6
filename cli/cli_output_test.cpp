// Runs quorvex-cli on the table testdata/cli_cases.txt and checks its exact output and exit code.
//
// Table format: a line "$ ARGS" starts a case (ARGS split like a shell: '...' literal, "..." with \"
// and \\ escapes); the expected output lines follow; "exit N" ends the case. An expected line that
// starts with "~" is a "value=V status=S" line whose V is compared with a relative tolerance of
// 1e-12 (the platforms' math libraries differ in the last digits); everything else must match
// byte for byte. "@SRC@" in ARGS is the source folder; files the cases write land in the build folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

struct RunResult {
  std::string output;
  int exitCode = -1;
};

#ifdef _WIN32
std::string quoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(backslashes * 2 + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args) {
  RunResult result;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  std::string commandLine = quoteArgument(program);
  for (const std::string& a : args) {
    commandLine += ' ';
    commandLine += quoteArgument(a);
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  const BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) {
    CloseHandle(readEnd);
    return result;
  }
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) result.output.append(chunk, got);
  CloseHandle(readEnd);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  result.exitCode = static_cast<int>(code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  // The output is compared as it is: lines end in "\n" alone on every build.
  return result;
}
const char* const PROGRAM = "quorvex-cli.exe";
#else
RunResult runProgram(const std::string& program, const std::vector<std::string>& args) {
  RunResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0x1 /* O_WRONLY */, 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc == 0) {
    char chunk[4096];
    ssize_t got;
    while ((got = read(fds[0], chunk, sizeof chunk)) > 0) result.output.append(chunk, static_cast<std::size_t>(got));
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  close(fds[0]);
  return result;
}
const char* const PROGRAM = "./quorvex-cli";
#endif

std::vector<std::string> splitArguments(const std::string& line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    std::string arg;
    while (i < line.size() && line[i] != ' ') {
      if (line[i] == '\'') {
        const std::size_t close = line.find('\'', i + 1);
        arg += line.substr(i + 1, close - i - 1);
        i = close == std::string::npos ? line.size() : close + 1;
      } else if (line[i] == '"') {
        for (++i; i < line.size() && line[i] != '"'; ++i) {
          if (line[i] == '\\' && i + 1 < line.size()) ++i;
          arg += line[i];
        }
        ++i;
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

struct Case {
  int lineNumber = 0;
  std::string command;
  std::vector<std::string> args;
  std::vector<std::string> expected;
  int exitCode = 0;
};

std::vector<Case> readCases(const std::string& path) {
  std::ifstream in(path);
  std::vector<Case> cases;
  std::string line;
  int number = 0;
  Case current;
  bool open = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!open) {
      if (line.rfind("$ ", 0) == 0) {
        current = Case{};
        current.lineNumber = number;
        current.command = line.substr(2);
        current.args = splitArguments(current.command);
        // "@SRC@" stands for the source folder (examples and shared test files live there).
        const char* source = std::getenv("QV_SOURCE_DIR");
        for (std::string& a : current.args)
          for (std::size_t at; source && (at = a.find("@SRC@")) != std::string::npos;) a.replace(at, 5, source);
        open = true;
      }
      continue;
    }
    if (line.rfind("exit ", 0) == 0) {
      current.exitCode = std::atoi(line.c_str() + 5);
      cases.push_back(current);
      open = false;
    } else {
      current.expected.push_back(line);
    }
  }
  return cases;
}

bool valueLineMatches(const std::string& expected, const std::string& actual) {
  double e = 0, a = 0;
  char es[32] = {}, as[32] = {};
  if (std::sscanf(expected.c_str(), "value=%lf status=%31s", &e, es) != 2) return false;
  if (std::sscanf(actual.c_str(), "value=%lf status=%31s", &a, as) != 2) return false;
  if (std::string(es) != as) return false;
  if (e == a) return true;
  return std::fabs(e - a) <= 1e-12 * std::fmax(std::fabs(e), std::fabs(a));
}

TEST(CliOutput, MatchesTheTable) {
  const char* data = std::getenv("QV_TESTDATA");
  ASSERT_NE(data, nullptr);
  const std::vector<Case> cases = readCases(std::string(data) + "/cli_cases.txt");
  ASSERT_GT(cases.size(), 50u);
  for (const Case& c : cases) {
    const RunResult r = runProgram(PROGRAM, c.args);
    std::vector<std::string> lines;
    std::istringstream out(r.output);
    for (std::string l; std::getline(out, l);) lines.push_back(l);
    EXPECT_EQ(r.exitCode, c.exitCode) << "line " << c.lineNumber << ": " << c.command;
    ASSERT_EQ(lines.size(), c.expected.size()) << "line " << c.lineNumber << ": " << c.command << "\n" << r.output;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!c.expected[i].empty() && c.expected[i][0] == '~')
        EXPECT_TRUE(valueLineMatches(c.expected[i].substr(1), lines[i]))
            << "line " << c.lineNumber << ": " << c.command << "\n  expected ~" << c.expected[i].substr(1)
            << "\n  actual    " << lines[i];
      else
        EXPECT_EQ(lines[i], c.expected[i]) << "line " << c.lineNumber << ": " << c.command;
    }
  }
}

}  // namespace
