// The program's GBK messages on machines of other code pages.
#include <gtest/gtest.h>

#include <string>

#include "common/message_box.h"
#include "simmachine/code_page.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const char kText[] = "没有成功复制morvak4.ime文件！";
const char kCaption[] = "智能Qelvo安装";

// Shown through UTF-16, the text reads the same on a traditional-Chinese
// Windows; Windows 98 without code page 936 gets the bytes as they are.
TEST(GbkMessage, ReadsTheSameWhereverCodePage936CanBeConverted) {
  for (const char *preset : {"win10-x64", "win10-x64-cp950", "winxp-x86-cp950", "win98", "win98-cp950"}) {
    ScopedMachine machine(preset);
    ResetFailuresShown();
    ShowFailure(kText, kCaption);
    EXPECT_EQ(failuresShown, 1);
    const auto boxes = machine->events.OfKind("messagebox");
    ASSERT_EQ(boxes.size(), 1u) << preset;
    const bool asBytes = std::string(preset) == "win98-cp950";
    EXPECT_EQ(boxes[0].Field("text"), asBytes ? sim::CodePageToUtf8(950, kText) : u8"没有成功复制morvak4.ime文件！")
        << preset;
    EXPECT_EQ(boxes[0].Field("caption"), asBytes ? sim::CodePageToUtf8(950, kCaption) : u8"智能Qelvo安装") << preset;
  }
}

}  // namespace
