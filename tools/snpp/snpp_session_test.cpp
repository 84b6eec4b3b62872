#include "snpp_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/data_locations.h"
#include "common/memory_row_list.h"
#include "paging/send_pages.h"
#include "support/temp_folder.h"

namespace tw::snpp {
namespace {

struct Exchange {
  const char* command;
  const char* reply;
};

void Play(const ServerOptions& options, const std::vector<Exchange>& script,
          std::vector<AcceptedPage>* pages = nullptr) {
  Session session(options);
  EXPECT_EQ(session.Greeting(), "220 Tellwave development SNPP server ready\r\n");
  bool done = false;
  for (const Exchange& e : script) {
    SCOPED_TRACE(e.command);
    EXPECT_FALSE(done);
    EXPECT_EQ(session.Answer(e.command, done,
                             [pages](const AcceptedPage& p) {
                               if (pages) pages->push_back(p);
                             }),
              std::string(e.reply) + "\r\n");
  }
}

TEST(DevelopmentSnppServer, AnswersLevelOneCommands) {
  std::vector<AcceptedPage> pages;
  Play({},
       {{"PAGE 800123", "250 Pager ID Accepted"},
        {"page 800456", "250 Pager ID Accepted"},
        {"MESS From:Desk Message: hello", "250 Message OK"},
        {"MESS again", "503 ERROR, Message Already Entered"},
        {"SEND", "250 Message Sent Successfully"},
        {"SEND", "503 Error, Pager ID or Message Incomplete"},
        {"PAGE", "550 Error, Invalid Pager ID"},
        {"PAGE 800777", "250 Pager ID Accepted"},
        {"RESE", "250 RESET OK"},
        {"MESS m", "250 Message OK"},
        {"SEND", "503 Error, Pager ID or Message Incomplete"},
        {"LOGI tellwave secret", "250 Login Accepted"},
        {"DATA", "500 Command Not Implemented"},
        {"QUIT", "221 OK, goodbye"}},
       &pages);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].pager_ids, (std::vector<std::string>{"800123", "800456"}));
  EXPECT_EQ(pages[0].message, "From:Desk Message: hello");
}

TEST(DevelopmentSnppServer, RefusesChosenPagersLongMessagesAndPagesBeforeTheLogin) {
  ServerOptions options;
  options.refused_ids = {"80013"};
  options.max_message = 10;
  options.required_login = "desk";
  Play(options, {{"PAGE 80012", "530 Login Required"},
                 {"LOGI someone", "550 Error, Invalid Login"},
                 {"LOGI desk", "250 Login Accepted"},
                 {"PAGE 80013", "550 Error, Invalid Pager ID"},
                 {"PAGE 80012", "250 Pager ID Accepted"},
                 {"MESS 12345678901", "550 ERROR, Message Too Long (limit 10 bytes)"},
                 {"MESS 1234567890", "250 Message OK"}});
}

// The program's own exchange against this server over loopback: what the
// run command shows a newcomer.
class Form final : public PageForm, public Dialogs {
 public:
  Text FromText() override { return u"Desk"; }
  Text MessageText() override { return u"Call me"; }
  RowList& SendToList() override { return send_to; }
  RowList& AvailableList() override { return available; }
  void ClearMessage() override {}
  void ClearSearch() override {}
  Dialogs& Boxes() override { return *this; }
  void ShowProgress(int, int) override {}
  BoxAnswer ShowBox(const Text& title, const Text&, BoxIcon, BoxButtons, bool) override {
    titles.push_back(title);
    return BoxAnswer::kOk;
  }
  Text Prompt(const Text&, const Text&, const Text&, bool) override { return {}; }

  MemoryRowList send_to{{299, 0}};
  MemoryRowList available{{299, 0}};
  std::vector<Text> titles;
};

TEST(DevelopmentSnppServer, TakesThePagesOfTheProgram) {
  platform::StartNetwork();
  auto listener = platform::Listen("127.0.0.1", 0);
  ASSERT_TRUE(listener);
  ServerOptions options;
  options.refused_ids = {"80022"};
  std::vector<AcceptedPage> pages;
  std::thread server([&] {
    auto client = listener->Accept(10000);
    if (client) ServeClient(*client, options, [&](const AcceptedPage& p) { pages.push_back(p); });
  });
  // The send log goes to the current directory.
  testing::TempFolder here;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(here.path()));
  InitDataLocations();
  Form form;
  form.send_to.AppendRow({u"Doe, John", u"11"});
  form.send_to.AppendRow({u"Roe, Jane", u"22"});
  const ExchangeReport report =
      SendPages(form, PagingServer{"127.0.0.1", listener->Port(), "", 3000, 3000});
  server.join();
  std::filesystem::current_path(previous);
  InitDataLocations();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].pager_ids, std::vector<std::string>{"80011"});
  EXPECT_EQ(pages[0].message, "From:Desk Message: Call me");
  EXPECT_EQ(report.sent, 1);
  EXPECT_EQ(form.titles, std::vector<Text>{u"Error"});
}

}  // namespace
}  // namespace tw::snpp
