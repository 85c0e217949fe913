// Binary files by handle, in place of the Windows file API: open with a
// DOS-style access and sharing mode, positioned reads and writes, size,
// truncation and flushing. Results are DOS-style error codes (0 = success)
// so that the table engine can report them with its own texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

using FileHandle = int;
constexpr FileHandle kNoFile = -1;

// Open modes as the table engine stores them: the low three bits are the
// access (0 read, 1 write, 2 read/write), bits 4-6 the sharing
// (0x10 deny all, 0x20 deny write, 0x30 deny read, 0x40 deny none).
constexpr unsigned kOpenRead = 0x00;
constexpr unsigned kOpenWrite = 0x01;
constexpr unsigned kOpenReadWrite = 0x02;
constexpr unsigned kShareDenyAll = 0x10;
constexpr unsigned kShareDenyWrite = 0x20;
constexpr unsigned kShareDenyRead = 0x30;
constexpr unsigned kShareDenyNone = 0x40;

// DOS-style codes returned here.
constexpr int kErrFileNotFound = 2;
constexpr int kErrPathNotFound = 3;
constexpr int kErrTooManyFiles = 4;
constexpr int kErrAccessDenied = 5;
constexpr int kErrInvalidHandle = 6;
constexpr int kErrSharingViolation = 32;
constexpr int kErrLockViolation = 33;
constexpr int kErrDiskRead = 100;
constexpr int kErrDiskWrite = 101;
// Something other than a regular file (a FIFO, device, socket or folder)
// stands under the name.
constexpr int kErrNotRegularFile = 102;

// Opens an existing file for reading without waiting for anything: the open
// does not block (a FIFO without a writer, a terminal or a device that waits
// never stops the program), and whatever is no regular file is closed again
// and refused with kErrNotRegularFile before a byte is read. Reads on the
// handle block as usual. No sharing lock is taken.
int OpenRegularFileForReading(const std::string& name, FileHandle& handle);
// The same as a stdio stream ("rb"); nullptr with the code in `code`.
std::FILE* OpenRegularStreamForReading(const std::string& name, int& code);

// Opens an existing file. Only a regular file is opened (kErrAccessDenied
// for anything else, without waiting for a FIFO's writer). The sharing part
// of `mode` is enforced among all programs that open through this layer
// (see file_lock.h).
int OpenFile(const std::string& name, unsigned mode, FileHandle& handle);
// Creates (or empties) a file for reading and writing, shared deny-none.
int CreateFile(const std::string& name, FileHandle& handle);
// Creates a file that must not exist yet (O_CREAT|O_EXCL), so that two
// programs never both create and truncate it; kErrAccessDenied when it exists.
int CreateNewFile(const std::string& name, FileHandle& handle);
int CloseFile(FileHandle& handle);
// Opens a file for reading and writing, shared deny-none; a missing file
// is created empty.
int OpenOrCreateShared(const std::string& name, FileHandle& handle);
// True while `name` still names the file open through `handle` (it was
// neither removed nor replaced).
bool NamesOpenFile(const std::string& name, FileHandle handle);
// Maps the first `length` bytes of an open file for reading; the mapping
// sees every later write to them, by any program. nullptr on failure.
const volatile std::uint8_t* MapForReading(FileHandle handle, std::size_t length);
void Unmap(const volatile std::uint8_t* map, std::size_t length);
// Copies bytes out of such a mapping; false instead of a crash (SIGBUS) when
// another program has cut the file short under the mapping.
bool CopyFromMapping(void* out, const volatile std::uint8_t* from, std::size_t length);

// Reads up to `count` bytes at `offset`; `got` receives the number read.
int ReadAt(FileHandle handle, std::uint64_t offset, void* buffer, std::size_t count,
           std::size_t& got);
// Writes all `count` bytes at `offset`.
int WriteAt(FileHandle handle, std::uint64_t offset, const void* buffer, std::size_t count);
// Size in bytes, or -1 on failure.
std::int64_t FileSize(FileHandle handle);
int TruncateFile(FileHandle handle, std::uint64_t size);
int FlushFile(FileHandle handle);

// Whole-file operations by name.
bool FileExists(const std::string& name);
int RemoveFile(const std::string& name);
int RenameFile(const std::string& from, const std::string& to);
// Free space of the file system holding `path`, in bytes; -1 when unknown.
std::int64_t FreeDiskBytes(const std::string& path);
// Seconds since the epoch of the file's last change, -1 when unknown.
std::int64_t FileModifiedTime(FileHandle handle);

// Maps an errno value to the DOS-style code above.
int ErrnoToDosCode(int err);

}  // namespace platform
