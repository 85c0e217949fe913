#include "cad/cad_screen.h"

#include <unordered_map>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cad/cad_output.h"
#include "cad/dxf_blocks.h"
#include "cad/dxf_writer.h"
#include "framework/calc_messages.h"
#include "framework/drawing.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/globals.h"
#include "framework/graph_recorder.h"
#include "framework/line_io.h"
#include "framework/text_utils.h"
#include "platform/os.h"

bool ScreenBlocksInFiles = true;

namespace {

bool BlockOpen = false;
bool BlockInMemory = false;         // the open block goes to OpenBlockPairs
std::string OpenBlockName;          // the block that the pair sink takes
std::vector<TDxfPair> OpenBlockPairs;
std::string OpenBlockFile;          // the open block's file, when it goes to one
bool OpenBlockKept = false;         // its file stands as an earlier drawing left it

// A file as it stood when this process wrote it: another file under its
// name, or the same changed, has another stamp.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long modified = 0, changed = 0;
  bool operator==(const FileStamp&) const = default;
};

bool StampOf(const std::string& path, FileStamp& stamp) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  stamp = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
           st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
  return true;
}

// The block files this process wrote, by path, with the pairs they hold:
// a block drawn again as it was keeps its file, which is not written again.
// Only those of the current drawing are read; the others count as gone.
struct KeptBlockFile {
  std::vector<TDxfPair> pairs;  // taken from the store at the drawing's end
  bool pairsKnown = false;
  FileStamp stamp;
  bool current = false;  // written or found unchanged in this drawing
};
std::unordered_map<std::string, KeptBlockFile> KeptFiles;

bool StillAsWritten(const std::string& path, const KeptBlockFile& kept) {
  FileStamp now;
  return StampOf(path, now) && now == kept.stamp;
}

// Writes a kept block file of the process's own temporary folder again,
// over its old bytes and cut to its new length: truncating it to nothing
// first would make the file system write it out at once. False when it
// fails; the caller then deletes it.
bool OverwriteBlockFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t at = 0; ok && at < text.size();) {
    const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) at += static_cast<std::size_t>(n);
  }
  ok = ok && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
  return ::close(fd) == 0 && ok;
}

void EndOpenBlock() {
  OpenBlockName.clear();
  OpenBlockFile.clear();
  OpenBlockPairs.clear();
  OpenBlockKept = false;
}

Word LineWidthOf(int n) {
  const auto& s = CadState;
  int w = 1;
  if (n >= 1 && n <= 5) {
    w = s.CadLayerWidths[static_cast<std::size_t>(n)];
    if (w < 1 || w > 50) w = 1;  // a damaged setting draws thin, never huge
  } else if (n >= 16 && n <= 31) {
    const int pen = s.CadPenWidths[static_cast<std::size_t>(n - 16)];
    if (pen >= 2 && pen <= 50) w = pen;
  }
  return static_cast<Word>(w);
}

}  // namespace

void ScreenSetColor(int n) {
  const auto& s = CadState;
  if (n <= 5 && s.CadLayerMode == 0) {
    GraphSetLineStyle(n == 1 ? 2 : n == 2 ? 3 : 0);
    GraphSetColorIndex(static_cast<Byte>(s.CadLayerColors[static_cast<std::size_t>(n)]));
  } else {
    if (s.CadLayerMode == 0) GraphSetLineStyle(0);
    if (n >= 16 && n <= 31 && s.CadLayerMode != 2)
      GraphSetColorIndex(static_cast<Byte>(s.CadPenColors[static_cast<std::size_t>(n - 16)]));
    if (n == 0 && s.CadLayerMode == 2) GraphSetColorIndex(0);
  }
  MainGraphWindow().SetLineWidth(LineWidthOf(n));
}

bool OpenScreenBlock(const std::string& name) {
  if (!ScreenBlocksInFiles) {
    CloseScreenBlock();
    OpenBlockName = name;
    OpenBlockPairs = TakeSparePairList();
    SetDxfPairSink(&OpenBlockPairs);
    BlockOpen = BlockInMemory = true;
    return true;
  }
  BlockOpen = false;
  const std::string file = CadBlockFileName(name);
  const auto kept = KeptFiles.find(file);
  OpenBlockKept = kept != KeptFiles.end() && StillAsWritten(file, kept->second);
  if (!OpenBlockKept) {
    if (kept != KeptFiles.end()) KeptFiles.erase(kept);
    TextFileVar.Assign(file);
    if (!TextFileVar.Rewrite(platform::ReplaceSync::Derived)) {
      AbortFlag = 1;
      return false;
    }
  }
  // The block's pairs are gathered in memory and written to its file in one
  // piece when it ends, unless its file already holds them; the inserts of
  // this drawing replay them from memory.
  OpenBlockName = name;
  OpenBlockFile = file;
  OpenBlockPairs = TakeSparePairList();
  SetDxfPairSink(&OpenBlockPairs, true);
  BlockOpen = true;
  return true;
}

