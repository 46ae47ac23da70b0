#include "platform/sdl/mixer_worker.h"

#include <utility>

namespace talvessa {

MixerWorker::MixerWorker() : thread_([shared = shared_] { Run(shared); }) {}

MixerWorker::~MixerWorker() {
  const bool caughtUp = Finish(std::chrono::milliseconds(0));
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->stop = true;
  }
  shared_->wake.notify_one();
  if (caughtUp) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

void MixerWorker::Run(const std::shared_ptr<Shared>& shared) {
  std::unique_lock lock(shared->mutex);
  for (;;) {
    shared->wake.wait(lock, [&] { return shared->stop || !shared->jobs.empty(); });
    if (shared->jobs.empty()) return;
    std::function<void()> job = std::move(shared->jobs.front());
    shared->jobs.pop_front();
    lock.unlock();
    job();
    job = nullptr;  // what the job holds goes before the game hears it is done
    lock.lock();
    ++shared->finished;
    shared->done.notify_all();
  }
}

void MixerWorker::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->jobs.push_back(std::move(job));
    ++shared_->posted;
  }
  shared_->wake.notify_one();
}

bool MixerWorker::Finish(std::chrono::milliseconds bound) {
  std::unique_lock lock(shared_->mutex);
  const std::uint64_t target = shared_->posted;
  return shared_->done.wait_for(lock, bound, [&] { return shared_->finished >= target; });
}

std::size_t MixerWorker::Waiting() {
  const std::lock_guard lock(shared_->mutex);
  return static_cast<std::size_t>(shared_->posted - shared_->finished);
}

}  // namespace talvessa
