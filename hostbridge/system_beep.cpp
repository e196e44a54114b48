#include "hostbridge/system_beep.h"

#include <cstdio>

namespace {

void TerminalBell(Cardinal) {
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

TBeepProc g_beep = &TerminalBell;

}  // namespace

TBeepProc SetBeepProc(TBeepProc proc) {
  TBeepProc previous = g_beep;
  g_beep = proc ? proc : &TerminalBell;
  return previous;
}

void SystemBeep(Cardinal type) { g_beep(type); }