void CloseScreenBlock() {
  if (!BlockOpen) return;
  BlockOpen = false;
  SetDxfPairSink(nullptr);
  if (BlockInMemory) {
    BlockInMemory = false;
    StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
    EndOpenBlock();
    return;
  }
  if (OpenBlockKept) {
    KeptBlockFile& kept = KeptFiles[OpenBlockFile];
    if (!AbortFlag && kept.pairsKnown && kept.pairs == OpenBlockPairs && StillAsWritten(OpenBlockFile, kept)) {
      kept.current = true;
      StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
      EndOpenBlock();
      return;
    }
    // Written again; a file that cannot be is deleted, so that no insert
    // reads what the block held before.
    KeptFiles.erase(OpenBlockFile);
    if (platform::InProcessTempDir(OpenBlockFile)) {
      std::string text = DxfPairsText(OpenBlockPairs);
      text += DxfPairsText({TDxfPair{0, "EOF"}});
      KeptBlockFile rewritten;
      if (OverwriteBlockFile(OpenBlockFile, text) && StampOf(OpenBlockFile, rewritten.stamp)) {
        rewritten.current = true;
        KeptFiles[OpenBlockFile] = std::move(rewritten);
        StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
      } else {
        ::unlink(OpenBlockFile.c_str());
        AbortFlag = 1;
      }
      EndOpenBlock();
      return;
    }
    TextFileVar.Assign(OpenBlockFile);
    if (!TextFileVar.Rewrite(platform::ReplaceSync::Derived)) {
      ::unlink(OpenBlockFile.c_str());
      AbortFlag = 1;
      EndOpenBlock();
      return;
    }
  }
  const bool written = TextFileVar.Write(DxfPairsText(OpenBlockPairs));
  if (!written) AbortFlag = 1;
  const bool stored = WriteDxfEof();
  // Only a block whose file is whole is replayed: a failed one stays missing.
  KeptBlockFile kept;
  if (written && stored && !AbortFlag && StampOf(OpenBlockFile, kept.stamp)) {
    kept.current = true;
    KeptFiles[OpenBlockFile] = std::move(kept);
    StoreBlock(OpenBlockName, std::move(OpenBlockPairs));
  } else if (!written || !stored) {
    // Nor is an earlier drawing's file that a failed replacement left.
    ::unlink(OpenBlockFile.c_str());
  }
  EndOpenBlock();
}

void EndScreenBlockFiles(const std::string& dir) {
  // The files of this drawing's blocks stay for the next drawing, with the
  // pairs they hold; every other block file of the folder goes, the logo
  // blocks too.
  for (auto it = KeptFiles.begin(); it != KeptFiles.end();) {
    KeptBlockFile& kept = it->second;
    kept.pairsKnown = kept.current && TakeStoredBlock(it->first, kept.pairs);
    kept.current = kept.pairsKnown;
    if (!kept.current && StillAsWritten(it->first, kept)) ::unlink(it->first.c_str());
    it = kept.current ? std::next(it) : KeptFiles.erase(it);
  }
  ClearStoredBlocks();
  for (const std::string& name : MatchingFiles(dir, "$*.dx$")) {
    const std::string path = AddBackslash(dir) + name;
    const auto kept = KeptFiles.find(path);
    if (kept != KeptFiles.end() && StillAsWritten(path, kept->second)) continue;
    if (kept != KeptFiles.end()) KeptFiles.erase(kept);
    ::unlink(path.c_str());  // never a folder
  }
  for (auto& [file, kept] : KeptFiles) kept.current = false;
}

bool ScreenBlockFileGone(const std::string& path) {
  // Found whatever its case, as the file is.
  for (const auto& [file, kept] : KeptFiles)
    if (!kept.current && (file == path || UpperCaseText(file) == UpperCaseText(path))) return true;
  return false;
}

bool ScreenBlockOpen() { return BlockOpen; }

void ScreenInsertBlock(const std::string& name, Extended x, Extended y, Extended angle,
                       Extended xscale, Extended yscale) {
  auto& s = CadState;
  const int colour = s.CadColor;
  const Extended height = s.CadTextHeight, ratio = s.CadTextWidthFactor, turn = s.CadTextAngle;
  const Extended slant = s.CadTextSlant;
  ResetInsertTransform();
  ReadDxfBlockFile(name, x, y, angle, xscale, yscale);
  ResetInsertTransform();
  CadSetColor(colour);
  s.CadTextHeight = height;
  s.CadTextWidthFactor = ratio;
  s.CadTextAngle = turn;
  s.CadTextSlant = slant;
  GraphSetTextStyle(2, turn, height, 0.95L * height * ratio);
}

void ShowFatalCalculation(int device) {
  if (device == kCadScreen) {
    GraphClear();
    GraphHeader(0, 0, 160, 120);
    GraphSetColor(14);
    GraphSetTextStyle(2, 0, 4, 4);
    GraphOutText(8, 110, "Calculation messages:");
    GraphSetColor(15);
    GraphSetTextStyle(2, 0, 3, 3);
    for (int i = 1; i <= CalcMessages.count; ++i)
      GraphOutText(8, 104 - 6 * i, CalcMessages.texts[static_cast<std::size_t>(i)].str());
    GraphClearViewPort();
  }
  ShowCalculationMessages();
}

void InitCadScreen() {
  if (BlockOpen && !BlockInMemory) TextFileVar.CloseQuiet();
  BlockOpen = BlockInMemory = false;
  SetDxfPairSink(nullptr);
  EndOpenBlock();
  ClearStoredBlocks();
  // Files written before stay readable as they are, as any other block file.
  KeptFiles.clear();
}
