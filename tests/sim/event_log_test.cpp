// events.log read back: every value the simulation can record comes back
// unchanged, and a line the simulation never writes is refused rather than
// read as something else.
#include <gtest/gtest.h>

#include <string>

#include "simmachine/event_log.h"

namespace {

TEST(EventLogParse, ReadsBackWhatRenderWrote) {
  sim::EventLog written;
  written.Add("exec", {{"command", "\"C:\\Program Files\\morvak8\\a.exe\" x=\"1\""}, {"program", ""}});
  written.Add("messagebox", {{"text", u8"第一行\r\n\t第二行"}, {"bytes", std::string("\x01\x1f\x7f", 3) + "\x01" "a"}});
  written.Add("console", {});
  written.Add("sleep", {{"ms", std::string(1, '\0') + "\\x41"}});

  sim::EventLog read;
  ASSERT_TRUE(read.Parse(written.Render()));
  ASSERT_EQ(read.events().size(), written.events().size());
  for (size_t i = 0; i < read.events().size(); ++i) {
    EXPECT_EQ(read.events()[i].kind, written.events()[i].kind) << i;
    EXPECT_EQ(read.events()[i].fields, written.events()[i].fields) << i;
  }
  EXPECT_EQ(read.Render(), written.Render());
}

TEST(EventLogParse, RefusesLinesTheRendererNeverWrites) {
  for (const char *line : {"", " kind", "exec command=\"unterminated", "exec command=unquoted",
                           "exec command=\"a\"trailing", "exec  command=\"a\"", "exec =\"a\"",
                           "exec command=\"bad \\q escape\"", "exec command=\"\\x4\"", "exec command=\"\\x41\"",
                           "exec command=\"\\x0A\"", "exec command=\"raw \t tab\""}) {
    sim::Event event;
    EXPECT_FALSE(sim::EventLog::ParseLine(line, &event)) << line;
  }
  sim::EventLog log;
  EXPECT_FALSE(log.Parse("console\nexec command=\"no newline\""));
  EXPECT_EQ(log.events().size(), 1u);
}

}  // namespace
