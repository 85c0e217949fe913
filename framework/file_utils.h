// Files, paths, dates and the command line.
//
// Paths use "/" as the directory separator; AddBackslash adds it. Drive
// letters do not exist. An existing file is found whatever the case of its
// name (data files ship with lower-case names, old projects may not); a new
// file gets a lower-case extension.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"
#include "platform/file_replace.h"

// ---------------------------------------------------------------------------
// File errors

// Reports a file or I/O error: keeps the text for LastFileErrorText(), sets
// AbortFlag and passes the text to the installed handler (the message layer
// installs one that shows it; without one nothing is shown).
void ReportFileError(const std::string& text);
using FileErrorHandler = void (*)(const std::string& text);
void SetFileErrorHandler(FileErrorHandler handler);
// Whether a handler shows the reported errors.
bool FileErrorsShown();
const std::string& LastFileErrorText();
// Forgets the last file error (start of each run).
void InitFileErrors();

// ---------------------------------------------------------------------------
// Paths and names

// Trimmed directory with "/" appended unless it is empty or already ends in "/".
std::string AddBackslash(std::string_view dir);
std::string AddBackslashDrive(std::string_view dir);  // the same; there are no drives
std::string RemoveTrailingBackslash(std::string_view dir);  // "/" itself stays
std::string ExtractDirPart(std::string_view path);  // up to and including the last "/"
std::string DrivePart(std::string_view path);       // always empty: no drive letters
// The file-name part without directory and extension ("." in the last
// position does not start an extension).
std::string StripPathAndExt(std::string_view name);
std::string ExtractNameOnly(std::string_view name);
// Text after the first "." of the file-name part; empty when there is none.
std::string ExtensionAfterFirstDot(std::string_view name);
// The extension of the last component of path: the text after its last "."
// (a "." in the last position starts none); empty when there is none. The
// dots of folders and further dots of the name ("joint.v2") are not looked at.
std::string FileExtension(std::string_view path);
// True when the extension of the last component of path is ext, in any case.
bool HasFileExtension(std::string_view path, std::string_view ext);
// True when the last component of path holds a "." ("a.", "joint.v2"): a
// project name typed without one lacks its extension.
bool NameHoldsDot(std::string_view path);

// Project files. A project is named by its stem (CurrentFileName, which may
// hold dots: "Flansch 1.5") in CurrentDir; its file has the extension it was
// loaded or saved with (CurrentFileExt), else InputFileExt. A file whose
// name ends in "." ("a.") has none: its stem is its whole name.
std::string ProjectExtension();
// CurrentFileExt for a project loaded from or made as path: its extension,
// or kNoFileExtension for a name that ends in ".".
inline constexpr std::string_view kNoFileExtension = ".";
std::string ProjectExtensionOf(std::string_view path);
// The file of a project stem: stem, "." and ProjectExtension(), or the stem
// alone for a file without extension.
std::string ProjectFileOfStem(std::string_view stem);
// The current project's file: CurrentDir (unless CurrentFileName carries its
// folder), CurrentFileName, "." and ProjectExtension(); empty without a name.
std::string CurrentProjectFile();
// The name outputs of the current project are named after: CurrentFileName
// without a folder it carries ("Flansch 1.5" for Flansch 1.5.bq4).
std::string CurrentProjectName();
// The file a project name to be written or read back stands for: the current
// project's file for CurrentFileName; a name whose last component has the
// extension InputFileExt as it is; any other name (a stem, also with dots) in
// CurrentDir unless it has a folder, with "." + InputFileExt.
std::string ProjectFileOfName(std::string_view name);

// The existing file whose name equals path apart from case (each missing
// component looked up in its directory); path itself when nothing matches.
std::string FindExistingFile(std::string_view path);
// Name for a file about to be written: the existing file whatever its case,
// else path with its extension in lower case.
std::string NewFileName(std::string_view path);
// Name for an output made from a project: its folder found whatever the
// case, its name exactly as given. A name is its bytes here: a file whose
// name differs only in case is another file, and stays.
std::string OutputPathName(std::string_view path);
// The name under which the file path opens is known where it lies: folders
// and links resolved, and each component spelled as its folder lists it
// where the file system folds case (on a stick P.TXT opens p.txt). Two names
// that open one file resolve alike, whatever the file system; a component
// that does not exist stays as given. `undecided` (when given) tells whether
// a component opens something that no entry of its folder could be shown to
// be: that component stays as given, and the name is not known.
std::string ResolvedFileName(std::string_view path, bool* undecided = nullptr);

// DOS wildcard match ("*", "?", "*.*" matches every name; "name.*" also
// matches "name"), case-insensitive.
bool MatchesWildcard(std::string_view name, std::string_view mask);
// The bare match of "*" and "?", byte for byte (a caller folds the case).
bool WildcardMatchExact(std::string_view name, std::string_view mask);
// Names (not paths) of the entries of dir matching mask, sorted.
std::vector<std::string> MatchingFiles(std::string_view dir, std::string_view mask);

// ---------------------------------------------------------------------------
// Files and directories

