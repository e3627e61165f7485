// Replacing a file so that a crash or a full disk never leaves a truncated
// one: the new content goes to a temporary file in the same folder, is synced,
// and then renamed over the old file.
#pragma once

#include <string>
#include <string_view>

namespace orvex::app {

// Replaces the file at path with content. A symbolic link is followed, so the
// file it points to is replaced and the link stays. A file with several hard
// links keeps its inode (all its names see the new content): it is copied
// over only after the content was written whole beside it, and keeps its old
// content when that copy fails. An existing file keeps its
// permission bits; a new one gets 0666 minus the umask. False with error set
// when anything fails; the old file is then untouched and no temporary file
// is left behind.
bool writeFileAtomically(const std::string &path, std::string_view content, std::string &error);

}  // namespace orvex::app
