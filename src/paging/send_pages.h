#pragma once
// One SNPP exchange that pages every recipient of the Send To list.
#include <string>

#include "common/dialogs.h"
#include "common/row_list.h"
#include "common/text.h"

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
// The build's server: PagingServerHost, port 444, PagingServerLogin.
PagingServer BuildPagingServer();

void SendPages(PageForm& form, const PagingServer& server);
inline void SendPages(PageForm& form) { SendPages(form, BuildPagingServer()); }

}  // namespace tw
