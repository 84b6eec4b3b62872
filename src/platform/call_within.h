#pragma once
// Runs work that the system gives no time limit (a host-name lookup) on a
// thread of its own, and waits for it at most timeout_ms. When the time is
// up the thread is left to finish alone and its result is dropped.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace tw::platform {

template <typename T, typename Work>
std::optional<T> CallWithin(int timeout_ms, Work work) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    std::optional<T> result;
  };
  auto shared = std::make_shared<Shared>();
  std::thread([shared, work = std::move(work)]() mutable {
    std::optional<T> result = work();
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->result = std::move(result);
    shared->done = true;
    shared->done_cv.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(shared->mutex);
  shared->done_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return shared->done; });
  return shared->result;
}

}  // namespace tw::platform
