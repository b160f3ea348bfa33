#include "CodeSampler.h"

#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

#include "CodeOwner.h"

namespace bench {
namespace {

std::atomic<bool> gActive{false};
std::atomic<std::int64_t> gPlugin{0};
std::atomic<std::int64_t> gHost{0};
struct sigaction gPrevious;
timer_t gTimer;
bool gRunning = false;

void OnSample(int) {
  const int saved = errno;
  if (gActive.load(std::memory_order_relaxed)) {
    (OwnerOfCurrentStack() == Owner::Plugin ? gPlugin : gHost)
        .fetch_add(1, std::memory_order_relaxed);
  }
  errno = saved;
}

}  // namespace

CodeSampler::CodeSampler(std::chrono::microseconds period) {
  if (gRunning) throw std::runtime_error("CodeSampler: another sampler is running");
  gActive = false;
  gPlugin = 0;
  gHost = 0;
  struct sigaction action {};
  action.sa_handler = &OnSample;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGPROF, &action, &gPrevious) != 0)
    throw std::runtime_error("CodeSampler: cannot handle SIGPROF");
  sigevent event{};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGPROF;
  if (timer_create(CLOCK_MONOTONIC, &event, &gTimer) != 0) {
    sigaction(SIGPROF, &gPrevious, nullptr);
    throw std::runtime_error("CodeSampler: cannot create the timer");
  }
  const long ns = static_cast<long>(std::chrono::nanoseconds(period).count());
  itimerspec interval{};
  interval.it_interval.tv_sec = ns / 1000000000;
  interval.it_interval.tv_nsec = ns % 1000000000;
  interval.it_value = interval.it_interval;
  timer_settime(gTimer, 0, &interval, nullptr);
  gRunning = true;
}

CodeSampler::~CodeSampler() {
  gActive = false;
  timer_delete(gTimer);
  sigaction(SIGPROF, &gPrevious, nullptr);
  gRunning = false;
}

void CodeSampler::setActive(bool active) { gActive.store(active, std::memory_order_relaxed); }

TimeShares CodeSampler::shares() const { return {gPlugin.load(), gHost.load()}; }

}  // namespace bench
