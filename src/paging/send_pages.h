#pragma once
// One SNPP exchange that pages every recipient of the Send To list.
#include <memory>
#include <string>
#include <vector>

#include "common/dialogs.h"
#include "common/row_list.h"
#include "common/text.h"
#include "platform/tcp.h"

namespace tw {

// Whatever holds the message form: the main window, or a test.
class PageForm {
 public:
  virtual ~PageForm() = default;
  virtual Text FromText() = 0;
  virtual Text MessageText() = 0;
  virtual RowList& SendToList() = 0;
  virtual RowList& AvailableList() = 0;
  // Empties the message field and sets the counter label back to
  // "Message:(120 Characters Left)".
  virtual void ClearMessage() = 0;
  virtual void ClearSearch() = 0;
  virtual Dialogs& Boxes() = 0;
  // Called while the exchange runs: pages done so far of total. The window
  // keeps painting and shows it; user input is not taken meanwhile.
  virtual void ShowProgress(int done, int total) = 0;
};

// Where and how to reach the paging server; tests shorten the waits and
// point the same code at another port.
struct PagingServer {
  std::string host;
  int port;
  std::string login;  // LOGI after the greeting when not empty
  int connect_timeout_ms = 10000;
  int reply_timeout_ms = 10000;
};
// What became of one recipient.
enum class PageOutcome {
  kSent,          // PAGE, MESS and SEND each answered 2xx
  kRefused,       // one of them answered otherwise; reply holds the answer
  kNotConfirmed,  // its commands were written but the exchange broke off
  kNotSent,       // the exchange ended before it was reached
};

struct PageResult {
  Text display_name;
  Text pager_id;
  PageOutcome outcome;
  std::string reply;  // the server's reply line, as received
};

// How the exchange ended.
enum class ExchangeEnd {
  kCompleted,        // every recipient had its answer, QUIT was written
  kNetworkDown,      // the network layer could not be started
  kUnreachable,      // no connection (lookup, refusal, time-out)
  kNoGreeting,       // connected, but no greeting came
  kGreetingRefused,  // the first reply was not 220
  kLoginRefused,     // LOGI was not answered 2xx
  kBrokenOff,        // the server stopped answering or closed mid-exchange
};

struct ExchangeReport {
  ExchangeEnd end = ExchangeEnd::kCompleted;
  std::vector<PageResult> pages;  // in the order they were paged
  int sent = 0;
  bool form_reset = false;
};

// The build's server: PagingServerHost, port 444, PagingServerLogin.
PagingServer BuildPagingServer();

// Pages every row of the Send To list, last row first, telling the operator
// the outcome. The form is reset once pages were submitted; when nothing was
// submitted it is kept, so the operator's message and recipients survive.
ExchangeReport SendPages(PageForm& form, const PagingServer& server);
inline ExchangeReport SendPages(PageForm& form) { return SendPages(form, BuildPagingServer()); }
// The same exchange over a connection already open: the seam through which
// the fuzzer plays the server.
ExchangeReport SendPagesOver(PageForm& form, const PagingServer& server,
                             std::unique_ptr<platform::Connection> connection);

}  // namespace tw
