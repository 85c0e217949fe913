// Replacing a file whole: the new contents go to a temporary file of its own
// beside the target, which is renamed over it, so that a reader sees either
// the old file or the new one, never a mix, whatever other programs save at
// the same moment. Files that cannot be made again are also synced, so that
// they survive a power failure.
#pragma once

#include <string>
#include <vector>

namespace platform {

// What a replacement owes a power failure. Durable: the file and its folder
// are synced before the replacement returns (projects, configuration,
// tables, the user's texts). Derived: an output made from a project (report,
// listing, CAD file, JSON, PDF), which a run can write again; it is replaced
// whole all the same, only not synced.
enum class ReplaceSync { Durable, Derived };

// The file that a name stands for: symbolic links followed to their final
// target (also one that does not exist yet), so that saving through a link
// replaces the file it points to and keeps the link.
std::string ReplacementTarget(const std::string& path);

// True when a replacement may go to that name: ReplacementTarget(path) is
// not there yet or is a regular file (never a FIFO, device or folder).
// Opens nothing.
bool ReplaceableTarget(const std::string& path);

// Why an output cannot be written under that name, found without creating,
// opening or removing anything: empty when it can (ReplacementTarget(path)
// is a regular file this user may write, or is not there yet, in a folder
// that takes new files), else the reason, naming the file a link leads to.
std::string OutputRefusal(const std::string& path);

// Creates an empty file with a name of its own in the folder of
// ReplacementTarget(target), "<name>.~bq4XXXXXX" (mkstemp; the name cut short
// where the target's name with that tail would pass the file system's limit
// of a name), with the permission bits of the existing target or, for a new
// file, those the umask gives. Empty when it cannot be made.
// The temporary is locked until CommitTemporary or DiscardTemporary. The
// temporaries of the same target (named so, this user's) that nobody locks
// any more, left by a run that ended before it finished them (killed, say),
// are removed first; no other file is.
std::string CreateTemporaryBeside(const std::string& target);

// Renames the temporary file over ReplacementTarget(target); Durable syncs
// the file before and the folder after, so that the new contents are stored
// when it returns true. On failure the temporary file is removed and the
// target unchanged.
bool CommitTemporary(const std::string& temporary, const std::string& target, ReplaceSync sync);

// Removes a temporary that is not to be committed, and its lock.
void DiscardTemporary(const std::string& temporary);

// Removes the temporaries among `names` (entries of `folder`) that runs which
// ended before they finished them left there: those no program holds, as
// CreateTemporaryBeside's clearing does for one target; each is named as
// `what`. No other file is touched.
void ClearLeftTemporaries(const std::string& folder, const std::vector<std::string>& names, const char* what);

}  // namespace platform
