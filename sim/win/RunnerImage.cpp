// Playthroughs of the game's image: the limiter store in code or in data, and
// behind pages that cannot be read.
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace runner {

namespace {

// Sets the byte at `at` of a copy of the limiter store in this program's
// image: the first byte 0 spoils it, 0x76 makes it whole again; bytes 10 and
// 11 are the low half of the field offset it names.
bool SetByte(const unsigned char* store, std::size_t at, unsigned char value) {
  auto* bytes = const_cast<unsigned char*>(store) + at;
  DWORD protection;
  if (!VirtualProtect(bytes, 1, PAGE_EXECUTE_READWRITE, &protection)) return false;
  bytes[0] = value;
  return VirtualProtect(bytes, 1, protection, &protection) != 0;
}
bool SetFirstByte(const unsigned char* store, unsigned char value) { return SetByte(store, 0, value); }

// Whether the field the start-up scan found is written by the limiter: 0.6
// at `offset` in the car's object. `pulledBack`: whether the car, driven at
// 20 m/s in gear 1, was pulled back to its limit all the same.
bool FieldWrittenAt(const std::filesystem::path& plugin, const std::filesystem::path& folder,
                    std::size_t offset, bool* pulledBack = nullptr) {
  Session session(plugin, folder);
  if (!session.Load()) return false;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  float field;
  std::memcpy(&field, session.host.game.Vehicle(car).memory.data() + offset, sizeof field);
  if (pulledBack != nullptr) *pulledBack = session.host.game.Vehicle(car).velocity.x == 9.72F;
  session.Finish();
  return field == 0.6F;
}

DWORD Protection(const void* address) {
  MEMORY_BASIC_INFORMATION region{};
  VirtualQuery(address, &region, sizeof region);
  return region.Protect;
}

}  // namespace

void LimiterStoreInCodeOrData(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // As in the game: the store only in the code, on execute-read pages.
  Check(Protection(LimiterStoreInCode) == PAGE_EXECUTE_READ,
        "the store in the code lies on execute-read pages");
  Check(SetFirstByte(LimiterStoreInImage, 0), "the copy in read-only data can be spoilt");
  Check(FieldWrittenAt(plugin, folder / "code", LimiterOffset),
        "the store in the code is found and its field written");
  // The store only in read-only data.
  Check(Protection(LimiterStoreInImage) == PAGE_READONLY, "the other copy lies on read-only pages");
  Check(SetFirstByte(LimiterStoreInImage, 0x76) && SetFirstByte(LimiterStoreInCode, 0),
        "the copies can be swapped");
  Check(FieldWrittenAt(plugin, folder / "data", LimiterOffset),
        "the store in read-only data is found and its field written");
}

void LimiterPatternTwice(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // As after a game update: the store in the code and in the data, the data's
  // naming another field (0x1234). Neither field is written; the car is still
  // pulled back to its limit.
  Check(SetByte(LimiterStoreInImage, 10, 0x34) && SetByte(LimiterStoreInImage, 11, 0x12),
        "the copy in read-only data can name another field");
  bool pulledBack = false;
  Check(!FieldWrittenAt(plugin, folder / "disagree", LimiterOffset, &pulledBack),
        "matches that disagree: the code's field is not written");
  Check(pulledBack, "matches that disagree: the car is still pulled back to 9.72 m/s");
  Check(!FieldWrittenAt(plugin, folder / "disagree-other", 0x1234), "matches that disagree: nor the data's");
  // Both name the same field: it is written, as with one match.
  Check(SetByte(LimiterStoreInImage, 10, LimiterOffset & 0xFF) &&
            SetByte(LimiterStoreInImage, 11, static_cast<unsigned char>(LimiterOffset >> 8)),
        "the copy can name the code's field again");
  Check(FieldWrittenAt(plugin, folder / "agree", LimiterOffset, &pulledBack),
        "matches that agree: their field is written");
}

// Three pages of this program's image; the middle one is closed to reading
// in the guarded-image scenario, and the limiter store is put behind it.
__attribute__((section(".guard"), aligned(4096))) unsigned char GuardedPages[3 * 4096] = {1};

void GuardedImage(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  constexpr std::size_t Page = 4096;
  constexpr std::size_t Offset = 0x123;
  // The store moves: its first copy is spoilt, a new one goes behind a
  // no-access page and a guard page.
  unsigned char store[sizeof LimiterStoreInImage];
  std::memcpy(store, LimiterStoreInImage, sizeof store);
  store[10] = Offset & 0xFF;
  store[11] = Offset >> 8;
  DWORD protection;
  Check(SetFirstByte(LimiterStoreInImage, 0) && SetFirstByte(LimiterStoreInCode, 0),
        "the stores of the image can be spoilt");
  std::memcpy(GuardedPages + 2 * Page + 64, store, sizeof store);
  Check(VirtualProtect(GuardedPages, Page, PAGE_READWRITE | PAGE_GUARD, &protection) &&
            VirtualProtect(GuardedPages + Page, Page, PAGE_NOACCESS, &protection),
        "pages of the image can be guarded and closed");

  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  float field;
  std::memcpy(&field, session.host.game.Vehicle(car).memory.data() + Offset, sizeof field);
  Check(field == 0.6F, "the start-up scan passes over the closed pages and finds the store behind them");
  session.Finish();

  // A second store ends on the last byte before the closed page, the field
  // it names behind it: found, it cannot be read, so neither is trusted.
  Check(VirtualProtect(GuardedPages, Page, PAGE_READWRITE, &protection), "the guard can be lifted");
  std::memcpy(GuardedPages + Page - 10, store, 10);
  Session edge(plugin, folder / "edge");
  if (!edge.Load()) return;
  edge.Frame();
  const std::int32_t other = edge.DriveAt(20.0F);
  std::memcpy(&field, edge.host.game.Vehicle(other).memory.data() + Offset, sizeof field);
  Check(field == 0.0F, "a store whose field lies behind a closed page is refused, and the other not trusted");
  edge.Finish();
}

}  // namespace runner
