// Every game native the plug-in calls, with its signature as the game's public
// natives documentation writes it. Both substitute hosts (the Linux one and
// the Wine runner's) check each call against this table: an unknown hash, a
// push short or long, or a value that is no value of the documented kind (a
// bool of 2, an integer with its high half set, a null string) fails the
// test. The game model reads a native's arguments from the host's argument
// slots as the game does, up to the documented count, so a short push reads
// whatever an earlier call left there.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class ArgKind { Int, Hash, Handle, Float, Bool, Text, Out };
enum class ResultKind { None, Int, Hash, Handle, Bool, Float, Vector };

struct DocumentedNative {
  std::uint64_t hash;
  std::string_view signature;  // as documented: "BOOL GET_AMMO_IN_CLIP(Ped ped, Hash weaponHash, int* ammo)"
  std::string_view source;     // where it is documented
};

// The documented signature taken apart.
struct NativeSignature {
  std::string name;
  ResultKind result = ResultKind::None;
  std::vector<ArgKind> args;
};

std::span<const DocumentedNative> DocumentedNatives();
// The documented signature of `hash`; null for a native not in the table.
const NativeSignature* DocumentedSignature(std::uint64_t hash);
// Parses one documented C signature; throws std::invalid_argument for a
// type it does not know.
NativeSignature ParseSignature(std::string_view signature);
// What is wrong with a call of `hash` pushed with `args`, in a sentence; empty
// when the call is as documented.
std::string CheckAgainstDocumentation(std::uint64_t hash, std::span<const std::uint64_t> args);
// Whether every string and out-argument slot of `slots` holds an address the
// model may follow.
bool AddressesSound(const NativeSignature& signature, std::span<const std::uint64_t> slots);

}  // namespace sim
