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

// Checks `folder` without making or changing anything: a folder that does
// not exist yet is accepted unless the folder it would be made in is a
// game's; an existing one only when it holds the mark and, byte for byte,
// the Halvane.asi the playground put there last (or none, when it has put
// none yet), and no other playground is using it (taken from here on).
// Anything else is refused, and the message names the folder as given (as
// --folder when the player `typed` it), what is wrong and what to do;
// nothing when the folder may be played in.
std::optional<std::string> TakeFolder(const std::filesystem::path& folder, bool typed);

// Makes and marks a folder TakeFolder accepted, when it does not exist yet.
// Nothing when done (or already there); otherwise what went wrong.
std::optional<std::string> MakeFolder(const std::filesystem::path& folder, bool typed);

// The file that makes `folder` a game's (the script host, an ASI loader, a
// plug-in, Halvane's settings), or nothing when it holds none or is the
// playground's own (its mark, or the program's folder).
std::optional<std::string> GameFile(const std::filesystem::path& folder);

// What a player does when the plug-in cannot be read or loaded: the zip's
// player puts it back, the modder rebuilds; one who `typed` --plugin hears
// of that option, and nothing of the one beside the program.
inline const char* PluginAdvice(bool typed) {
  return typed
             ? "It is the plug-in --plugin named: if you build Halvane yourself, rebuild it (or put it back "
               "there), then press Home to load it again; or quit and give --plugin the Halvane.asi to load."
             : "If you unpacked the playground's zip, put its Halvane.asi back beside halvane_playground.exe "
               "(or unpack the zip again); if you build Halvane yourself, rebuild it. Then press Home to "
               "load "
               "it again.";
}

// Installs `plugin` as Halvane.asi in a claimed `folder`: over the one the
// playground put there last, never over another. Whole files only, each
// written beside its place and moved over it, and the mark names the
// Halvane.asi in the folder at every moment. Nothing on success; otherwise
// what went wrong and what the player can do (`typed`: the player named
// the plug-in with --plugin).
std::optional<std::string> InstallPlugin(const std::filesystem::path& plugin,
                                         const std::filesystem::path& folder, bool typed);

}  // namespace playground
