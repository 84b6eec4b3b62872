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

// Everything the exchange needs, taken once before it connects.
struct ExchangeInputs {
  Text from;
  Text message;
  Text user_name;
  Text computer_name;
  Text time_text;
  Text log_folder;
};

ExchangeInputs TakeInputs(PageForm& form) {
  return {form.FromText(),
          form.MessageText(),
          platform::GetEnv("USERNAME"),
          platform::GetEnv("COMPUTERNAME"),
          FormatTimeOfDay(),
          SendLogFolder()};
}

constexpr char16_t kNothingSent[] =
    u"\n\nNothing was sent. The message and the recipients are kept.";

// The greeting and, when the build names one, the login. Empty when pages
// may follow; otherwise what to tell the operator, the session being over.
Text OpenSession(Dialogue& dialogue, const PagingServer& server, ExchangeReport& report) {
  const Text at = u"The paging server at " + HostAndPort(server);
  // Only the first reply can be the greeting; whatever a later reply holds
  // never starts the pages over.
  const Reply greeting = dialogue.Greeting();
  if (greeting.status != ReplyStatus::kLine) {
    report.end = ExchangeEnd::kNoGreeting;
    dialogue.Close();
    return at + u" did not greet: " + BrokenText(greeting.status, server) + u"." + kNothingSent;
  }
  if (ReplyCode(greeting.line) != 220) {
    report.end = ExchangeEnd::kGreetingRefused;
    dialogue.Quit();
    return at + u" refused the exchange:\n" + ReplyForDisplay(greeting.line) + kNothingSent;
  }
  if (server.login.empty()) return {};
  const Reply login = dialogue.Command("LOGI " + CommandText(Utf8ToText(server.login)));
  if (login.status == ReplyStatus::kLine && ReplyCodeIs(login.line, '2')) return {};
  report.end = ExchangeEnd::kLoginRefused;
  Text why;
  if (login.status == ReplyStatus::kLine) {
    why = ReplyForDisplay(login.line);
    dialogue.Quit();
  } else {
    why = BrokenText(login.status, server);
    dialogue.Close();
  }
  return at + u" did not accept the login " + Utf8ToText(server.login) + u": " + why + kNothingSent;
}

// Why a pass stopped before its last recipient; no reason: it did not.
struct PassEnd {
  Text reason;
  bool connection_lost = false;
};

// PAGE, MESS and SEND for one recipient, each awaiting its reply; a refusal
// is followed by RESE.
PassEnd PageOne(Dialogue& dialogue, const std::string& mess, const PagingServer& server,
                PageResult& page) {
  const std::string commands[] = {"PAGE 800" + CommandText(page.pager_id), mess, "SEND"};
  for (const std::string& command : commands) {
    const Reply reply = dialogue.Command(command);
    if (reply.status != ReplyStatus::kLine) {
      page.outcome = PageOutcome::kNotConfirmed;
      page.reply = TextToUtf8(BrokenText(reply.status, server));
      return {BrokenText(reply.status, server), true};
    }
    if (!ReplyCodeIs(reply.line, '2')) {
      page.outcome = PageOutcome::kRefused;
      page.reply = reply.line;
      // Nothing of a refused page may carry over into the next one: a
      // pager ID the server kept would be paged with the next message.
      const Reply reset = dialogue.Command("RESE");
      if (reset.status != ReplyStatus::kLine) return {BrokenText(reset.status, server), true};
      if (!ReplyCodeIs(reset.line, '2'))
        return {u"the server did not clear the refused page (" + ReplyForDisplay(reset.line) +
                u"), so no further page was risked"};
      return {};
    }
  }
  page.outcome = PageOutcome::kSent;
  return {};
}

// One pass over every recipient.
PassEnd PageEveryone(Dialogue& dialogue, const ExchangeInputs& in, const PagingServer& server,
                     PageForm& form, int& done, ExchangeReport& report) {
  const std::string mess =
      "MESS From:" + CommandText(in.from) + " Message: " + CommandText(in.message);
  const int total = static_cast<int>(report.pages.size());
  form.ShowProgress(0, total);
  for (PageResult& page : report.pages) {
    PassEnd end = PageOne(dialogue, mess, server, page);
    if (page.outcome == PageOutcome::kSent) {
      ++report.sent;
      // The log answers who was paged, so only a confirmed page is written.
      AppendSendLogIn(in.log_folder, page.display_name, page.pager_id, in.time_text, in.message,
                      in.from, in.user_name, in.computer_name);
    }
    form.ShowProgress(++done, total);
    if (!end.reason.empty()) return end;
  }
  return {};
}

}  // namespace

PagingServer BuildPagingServer() {
  return PagingServer{kPagingServerHost, kPagingPort, kPagingServerLogin};
}

namespace {

// The recipients, last row first, none paged yet.
ExchangeReport NewReport(PageForm& form) {
  ExchangeReport report;
  const RowList& send_to = form.SendToList();
  for (int n = send_to.RowCount() - 1; n >= 0; --n)
    report.pages.push_back({send_to.Cell(n, 0), send_to.Cell(n, 1), PageOutcome::kNotSent, {}});
  return report;
}

ExchangeReport Exchange(PageForm& form, const PagingServer& server, const ExchangeInputs& in,
                        ExchangeReport report, std::unique_ptr<platform::Connection> connection) {
  const int total = static_cast<int>(report.pages.size());
  int done = 0;
  Dialogue dialogue(std::move(connection), server.reply_timeout_ms,
                    [&form, &done, total] { form.ShowProgress(done, total); });
  if (const Text refusal = OpenSession(dialogue, server, report); !refusal.empty()) {
    ShowError(form, refusal);
    return report;
  }

  const PassEnd end = PageEveryone(dialogue, in, server, form, done, report);
  Text ending;
  if (end.connection_lost) {
    dialogue.Close();
  } else {
    dialogue.Quit();
  }
  if (!end.reason.empty()) {
    report.end = ExchangeEnd::kBrokenOff;
    ending = u"The exchange with the paging server at " + HostAndPort(server) + u" broke off: " +
             end.reason + u".";
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


}  // namespace

ExchangeReport SendPages(PageForm& form, const PagingServer& server) {
  const ExchangeInputs in = TakeInputs(form);
  ExchangeReport report = NewReport(form);
  // With nobody to page there is nothing to report as sent.
  if (report.pages.empty()) return report;

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
  return Exchange(form, server, in, std::move(report), std::move(connection));
}

ExchangeReport SendPagesOver(PageForm& form, const PagingServer& server,
                             std::unique_ptr<platform::Connection> connection) {
  const ExchangeInputs in = TakeInputs(form);
  ExchangeReport report = NewReport(form);
  if (report.pages.empty()) return report;
  return Exchange(form, server, in, std::move(report), std::move(connection));
}

}  // namespace tw
