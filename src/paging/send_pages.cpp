#include "paging/send_pages.h"

#include <memory>

#include "common/data_locations.h"
#include "common/settings.h"
#include "directory/directory_file.h"
#include "paging/reply_reader.h"
#include "paging/send_log.h"
#include "platform/clock.h"
#include "platform/env.h"
#include "platform/tcp.h"

namespace tw {

namespace {

// Longer lists are cut short in the box; the rest is counted.
constexpr int kMostListedRecipients = 15;
// Server texts are shown up to this many characters.
constexpr size_t kMostReplyCharacters = 200;

struct Recipient {
  Text display_name;
  Text pager_id;
};

// A line break inside a field would end the command early and let the rest
// of the text reach the server as a command of its own.
std::string CommandText(const Text& text) {
  std::string bytes = TextToUtf8(text);
  for (char& c : bytes) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return bytes;
}

Text HostAndPort(const PagingServer& server) {
  return Utf8ToText(server.host) + u" port " + NumberText(server.port);
}

// The server's bytes as the operator may read them: control characters
// (a zero byte among them) become blanks, and the text is kept short.
Text ReplyForDisplay(const std::string& line) {
  Text text = Utf8ToText(line);
  for (char16_t& c : text) {
    if (c < 0x20 || c == 0x7F) c = u' ';
  }
  if (text.size() > kMostReplyCharacters) text = text.substr(0, kMostReplyCharacters) + u"...";
  return text;
}

Text SecondsText(int ms) {
  const int seconds = (ms + 999) / 1000;
  return NumberText(seconds) + (seconds == 1 ? u" second" : u" seconds");
}

Text UnreachableText(const PagingServer& server, platform::ConnectFailure why) {
  Text reason;
  switch (why) {
    case platform::ConnectFailure::kUnresolved:
      reason = u"the host name could not be found";
      break;
    case platform::ConnectFailure::kRefused:
      reason = u"the connection was refused";
      break;
    case platform::ConnectFailure::kTimedOut:
      reason = u"no connection within " + SecondsText(server.connect_timeout_ms);
      break;
    default:
      reason = u"the connection failed";
      break;
  }
  return u"Could not reach the paging server at " + HostAndPort(server) + u": " + reason +
         u".\n\nNothing was sent. The message and the recipients are kept.";
}

Text BrokenText(ReplyStatus status, const PagingServer& server) {
  switch (status) {
    case ReplyStatus::kTimedOut:
      return u"the server did not answer within " + SecondsText(server.reply_timeout_ms);
    case ReplyStatus::kTooLong:
      return u"the server's answer could not be read";
    default:
      return u"the server closed the connection";
  }
}

// One SNPP dialogue over an open connection: every command is written as
// one send and its reply read before anything else is written, because
// servers neither pipeline nor keep refused commands from carrying over.
class Dialogue {
 public:
  Dialogue(std::unique_ptr<platform::Connection> connection, int reply_timeout_ms,
           std::function<void()> while_waiting)
      : connection_(std::move(connection)),
        reader_(*connection_, std::move(while_waiting)),
        reply_timeout_ms_(reply_timeout_ms) {}

  Reply Greeting() { return reader_.NextReply(Deadline()); }

  Reply Command(const std::string& line) {
    if (!connection_ || !connection_->Send(line + "\n")) return {ReplyStatus::kClosed, {}};
    return reader_.NextReply(Deadline());
  }

  // Ends the session politely: QUIT once, then its reply (221 whatever
  // its text), another line or the close ends it.
  void Quit() {
    Command("QUIT");
    Close();
  }

  // Closes at once, before the operator is told anything.
  void Close() { connection_.reset(); }

 private:
  long long Deadline() const { return platform::MonotonicMs() + reply_timeout_ms_; }

