// The whole program from startup to exit code, with a second thread in the
// operator's place.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/main_window_ids.h"
#include "app/startup.h"
#include "gui_support/gui_driver.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace tw {
namespace {

using testing::Narrow;

std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

HWND FindOurWindow(const wchar_t* window_class) {
  struct Search {
    const wchar_t* window_class;
    HWND found;
  } search{window_class, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && lstrcmpW(name, s->window_class) == 0) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// What the operator's thread saw.
struct Observed {
  bool box_shown = false;
  Text box_title;
  Text box_text;
  bool main_window_during_box = false;
  bool file_held_during_box = false;
  long long file_size_during_box = -1;
  bool main_window_shown = false;
  int available_rows = -1;
};

class StartupTest : public ::testing::Test {
 protected:
  // Runs the program; the operator answers a box if one comes before the
  // main window, then closes the main window with its close box.
  int RunProgram(Observed& seen) {
    const std::wstring path = Wide(folder_.File("pagers.dat"));
    std::thread operator_thread([&] {
      HWND box = nullptr;
      HWND main = nullptr;
      WaitFor([&] {
        box = FindOurWindow(L"#32770");
        main = FindOurWindow(L"TellwaveWindow");
        return box != nullptr || main != nullptr;
      });
      if (box != nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen.box_shown = true;
        seen.box_title = testing::WindowText(box);
        seen.box_text = testing::WindowText(GetDlgItem(box, 0xFFFF));
        seen.main_window_during_box = FindOurWindow(L"TellwaveWindow") != nullptr;
        HANDLE other = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        seen.file_held_during_box = other == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
          seen.file_size_during_box = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        WaitFor([&] { return (main = FindOurWindow(L"TellwaveWindow")) != nullptr; });
      }
      if (main == nullptr) return;
      seen.main_window_shown = true;
      // Let the loop run a little before the operator looks and leaves.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      seen.available_rows =
          static_cast<int>(SendMessageW(GetDlgItem(main, kAvailableList), LVM_GETITEMCOUNT, 0, 0));
      testing::PressCloseBox(main);
    });
    const int code = RunTellwave();
    operator_thread.join();
    return code;
  }

  testing::TempFolder folder_;
  testing::ScopedEnv profile_{"USERPROFILE", folder_.path()};
  testing::InCurrentDirectory here_{folder_.path()};
};

TEST_F(StartupTest, MissingDirectoryIsCreatedBlankWhileTheOperatorIsTold) {
  Observed seen;
  EXPECT_EQ(RunProgram(seen), 0);
  ASSERT_TRUE(seen.box_shown);
  EXPECT_EQ(Narrow(seen.box_title), "Error");
  EXPECT_EQ(Narrow(seen.box_text), "pagers.dat file missing, creating a blank file.");
  EXPECT_FALSE(seen.main_window_during_box);
  EXPECT_TRUE(seen.file_held_during_box);
  EXPECT_EQ(seen.file_size_during_box, 0);
  EXPECT_TRUE(seen.main_window_shown);
  EXPECT_EQ(seen.available_rows, 0);
  EXPECT_EQ(testing::ReadBytes(folder_.File("pagers.dat")), "");
}

TEST_F(StartupTest, PresentDirectoryOrFolderOfThatNameAsksNothing) {
  struct Case {
    const char* name;
    bool as_folder;
    const char* content;
    int rows;
  };
  const Case cases[] = {
      {"empty file", false, "", 0},
      {"folder", true, "", 0},
      {"two people", false, "b, B;2\r\na, A;1\r\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Text path = folder_.File("pagers.dat");
    RemoveDirectoryW(Wide(path).c_str());
    DeleteFileW(Wide(path).c_str());
    if (c.as_folder) {
      ASSERT_TRUE(CreateDirectoryW(Wide(path).c_str(), nullptr));
    } else {
      testing::WriteBytes(path, c.content);
    }
    Observed seen;
    EXPECT_EQ(RunProgram(seen), 0);
    EXPECT_FALSE(seen.box_shown);
    EXPECT_TRUE(seen.main_window_shown);
    EXPECT_EQ(seen.available_rows, c.rows);
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    EXPECT_EQ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.as_folder);
  }
  // Leaving through the close box compacted the last directory.
  EXPECT_EQ(testing::ReadBytes(folder_.File("pagers.dat")), "a, A;1\r\nb, B;2\r\n");
}

}  // namespace
}  // namespace tw
