#include "app/background_job_win.h"

namespace qf {

namespace {
volatile LONG g_unfinished = 0;
}

struct BackgroundJob::State {
  std::function<void()> work;
  UniqueKernelHandle done;
};

namespace {

void RunWork(BackgroundJob::State& state) noexcept;

}  // namespace

BackgroundJob::BackgroundJob(std::function<void()> work) : state_(std::make_shared<State>()) {
  state_->work = std::move(work);
  state_->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ::InterlockedIncrement(&g_unfinished);
  // The thread holds its own reference to the state for as long as it runs.
  auto* held = new std::shared_ptr<State>(state_);
  const auto entry = [](void* parameter) -> DWORD {
    std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(parameter));
    RunWork(**state);
    return 0;
  };
  HANDLE thread = ::CreateThread(nullptr, 0, entry, held, 0, nullptr);
  if (thread) {
    ::CloseHandle(thread);
  } else {
    std::unique_ptr<std::shared_ptr<State>> state(held);
    RunWork(*state_);
  }
}

HANDLE BackgroundJob::Done() const { return state_->done.get(); }

long BackgroundJob::Unfinished() { return ::InterlockedCompareExchange(&g_unfinished, 0, 0); }

namespace {

void RunWork(BackgroundJob::State& state) noexcept {
  try {
    state.work();
  } catch (...) {
    // The work reports through its own state; nothing may leave the thread.
  }
  state.work = nullptr;  // what it captured goes with the thread's end
  ::InterlockedDecrement(&g_unfinished);
  ::SetEvent(state.done.get());
}

}  // namespace

}  // namespace qf
