// The skin dialog's templates served from the program's resources and shown
// by DialogBoxParamA on the simulated machine: its controls as the template
// font places them, the clicks, Esc and close box reaching the dialog
// procedure, EndDialog's result, its picture, and the run stopping when the
// script runs out while it is open; then the skin step with the program's
// own procedure, and what the user's choices in it install.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_fixtures.h"
#include "common/program_state.h"
#include "package/archive_reader.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "platform/win32.h"
#include "settings/settings_files.h"
#include "simmachine/canvas.h"
#include "simmachine/code_page.h"
#include "support/test_machine.h"
#include "userdata/skin_installation.h"
#include "wizard_fixture.h"

namespace {

using testing_support::ScopedMachine;
using Kind = sim::UserAction::Kind;

struct Command {
  WPARAM wParam;
  HWND control;
  LRESULT checked102, checked106, checked112;  // the marks when the command arrived
};

std::vector<Command> commands;
bool ownerEnabledInside = true;
bool endAtInit = false;

// What the dialog was made of, seen from WM_INITDIALOG.
struct SeenControl {
  int id;
  std::string className;
  DWORD style;
  RECT rect;  // in the dialog's client area
  std::string text;
};
std::string seenCaption;
RECT seenWindow;
std::vector<SeenControl> seenControls;

std::string TextOf(HWND window) {
  WCHAR text[64] = {0};
  GetWindowTextW(window, text, 64);
  std::u16string utf16(reinterpret_cast<const char16_t *>(text));
  return sim::Utf16ToUtf8(utf16);
}

void LookAtDialog(HWND dialog) {
  seenCaption = TextOf(dialog);
  GetWindowRect(dialog, &seenWindow);
  seenControls.clear();
  for (const auto &w : sim::CurrentMachine().user.windows) {
    if (w->parent != dialog || !(w->style & WS_CHILD)) continue;
    SeenControl c{static_cast<int>(reinterpret_cast<UINT_PTR>(w->menu)), "", w->style, {}, TextOf(w.get())};
    char className[16];
    GetClassNameA(w.get(), className, sizeof className);
    c.className = className;
    GetWindowRect(w.get(), &c.rect);
    const LONG left = seenWindow.left + 3, top = seenWindow.top + 22;  // the client area's origin
    c.rect = RECT{c.rect.left - left, c.rect.top - top, c.rect.right - left, c.rect.bottom - top};
    seenControls.push_back(c);
  }
}

// The dialog procedure of the tests: 106 checked at the start, every
// command recorded, OK (105) ends the dialog with 5.
INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageA(dialog, 106, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(dialog, 110, BM_SETCHECK, BST_CHECKED, 0);
    ownerEnabledInside = IsWindowEnabled(GetParent(dialog)) != FALSE;
    if (endAtInit) LookAtDialog(dialog), EndDialog(dialog, lParam);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  commands.push_back({wParam, reinterpret_cast<HWND>(lParam), SendDlgItemMessageA(dialog, 102, BM_GETCHECK, 0, 0),
                      SendDlgItemMessageA(dialog, 106, BM_GETCHECK, 0, 0),
                      SendDlgItemMessageA(dialog, 112, BM_GETCHECK, 0, 0)});
  if (LOWORD(wParam) != 105) return FALSE;
  EndDialog(dialog, 5);
  return TRUE;
}

LRESULT OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) commands.push_back({0xDEAD, window, 0, 0, 0});
  return DefWindowProcA(window, message, wParam, lParam);
}

// The wizard's stand-in: a shown 400 x 310 window at (100, 80).
HWND OpenOwner() {
  static WNDCLASSA windowClass;
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.lpszClassName = "owner";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowExA(0, "owner", "owner", WS_SYSMENU, 100, 80, 400, 310, NULL, NULL, NULL, NULL);
  ShowWindow(owner, SW_SHOWNORMAL);
  commands.clear();
  ownerEnabledInside = true;
  endAtInit = false;
  return owner;
}

