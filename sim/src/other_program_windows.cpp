// Other programs' windows: what they do with the messages the program sends
// them. Each records the copy-data it receives in the event log; a faulting
// one raises an access violation in the sender instead.
#include "other_program_windows.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "api_support.h"

namespace sim {
namespace {

std::string HexBytes(const void *data, DWORD size) {
  std::string text;
  const unsigned char *bytes = static_cast<const unsigned char *>(data);
  for (DWORD i = 0; i < size; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    text += pair;
  }
  return text;
}

// Windows copies cbData bytes from lpData into the receiving process; so
// does this, which is how a length past the sender's block shows up (under
// AddressSanitizer in the tests).
void RecordCopyData(HWND window, const COPYDATASTRUCT &data) {
  const SimWindow *w = M().user.Find(window);
  M().events.Add("copydata", {{"window", w ? w->className : ""},
                              {"dwData", std::to_string(data.dwData)},
                              {"cbData", std::to_string(data.cbData)},
                              {"data", data.lpData ? HexBytes(data.lpData, data.cbData) : ""}});
}

LRESULT OtherProgramProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && lParam) {
    RecordCopyData(window, *reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FaultingProcedure(HWND, UINT, WPARAM, LPARAM) {
  RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
  return 0;
}

}  // namespace

void OpenOtherProgramWindows(Machine &machine) {
  if (machine.user.otherWindowsOpen) return;
  machine.user.otherWindowsOpen = true;
  std::vector<HWND> opened;
  for (const OtherWindow &other : machine.profile.otherWindows) {
    auto window = std::make_unique<SimWindow>();
    window->className = other.className;
    window->title = Utf8ToUtf16(other.title);
    window->procedure = other.faults ? FaultingProcedure : OtherProgramProcedure;
    window->visible = true;
    window->needsPaint = false;
    // An owned window is a popup: GetParent names the owner only for those.
    if (other.owner > 0 && other.owner <= static_cast<int>(opened.size())) {
      window->style = WS_POPUP;
      window->parent = opened[other.owner - 1];
    }
    opened.push_back(window.get());
    machine.user.windows.push_back(std::move(window));
  }
}

void QuitOtherPrograms(Machine &machine, const std::string &className) {
  OpenOtherProgramWindows(machine);
  for (const auto &window : machine.user.windows) {
    if (window->createdByProgram || window->destroyed || window->className != className) continue;
    window->destroyed = true;
    if (SimWindow *owner = machine.user.Find(window->parent)) owner->destroyed = true;
  }
}

}  // namespace sim
