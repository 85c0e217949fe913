// Replacing a file whole: the new contents go to a temporary file of its own
// beside the target, which is synced and renamed over it, so that a reader
// sees either the old file or the new one, never a mix, whatever other
// programs save at the same moment and wherever the power fails.
#pragma once

#include <string>

namespace platform {

// The file that a name stands for: symbolic links followed to their final
// target (also one that does not exist yet), so that saving through a link
// replaces the file it points to and keeps the link.
std::string ReplacementTarget(const std::string& path);

// Creates an empty file with a name of its own (mkstemp) in the folder of
// ReplacementTarget(target), with the permission bits of the existing target
// or, for a new file, those the umask gives. Empty when it cannot be made.
std::string CreateTemporaryBeside(const std::string& target);

// Syncs the temporary file, renames it over ReplacementTarget(target) and
// syncs the folder, so that the new contents are stored when it returns
// true. On failure the temporary file is removed and the target unchanged.
bool CommitTemporary(const std::string& temporary, const std::string& target);

}  // namespace platform
