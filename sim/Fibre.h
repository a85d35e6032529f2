// A script fibre for the substitute host: the entry runs on its own stack and
// ReturnToCaller hands control back to whoever last called Resume.
#pragma once

#include <cstddef>
#include <memory>
#if !defined(_WIN32)
#include <ucontext.h>
#endif

namespace sim {

class Fibre {
 public:
  using Entry = void (*)();

  explicit Fibre(Entry entry, std::size_t stackSize = std::size_t{4} << 20);
  ~Fibre();
  Fibre(const Fibre&) = delete;
  Fibre& operator=(const Fibre&) = delete;

  // Runs the fibre until it yields.
  void Resume();
  // Called on the fibre: returns to the caller of Resume.
  void ReturnToCaller();
  bool Running() const { return running_; }

 private:
  Entry entry_;
  std::size_t stackSize_;
  bool running_ = false;
#if defined(_WIN32)
  static void __stdcall Trampoline(void* self);
  void* caller_ = nullptr;  // Windows fibers
  void* fibre_ = nullptr;
#else
  static void Trampoline();
  std::unique_ptr<char[]> stack_;
  ucontext_t caller_{};
  ucontext_t fibre_{};
#endif
  // AddressSanitizer's view of the two stacks across switches.
  void* callerFakeStack_ = nullptr;
  void* fibreFakeStack_ = nullptr;
  const void* callerStackBottom_ = nullptr;
  std::size_t callerStackSize_ = 0;
};

}  // namespace sim
