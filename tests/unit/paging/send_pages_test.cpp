#include "paging/send_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "paging/send_log.h"
#include "paging_test_support.h"
#include "support/scoped_env.h"
#include "support/snpp_server.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::InTempFolder;
using testing::MemoryPageForm;
using ::testing::Not;
using testing::ReadBytes;
using testing::ScriptedSnppServer;
using testing::SnppScript;
using Lines = std::vector<std::string>;

platform::LocalTime g_now;
int g_clock_reads = 0;
// Crosses midnight after the second reading when the test asks for it.
bool g_cross_midnight = false;
platform::LocalTime TestClock() {
  ++g_clock_reads;
  if (g_cross_midnight && g_clock_reads > 2) return {2020, 5, 23, 0, 0, 0};
  return g_now;
}

// Long enough for a loaded machine; the tests of silence wait less.
constexpr int kPatientMs = 5000;
constexpr int kShortMs = 1500;

PagingServer Loopback(const ScriptedSnppServer& server, int reply_timeout_ms = kPatientMs,
                      std::string login = "") {
  return PagingServer{"127.0.0.1", server.Port(), login, kPatientMs, reply_timeout_ms};
}

class SendPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = {2020, 5, 22, 23, 59, 0};
    g_clock_reads = 0;
    g_cross_midnight = false;
    SetSendLogClock(&TestClock);
    testing::WriteBytes(here_.folder().File("pagers.dat"),
                        "Doe, John;11\r\n#Hidden, Person;99\r\nRoe, Jane;22\r\nPoe, Al;12345\r\n");
    form_.send_to().AppendRow({u"Doe, John", u"11"});
    form_.send_to().AppendRow({u"Poe, Al", u"12345"});
    form_.send_to().AppendRow({u"Roe, Jane", u"22"});
    form_.available().AppendRow({u"Stale, Row", u"1"});
  }
  void TearDown() override { SetSendLogClock(nullptr); }

  ExchangeReport Run(ScriptedSnppServer& server, std::string login = "",
                     int reply_timeout_ms = kPatientMs) {
    EXPECT_NE(server.Port(), 0);
    return SendPages(form_,
                     PagingServer{"127.0.0.1", server.Port(), login, kPatientMs, reply_timeout_ms});
  }
  std::string Log() const { return ReadBytes(here_.folder().File("Pages-2020-05-22.dat")); }
  bool LogExists() const { return testing::Exists(here_.folder().File("Pages-2020-05-22.dat")); }
  static std::string LogLine(const std::string& who, const std::string& id,
                             const std::string& message = "Call me",
                             const std::string& from = "Desk") {
    return "Sent to: " + who + " (" + id + ") at 11:59 pm - Message Content: " + message +
           " - From: " + from + " - Username: jdoe on Computer Name: DESK-7\r\n";
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const auto& b : form_.boxes) titles.push_back(b.title);
    return titles;
  }
  void ExpectFormReset() {
    EXPECT_TRUE(form_.message.empty());
    EXPECT_EQ(Narrow(form_.message_label), "Message:(120 Characters Left)");
    EXPECT_EQ(form_.send_to().RowCount(), 0);
    EXPECT_TRUE(form_.search.empty());
    ASSERT_EQ(form_.available().RowCount(), 3);
    EXPECT_EQ(Narrow(form_.available().Cell(0, 0)), "Doe, John");
    EXPECT_EQ(Narrow(form_.available().Cell(1, 0)), "Roe, Jane");
    EXPECT_EQ(Narrow(form_.available().Cell(2, 1)), "12345");
    EXPECT_TRUE(form_.available().RedrawOn());
  }
  void ExpectFormKept() {
    EXPECT_EQ(Narrow(form_.message), "Call me");
    EXPECT_EQ(form_.send_to().RowCount(), 3);
    EXPECT_EQ(Narrow(form_.search), "Do");
    EXPECT_EQ(form_.available().RowCount(), 1);
  }
  static std::string Narrow(const Text& t) { return testing::Narrow(t); }

  testing::ScopedEnv user_{"USERNAME", u"jdoe"};
  testing::ScopedEnv computer_{"COMPUTERNAME", u"DESK-7"};
  InTempFolder here_;
  MemoryPageForm form_;
};

const Lines kPagesOfThree = {"PAGE 80022",    "MESS From:Desk Message: Call me", "SEND",
                             "PAGE 80012345", "MESS From:Desk Message: Call me", "SEND",
                             "PAGE 80011",    "MESS From:Desk Message: Call me", "SEND",
                             "QUIT"};

