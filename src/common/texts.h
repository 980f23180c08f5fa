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
extern const char kEarlierDataNotBackedUpText[];
extern const char kInstallDirectoryIsLinkText[];

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
extern const WCHAR kConflictMoreFormat[];     // windows found but not listed
extern const WCHAR kCloseProgramsText[];
extern const WCHAR kCannotCloseText[];
extern const WCHAR kSharedMemoryText[];

// ---- Wizard screens ----
extern const WCHAR kWizardTitleTraditional[];  // the window title on code page 950
extern const WCHAR kLoadingText[];
extern const WCHAR kPinyinEditionName[];
extern const WCHAR kWubiSlogan[];
extern const WCHAR kPhraseSlogan[];
extern const WCHAR kVersionText[];
extern const WCHAR kConfirmInstallLabel[];
extern const WCHAR kConfirmQuitLabel[];
extern const WCHAR kQuitLabel[];
extern const WCHAR kEditionQuestion[];
extern const WCHAR kInterfaceQuestion[];
extern const WCHAR kPinyinChoiceLabel[];
extern const WCHAR kWubiChoiceLabel[];
extern const WCHAR kTsfChoiceLabel[];
extern const WCHAR kImeChoiceLabel[];
extern const WCHAR kCheckMark[];
extern const WCHAR kProfileTitle[];
extern const WCHAR kPinyinEditionLabel[];
extern const WCHAR kWubiEditionLabel[];
extern const WCHAR kProfileInstructions1[];
extern const WCHAR kProfileInstructions2[];
extern const WCHAR kProfileInstructions3[];
extern const WCHAR kPhoneRowLabel[];
extern const WCHAR kUserNameRowLabel[];
extern const WCHAR kPasswordRowLabel[];
extern const WCHAR kInstallTitle[];
extern const WCHAR kInstallSubtitle[];
extern const WCHAR kDurationNote[];
extern const WCHAR kCopyingNote[];
extern const WCHAR kHandsOffNote[];
extern const char kInstallPathFormat[];  // installation directory (drawn from the ANSI code page)
extern const char kWorkingTitle[];
extern const char kWorkingSubtitle[];
extern const char kFinishTitle[];
extern const char kFinishSubtitle[];
extern const char kFinishLine1[];
extern const char kFinishLine2[];
extern const char kFinishLine3[];
extern const WCHAR kInstalledText[];

// ---- Skins and the user's earlier data ----
extern const char kPackageFilesFailedLine[];
extern const char kSkinFilesFailedLine[];
extern const char kEarlierDataFailedLine[];
extern const WCHAR kEarlierDataRestoredFormat[];  // number of files restored

// ---- Install report ----
extern const char kReportHeading[];
extern const char kReportLeadIn[];
extern const char kReportTooFewFiles[];
extern const char kReportNoWubiDictionary[];
extern const char kReportNoPinyinDictionary[];
extern const char kReportModuleMissing[];
extern const char kReportDirectoryAccess[];
extern const char kReportAdvice[];
