// The script fibre on Windows: a fiber of its own, switched to once a frame.
#include "Fibre.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace sim {

Fibre::Fibre(Entry entry, std::size_t stackSize) : entry_(entry), stackSize_(stackSize) {
  fibre_ = CreateFiber(stackSize_, &Fibre::Trampoline, this);
  if (fibre_ == nullptr) std::abort();
}

Fibre::~Fibre() { DeleteFiber(fibre_); }

void __stdcall Fibre::Trampoline(void* self) {
  static_cast<Fibre*>(self)->entry_();
  std::fputs("script entry returned\n", stderr);
  std::abort();
}

void Fibre::Resume() {
  // The host's thread becomes a fiber once, so that it can be switched back to.
  thread_local void* const hostFiber = ConvertThreadToFiber(nullptr);
  if (hostFiber == nullptr) std::abort();
  running_ = true;
  caller_ = hostFiber;
  SwitchToFiber(fibre_);
}

void Fibre::ReturnToCaller() { SwitchToFiber(caller_); }

}  // namespace sim
