// Project file handling of the main window that needs no window: the save
// question before input is dropped, saving under the current name, the list
// of the four most recent project files and the temporary drawing files.
#pragma once

#include <string>
#include <string_view>

// Asks before the current input is dropped: "Save file (...) ?" for a named
// project, "Reject old data ?" for an unnamed one. Cancel (and No to the
// second question) sets AbortFlag; Yes saves. Nothing is asked when nothing
// changed, or when the program was started on a file in archive mode.
void QuerySaveChanges();

// Writes the project under the given name without asking about overwriting.
void SaveInputFile(const std::string& name);

// A path of 50 characters or more shortened for a menu item to its part up to
// the first "/", "..." and its part from the last "/".
std::string ShortenPathForMenu(std::string_view path);

// Caption of recent-file item n (1..4): "&n " and the shortened path; empty
// when the entry is free.
std::string RecentFileCaption(int n);

// Entries n+1..4 move up one place; entry 4 becomes empty.
void RemoveRecentFile(int n);
// Puts the file of the project name (ProjectFileOfName: the current
// project's own file for CurrentFileName) at the head of the list; the same path (in any
// case) is held only once, and the oldest entry drops out.
void AddRecentFile(const std::string& name);

// Deletes the temporary block files "$*.dx$" of the CAD output; true.
bool DeleteTempFiles();
