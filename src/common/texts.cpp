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
const char kEarlierDataNotBackedUpText[] =
    "智能Qelvo以前的词组等数据文件无法备份（vorlback.voz不能写入），为保护这些数据，安装已停止，没有做任何改动。"
    "请检查磁盘空间和安装目录中的vorlback.voz后重新安装！";
const char kInstallDirectoryIsLinkText[] =
    "安装目录是指向别处的链接（连接点），为安全起见，安装已停止，没有做任何改动。请删除该链接后重新安装！";

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
const WCHAR kConflictMoreFormat[] = L"　　……另有 %d 个软件没有列出\r\n";
const WCHAR kCloseProgramsText[] = L"请关闭上述软件后再继续安装！";
const WCHAR kCannotCloseText[] = L"如无法关闭，则请将智能Qelvo设置为非默认输入法后，重新启动机器进行安装！";
const WCHAR kSharedMemoryText[] = L"检测到内存中有智能Qelvo数据没有退出，请安装后重新启动机器再使用！";

const WCHAR kWizardTitleTraditional[] = L"智能Qelvo系統安裝";
const WCHAR kLoadingText[] = L"安装程序正在载入文件，请等待……";
const WCHAR kPinyinEditionName[] = L"Qelvo拼音";
const WCHAR kWubiSlogan[] = L"不用专门增加词组的五笔！";
const WCHAR kPhraseSlogan[] = L"两码、三码可输词组，四码以上输语句！";
const WCHAR kVersionText[] = L"9.30 版";
const WCHAR kConfirmInstallLabel[] = L"确 定 安 装";
const WCHAR kConfirmQuitLabel[] = L"确 定 退 出";
const WCHAR kQuitLabel[] = L"放 弃 退 出";
const WCHAR kEditionQuestion[] = L"请选择安装版本：";
const WCHAR kInterfaceQuestion[] = L"请选择接口版本：";
const WCHAR kPinyinChoiceLabel[] = L"\x25A0 拼音专版";
const WCHAR kWubiChoiceLabel[] = L"\x25A0 五笔专版";
const WCHAR kTsfChoiceLabel[] = L"\x25A0 TSF接口";
const WCHAR kImeChoiceLabel[] = L"\x25A0 IME接口";
const WCHAR kCheckMark[] = L"\x221A";
const WCHAR kProfileTitle[] = L"智能Qelvo输入平台  系统安装";
const WCHAR kPinyinEditionLabel[] = L"Qelvo拼音专版";
const WCHAR kWubiEditionLabel[] = L"Kelt五笔专版";
const WCHAR kProfileInstructions1[] = L"请正确输入手机号码和用户姓名,并且输入你自己的管";
const WCHAR kProfileInstructions2[] = L"理密码，注意保存管理密码，该密码将在以后的维护";
const WCHAR kProfileInstructions3[] = L"管理中经常用到。管理密码为六位字符数字。";
const WCHAR kPhoneRowLabel[] = L"手机号码：";
const WCHAR kUserNameRowLabel[] = L"用户姓名：";
const WCHAR kPasswordRowLabel[] = L"管理密码：";
const WCHAR kInstallTitle[] = L"智能Qelvo输入平台";
const WCHAR kInstallSubtitle[] = L"Kelt五笔 9.30 版  系统安装";
const WCHAR kDurationNote[] = L"注意：安装过程需要2分钟左右，";
const WCHAR kCopyingNote[] = L"正在复制文件，请耐心等待……！！";
const WCHAR kHandsOffNote[] = L"请不要进行其它操作！";
const char kInstallPathFormat[] = "安装路径：%s";
const char kWorkingTitle[] = "智能Qelvo9.30版安装";
const char kWorkingSubtitle[] = "智能Qelvo正在处理有关数据……";
const char kFinishTitle[] = "欢迎使用Qelvo系统";
const char kFinishSubtitle[] = "欢迎使用Qelvo输入系统";
const char kFinishLine1[] = "智能Qelvo已经安装在你的系统中!";
const char kFinishLine2[] = "智能Qelvo数据处理模块正在处理数据，你可";
const char kFinishLine3[] = "等待处理完毕后退出。";
const WCHAR kInstalledText[] = L"安装完毕，如不能使用，请重新启动计算机！";

const char kPackageFilesFailedLine[] = "上述文件没有成功复制，请重新下载安装！\r\n";
const char kSkinFilesFailedLine[] = "皮肤文件没有成功复制，请重新安装皮肤文件！\r\n";
const char kEarlierDataFailedLine[] = "原有数据文件没有成功复制，原有数据不能使用！\r\n";
const WCHAR kEarlierDataRestoredFormat[] = L"成功恢复了%d个原有数据文件！";

const char kReportHeading[] = "智能Qelvo汉字输入系统9.30版安装情况报告。";
const char kReportLeadIn[] = "安装出现错误！错误为：";
const char kReportTooFewFiles[] = "文件不完整！";
const char kReportNoWubiDictionary[] = "无五笔词库文件！";
const char kReportNoPinyinDictionary[] = "无拼音词库文件！";
const char kReportModuleMissing[] = "缺少文件！";
const char kReportDirectoryAccess[] = "安装目录权限不够，如不能使用请删除后重新安装！！";
const char kReportAdvice[] = "请到主页www.qelvo.com重新下载安装！并解除杀毒软件对安装过程的拦截！";
