#pragma once
// A GUI test process that dies of a signal (a crash, or glibc aborting on a
// damaged heap) prints where it was, so that a fault seen once in a long
// series is not lost with the process. The frames name their module and
// offset, for addr2line.
#include <execinfo.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace velk_test {

namespace crash_trace_detail {

inline void WriteText(const char* text) {
  const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

// Only calls that are safe in a signal handler: no allocation, no stdio.
inline void OnFatalSignal(int signal) {
  WriteText("\n*** the test process received a fatal signal; the stack:\n");
  void* frames[64];
  const int count = ::backtrace(frames, 64);
  ::backtrace_symbols_fd(frames, count, STDERR_FILENO);
  // SA_RESETHAND put the default action back: the process ends as it would
  // have, with its status and core.
  ::raise(signal);
}

}  // namespace crash_trace_detail

inline void InstallCrashTrace() {
  // The first backtrace loads the unwinder; a handler on a damaged heap
  // must not be the one to do so.
  void* frame[1];
  (void)::backtrace(frame, 1);
  struct sigaction action {};
  action.sa_handler = crash_trace_detail::OnFatalSignal;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) ::sigaction(signal, &action, nullptr);
}

}  // namespace velk_test
