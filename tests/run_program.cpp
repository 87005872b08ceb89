#include "run_program.hpp"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

std::string read_all(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
    text.append(buffer, got);
  std::fclose(f);
  return text;
}

// The built programs, all in the folder where the generator put them.
std::string program_path(const std::string& name) {
  return std::string(WFAC_PROGRAM_DIR) + "/" + name + WFAC_EXE_SUFFIX;
}

#ifdef _WIN32

// Quotes one argument the way the C runtime splits a command line, so that
// the program receives it unchanged.
void append_argument(std::string& line, const std::string& arg) {
  line += ' ';
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += arg;
    return;
  }
  line += '"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    for (; i < arg.size() && arg[i] == '\\'; ++i) ++backslashes;
    if (i == arg.size()) {
      line.append(2 * backslashes, '\\');
      break;
    }
    line.append(arg[i] == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    line += arg[i];
  }
  line += '"';
}

// A new temporary file, inheritable by the program; its name goes to name.
HANDLE temporary_file(std::string& name) {
  char dir[MAX_PATH], path[MAX_PATH];
  if (GetTempPathA(MAX_PATH, dir) == 0 || GetTempFileNameA(dir, "wfa", 0, path) == 0)
    return INVALID_HANDLE_VALUE;
  name = path;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

// The file's text, read in text mode: the CRLF line ends of a Windows
// program arrive as LF, as the tests expect them.
std::string read_text_and_remove(const std::string& name) {
  std::string text;
  if (std::FILE* f = std::fopen(name.c_str(), "r")) text = read_all(f);
  DeleteFileA(name.c_str());
  return text;
}

#endif

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       Stdout mode, const std::vector<std::string>& env) {
  return run_command(program_path(program), args, mode, env);
}

#ifdef _WIN32

ProgramRun run_command(const std::string& path, const std::vector<std::string>& args, Stdout mode,
                       const std::vector<std::string>& env) {
  std::string line = "\"" + path + "\"";
  for (const std::string& a : args) append_argument(line, a);

  // The environment, with env added: NAME=value strings, each ended by a
  // NUL, and one more NUL after the last.
  std::vector<char> block;
  if (!env.empty()) {
    char* current = GetEnvironmentStringsA();
    const char* p = current;
    for (; *p != '\0'; p += std::strlen(p) + 1)
      block.insert(block.end(), p, p + std::strlen(p) + 1);
    FreeEnvironmentStringsA(current);
    for (const std::string& e : env) block.insert(block.end(), e.c_str(), e.c_str() + e.size() + 1);
    block.push_back('\0');
  }

  std::string out_name, err_name;
  HANDLE out = mode == Stdout::Captured ? temporary_file(out_name) : INVALID_HANDLE_VALUE;
  HANDLE err = temporary_file(err_name);
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process;
  // The programs' runtime expands file-name patterns, quoted or not; in an
  // empty folder none matches, so an argument such as * arrives unchanged.
  const BOOL started =
      CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, TRUE, 0,
                     block.empty() ? nullptr : block.data(), WFAC_EMPTY_DIR, &startup, &process);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  CloseHandle(err);
  DWORD code = 0;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  ProgramRun run{static_cast<int>(code), "", read_text_and_remove(err_name)};
  if (!out_name.empty()) run.out = read_text_and_remove(out_name);
  if (!started) return {-1, "", "cannot run " + path};
  // An exception code, such as 0xC0000005 for an access violation, is no exit.
  if (code >= 0xC0000000u) run.status = -1;
  return run;
}

#else

ProgramRun run_command(const std::string& path, const std::vector<std::string>& args, Stdout mode,
                       const std::vector<std::string>& env) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  // posix_spawn, not fork: a sanitized test process is costly to copy.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (mode == Stdout::Captured) posix_spawn_file_actions_adddup2(&actions, fileno(out), 1);
  if (mode == Stdout::DevFull)
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
  if (mode == Stdout::Closed) posix_spawn_file_actions_addclose(&actions, 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    std::fclose(out);
    std::fclose(err);
    return {-1, "", std::string("cannot run ") + path};
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, read_all(out), read_all(err)};
}

#endif

bool have_dev_full() {
#ifdef _WIN32
  return false;
#else
  return access("/dev/full", W_OK) == 0;
#endif
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}
