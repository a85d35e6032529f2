// The Wine runner's playthroughs, each of the real Halvane.asi installed into
// a folder of its own.
#pragma once

#include <filesystem>

namespace runner {

void LoadAndUnload(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void Playthrough(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void HotReload(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void UnloadWhilePlaying(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void FirstStart(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void PreparedSettings(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LockedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void FileHeldOpen(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void FullDisk(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void ReadOnlySettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void StaleTemporary(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LinkedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void MarkedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void HugeSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void BomBinaryMode(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void CommaLocale(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void FileAppearsAtFirstStart(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void ReadOnlyFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LockedFolderWritableFile(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void NonAsciiFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LongPath(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void DotFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LimiterStoreInCodeOrData(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LimiterPatternTwice(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void GuardedImage(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void Pad(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void Passenger(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void FailingCalls(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void LimitsOfEveryMagnitude(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void OpenMenuWorld(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void AnotherCharacter(const std::filesystem::path& plugin, const std::filesystem::path& folder);
void ForeignClipSection(const std::filesystem::path& plugin, const std::filesystem::path& folder);

}  // namespace runner
