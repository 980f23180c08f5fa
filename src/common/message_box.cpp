#include "common/message_box.h"

int failuresShown = 0;

namespace {

const UINT kGbkCodePage = 936;
// The longest message text, a list of every file of the package that did
// not check out, is well under this; a longer one goes to the A call rather
// than being cut.
const int kWideTextSize = 4096;

int ToWide(const char *text, WCHAR *wide) {
  return MultiByteToWideChar(kGbkCodePage, 0, text, -1, wide, kWideTextSize) > 0;
}

}  // namespace

int ShowGbkMessage(const char *text, const char *caption, UINT buttons) {
  WCHAR wideText[kWideTextSize], wideCaption[kWideTextSize];
  if (ToWide(text, wideText) && ToWide(caption, wideCaption)) return MessageBoxW(NULL, wideText, wideCaption, buttons);
  return MessageBoxA(NULL, text, caption, buttons);
}

void ResetFailuresShown() { failuresShown = 0; }

void ShowFailure(const char *text, const char *caption) {
  ++failuresShown;
  ShowGbkMessage(text, caption, MB_OK);
}
