#include <locale.h>
#include <time.h>
#include <wctype.h>

#include <chrono>
#include <cstdlib>
#include <cwctype>
#include <thread>

#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/env.h"

namespace tw::platform {

namespace {
// Windows-1252 bytes 80..9F; 0 marks the five bytes the code page leaves
// undefined, which Windows maps to the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ByteToChar(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0) return kCp1252High[b - 0x80];
  return b;
}
}  // namespace

Text AnsiToText(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(ByteToChar(static_cast<unsigned char>(c)));
  return out;
}

std::string TextToAnsi(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) ||
        (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] == 0)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char byte = '?';
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == c) {
        byte = static_cast<char>(0x80 + i);
        break;
      }
    }
    out.push_back(byte);
  }
  return out;
}

char16_t LowerChar(char16_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  // The process locale may be "C"; the mapping must not depend on it.
  static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  const wint_t lower = utf8 ? ::towlower_l(static_cast<wint_t>(c), utf8)
                            : std::towlower(static_cast<wint_t>(c));
  return lower <= 0xFFFF ? static_cast<char16_t>(lower) : c;
}

Text GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? Utf8ToText(v) : Text();
}

LocalTime Now() {
  const time_t t = ::time(nullptr);
  struct tm tm;
  ::localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

long long MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tw::platform