sim::UserAction DialogAction(Kind kind, int id = 0) {
  sim::UserAction action;
  action.kind = kind, action.controlId = id;
  return action;
}

TEST(SkinDialog, TemplatesMakeElevenControlsWithIdsStylesAndPixelRectangles) {
  struct Control {
    int id;
    const char *className;
    DWORD style;
    RECT rect;  // in the dialog's client area
    const char *text;
  };
  struct Row {
    const char *preset, *name, *caption;
    SIZE client;
    Control controls[11];
  };
  const DWORD kRadio = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
  const DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
  const DWORD kOk = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
  const DWORD kText = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
  // "宋体" 12 pt is 16 pixels high at 96 dpi, 8 x 16 base units; "System"
  // 10 pt is 13 pixels of the face Wine finds for it, 7 x 17, and places the
  // controls where Wine does.
  const Row rows[] = {
      {"win10-x64", "PYKEY", u8"智能Qelvo皮肤及窗口模式选择", {438, 280},
       {{105, "BUTTON", kOk, {176, 234, 264, 262}, u8"确定"},
        {0xFFFF, "BUTTON", kGroup, {12, 16, 420, 94}, u8"输入法状态窗口模式选择"},
        {0xFFFF, "BUTTON", kGroup, {12, 108, 420, 186}, u8"输入法皮肤选择"},
        {101, "BUTTON", kRadio, {30, 50, 118, 70}, u8"双行窗口"},
        {102, "BUTTON", kRadio, {132, 50, 220, 70}, u8"单行窗口"},
        {106, "BUTTON", kRadio, {226, 50, 298, 70}, u8"双窗口"},
        {107, "BUTTON", kRadio, {310, 50, 406, 70}, u8"仿WIN窗口"},
        {110, "BUTTON", kRadio, {30, 144, 126, 164}, u8"冷色瓷面"},
        {111, "BUTTON", kRadio, {168, 144, 264, 164}, u8"粉色瓷面"},
        {112, "BUTTON", kRadio, {300, 142, 380, 162}, u8"小天使"},
        {0xFFFF, "STATIC", kText, {26, 198, 316, 214}, u8"注：你也可在安装完毕后改变这些参数。"}}},
      {"win10-x64-cp950", "PYKEYB", u8"智能Qelvo皮膚及窗口模式選擇", {383, 298},
       {{105, "BUTTON", kOk, {154, 249, 231, 279}, u8"確定"},
        {0xFFFF, "BUTTON", kGroup, {11, 17, 368, 100}, u8"輸入法狀態窗口模式選擇"},
        {0xFFFF, "BUTTON", kGroup, {11, 115, 368, 198}, u8"輸入法皮膚選擇"},
        {101, "BUTTON", kRadio, {26, 53, 103, 74}, u8"雙行窗口"},
        {102, "BUTTON", kRadio, {116, 53, 193, 74}, u8"單行窗口"},
        {106, "BUTTON", kRadio, {198, 53, 261, 74}, u8"雙窗口"},
        {107, "BUTTON", kRadio, {271, 53, 355, 74}, u8"仿WIN窗口"},
        {110, "BUTTON", kRadio, {26, 153, 110, 174}, u8"冷色瓷面"},
        {111, "BUTTON", kRadio, {147, 153, 231, 174}, u8"粉色瓷面"},
        {112, "BUTTON", kRadio, {263, 151, 333, 172}, u8"小天使"},
        {0xFFFF, "STATIC", kText, {23, 210, 277, 227}, u8"注：你也可在安裝完畢后改變這些參數。"}}},
  };
  for (const Row &row : rows) {
    ScopedMachine machine(row.preset);
    HWND owner = OpenOwner();
    endAtInit = true;
    ASSERT_EQ(DialogBoxParamA(GetModuleHandleA(NULL), row.name, owner, TestDialogProc, 9), 9) << row.name;
    EXPECT_EQ(seenCaption, row.caption);
    EXPECT_EQ(seenWindow.right - seenWindow.left, row.client.cx + 6) << row.name;
    EXPECT_EQ(seenWindow.bottom - seenWindow.top, row.client.cy + 25) << row.name;
    ASSERT_EQ(seenControls.size(), 11u) << row.name;
    for (int i = 0; i < 11; ++i) {
      const Control &want = row.controls[i];
      const SeenControl &got = seenControls[i];
      const std::string where = std::string(row.name) + " control " + std::to_string(i) + " " + got.text + " " +
                                std::to_string(got.rect.left) + "," + std::to_string(got.rect.top) + "," +
                                std::to_string(got.rect.right) + "," + std::to_string(got.rect.bottom);
      EXPECT_EQ(got.id, want.id) << where;
      EXPECT_EQ(got.className, want.className) << where;
      EXPECT_EQ(got.style, want.style) << where;
      EXPECT_EQ(got.text, want.text) << where;
      EXPECT_EQ(got.rect.left, want.rect.left) << where;
      EXPECT_EQ(got.rect.top, want.rect.top) << where;
      EXPECT_EQ(got.rect.right, want.rect.right) << where;
      EXPECT_EQ(got.rect.bottom, want.rect.bottom) << where;
    }
  }
}