TEST_F(SendPagesTest, PagesEveryRowLastFirstOneCommandAtATimeAndLogsEach) {
  ScriptedSnppServer server;
  form_.message = u"Call me \u00e9";
  const ExchangeReport report = Run(server);

  EXPECT_EQ(server.Received(),
            "PAGE 80022\nMESS From:Desk Message: Call me \xC3\xA9\nSEND\n"
            "PAGE 80012345\nMESS From:Desk Message: Call me \xC3\xA9\nSEND\n"
            "PAGE 80011\nMESS From:Desk Message: Call me \xC3\xA9\nSEND\nQUIT\n");
  EXPECT_EQ(Log(), LogLine("Roe, Jane", "22", "Call me \xC3\xA9") +
                       LogLine("Poe, Al", "12345", "Call me \xC3\xA9") +
                       LogLine("Doe, John", "11", "Call me \xC3\xA9"));
  EXPECT_EQ(report.end, ExchangeEnd::kCompleted);
  EXPECT_EQ(report.sent, 3);
  EXPECT_TRUE(report.form_reset);
  ExpectFormReset();
  ASSERT_EQ(form_.boxes.size(), 1u);
  EXPECT_EQ(form_.boxes[0].title, "Success");
  EXPECT_EQ(form_.boxes[0].text, "Message sent successfully");
  EXPECT_EQ(form_.boxes[0].icon, BoxIcon::kInformation);
  EXPECT_THAT(form_.journal, ElementsAre("clear message", "box Success", "clear search"));
  EXPECT_THAT(form_.progress,
              ElementsAre(std::pair(0, 3), std::pair(1, 3), std::pair(2, 3), std::pair(3, 3)));
}

