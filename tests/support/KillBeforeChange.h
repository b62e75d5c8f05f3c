// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <csignal>

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Kills a child process at chosen points of its work: just before its first, second, ... system
// call that changes files, so that a test meets every state a kill at any moment can leave.
namespace hypsor::test {

// A system call that changes what is on disk. Between two of them the folder stays as it is, so
// a kill just before each one leaves every state a kill at any moment could.
inline bool ChangesFiles(const __ptrace_syscall_info& call) {
  const auto nr = static_cast<long>(call.entry.nr);
  const auto* args = call.entry.args;
  auto writes = [](unsigned long long flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
  };
  switch (nr) {
    case SYS_openat: return writes(args[2]);
#ifdef SYS_open
    case SYS_open: return writes(args[1]);
    case SYS_creat:
    case SYS_rename:
    case SYS_link:
    case SYS_unlink:
    case SYS_mkdir:
    case SYS_symlink:
    case SYS_rmdir:
#endif
    case SYS_write:
    case SYS_writev:
    case SYS_pwrite64:
    case SYS_pwritev:
    case SYS_renameat:
    case SYS_renameat2:
    case SYS_linkat:
    case SYS_unlinkat:
    case SYS_mkdirat:
    case SYS_symlinkat:
    case SYS_truncate:
    case SYS_ftruncate:
    case SYS_fallocate:
    case SYS_copy_file_range:
    case SYS_sendfile:
      return true;
    default:
      return false;
  }
}

struct TracedRun {
  bool killed = false;
  int changes = 0;  // calls changing files that ran (all of them when not killed)
  int exitCode = -1;
};

// Runs `work` in a child process under ptrace and kills it just before its `killAt`-th call that
// changes files (never when killAt is 0). The child ends with _exit(0) after work; work may
// _exit with another status to say it failed. Exit status 90: the system refused ptrace.
inline TracedRun RunKilledBeforeChange(int killAt, const std::function<void()>& work) {
  TracedRun run;
  const pid_t child = fork();
  if (child < 0) return run;
  if (child == 0) {
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(90);
    raise(SIGSTOP);
    work();
    _exit(0);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) return run;
  ptrace(PTRACE_SETOPTIONS, child, nullptr,
         reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
  int signal = 0;
  for (;;) {
    ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
    signal = 0;
    if (waitpid(child, &status, 0) != child) return run;
    if (WIFEXITED(status)) {
      run.exitCode = WEXITSTATUS(status);
      return run;
    }
    if (WIFSIGNALED(status)) return run;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      signal = WSTOPSIG(status) == SIGSTOP ? 0 : WSTOPSIG(status);
      continue;
    }
    __ptrace_syscall_info call{};
    if (ptrace(PTRACE_GET_SYSCALL_INFO, child, reinterpret_cast<void*>(sizeof call), &call) <= 0 ||
        call.op != PTRACE_SYSCALL_INFO_ENTRY || !ChangesFiles(call))
      continue;
    if (++run.changes == killAt) {
      ::kill(child, SIGKILL);
      waitpid(child, &status, 0);
      run.killed = true;
      --run.changes;
      return run;
    }
  }
}

}  // namespace hypsor::test
