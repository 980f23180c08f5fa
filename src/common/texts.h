// The texts the user sees, in one place: message captions and texts, window
// titles and the names Windows shows for the product. 8-bit texts are GBK
// (Big5 where a traditional variant exists), wide texts UTF-16. A format's
// arguments are named beside it.
#pragma once

#include "platform/win32.h"

// ---- Captions ----
extern const char kProductCaption[];       // 智能Qelvo
extern const char kSetupCaption[];         // 智能Qelvo安装
extern const char kEditionCaption[];       // 智能Qelvo(Kelt五笔)
extern const char kEditionSetupCaption[];  // 智能Qelvo(Kelt五笔)安装
extern const WCHAR kProductCaptionW[];
extern const WCHAR kSetupCaptionW[];

// ---- Start ----
extern const WCHAR kNeedsAdministratorText[];
extern const WCHAR kTitlePrefix32[];
extern const WCHAR kTitlePrefix3264[];
extern const WCHAR kTitleSuffixFormat[];  // bitness, WOW64, Windows 11, Windows 10, version number
extern const char kStageCodeFormat[];     // stage code

// ---- Unpacking and copying ----
extern const char kEntryNotUnpackedFormat[];           // entry name
extern const char kFurtherEntriesNotUnpackedFormat[];  // number of further entries (unsigned long)
extern const char kUnpackIncompleteText[];
extern const char kVerifyIncompleteLine[];
extern const char kModuleNotUnpackedFormat[];  // target path
extern const char kModuleNotCopiedFormat[];    // target name or path

// ---- Earlier data ----
extern const WCHAR kKeepEarlierDataText[];
extern const WCHAR kKeepDataHereText[];

// ---- Registration ----
extern const char kLayoutTextGbk[];  // the keyboard layout's name in Windows
extern const char kLayoutTextBig5[];
extern const WCHAR kLayoutTextW[];
extern const WCHAR kUninstallDisplayName[];
extern const char kLayoutsAdministratorText[];
extern const char kNoLayoutIdText[];
extern const char kLayoutsOpenError9x[];
extern const char kLayoutEntryError9x[];
extern const char kPreloadOpenError[];
extern const char kTextServiceNotHookedFormat[];  // bitness, error code
extern const WCHAR kOnlyInputMethodText[];
extern const WCHAR kDefaultInputMethodText[];
extern const WCHAR kSetNonDefaultQuestion[];
extern const WCHAR kRestartText[];
extern const WCHAR kEditionDefaultText[];

// ---- Profile ----
extern const WCHAR kPhoneNumberRequest[];
extern const WCHAR kPasswordRequest[];

// ---- Programs holding the input method ----
extern const WCHAR kConflictHeadingFormat[];  // number of programs
extern const WCHAR kConflictLineFormat[];     // the count when the window was found
extern const WCHAR kCloseProgramsText[];
extern const WCHAR kCannotCloseText[];
extern const WCHAR kSharedMemoryText[];