// Radios send their id and check themselves, unchecking the other auto radio
// buttons of the dialog (no WS_GROUP makes it one group); Esc and the close
// box send IDCANCEL and the dialog stays; a click on the disabled owner is
// lost; OK's EndDialog ends the loop with its result.
TEST(SkinDialog, ClicksEscAndCloseBoxReachTheProcedureUntilOkEndsIt) {
  ScopedMachine machine;
  HWND owner = OpenOwner();
  sim::UserAction ownerClick;
  ownerClick.kind = Kind::kClick, ownerClick.x = 50, ownerClick.y = 50;
  machine->script.actions = {DialogAction(Kind::kDialogClick, 102), DialogAction(Kind::kDialogClick, 112),
                             ownerClick, DialogAction(Kind::kDialogEscape), DialogAction(Kind::kDialogClose),
                             DialogAction(Kind::kDialogClick, 105)};
  ASSERT_EQ(DialogBoxParamA(GetModuleHandleA(NULL), "PYKEY", owner, TestDialogProc, 0), 5);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  struct Expected {
    WPARAM wParam;
    bool fromControl;
    LRESULT checked102, checked106, checked112;
  };
  const Expected expected[] = {
      {MAKEWPARAM(102, BN_CLICKED), true, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED},
      {MAKEWPARAM(112, BN_CLICKED), true, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},
      {IDCANCEL, false, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},  // Esc
      {IDCANCEL, false, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},  // close box
      {MAKEWPARAM(105, BN_CLICKED), true, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},
  };
  ASSERT_EQ(commands.size(), 5u);
  for (size_t i = 0; i < commands.size(); ++i) {
    EXPECT_EQ(commands[i].wParam, expected[i].wParam) << i;
    EXPECT_EQ(commands[i].control != nullptr, expected[i].fromControl) << i;
    EXPECT_EQ(commands[i].checked102, expected[i].checked102) << i;
    EXPECT_EQ(commands[i].checked106, expected[i].checked106) << i;
    EXPECT_EQ(commands[i].checked112, expected[i].checked112) << i;
  }
  auto dialogs = machine->events.OfKind("dialog");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].Field("state"), "open");
  EXPECT_EQ(dialogs[1].Field("state"), "ended");
  EXPECT_EQ(dialogs[1].Field("result"), "5");
  EXPECT_EQ(machine->events.OfKind("click")[0].Field("loop"), "dialog");
}

