// The names of the plain files in a folder (links and folders left out), as
// both substitute hosts list them.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace sim {

inline std::vector<std::string> PlainFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    struct stat info {};
    if (fstatat(dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
      names.emplace_back(entry->d_name);
  }
  closedir(listing);
  return names;
}

}  // namespace sim
