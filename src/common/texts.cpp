#include "common/texts.h"

const char kProductCaption[] = "智能Qelvo";
const char kSetupCaption[] = "智能Qelvo安装";
const char kEditionCaption[] = "智能Qelvo(Kelt五笔)";
const char kEditionSetupCaption[] = "智能Qelvo(Kelt五笔)安装";
const WCHAR kProductCaptionW[] = L"智能Qelvo";
const WCHAR kSetupCaptionW[] = L"智能Qelvo安装";

const WCHAR kNeedsAdministratorText[] =
    L"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，在弹出菜单中点击“以管理员身份运行”）";
const WCHAR kTitlePrefix32[] = L"智能Qelvo系统安装32-";
const WCHAR kTitlePrefix3264[] = L"智能Qelvo系统安装3264-";
const WCHAR kTitleSuffixFormat[] = L"os：%d-%d-1%d-%d-%d";
const char kStageCodeFormat[] = "智能Qelvo安装错误Err=%d";

const char kEntryNotUnpackedFormat[] = "没有成功解压复制%s文件！请重新下载安装。";
const char kFurtherEntriesNotUnpackedFormat[] = "另有%lu个文件没有成功解压复制！请重新下载安装。";
const char kUnpackIncompleteText[] = "文件解压不完整，请到智能Qelvo网站www.qelvo.com重新下载安装。";
const char kVerifyIncompleteLine[] = "有文件没有成功解压，请重新下载安装！\r\n";
const char kModuleNotUnpackedFormat[] = "安装包没有成功解压%s文件，请重新下载安装！";
const char kModuleNotCopiedFormat[] = "没有成功复制%s文件，请退出安装程序并手动删除该文件后重新安装！";

const WCHAR kKeepEarlierDataText[] = L"检测到有智能Qelvo以前的词组等数据文件，是否保留？";
const WCHAR kKeepDataHereText[] = L"检测到安装目录下有智能Qelvo以前的词组等数据文件，是否保留？";

const char kLayoutTextGbk[] = "智能Qelvo输入平台I";
// "智能Qelvo輸入平台I" in Big5.
const char kLayoutTextBig5[] = "\xB4\xBC\xAF\xE0" "Qelvo" "\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78" "I";
const WCHAR kLayoutTextW[] = L"智能Qelvo输入平台I";
const WCHAR kUninstallDisplayName[] = L"智能Qelvo8";
const char kLayoutsAdministratorText[] = "在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";
const char kNoLayoutIdText[] = "系统中已没有空余的键盘布局编号，智能Qelvo输入平台没有注册成功！";
const char kLayoutsOpenError9x[] = "Software open error1003";
const char kLayoutEntryError9x[] = "Software open error1004";
const char kPreloadOpenError[] = "Software open error2003";
const char kTextServiceNotHookedFormat[] = "系统%d位dll文件没有挂接成功(err=%d)！，请退出安装程序重新安装！";
const WCHAR kOnlyInputMethodText[] =
    L"　　你以前安装的智能Qelvo为系统默认输入法，并且是系统安装的唯一输入法，请通过微软的输入法管理器增加英文输入法，"
    L"并将智能Qelvo输入法设置为系统非默认输入法后，重新启动机器才能安装新版本的智能Qelvo！";
const WCHAR kDefaultInputMethodText[] =
    L"　　你以前安装的智能Qelvo为系统默认输入法，请设置为系统非默认输入法后，重新启动机器才能安装新版本的智能Qelvo！";
const WCHAR kSetNonDefaultQuestion[] = L"是否设置智能Qelvo为系统非默认输入法？";
const WCHAR kRestartText[] = L"请重新启动机器后安装智能Qelvo！";
const WCHAR kEditionDefaultText[] =
    L"　　你以前安装的Kelt五笔为系统默认输入法，请通过微软的输入法管理器将Kelt五笔输入法设置为系统非默认输入法后，"
    L"重新启动机器才能安装新版本的Kelt五笔！";

const WCHAR kPhoneNumberRequest[] = L"请正确输入你的手机号码！";
const WCHAR kPasswordRequest[] = L"请输入6数位你自己的管理密码，并请记住你的密码！";

const WCHAR kConflictHeadingFormat[] = L"智能Qelvo安装软件检测到有下列 %d 个软件在使用智能Qelvo输入法:\r\n\r\n";
const WCHAR kConflictLineFormat[] = L"　　%d：";
const WCHAR kCloseProgramsText[] = L"请关闭上述软件后再继续安装！";
const WCHAR kCannotCloseText[] = L"如无法关闭，则请将智能Qelvo设置为非默认输入法后，重新启动机器进行安装！";
const WCHAR kSharedMemoryText[] = L"检测到内存中有智能Qelvo数据没有退出，请安装后重新启动机器再使用！";
