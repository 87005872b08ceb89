#include "run_program.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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

}  // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       Stdout mode) {
  return run_command(std::string(WFAC_PROGRAM_DIR) + "/" + program, args, mode);
}

ProgramRun run_command(const std::string& path, const std::vector<std::string>& args, Stdout mode) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (mode == Stdout::Captured) dup2(fileno(out), 1);
    if (mode == Stdout::DevFull) dup2(open("/dev/full", O_WRONLY), 1);
    if (mode == Stdout::Closed) close(1);
    dup2(fileno(err), 2);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, read_all(out), read_all(err)};
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}