TEST_F(SendPagesTest, NoTextFromAFieldOrAFileCanBreakACommand) {
  const struct {
    Text from, message, pager_id;
    Lines commands;
  } cases[] = {
      {u"", u"Call me", u"11", {"PAGE 80011", "MESS From: Message: Call me", "SEND", "QUIT"}},
      {u"Desk\r\nSEND",
       u"one\ntwo\rthree",
       u"11\r\nPAGE 8009",
       {"PAGE 80011  PAGE 8009", "MESS From:Desk  SEND Message: one two three", "SEND", "QUIT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.from));
    MemoryPageForm form;
    form.from = c.from;
    form.message = c.message;
    form.send_to().AppendRow({u"Doe, John", c.pager_id});
    ScriptedSnppServer server;
    SendPages(form, Loopback(server));
    EXPECT_EQ(server.Commands(), c.commands);
    ASSERT_EQ(form.boxes.size(), 1u);
    EXPECT_EQ(form.boxes[0].title, "Success");
  }
}

// A refused command ends that recipient's page at once: nothing more of it
// is written, RESE clears what the server holds, and the next one follows.
TEST_F(SendPagesTest, ARefusedCommandSkipsThatRecipientOnly) {
  const struct {
    const char* name;
    SnppScript script;
    Lines commands;
  } cases[] = {
      {"PAGE refused",
       [] {
         SnppScript s;
         s.refuse_page_of = "80012345";
         return s;
       }(),
       {"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345", "RESE",
        "PAGE 80011", "MESS From:Desk Message: Call me", "SEND", "QUIT"}},
      {"MESS refused",
       [] {
         SnppScript s;
         s.refuse_mess_after_page_of = "80012345";
         return s;
       }(),
       {"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345",
        "MESS From:Desk Message: Call me", "RESE", "PAGE 80011", "MESS From:Desk Message: Call me",
        "SEND", "QUIT"}},
      {"SEND refused",
       [] {
         SnppScript s;
         s.reply_to_command[6] = "554 Message Failed\r\n";
         return s;
       }(),
       {"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345",
        "MESS From:Desk Message: Call me", "SEND", "RESE", "PAGE 80011",
        "MESS From:Desk Message: Call me", "SEND", "QUIT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InTempFolder here;
    MemoryPageForm form;
    form.send_to().AppendRow({u"Doe, John", u"11"});
    form.send_to().AppendRow({u"Poe, Al", u"12345"});
    form.send_to().AppendRow({u"Roe, Jane", u"22"});
    ScriptedSnppServer server(c.script);
    const ExchangeReport report = SendPages(form, Loopback(server));
    EXPECT_EQ(server.Commands(), c.commands);
    EXPECT_EQ(ReadBytes(here.folder().File("Pages-2020-05-22.dat")),
              LogLine("Roe, Jane", "22") + LogLine("Doe, John", "11"));
    EXPECT_EQ(report.sent, 2);
    ASSERT_EQ(report.pages.size(), 3u);
    EXPECT_EQ(report.pages[1].outcome, PageOutcome::kRefused);
    ASSERT_EQ(form.boxes.size(), 1u);
    EXPECT_EQ(form.boxes[0].title, "Error");
    EXPECT_EQ(form.boxes[0].icon, BoxIcon::kError);
    EXPECT_THAT(form.boxes[0].text, HasSubstr("Pages sent: 2 of 3."));
    EXPECT_THAT(form.boxes[0].text,
                HasSubstr("Poe, Al (12345): " + std::string(c.name[0] == 'S'
                                                                ? "554 Message Failed"
                                                                : "550 Error, Invalid Pager ID")));
    EXPECT_THAT(form.boxes[0].text, Not(HasSubstr("Doe, John")));
    EXPECT_EQ(form.send_to().RowCount(), 0);
  }
}

TEST_F(SendPagesTest, AServerThatCannotClearARefusedPageGetsNoFurtherPage) {
  SnppScript script;
  script.refuse_mess_after_page_of = "80012345";
  script.rese_reply = "500 Command Not Implemented\r\n";
  ScriptedSnppServer server(script);
  const ExchangeReport report = Run(server);
  // The server may still hold 80012345; another PAGE and SEND would page
  // that pager with the next recipient's page.
  EXPECT_EQ(server.Commands(),
            (Lines{"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345",
                   "MESS From:Desk Message: Call me", "RESE", "QUIT"}));
  EXPECT_EQ(Log(), LogLine("Roe, Jane", "22"));
  EXPECT_EQ(report.sent, 1);
  ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
  EXPECT_THAT(form_.boxes[0].text, HasSubstr("500 Command Not Implemented"));
  EXPECT_THAT(form_.boxes[0].text, HasSubstr("Doe, John (11): not sent"));
}

TEST_F(SendPagesTest, AGreetingArrivingInPiecesIsOneGreeting) {
  const std::vector<std::vector<std::string>> greetings = {
      {"2", "20 ready\r\n"},
      {"220 SNPP gateway ready\r", "\n"},
      {"220-Welcome to the gateway\r\n", "220-Level 1 only\r\n220 ready\r\n"},
  };
  for (const auto& greeting : greetings) {
    SCOPED_TRACE(greeting[0]);
    InTempFolder here;
    MemoryPageForm form;
    form.send_to().AppendRow({u"Doe, John", u"11"});
    form.send_to().AppendRow({u"Roe, Jane", u"22"});
    SnppScript script;
    script.greeting = greeting;
    // Were a piece of the greeting taken for the reply to PAGE, this
    // refusal would land on the MESS that follows.
    script.refuse_page_of = "80022";
    ScriptedSnppServer server(script);
    const ExchangeReport report = SendPages(form, Loopback(server));
    EXPECT_EQ(server.Commands(), (Lines{"PAGE 80022", "RESE", "PAGE 80011",
                                        "MESS From:Desk Message: Call me", "SEND", "QUIT"}));
    EXPECT_EQ(report.sent, 1);
  }
}

TEST_F(SendPagesTest, OnlyTheGreetingStartsThePagesNeverALaterReplyHolding220) {
  SnppScript script;
  script.greeting = {"220 ready\r\n"};
  script.mess_reply = "250 Message of 220 characters accepted\r\n";
  script.refuse_page_of = "80012345";
  script.rese_reply = "220 Reset, ready\r\n";
  script.send_reply = "250 220 OK\r\n";
  ScriptedSnppServer server(script);
  const ExchangeReport report = Run(server);
  EXPECT_EQ(server.Commands(),
            (Lines{"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345", "RESE",
                   "PAGE 80011", "MESS From:Desk Message: Call me", "SEND", "QUIT"}));
  EXPECT_EQ(Log(), LogLine("Roe, Jane", "22") + LogLine("Doe, John", "11"));
  EXPECT_EQ(report.sent, 2);
}

TEST_F(SendPagesTest, AGreetingOtherThan220GetsOnlyQuitAndTheFormIsKept) {
  SnppScript script;
  script.greeting = {"421 Too busy, try again later\r\n"};
  ScriptedSnppServer server(script);
  const ExchangeReport report = Run(server);
  EXPECT_EQ(server.Commands(), Lines{"QUIT"});
  EXPECT_EQ(report.end, ExchangeEnd::kGreetingRefused);
  EXPECT_FALSE(LogExists());
  ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
  EXPECT_THAT(form_.boxes[0].text, HasSubstr("421 Too busy, try again later"));
  EXPECT_THAT(form_.boxes[0].text, HasSubstr("127.0.0.1 port " + std::to_string(server.Port())));
  ExpectFormKept();
}

TEST_F(SendPagesTest, AnUnreachableServerIsNamedAndTheFormIsKept) {
  int closed_port;
  {
    auto listener = platform::Listen("127.0.0.1", 0);
    ASSERT_TRUE(listener);
    closed_port = listener->Port();
  }
  // A server that takes no more clients: once its queue is full, a new
  // connection is never answered, and only the time limit ends the attempt.
  auto full = platform::Listen("127.0.0.1", 0);
  ASSERT_TRUE(full);
  std::vector<std::unique_ptr<platform::Connection>> queued;
  while (queued.size() < 256) {
    auto c = platform::Connect("127.0.0.1", full->Port(), 300);
    if (!c) break;
    queued.push_back(std::move(c));
  }
  ASSERT_LT(queued.size(), 256u) << "the listener's queue never filled";
  const struct {
    std::string host;
    int port;
    ExchangeEnd end;
    const char* reason;
  } cases[] = {
      {"127.0.0.1", closed_port, ExchangeEnd::kUnreachable, "the connection was refused"},
      {"no-such-host.invalid", 444, ExchangeEnd::kUnreachable, "the host name could not be found"},
      {"127.0.0.1", full->Port(), ExchangeEnd::kUnreachable, "no connection within 1 second."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    form_.boxes.clear();
    const ExchangeReport report = SendPages(form_, PagingServer{c.host, c.port, "", 500, 1500});
    EXPECT_EQ(report.end, c.end);
    EXPECT_FALSE(report.form_reset);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
    EXPECT_THAT(form_.boxes[0].text, HasSubstr(c.host + " port " + std::to_string(c.port)));
    EXPECT_THAT(form_.boxes[0].text, HasSubstr(c.reason));
    ExpectFormKept();
    EXPECT_FALSE(LogExists());
  }
}

TEST_F(SendPagesTest, ASilentServerIsLeftAfterTheReplyTimeAndNothingUnconfirmedCounts) {
  {
    SCOPED_TRACE("no greeting");
    SnppScript script;
    script.greeting.clear();
    ScriptedSnppServer server(script);
    const ExchangeReport report = Run(server, "", kShortMs);
    EXPECT_EQ(server.Received(), "");
    EXPECT_EQ(report.end, ExchangeEnd::kNoGreeting);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
    EXPECT_THAT(form_.boxes[0].text, HasSubstr("did not answer within 2 seconds."));
    ExpectFormKept();
  }
  {
    SCOPED_TRACE("silent from the second PAGE");
    form_.boxes.clear();
    SnppScript script;
    script.silent_from_command = 4;
    ScriptedSnppServer server(script);
    const ExchangeReport report = Run(server, "", kShortMs);
    // The connection is closed without QUIT, which the server sees as the
    // end of its recording.
    EXPECT_EQ(server.Commands(),
              (Lines{"PAGE 80022", "MESS From:Desk Message: Call me", "SEND", "PAGE 80012345"}));
    EXPECT_EQ(Log(), LogLine("Roe, Jane", "22"));
    EXPECT_EQ(report.end, ExchangeEnd::kBrokenOff);
    EXPECT_EQ(report.sent, 1);
    ASSERT_EQ(Titles(), std::vector<std::string>{"Error"});
    const std::string& text = form_.boxes[0].text;
    EXPECT_THAT(text, HasSubstr("Pages sent: 1 of 3."));
    EXPECT_THAT(text, HasSubstr("did not answer within 2 seconds."));
    EXPECT_THAT(text, HasSubstr("Poe, Al (12345): not confirmed"));
    EXPECT_THAT(text, HasSubstr("Doe, John (11): not sent"));
    ExpectFormReset();
  }
}

TEST_F(SendPagesTest, AServerThatHangsUpOrFloodsEndsTheExchangeWithoutSuccess) {
  const struct {
    const char* name;
    SnppScript script;
    size_t commands;
    const char* reason;
  } cases[] = {
      {"closed at the first SEND",
       [] {
         SnppScript s;
         s.close_at_command = 3;
         return s;
       }(),
       3, "the server closed the connection"},
      {"bytes without a line end",
       [] {
         SnppScript s;
         s.flood = std::string(1024, 'x');
         s.flood_count = 64;
         return s;
       }(),
       1, "the server's answer could not be read"},
      {"a greeting without end",
       [] {
         SnppScript s;
         s.greeting = {"220 "};
         s.flood = std::string(1024, '2');
         s.flood_count = 64;
         return s;
       }(),
       0, "did not greet"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InTempFolder here;
    MemoryPageForm form;
    form.send_to().AppendRow({u"Doe, John", u"11"});
    ScriptedSnppServer server(c.script);
    const ExchangeReport report = SendPages(form, Loopback(server));
    const Lines commands = server.Commands();
    EXPECT_EQ(commands.size(), c.commands);
    for (const std::string& line : commands) EXPECT_NE(line, "QUIT");
    EXPECT_EQ(report.sent, 0);
    EXPECT_FALSE(testing::Exists(here.folder().File("Pages-2020-05-22.dat")));
    ASSERT_EQ(form.boxes.size(), 1u);
    EXPECT_EQ(form.boxes[0].title, "Error");
    EXPECT_THAT(form.boxes[0].text, HasSubstr(c.reason));
  }
}

TEST_F(SendPagesTest, QuitIsWrittenOnceWhateverTheGoodbye) {
  const struct {
    std::string goodbye;
    bool server_hangs_up;
  } cases[] = {
      {"221 OK, goodbye\r\n", false},
      {"221 OK, Goodbye\r\n", false},
      {"221 Goodbye.\r\n", false},
      {"", true},   // hangs up without a word
      {"", false},  // neither answers nor hangs up
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.goodbye);
    InTempFolder here;
    MemoryPageForm form;
    form.send_to().AppendRow({u"Doe, John", u"11"});
    SnppScript script;
    script.quit_reply = c.goodbye;
    script.close_after_quit = c.server_hangs_up;
    ScriptedSnppServer server(script);
    SendPages(form, Loopback(server, kShortMs));
    EXPECT_EQ(server.Commands(),
              (Lines{"PAGE 80011", "MESS From:Desk Message: Call me", "SEND", "QUIT"}));
    ASSERT_EQ(form.boxes.size(), 1u);
    EXPECT_EQ(form.boxes[0].title, "Success");
  }
}

TEST_F(SendPagesTest, ALoginIsGivenAfterTheGreetingWhenTheBuildNamesOne) {
  {
    ScriptedSnppServer server;
    Run(server, "tellwave");
    Lines expected = kPagesOfThree;
    expected.insert(expected.begin(), "LOGI tellwave");
    EXPECT_EQ(server.Commands(), expected);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Success"});
  }
  {
    MemoryPageForm form;
    form.send_to().AppendRow({u"Doe, John", u"11"});
    SnppScript script;
    script.logi_reply = "550 Login incorrect\r\n";
    ScriptedSnppServer server(script);
    const ExchangeReport report = SendPages(form, Loopback(server, kPatientMs, "tellwave"));
    EXPECT_EQ(server.Commands(), (Lines{"LOGI tellwave", "QUIT"}));
    EXPECT_EQ(report.end, ExchangeEnd::kLoginRefused);
    ASSERT_EQ(form.boxes.size(), 1u);
    EXPECT_EQ(form.boxes[0].title, "Error");
    EXPECT_THAT(form.boxes[0].text, HasSubstr("550 Login incorrect"));
    EXPECT_EQ(form.send_to().RowCount(), 1);
  }
}

TEST_F(SendPagesTest, AnExchangeAcrossMidnightKeepsItsStartTimeAndFollowsTheDate) {
  g_cross_midnight = true;
  ScriptedSnppServer server;
  Run(server);
  EXPECT_EQ(server.Commands(), kPagesOfThree);
  // The time text is read first, then each append reads the date.
  EXPECT_EQ(Log(), LogLine("Roe, Jane", "22"));
  EXPECT_EQ(ReadBytes(here_.folder().File("Pages-2020-05-23.dat")),
            LogLine("Poe, Al", "12345") + LogLine("Doe, John", "11"));
}

}  // namespace
}  // namespace tw