// The picture of the dialog: the button face, every control's text in the
// template font, the check marks of BM_SETCHECK drawn in their radios'
// circles. It is kept next to the tests' machines as skin-dialog-NAME.png,
// where the Wine test finds it to compare with Wine's picture.
TEST(SkinDialog, PaintsItsControlsWithTheCheckedRadiosDotted) {
  struct Row {
    const char *preset, *name, *face;
    int width;
    POINT radio101, radio106;  // top-left corners
  };
  const Row rows[] = {{"win10-x64", "PYKEY", u8"宋体", 438, {30, 50}, {226, 50}},
                      {"win10-x64-cp950", "PYKEYB", "System", 383, {26, 53}, {198, 53}}};
  static sim::Canvas picture;
  for (const Row &row : rows) {
    ScopedMachine machine(row.preset);
    HWND owner = OpenOwner();
    picture = sim::Canvas{};
    machine->user.paintObserver = [](HWND window, bool) {
      char className[16] = "";
      GetClassNameA(window, className, sizeof className);
      if (std::string(className) == "#32770") picture = *sim::WindowCanvas(window);
    };
    machine->script.actions = {DialogAction(Kind::kDialogClick, 105)};
    ASSERT_EQ(DialogBoxParamA(GetModuleHandleA(NULL), row.name, owner, TestDialogProc, 0), 5);
    sim::WritePng(picture, machine->root().parent_path() / (std::string("skin-dialog-") + row.name + ".png"));
    ASSERT_EQ(picture.width, row.width) << row.name;
    ASSERT_EQ(picture.texts.size(), 11u) << row.name;
    for (const sim::DrawnText &text : picture.texts) EXPECT_EQ(text.face, row.face) << text.text;
    auto pixel = [](POINT corner) { return picture.pixels[(corner.y + 10) * picture.width + corner.x + 6]; };
    EXPECT_EQ(picture.pixels[2 * picture.width + 2], RGB(245, 245, 245)) << row.name;
    EXPECT_EQ(pixel(row.radio106), RGB(0, 0, 0)) << row.name;
    EXPECT_EQ(pixel(row.radio101), RGB(255, 255, 255)) << row.name;
  }
}

// The templates are the program's resources in their languages, as the
// resource compiler stored them.
TEST(SkinDialog, TemplatesAreDialogResourcesInTheirLanguages) {
  struct Row {
    const char *name;
    WORD language;
    DWORD error;  // 0: found
  };
  const Row rows[] = {{"PYKEY", 0x0804, 0},
                      {"pykeyb", 0x0404, 0},
                      {"PYKEY", 0x0404, ERROR_RESOURCE_LANG_NOT_FOUND},
                      {"PYKEYC", 0x0804, ERROR_RESOURCE_NAME_NOT_FOUND}};
  ScopedMachine machine;
  for (const Row &row : rows) {
    machine->process.lastError = 0xDEADBEEF;
    HRSRC resource = FindResourceExA(NULL, RT_DIALOG, row.name, row.language);
    EXPECT_EQ(resource == NULL, row.error != 0) << row.name;
    if (resource) {
      const BYTE *bytes = static_cast<const BYTE *>(LockResource(LoadResource(NULL, resource)));
      ASSERT_NE(bytes, nullptr);
      EXPECT_GT(SizeofResource(NULL, resource), 100u) << row.name;
      EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, 0xFFFF0001) << row.name;  // DLGTEMPLATEEX
    } else {
      EXPECT_EQ(GetLastError(), row.error) << row.name;
    }
  }
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(NULL), "PYKEYC", NULL, TestDialogProc, 0), -1);
}

// A dialog waiting for an action the script does not hold stops the run;
// actions for a dialog wait for one, so the main loop stops too.
TEST(SkinDialog, RunStopsWhenTheScriptRunsOutWhileItIsOpen) {
  ScopedMachine machine;
  HWND owner = OpenOwner();
  machine->script.actions = {DialogAction(Kind::kDialogClick, 102)};
  EXPECT_THROW(DialogBoxParamA(GetModuleHandleA(NULL), "PYKEY", owner, TestDialogProc, 0), sim::ScriptExhausted);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(machine->events.OfKind("stopped")[0].Field("for"), "dialog action");

  commands.clear();
  machine->script.actions = {DialogAction(Kind::kDialogEscape)};
  MSG msg;
  EXPECT_THROW(GetMessageA(&msg, NULL, 0, 0), sim::ScriptExhausted);
  EXPECT_EQ(machine->script.actions.size(), 1u);
}

