// Playthroughs of what the settings file holds and how the C runtime reads
// it: a file far too large to be ours, an editor's byte-order mark and a
// Ctrl-Z line under the binary default file mode, a decimal-comma locale.
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace runner {

void HugeSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A 12 GiB file (a mistaken copy), sparse: too large to be a settings file.
  constexpr LONGLONG Size = 12LL << 30;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  HANDLE file =
      CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = Size;
  Check(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file), "a 12 GiB file can be made");
  CloseHandle(file);
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F2, "the defaults hold: F2 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "a menu change holds for the run");
  session.Finish();
  std::error_code error;
  Check(std::filesystem::file_size(folder / "Halvane.ini", error) == static_cast<std::uintmax_t>(Size),
        "the file is left as it is");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
}

void BomBinaryMode(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another module of the game switched the C runtime's default file mode
  // to binary, and the player's editor saved the file "UTF-8 with BOM" with
  // a Ctrl-Z line in it.
  auto* defaultMode = reinterpret_cast<int*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_fmode"));
  Check(defaultMode != nullptr, "the C runtime's default file mode can be set");
  if (defaultMode == nullptr) return;
  *defaultMode = 0x8000;  // _O_BINARY
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "probe", std::ios::binary) << "a\r\n";
  std::FILE* probe = _wfopen((folder / "probe").c_str(), L"r");
  char bytes[8] = {};
  const std::size_t read = probe != nullptr ? std::fread(bytes, 1, sizeof bytes, probe) : 0;
  if (probe != nullptr) std::fclose(probe);
  Check(read == 3, "files opened without a mode keep their CR");

  std::ofstream(folder / "Halvane.ini", std::ios::binary)
      << "\xEF\xBB\xBFMenu=F5\r\nEngine=H\r\n\x1A\r\nGear1=12.5\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the first line, after the mark, is read: F5 opens the menu");
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Menu=F5\r\nEngine=H\r\n") != std::string::npos, "every CR LF line is read");
  Check(saved.find("Gear1=12.5\r\n") != std::string::npos, "a line after Ctrl-Z is read too");
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && saved.find("\n\n") == std::string::npos &&
            saved.find("\r\r") == std::string::npos,
        "the file is written with CR LF whatever the default mode");
  session.Finish();
  *defaultMode = 0x4000;  // _O_TEXT
}

void CommaLocale(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another part of the process set a locale with a decimal comma in the
  // C runtime the plug-in shares.
  const char* locale = std::setlocale(LC_ALL, "German_Germany.1252");
  Check(locale != nullptr && std::strtod("9,5", nullptr) == 9.5, "a locale with a decimal comma is set");
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Gear1=12.75\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  Check(session.host.game.Vehicle(car).velocity.x == 12.75F, "gear 1 is held at 12.75 m/s, as the file says");
  SwitchAmmoCounterInMenu(session);
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Gear1=12.75\r\nGear2=18.06\r\nGear3=26.39\r\nGear4=34.72\r\n") != std::string::npos,
        "speeds are saved with a point");
  session.Finish();
  std::setlocale(LC_ALL, "C");
}

}  // namespace runner