// The one way the program opens a file it reads (path exactly as given):
// without waiting, and only a regular file, so that a FIFO, device or folder
// in its place never stops the program and is never read. nullptr when it
// cannot be had, with the reason naming the file in error
// ("file <path> not found or no access !", "file <path> is no regular file !"),
// where the file is named as shown when that is given.
std::FILE* OpenFileForReading(const std::string& path, std::string& error, std::string_view shown = {});
// The reason OpenFileForReading gives for path, "" when it opens.
std::string ReadRefusalText(const std::string& path, std::string_view shown = {});
// A regular file opens for reading under exactly its name: a user's file (a
// project, an output, a recent entry) is never another whose name differs
// only in case.
bool TextFileExists(std::string_view name);
// A file of the program's own (a table, picture, help text, block) opens
// for reading, found whatever the case of its name.
bool ProgramFileExists(std::string_view name);
// True when something other than a regular file (a FIFO, device, socket or
// folder, also through a link) stands under exactly that name: a reader
// refuses it by name rather than taking it for a missing file.
bool NoRegularFileAt(std::string_view name);
// A file of the program's own is there, found whatever its case, or
// something that is no regular file stands there, for its reader to name.
bool ProgramFileThere(std::string_view name);
bool DirectoryAccessible(std::string_view dir);
bool DirWritable(std::string_view dir);       // files can be created in it (platform::DirectoryWritable)
bool DirHasEntries(std::string_view dir);
// A file or folder name read from a settings or project file. Names are the
// file system's bytes (UTF-8); a name that is no UTF-8 was stored by an older
// version in a code page (Windows-1252 by the configuration dialog, code
// page 437 in a project's documents) and is read as that code page's
// characters, unless it names something on disk as it is (a folder named in
// a code page), which keeps it byte for byte. A relative name is looked for
// in besideDir too.
std::string PathOfStoredName(std::string_view stored, bool codePage437, std::string_view besideDir = {});
int CountFiles(std::string_view pattern);     // directory + mask, e.g. "/data/*.dbf"
void DeleteFiles(std::string_view dir, std::string_view mask);  // errors ignored
void DeleteTextFile(std::string_view name);   // errors ignored
// Safe replacement: write to TemporaryNameBeside(dest), a new file of this
// process alone with the mode of dest ("" when none can be made); CommitFile
// renames it over dest, following a symbolic link to its target, syncing
// file and folder when sync is Durable (false, temporary removed, when that
// fails). Only regular files (or new ones) are replaced that way; a device
// such as a printer port is written directly.
bool ReplacesThroughTemporary(std::string_view dest);
std::string TemporaryNameBeside(std::string_view dest);
bool CommitFile(const std::string& temporary, const std::string& dest, platform::ReplaceSync sync);
// Removes a temporary of TemporaryNameBeside that is not to be committed.
void DiscardTemporaryFile(const std::string& temporary);
// Modification time of a file, 0 when it does not exist.
std::time_t FileModificationTime(std::string_view name);

// Copies source to dest (dest may be an existing directory: the source's
// name is appended). The copy is written beside dest and renamed into place,
// so a failed copy leaves an existing dest unchanged. Failures ("Cannot open
// file %s", "Cannot create file %s", a short write) are reported through
// ReportFileError and give false.
bool CopyFileTo(std::string_view source, std::string_view dest);
// Copies the file source over target (its very name) through a temporary
// beside it, silently: false when it fails, target then unchanged.
bool CopyFileReplacing(const std::string& source, const std::string& target, platform::ReplaceSync sync);
bool CopyFileBlocks(std::string_view source, std::string_view dest);
// When source exists: CopyFileTo into the directory of dest.
bool CopyIfExists(std::string_view source, std::string_view dest);
// Copies every entry of srcDir matching mask into dstDir; AbortFlag is set
// when nothing matches or a copy fails, cleared otherwise.
void CopyFileBetweenDirs(std::string_view mask, std::string_view srcDir, std::string_view dstDir);

// ---------------------------------------------------------------------------
// Dates and times (from the clock of framework/clock.h)

void TodayYMD(int& year, int& month, int& day, int& weekday);  // weekday is always 0
// By DateFormatCode: 1 dd.mm.yyyy, 2 mm/dd/yyyy, 3 yyyy/mm/dd, 4 dd/mm/yyyy, else yyyy/mm/dd.
std::string DateText(int year, int month, int day);
// DateFormatCode for a short date format written with d, M and y ("dd.MM.yyyy"):
// 1, 2, 3 or 4; 0 for an empty or unknown format.
Word DateCodeOfFormat(std::string_view format);
// DateFormatCode := the configured DateCodeSetting (1..4), or without one
// the layout of the system's short date format (framework/clock.h).
void ApplyDateLayout();
std::string TodayText();
void TimeParts(int& hour, int& minute, int& second, int& hundredths);
std::string TimeText();  // "9:05": hours without, minutes with a leading zero
std::string FileDateText(std::time_t stamp);  // "yyyy/mm/dd" in local time

// ---------------------------------------------------------------------------
// Command line

// Start-up stores the parameters (without the program name).
void SetCommandLineParams(const std::vector<std::string>& params);
const std::vector<std::string>& CommandLineParams();
// True when a parameter equals sw, both upper-cased (e.g. "/NOGUI").
bool ParamExists(std::string_view sw);
int MaxPrinterPort();  // 3, the highest text printer port offered