uint32_t Le32At(const std::string &bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A file of a skin archive as the package carries it; empty when missing.
std::string SkinArchiveFile(const std::string &archive, const std::string &name) {
  std::ifstream file(std::string(VOZ_PAYLOAD_FILES) + "/" + archive, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // Entries of the short layout: "CF", a 14-byte name, the stream's length.
  for (size_t at = 10; at + 20 <= bytes.size(); at += 20 + Le32At(bytes, at + 16)) {
    if (bytes.compare(at + 2, name.size() + 1, name.c_str(), name.size() + 1) != 0) continue;
    std::string content(1 << 20, '\0');
    uLongf size = content.size();
    if (uncompress(reinterpret_cast<Bytef *>(&content[0]), &size, reinterpret_cast<const Bytef *>(&bytes[at + 20]),
                   Le32At(bytes, at + 16)) != Z_OK)
      return "";
    return content.substr(0, size);
  }
  return "";
}

// The skin step of the installation, with the program's own dialog
// procedure, over the package unpacked into the installation directory.
class SkinStep : public testing::Test {
 protected:
  void SetUp() override {
    wizard_fixture::OpenWizard(*machine_);
    ASSERT_TRUE(carriedPackage.data && HaveWorkingBuffer());
    machine_->files.MakeDirectories(installDir);
    ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                   kUnpackScratch.size, nullptr);
    machine_->events.Clear();
  }
  std::string Installed(const std::string &name) {
    std::string content;
    machine_->files.ReadFile(installDir + name, &content);
    return content;
  }
  void Remove(const std::string &name) { machine_->files.Delete(sim::Utf8ToUtf16(installDir + name)); }

  // The package without the entry `name` (GBK, as in the package), as a
  // package that does not carry it.
  static std::string PackageWithout(const std::string &name) {
    using archive_fixtures::Le32;
    const std::string package(reinterpret_cast<const char *>(carriedPackage.data), carriedPackage.size);
    std::string body;
    uint32_t count = 0;
    // Entries of the long layout: "CF", a 16-byte name, a 34-byte digest,
    // the stream's length.
    for (size_t at = 10; at + 56 <= package.size(); at += 56 + Le32At(package, at + 52)) {
      if (package.compare(at + 2, name.size() + 1, name.c_str(), name.size() + 1) == 0) continue;
      body += package.substr(at, 56 + Le32At(package, at + 52));
      ++count;
    }
    return "C0" + Le32(static_cast<uint32_t>(10 + body.size())) + Le32(count) + body;
  }

  ScopedMachine machine_;
};

// Esc and the close box leave the dialog open; the last radio of each group
// clicked is the choice; the skin unpacked is the chosen one, its fourth
// bitmap the package's own. With a package that does not carry the chosen
// skin's archive only the skin failure is told and no skin file is written.
TEST_F(SkinStep, ChoicesGiveTheirSkinAndWindowMode) {
  const struct {
    std::vector<sim::UserAction> actions;
    bool withoutAngelSkin;  // neither the package nor the folder holds 小天使.voz
    int windowMode, skin;
    char recordByte0, recordByte21;  // the window mode in the input-options record
    const char *archive;             // the skin unpacked; null: none
  } rows[] = {
      {{DialogAction(Kind::kDialogEscape), DialogAction(Kind::kDialogClose), DialogAction(Kind::kDialogClick, 102),
        DialogAction(Kind::kDialogClick, 112), DialogAction(Kind::kDialogClick, 105)},
       false, 2, 3, 1, 0, u8"小天使.voz"},
      {{DialogAction(Kind::kDialogClick, 105)}, false, 3, 1, 4, 1, u8"冷色瓷面.voz"},
      {{DialogAction(Kind::kDialogClick, 107), DialogAction(Kind::kDialogClick, 111),
        DialogAction(Kind::kDialogClick, 101), DialogAction(Kind::kDialogClick, 105)},
       false, 1, 2, 0, 0, u8"粉色瓷面.voz"},
      {{DialogAction(Kind::kDialogClick, 112), DialogAction(Kind::kDialogClick, 105)}, true, 3, 3, 4, 1, nullptr},
  };
  const std::string skinFiles[] = {"vobmp8.voh",   "vobmpsx1.bmp", "vobmpsx2.bmp", "vobmpsx3.bmp",
                                   "vobmpsx4.bmp", "vobmpsx5.bmp", "vobmpsx6.bmp", "vobmpsx7.bmp"};
  const BYTE *shipped = carriedPackage.data;
  const DWORD shippedSize = carriedPackage.size;
  const std::string withoutAngelSkin = PackageWithout("小天使.voz");
  ASSERT_LT(withoutAngelSkin.size(), carriedPackage.size);
  for (const auto &row : rows) {
    const std::string where = row.archive ? row.archive : "without the archive";
    for (const std::string &name : skinFiles) Remove(name);
    if (row.withoutAngelSkin) {
      carriedPackage.data = reinterpret_cast<const BYTE *>(withoutAngelSkin.data());
      carriedPackage.size = static_cast<DWORD>(withoutAngelSkin.size());
      Remove(u8"小天使.voz");
    }
    machine_->events.Clear();
    machine_->script.actions.assign(row.actions.begin(), row.actions.end());
    InstallSkin();
    WriteInputOptionsRecord();
    EXPECT_TRUE(machine_->script.actions.empty()) << where;
    EXPECT_EQ(program.windowModeChoice, row.windowMode) << where;
    EXPECT_EQ(skinDialog.skinChoice, row.skin) << where;
    const std::string record = Installed("voszsj43.voh");
    ASSERT_EQ(record.size(), 200u) << where;
    EXPECT_EQ(record[0], row.recordByte0) << where;
    EXPECT_EQ(record[21], row.recordByte21) << where;
    std::vector<std::string> messages;
    for (const auto &box : machine_->events.OfKind("messagebox")) messages.push_back(box.Field("text"));
    if (!row.archive) {
      EXPECT_EQ(messages, std::vector<std::string>{u8"皮肤文件没有成功复制，请重新安装皮肤文件！\r\n"});
      for (const std::string &name : skinFiles) EXPECT_FALSE(machine_->files.Exists(installDir + name)) << name;
      continue;
    }
    EXPECT_TRUE(messages.empty()) << where << ": " << messages.front();
    for (const std::string &name : skinFiles) {
      const std::string expected =
          name == "vobmpsx4.bmp" ? Installed("vobmps44.bmp") : SkinArchiveFile(row.archive, name);
      ASSERT_FALSE(expected.empty()) << name;
      EXPECT_TRUE(Installed(name) == expected) << where << " " << name;
    }
  }
  carriedPackage.data = shipped, carriedPackage.size = shippedSize;
}

// The chosen skin's archive unpacked but gone since: the package check names
// it, and the skin's failure comes as the same text with its line added.
TEST_F(SkinStep, AMissingArchiveAddsItsLineToThePackageCheckText) {
  Remove(u8"小天使.voz");
  machine_->script.actions = {DialogAction(Kind::kDialogClick, 112), DialogAction(Kind::kDialogClick, 105)};
  InstallSkin();
  const std::string checked =
      u8"小天使.voz....有文件没有成功解压，请重新下载安装！\r\n\r\n\r\n上述文件没有成功复制，请重新下载安装！\r\n";
  std::vector<std::string> messages;
  for (const auto &box : machine_->events.OfKind("messagebox")) messages.push_back(box.Field("text"));
  EXPECT_EQ(messages, (std::vector<std::string>{checked, checked + u8"皮肤文件没有成功复制，请重新安装皮肤文件！\r\n"}));
}

}  // namespace
