// A thread of its own for the mixer's calls. Nearly every call into SDL_mixer takes the sound thread's
// lock, and a synthesiser gone astray can hold that lock for long: the game hands its calls over here,
// in order, and goes on with its frame at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace talvessa {

class MixerWorker {
 public:
  MixerWorker();
  // Ends the thread once its jobs have run; one still held in a job (Finish timed out) is left to the
  // end of the process, with what its jobs hold.
  ~MixerWorker();

  MixerWorker(const MixerWorker&) = delete;
  MixerWorker& operator=(const MixerWorker&) = delete;

  void Post(std::function<void()> job);
  // Waits until every job handed over so far has run, for at most `bound`; false when they have not.
  bool Finish(std::chrono::milliseconds bound);
  // Jobs handed over and not yet run, the one running counted.
  std::size_t Waiting();

 private:
  // What the thread shares with the game, kept alive by the thread when it outlives the worker.
  struct Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::deque<std::function<void()>> jobs;
    std::uint64_t posted = 0;
    std::uint64_t finished = 0;
    bool stop = false;
  };
  static void Run(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread thread_;
};

}  // namespace talvessa
