#include "Allocations.h"

#include <cstddef>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*))
    __attribute__((weak));

namespace sim {

namespace {

int hostDepth = 0;  // the script fibre shares its thread with the host
bool counting = false;
long allocations = 0;

void OnMalloc(const volatile void*, std::size_t) {
  if (counting && hostDepth == 0) ++allocations;
}
void OnFree(const volatile void*) {}

bool InstallHooks() {
  return __sanitizer_install_malloc_and_free_hooks != nullptr &&
         __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
}

}  // namespace

bool CanCountAllocations() {
  static const bool installed = InstallHooks();
  return installed;
}

HostCode::HostCode() { ++hostDepth; }
HostCode::~HostCode() { --hostDepth; }

void StartCountingAllocations() {
  CanCountAllocations();
  allocations = 0;
  counting = true;
}

long StopCountingAllocations() {
  counting = false;
  return allocations;
}

}  // namespace sim
