// tellwave-snpp: a small SNPP server for development and for trying the
// program out, so that a page arrives somewhere visible.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

#include "snpp_session.h"

namespace {

constexpr char kUsage[] =
    "usage: tellwave-snpp [--port N] [--refuse PAGERID]... [--max-length BYTES] [--login USER]\n"
    "  Listens on 127.0.0.1 (port 444 unless told otherwise) and prints every page it accepts.\n"
    "  --refuse     answers 550 to PAGE for this pager ID, as written on the wire (e.g. 800123)\n"
    "  --max-length answers 550 to MESS longer than this many bytes\n"
    "  --login      answers 530 to PAGE until LOGI names this user\n";

std::mutex g_print;

void PrintPage(const tw::snpp::AcceptedPage& page) {
  const std::time_t now = std::time(nullptr);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::lock_guard<std::mutex> lock(g_print);
  for (const std::string& id : page.pager_ids)
    std::printf("%s page to %s: %s\n", when, id.c_str(), page.message.c_str());
  std::fflush(stdout);
}

bool ParseNumber(const char* text, long min, long max, long& out) {
  char* end = nullptr;
  out = std::strtol(text, &end, 10);
  return end && *end == '\0' && out >= min && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  tw::snpp::ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    long number = 0;
    if (arg == "--port" && has_value && ParseNumber(argv[i + 1], 1, 65535, number)) {
      options.port = static_cast<int>(number);
      ++i;
    } else if (arg == "--refuse" && has_value) {
      options.refused_ids.insert(argv[++i]);
    } else if (arg == "--max-length" && has_value && ParseNumber(argv[i + 1], 1, 1 << 20, number)) {
      options.max_message = static_cast<size_t>(number);
      ++i;
    } else if (arg == "--login" && has_value) {
      options.required_login = argv[++i];
    } else {
      std::fputs(kUsage, arg == "--help" ? stdout : stderr);
      return arg == "--help" ? 0 : 2;
    }
  }
  tw::platform::StartNetwork();
  auto listener = tw::platform::Listen("127.0.0.1", options.port);
  if (!listener) {
    std::fprintf(stderr,
                 "tellwave-snpp: cannot listen on 127.0.0.1 port %d (in use, or a port "
                 "below 1024 without the right to bind it)\n",
                 options.port);
    return 1;
  }
  std::printf("tellwave-snpp: listening on 127.0.0.1 port %d\n", listener->Port());
  std::fflush(stdout);
  for (;;) {
    std::unique_ptr<tw::platform::Connection> client = listener->Accept(1000);
    if (!client) continue;
    // One thread per client, so one that stays silent holds up nobody else.
    std::thread([client = std::move(client), &options]() mutable {
      tw::snpp::ServeClient(*client, options, PrintPage);
    }).detach();
  }
}
