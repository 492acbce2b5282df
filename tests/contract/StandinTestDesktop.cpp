#include "contract/TestDesktop.h"

namespace testdesktop {
bool Start(const std::vector<Icon>&) { return false; }
void Stop() {}
std::vector<Icon> Icons() { return {}; }
void MoveIcon(int, int, int) {}
void SetSnapGrid(int) {}
void RemoveListView() {}
void RestartShell() {}
void MoveDefViewToWorkerW() {}
void HangShell() {}
std::vector<Request> TakeRequestLog() { return {}; }
unsigned long ShellProcessId() { return 0; }
} // namespace testdesktop
