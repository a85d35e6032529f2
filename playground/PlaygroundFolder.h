// The playground's folder, where it installs Halvane.asi for the plug-in to
// run from and the plug-in keeps its Halvane.ini. The playground writes only
// into a folder it made itself: a game's folder, or a Halvane.asi a player
// put there, is never written over.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace playground {

// The mark the playground leaves in a folder it made. It records what the
// playground put there as Halvane.asi, by size and SHA-256.
inline constexpr const wchar_t* FolderMark = L"halvane-playground.folder";

// Makes and marks `folder` when it does not exist yet. An existing folder is
// taken only when it holds the mark and, byte for byte, the Halvane.asi the
// playground put there last (or none, when it has put none yet). Anything
// else is left untouched and the message says why and what to do; nothing
// when the folder is the playground's.
std::optional<std::string> ClaimFolder(const std::filesystem::path& folder);

// Installs `plugin` as Halvane.asi in a claimed `folder`: over the one the
// playground put there last, never over another. Whole files only, each
// written beside its place and moved over it, and the mark names the
// Halvane.asi in the folder at every moment. Nothing on success; otherwise
// what went wrong and what the player can do.
std::optional<std::string> InstallPlugin(const std::filesystem::path& plugin,
                                         const std::filesystem::path& folder);

}  // namespace playground
