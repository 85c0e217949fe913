// Finding a folder's entry whatever the case of its name.
//
// A file is found whatever the case of its name, so a name that does not
// exist as written is looked for among the folder's entries. Listing a large
// folder for every file a run writes into it costs a listing per file; while
// listings are kept, the entries of a folder on a local file system are
// listed once and kept exact by the kernel's notice of every change in it
// (inotify), whoever makes the change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The first entry of folder (in the order of the folder) whose name equals
// name apart from ASCII case, in entry; false when there is none or the
// folder cannot be read.
bool FindEntryIgnoringCase(const std::string& folder, std::string_view name, std::string& entry);

// The entry of the folder that `name` opens, as the folder lists it: name
// itself when listed so, else the entry the file system takes it for where
// it folds case (any letter it folds). Decided by what the file system
// says: the entry with the same device and inode, or, where each spelling
// gets an identity of its own (exFAT through FUSE), the entry whose stat is
// that of the file the name opens, asked past the file system's cache of
// attributes. Empty when the name opens nothing listed; `undecided` then
// tells whether it opens a file all the same, which no entry could be shown
// to be (it changed meanwhile, or several entries are alike in every stat).
std::string EntryOpenedBy(const std::string& folder, const std::string& name, bool* undecided = nullptr);

// The names of the folder's entries ("." and ".." left out), in the order
// of the folder; empty when it cannot be read. Names only: no call per entry.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// Keeps the listings of the folders looked in, and their change notices,
// until it is switched off (which forgets them). A run of many projects
// switches it on; a folder whose changes are not noticed (a network or
// other file system) is listed every time all the same.
void KeepFolderListings(bool on);

}  // namespace platform
