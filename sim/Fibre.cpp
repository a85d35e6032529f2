#include "Fibre.h"

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define HALVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALVANE_ASAN 1
#endif
#endif

#if defined(HALVANE_ASAN)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#else
namespace {
void __sanitizer_start_switch_fiber(void**, const void*, std::size_t) {}
void __sanitizer_finish_switch_fiber(void*, const void**, std::size_t*) {}
}  // namespace
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace sim {

namespace {
// makecontext passes no pointer portably, so the starting fibre is handed over here.
thread_local Fibre* starting = nullptr;
}  // namespace

Fibre::Fibre(Entry entry, std::size_t stackSize)
    : entry_(entry), stackSize_(stackSize), stack_(std::make_unique<char[]>(stackSize)) {
  if (getcontext(&fibre_) != 0) std::abort();
  fibre_.uc_stack.ss_sp = stack_.get();
  fibre_.uc_stack.ss_size = stackSize_;
  fibre_.uc_link = nullptr;
  makecontext(&fibre_, &Fibre::Trampoline, 0);
}

Fibre::~Fibre() {
  // An abandoned fibre leaves its frames' poisoning behind on the stack.
  ASAN_UNPOISON_MEMORY_REGION(stack_.get(), stackSize_);
}

void Fibre::Trampoline() {
  Fibre* self = starting;
  __sanitizer_finish_switch_fiber(nullptr, &self->callerStackBottom_, &self->callerStackSize_);
  self->entry_();
  // A script entry never returns; the host has nothing to go back to if it does.
  std::fputs("script entry returned\n", stderr);
  std::abort();
}

void Fibre::Resume() {
  if (!running_) {
    running_ = true;
    starting = this;
  }
  __sanitizer_start_switch_fiber(&callerFakeStack_, stack_.get(), stackSize_);
  swapcontext(&caller_, &fibre_);
  __sanitizer_finish_switch_fiber(callerFakeStack_, nullptr, nullptr);
}

void Fibre::ReturnToCaller() {
  __sanitizer_start_switch_fiber(&fibreFakeStack_, callerStackBottom_, callerStackSize_);
  swapcontext(&fibre_, &caller_);
  __sanitizer_finish_switch_fiber(fibreFakeStack_, &callerStackBottom_, &callerStackSize_);
}

}  // namespace sim