  std::unique_ptr<platform::Connection> connection_;
  ReplyReader reader_;
  int reply_timeout_ms_;
};

// The outcome for the operator: every recipient not paged with the reason.
Text OutcomeText(const ExchangeReport& report, const PagingServer& server, Text ending) {
  Text text = u"Pages sent: " + NumberText(report.sent) + u" of " +
              NumberText(static_cast<long long>(report.pages.size())) + u".";
  if (!ending.empty()) text += u"\n" + ending;
  text += u"\n\nNot paged:";
  int listed = 0;
  int unlisted = 0;
  for (const PageResult& page : report.pages) {
    if (page.outcome == PageOutcome::kSent) continue;
    if (listed == kMostListedRecipients) {
      ++unlisted;
      continue;
    }
    ++listed;
    text += u"\n" + page.display_name + u" (" + page.pager_id + u"): ";
    switch (page.outcome) {
      case PageOutcome::kRefused:
        text += ReplyForDisplay(page.reply);
        break;
      case PageOutcome::kNotConfirmed:
        text += u"not confirmed, " + Utf8ToText(page.reply);
        break;
      default:
        text += u"not sent";
        break;
    }
  }
  if (unlisted > 0) text += u"\n... and " + NumberText(unlisted) + u" more.";
  return text;
}

void ResetForm(PageForm& form) {
  form.ClearMessage();
  form.SendToList().RemoveAllRows();
  RowList& available = form.AvailableList();
  RedrawSuspended quiet(available);
  available.RemoveAllRows();
  LoadRecipientLines(available, DirectoryPath());
}

void ShowError(PageForm& form, const Text& text) {
  form.Boxes().ShowBox(u"Error", text, BoxIcon::kError);
}

}  // namespace

PagingServer BuildPagingServer() {
  return PagingServer{kPagingServerHost, kPagingPort, kPagingServerLogin};
}

ExchangeReport SendPages(PageForm& form, const PagingServer& server) {
  // Everything the exchange needs is taken once, before connecting.
  const Text from = form.FromText();
  const Text message = form.MessageText();
  const Text user_name = platform::GetEnv("USERNAME");
  const Text computer_name = platform::GetEnv("COMPUTERNAME");
  const Text time_text = FormatTimeOfDay();
  std::vector<Recipient> recipients;
  {
    const RowList& send_to = form.SendToList();
    for (int n = send_to.RowCount() - 1; n >= 0; --n)
      recipients.push_back({send_to.Cell(n, 0), send_to.Cell(n, 1)});
  }
  const int total = static_cast<int>(recipients.size());

  ExchangeReport report;
  for (const Recipient& r : recipients)
    report.pages.push_back({r.display_name, r.pager_id, PageOutcome::kNotSent, {}});

  if (!platform::StartNetwork()) {
    report.end = ExchangeEnd::kNetworkDown;
    ShowError(form, u"Could not establish network connection");
    return report;
  }
  platform::ConnectFailure why = platform::ConnectFailure::kNone;
  std::unique_ptr<platform::Connection> connection =
      platform::Connect(server.host, server.port, server.connect_timeout_ms, &why);
  if (!connection) {
    report.end = ExchangeEnd::kUnreachable;
    ShowError(form, UnreachableText(server, why));
    return report;
  }

  int done = 0;
  Dialogue dialogue(std::move(connection), server.reply_timeout_ms,
                    [&form, &done, total] { form.ShowProgress(done, total); });
  const Text kept = u"\n\nNothing was sent. The message and the recipients are kept.";

  // Only the first reply can be the greeting; whatever a later reply holds
  // never starts the pages over.
  const Reply greeting = dialogue.Greeting();
  if (greeting.status != ReplyStatus::kLine) {
    report.end = ExchangeEnd::kNoGreeting;
    dialogue.Close();
    ShowError(form, u"The paging server at " + HostAndPort(server) + u" did not greet: " +
                        BrokenText(greeting.status, server) + u"." + kept);
    return report;
  }
  if (ReplyCode(greeting.line) != 220) {
    report.end = ExchangeEnd::kGreetingRefused;
    dialogue.Quit();
    ShowError(form, u"The paging server at " + HostAndPort(server) + u" refused the exchange:\n" +
                        ReplyForDisplay(greeting.line) + kept);
    return report;
  }
  if (!server.login.empty()) {
    const Reply login = dialogue.Command("LOGI " + CommandText(Utf8ToText(server.login)));
    if (login.status != ReplyStatus::kLine || !ReplyCodeIs(login.line, '2')) {
      report.end = ExchangeEnd::kLoginRefused;
      if (login.status == ReplyStatus::kLine) {
        dialogue.Quit();
      } else {
        dialogue.Close();
      }
      ShowError(form, u"The paging server at " + HostAndPort(server) + u" did not accept the login " +
                          Utf8ToText(server.login) + u": " +
                          (login.status == ReplyStatus::kLine ? ReplyForDisplay(login.line)
                                                              : BrokenText(login.status, server)) +
                          kept);
      return report;
    }
  }

  const Text log_folder = SendLogFolder();
  const std::string mess = "MESS From:" + CommandText(from) + " Message: " + CommandText(message);
  form.ShowProgress(0, total);
  ReplyStatus broken = ReplyStatus::kLine;
  for (int i = 0; i < total && broken == ReplyStatus::kLine; ++i) {
    PageResult& page = report.pages[i];
    const std::string commands[] = {"PAGE 800" + CommandText(page.pager_id), mess, "SEND"};
    page.outcome = PageOutcome::kSent;
    for (const std::string& command : commands) {
      const Reply reply = dialogue.Command(command);
      if (reply.status != ReplyStatus::kLine) {
        broken = reply.status;
        page.outcome = PageOutcome::kNotConfirmed;
        page.reply = TextToUtf8(BrokenText(reply.status, server));
        break;
      }
      if (!ReplyCodeIs(reply.line, '2')) {
        page.outcome = PageOutcome::kRefused;
        page.reply = reply.line;
        // Nothing of a refused page may carry over into the next one.
        const Reply reset = dialogue.Command("RESE");
        if (reset.status != ReplyStatus::kLine) broken = reset.status;
        break;
      }
    }
    if (page.outcome == PageOutcome::kSent) {
      ++report.sent;
      // The log answers who was paged, so only a confirmed page is written.
      AppendSendLogIn(log_folder, page.display_name, page.pager_id, time_text, message, from,
                      user_name, computer_name);
    }
    form.ShowProgress(++done, total);
  }

  Text ending;
  if (broken == ReplyStatus::kLine) {
    dialogue.Quit();
  } else {
    report.end = ExchangeEnd::kBrokenOff;
    dialogue.Close();
    ending = u"The exchange with the paging server at " + HostAndPort(server) + u" broke off: " +
             BrokenText(broken, server) + u".";
  }

  ResetForm(form);
  report.form_reset = true;
  if (report.sent == total) {
    form.Boxes().ShowBox(u"Success", u"Message sent successfully", BoxIcon::kInformation);
  } else {
    ShowError(form, OutcomeText(report, server, ending));
  }
  form.ClearSearch();
  return report;
}

}  // namespace tw
