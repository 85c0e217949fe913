#include "dbf/ndx_index.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <csignal>
#include <set>
#include <sstream>
#include <sys/resource.h>


#include "dbf/dbf4.h"
#include "dbf/index_keys.h"
#include "dbf/locks.h"
#include "framework/globals.h"
#include "platform/binary_file.h"
#include "platform/file_lock.h"
#include "dbf_test_util.h"

using dbftest::DbfTest;
using dbftest::F;
using dbftest::Landed;
using dbftest::KillChildOnExit;
using dbftest::ReadBytes;
using dbftest::WriteBytes;

namespace {

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
int U16(const std::vector<unsigned char>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// Independent structure check: nodes in range and visited once, leaves at one depth,
// separators equal to their subtree's last key, keys in order; `problem` names a fault.
struct Checked {
  std::vector<std::pair<std::string, std::uint32_t>> entries;
  std::string problem;
  std::uint32_t root = 0, nextFree = 0;
  int keysPerNode = 0, depth = -1;
  char type = 'C';
};

struct Checker {
  const std::vector<unsigned char>& f;
  Checked& out;
  int keyLength, entrySize;
  char type;
  std::set<std::uint32_t> seen;

  int Compare(const std::string& a, const std::string& b) const {
    if (type == 'C') return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    double x, y;
    std::memcpy(&x, a.data(), 8);
    std::memcpy(&y, b.data(), 8);
    if (std::isnan(x) || std::isnan(y)) return std::isnan(y) - std::isnan(x);  // before every number
    return x < y ? -1 : x > y ? 1 : 0;
  }
  // Returns the last key of the subtree.
  std::string Walk(std::uint32_t n, int depth) {
    if (!out.problem.empty()) return {};
    if (n == 0 || n >= out.nextFree || (n + 1) * 512 > f.size()) {
      out.problem = "node number " + std::to_string(n) + " out of range";
      return {};
    }
    if (!seen.insert(n).second) {
      out.problem = "node " + std::to_string(n) + " visited twice";
      return {};
    }
    std::size_t base = n * 512;
    int count = U16(f, base);
    if (count > out.keysPerNode) out.problem = "too many keys in node " + std::to_string(n);
    // Only the empty leaf of an empty index holds no key.
    if (count == 0 && (depth > 0 || U32(f, base + 4) != 0)) out.problem = "node " + std::to_string(n) + " holds no key";
    bool leaf = U32(f, base + 4) == 0;
    std::string last;
    if (leaf) {
      if (out.depth < 0) out.depth = depth;
      if (out.depth != depth && count > 0) out.problem = "leaves at different depths";
      for (int i = 0; i < count; ++i) {
        std::size_t e = base + 4 + i * entrySize;
        std::string key(reinterpret_cast<const char*>(&f[e + 8]), keyLength);
        out.entries.emplace_back(key, U32(f, e + 4));
        last = key;
      }
      return last;
    }
    for (int i = 0; i <= count; ++i) {
      std::size_t e = base + 4 + i * entrySize;
      std::string sub = Walk(U32(f, e), depth + 1);
      if (i < count) {
        std::string sep(reinterpret_cast<const char*>(&f[e + 8]), keyLength);
        if (!sub.empty() && Compare(sub, sep) != 0) out.problem = "separator differs in node " + std::to_string(n);
      }
      if (!sub.empty()) last = sub;
    }
    return last;
  }
};

Checked CheckIndexFile(const std::string& path) {
  Checked c;
  auto f = ReadBytes(path);
  if (f.size() < 1024 || f.size() % 512 != 0) {
    c.problem = "size " + std::to_string(f.size());
    return c;
  }
  c.root = U32(f, 0);
  c.nextFree = U32(f, 4);
  int keyLength = U16(f, 12);
  c.keysPerNode = U16(f, 14);
  int entrySize = U16(f, 18);
  if (entrySize != (keyLength + 8 + 3) / 4 * 4 || c.keysPerNode != 504 / entrySize) c.problem = "anchor sizes";
  if (c.nextFree != f.size() / 512) c.problem = "next free " + std::to_string(c.nextFree);
  c.type = static_cast<char>(f[9]);
  Checker ch{f, c, keyLength, entrySize, c.type, {}};
  if (c.problem.empty()) ch.Walk(c.root, 0);
  for (std::size_t i = 1; c.problem.empty() && i < c.entries.size(); ++i) {
    int cmp = ch.Compare(c.entries[i - 1].first, c.entries[i].first);
    if (cmp > 0 || (cmp == 0 && c.entries[i - 1].second > c.entries[i].second)) c.problem = "order at " + std::to_string(i);
  }
  return c;
}

}  // namespace

class NdxIndex : public DbfTest {
 protected:
  // Table NAME C10, NUM N8.2, DAY D with `n` records, opened exclusively or shared.
  std::string Table(int n, bool shared = false) {
    std::string p = Create("t.dbf", {F("NAME", 'C', 10), F("NUM", 'N', 8, 2), F("DAY", 'D', 8)});
    Use(p + " EXCLUSIVE");
    for (int i = 1; i <= n; ++i) AddRow(i, 101);
    if (shared) {
      CloseDatabase();
      Use(p);
    }
    return p;
  }
  static std::string NameOf(int i) { return "K" + std::to_string((i * 7919) % 100003); }
  // Appends record `i` of the sample: its numbers repeat after `mod`.
  static void AddRow(int i, int mod) {
    char d[16];
    std::snprintf(d, sizeof d, "%02d/%02d/%02d", 1 + i % 12, 1 + i % 28, i % 100);
    ClearRecord();
    SetFieldText(1, NameOf(i));
    SetFieldValue(2, static_cast<long double>((i * 37) % mod) / 4);
    SetFieldText(3, d);
    Append();
  }
  // Builds `file` over `expr` and checks its structure, its record-count stamp and, unless unique, one key
  // per record.
  static Checked Build(const std::string& file, const std::string& expr, bool unique = false) {
    MakeIndex(file, expr, false, 1, unique, false, nullptr, 0);
    EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
    Checked c = CheckIndexFile(file);
    EXPECT_EQ(c.problem, "") << file << " " << expr;
    EXPECT_EQ(IndexRecCount(file), RecCount()) << file;
    if (!unique) {
      EXPECT_EQ(c.entries.size(), static_cast<std::size_t>(RecCount())) << file;
    }
    return c;
  }
  // The keys of a fresh build of `expr` over the table.
  std::vector<std::pair<std::string, std::uint32_t>> FreshEntries(const std::string& expr) {
    return Build(Path("fresh.ndx"), expr).entries;
  }
  // The lines the reader should print for `file`: "key|record" in key order.
  static std::string ExpectedLines(const std::string& file) {
    Checked c = CheckIndexFile(file);
    EXPECT_EQ(c.problem, "") << file;
    std::string lines;
    for (const auto& [stored, rec] : c.entries) {
      std::string key = stored;
      if (c.type != 'C') {
        double v;
        std::memcpy(&v, key.data(), 8);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        key = buf;
      }
      lines += key + "|" + std::to_string(rec) + "\n";
    }
    return lines;
  }
  // A Perl script that reads index file names from its input and prints "#file", then each
  // file's "key|record" lines in key order, read by XBase::Index.
  static void WriteXBaseReader(const std::string& script) {
    std::ofstream(script) << "use XBase::Index;\n"
                             "while (my $f = <STDIN>) { chomp $f; print \"#$f\\n\";\n"
                             "  my $i = new XBase::Index $f or die XBase::Index->errstr;\n"
                             "  $i->prepare_select;\n"
                             "  while (my ($k, $r) = $i->fetch) { print \"$k|$r\\n\"; } }\n";
  }
  // Every index file holds exactly the keys of a fresh build, in order.
  void ExpectExact(const std::vector<std::pair<std::string, std::string>>& indexes) {
    for (const auto& [file, expr] : indexes) {
      Checked c = CheckIndexFile(Path(file));
      EXPECT_EQ(c.problem, "") << file;
      EXPECT_TRUE(c.entries == FreshEntries(expr)) << file << " differs from a fresh build";
    }
  }
};

TEST_F(NdxIndex, KeysPerNodeLimits) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 500; ++i) rows.push_back({std::string(1, static_cast<char>('a' + i % 26)), std::to_string(i * 31 % 997)});
  Filled("k.dbf", {F("A", 'C', 1), F("B", 'C', 100)}, rows);
  for (auto [expr, perNode] : {std::pair<const char*, int>{"A", 42}, {"B", 4}})
    EXPECT_EQ(Build(Path(std::string(expr) + ".ndx"), expr).keysPerNode, perNode) << expr;
  // Full inner nodes of key length 1 end exactly at the block's end.
  Set_Index_To(Path("A.ndx"), 1);
  for (int i = 0; i < 3000; ++i) {
    AppendTexts({{std::string(1, static_cast<char>('a' + i % 7))}});
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  }
  Checked after = CheckIndexFile(Path("A.ndx"));
  EXPECT_EQ(after.problem, "");
  EXPECT_EQ(after.entries.size(), 3500u);
}

// Unique builds keep the lowest record per key; numeric and date keys are found by their texts; key makers
// give the keys they make; one-field keys read from the stored text equal evaluated ones.
TEST_F(NdxIndex, UniqueNumericDateKeyMakerAndOneFieldKeys) {
  Table(300);
  Checked c = Build(Path("u.ndx"), "INT(NUM)", true);
  std::vector<double> values;
  for (auto& e : c.entries) std::memcpy(&values.emplace_back(), e.first.data(), 8);
  std::vector<double> each(26);  // 0 .. 25, once each
  for (int i = 0; i < 26; ++i) each[i] = i;
  EXPECT_EQ(values, each);
  EXPECT_EQ(c.entries.front().second, 11u);  // the first record whose value is 0
  Index_On("NUM", Path("n.ndx"));
  TzDecimalSep = ',';
  EXPECT_TRUE(Find("24,25"));
  GoTop();
  std::string first = FieldAsString(2);  // national form, decimal comma
  EXPECT_TRUE(Find(AllTrim(first)));
  TzDecimalSep = '.';
  Index_On("DAY", Path("d.ndx"));
  GoBottom();
  std::string d = GetFieldText(3);
  GoTop();
  EXPECT_TRUE(Find(d));
  EXPECT_EQ(GetFieldText(3), d);
  static int calls = 0;
  TKeyMaker maker = [](std::uint32_t, std::uint8_t, std::string& key) {
    ++calls;
    key = GetFieldText(1);
  };
  Index_OnCB(Path("km.ndx SOUNDEX"), maker, 0);
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_GT(calls, 300);
  c = CheckIndexFile(Path("km.ndx"));
  EXPECT_TRUE(c.problem.empty() && c.entries.front().first.size() == 4u) << c.problem;
  std::filesystem::copy_file(Path("km.ndx"), Path("KM2.NDX"));
  SetIndexTo("km2", 2);  // found beside the table whatever the case; an expression open of a key-maker file
  EXPECT_EQ(TzLastError, 254);
  // A one-field key read from the stored text equals the key the expression gives.
  CloseIndexes();
  ClearRecord();  // blank name, number and date
  Append();
  for (auto [field, evaluated] :
       {std::pair<const char*, const char*>{"NAME", "LEFT(NAME, 10)"}, {"NUM", "NUM + 0"}, {"DAY", "DAY + 0"}}) {
    Checked direct = Build(Path("direct.ndx"), field), eval = Build(Path("eval.ndx"), evaluated);
    EXPECT_TRUE(direct.entries == eval.entries) << field;
  }
}

TEST_F(NdxIndex, FindIsAPrefixMatchWhileExactIsOff) {
  Filled("f.dbf", {F("NAME", 'C', 6)}, {{"ABD"}, {"ABC"}, {"XY"}, {"AB"}});
  Index_On("NAME", Path("f.ndx"));
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_TRUE(Find("AB") && RecNo() == 4);
  EXPECT_TRUE(Find("ABC") && RecNo() == 2);
  ExactOn();
  EXPECT_FALSE(Find("ABX"));
  EXPECT_TRUE(Find("AB"));  // "AB    " exists
  EXPECT_FALSE(Find("A"));
  EXPECT_TRUE(dEOF() && RecNo() == 5);  // after "not found" on the phantom record
  ExactOff();
  EXPECT_EQ(Landed(FindNear("ABCA")), -1);              // the next greater key ABD
  EXPECT_TRUE(Landed(FindNear("ZZ")) == -3 && dEOF());  // above every key: the last key, end flag set
  // Moves follow the key order.
  EXPECT_EQ(Column(), "AB,ABC,ABD,XY,");
  std::string order;
  for (GoBottom(); !dBOF(); Skip(-1)) order += AllTrim(GetFieldText(1)) + ",";
  EXPECT_EQ(order, "XY,ABD,ABC,AB,");
  Set_Order_To(0);
  EXPECT_FALSE(Find("AB"));
  EXPECT_EQ(TzLastError, 254);
  GoTop();
  EXPECT_EQ(RecNo(), 1);  // natural order
}

// Keys that agree in their first eight bytes and differ after them, among
// keys that differ early: the order of the index is the order of the bytes,
// also for keys added while it is open, and every key is found on its record.
TEST_F(NdxIndex, LongKeysAgreeingInTheirFirstBytesKeepTheirOrder) {
  std::mt19937 random(9);
  auto key = [&](int i) {
    std::string k = i % 3 == 0 ? "PREFIX00" : "P" + std::to_string(random() % 1000000);
    k.resize(8, 'x');
    return k + std::to_string(random() % 10000);
  };
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> keys;
  for (int i = 0; i < 600; ++i) rows.push_back({keys.emplace_back(key(i))});
  Filled("long.dbf", {F("NAME", 'C', 12)}, rows);
  Index_On("NAME", Path("long.ndx"));
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  for (int i = 0; i < 200; ++i) AppendTexts({{keys.emplace_back(key(i))}});
  std::vector<std::string> sorted = keys;
  std::sort(sorted.begin(), sorted.end());
  std::string want;
  for (const std::string& k : sorted) want += k + ",";
  EXPECT_EQ(Column(), want);
  ExactOn();
  for (const std::string& k : keys) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(Find(k));
    EXPECT_EQ(AllTrim(GetFieldText(1)), k);
  }
  EXPECT_FALSE(Find("PREFIX00x"));
}

// Builds over the node limits are counted and read by the independent reader sweep; an empty table's index is
// its anchor and one empty leaf.
TEST_F(NdxIndex, FindOnEmptyTableSetsBothFlagsAndAnExclusiveTableNoSemaphoreFile) {
  std::string p = Table(0);
  Checked k = Build(Path("e.ndx"), "NAME");
  EXPECT_TRUE(ReadBytes(Path("e.ndx")).size() == 1024u && k.root == 1u && k.nextFree == 2u && k.entries.empty());
  Index_On("NAME", Path("e.ndx"));
  EXPECT_FALSE(Find("A"));
  EXPECT_TRUE(dEOF() && dBOF() && !IndexFound);
  EXPECT_FALSE(TzFileExists(SemaphoreFileName(p)));
}

// Also with a node cache of two nodes, which gives up the least recently used
// node at nearly every step of a walk.
TEST_F(NdxIndex, MaintainedIndexEqualsFreshBuild) {
  const std::size_t defaultNodes = IndexCacheNodes;
  for (std::size_t nodes : {defaultNodes, std::size_t{2}}) {
    SCOPED_TRACE("cache of " + std::to_string(nodes) + " nodes");
    IndexCacheNodes = nodes;
    std::string p = Table(200, true);
    std::filesystem::remove(Path("m.ndx"));
    Set_Index_To(Path("m.ndx"), 1);  // not built yet
    EXPECT_NE(TzLastError, 0);
    SelectedWorkArea()->exclusive = true;  // build and maintain without locks in this test
    Index_On("UPPER(NAME)", Path("m.ndx"));
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    std::mt19937 rng(42);
    for (int step = 0; step < 1500; ++step) {
      int what = static_cast<int>(rng() % 3);
      if (what == 0) {
        AppendTexts({{"N" + std::to_string(rng() % 50)}});
      } else {
        Go(static_cast<std::int32_t>(1 + rng() % static_cast<unsigned>(RecCount())));
        if (what == 1) SetFieldText(1, "R" + std::to_string(rng() % 60));
        else SetFieldText(1, GetFieldText(1).substr(0, 1));  // shorter key, same or moved
        Replace();
      }
      ASSERT_EQ(TzLastError, 0) << step << ": " << TzErrorDetail;
      const std::string key = TzTrimRight(GetFieldText(1));
      ASSERT_TRUE(Find(TzUpperCase(key))) << step << ": " << key;
      ASSERT_EQ(TzUpperCase(TzTrimRight(GetFieldText(1))).substr(0, key.size()), TzUpperCase(key));
    }
    ExpectExact({{"m.ndx", "UPPER(NAME)"}});
    // Pack rebuilds the index.
    DeleteRecs({3, 7, 11});
    ASSERT_TRUE(Pack());
    ExpectExact({{"m.ndx", "UPPER(NAME)"}});
    CloseDatabase();
  }
}

// A key that is no number (the square root of a negative NUM) has one place,
// before every number: appends and replaces keep the index as a fresh build
// makes it, and a walk reaches every record in that order.
TEST_F(NdxIndex, KeysThatAreNoNumberSortBeforeEveryNumber) {
  Table(0);
  std::mt19937 rng(7);
  const auto number = [&rng] { return std::to_string(static_cast<int>(rng() % 200) - 100); };
  for (int i = 0; i < 60; ++i) AppendTexts({{"A", number()}});
  Index_On("NUM^0.5", Path("root.ndx"));
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  for (int step = 0; step < 600; ++step) {
    if (step % 3 == 0) {
      AppendTexts({{"B", number()}});
    } else {
      Go(static_cast<std::int32_t>(1 + rng() % static_cast<unsigned>(RecCount())));
      SetFieldText(2, number());
      Replace();
    }
    ASSERT_EQ(TzLastError, 0) << step << ": " << TzErrorDetail;
  }
  ExpectExact({{"root.ndx", "NUM^0.5"}});
  std::vector<double> walked;
  std::string order;
  for (GoTop(); !dEOF(); Skip(1)) {
    walked.push_back(static_cast<double>(GetFieldValue(2)));
    order += std::to_string(RecNo()) + "\n";
  }
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(walked.size(), static_cast<std::size_t>(RecCount()));
  const auto firstNumber = std::find_if(walked.begin(), walked.end(), [](double v) { return v >= 0; });
  EXPECT_TRUE(std::all_of(walked.begin(), firstNumber, [](double v) { return v < 0; }));
  EXPECT_TRUE(std::is_sorted(firstNumber, walked.end()));
  EXPECT_TRUE(std::all_of(firstNumber, walked.end(), [](double v) { return v >= 0; }));
  CloseDatabase();
  // An independent reader walks the same records in the same order.
  if (std::system("LC_ALL=C perl -MXBase::Index -e 1 2>/dev/null") != 0) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
  const std::string script = Path("ndx.pl"), list = Path("list.txt"), out = Path("keys.txt");
  WriteXBaseReader(script);
  std::ofstream(list) << Path("root.ndx") << "\n";
  ASSERT_EQ(RunProgram({"/usr/bin/env", "LC_ALL=C", "perl", script}, {list, out, ""}), 0);
  std::istringstream lines(dbftest::ReadText(out));
  std::string line, read;
  while (std::getline(lines, line))
    if (line.find('|') != std::string::npos) read += line.substr(line.find('|') + 1) + "\n";
  EXPECT_EQ(read, order);
}

TEST_F(NdxIndex, SplitOfFullRootLeaf) {
  Filled("s.dbf", {F("K", 'C', 100)}, {{"a"}, {"b"}, {"c"}, {"d"}});
  Index_On("K", Path("s.ndx"));
  AppendTexts({{"e"}});
  auto f = ReadBytes(Path("s.ndx"));
  // New root 3 over node 1 (a, b) and node 2 (c, d, e): one key and the extra child.
  EXPECT_EQ(std::vector<int>({int(U32(f, 0)), int(U32(f, 4)), U16(f, 512), U16(f, 1024), U16(f, 1536)}),
            std::vector<int>({3, 4, 2, 3, 1}));
  EXPECT_EQ(CheckIndexFile(Path("s.ndx")).problem, "");
  // A replace that keeps the key writes no node.
  auto before = ReadBytes(Path("s.ndx"));
  Go(2);
  Replace();
  EXPECT_EQ(ReadBytes(Path("s.ndx")), before);
}

TEST_F(NdxIndex, DamagedIndexIsRejectedWithoutCrash) {
  Table(400);
  MakeIndex(Path("g.ndx"), "NAME", false, 1, false, false, nullptr, 0);
  auto good = ReadBytes(Path("g.ndx"));
  struct Case {
    const char* what;
    void (*damage)(std::vector<unsigned char>&);
  };
  const Case cases[] = {
      {"short", [](std::vector<unsigned char>& b) { b.resize(700); }},
      {"key length 0", [](std::vector<unsigned char>& b) { b[12] = 0; b[13] = 0; }},
      {"entry size", [](std::vector<unsigned char>& b) { b[18] = 99; }},
      {"keys per node", [](std::vector<unsigned char>& b) { b[14] = 200; }},
      {"root past end", [](std::vector<unsigned char>& b) { b[0] = 0xFF; b[1] = 0xFF; }},
      {"root zero", [](std::vector<unsigned char>& b) { b[0] = b[1] = b[2] = b[3] = 0; }},
      {"node count", [](std::vector<unsigned char>& b) { b[512] = 0xFF; b[513] = 0x7F; }},
      {"child loops to root", [](std::vector<unsigned char>& b) {
         std::uint32_t root = U32(b, 0);
         std::size_t at = root * 512 + 4;
         b[at] = static_cast<unsigned char>(root); b[at + 1] = static_cast<unsigned char>(root >> 8);
         b[at + 2] = b[at + 3] = 0; }},
      {"child past end", [](std::vector<unsigned char>& b) {
         std::size_t at = U32(b, 0) * 512 + 4;
         b[at] = b[at + 1] = b[at + 2] = 0xEE; }},
      {"extra child loops to root", [](std::vector<unsigned char>& b) {
         std::uint32_t root = U32(b, 0);
         std::size_t at = root * 512 + 4 + U16(b, root * 512) * U16(b, 18);
         b[at] = static_cast<unsigned char>(root); b[at + 1] = static_cast<unsigned char>(root >> 8);
         b[at + 2] = b[at + 3] = 0; }},
      // Twelve levels over one leaf, every child of a level the next level:
      // a walk through them would never end.
      {"children shared down many levels", [](std::vector<unsigned char>& b) {
         const std::uint32_t first = static_cast<std::uint32_t>(b.size() / 512);
         const int keys = U16(b, 14) - 1, entry = U16(b, 18);
         for (std::uint32_t n = first; n < first + 12; ++n) {
           std::vector<unsigned char> node(512, 0xFF);
           node[0] = static_cast<unsigned char>(keys);
           node[1] = node[2] = node[3] = 0;
           const std::uint32_t child = n + 1 < first + 12 ? n + 1 : 1;
           for (int i = 0; i <= keys; ++i)
             for (int k = 0; k < 4; ++k) node[4 + i * entry + k] = static_cast<unsigned char>(child >> (8 * k));
           b.insert(b.end(), node.begin(), node.end());
         }
         for (int k = 0; k < 4; ++k) b[k] = static_cast<unsigned char>(first >> (8 * k));
         for (int k = 0; k < 4; ++k) b[4 + k] = static_cast<unsigned char>((first + 12) >> (8 * k)); }},
  };
  for (const Case& c : cases) {
    auto b = good;
    c.damage(b);
    dbftest::WriteBytes(Path("bad.ndx"), b);
    CloseIndexes();
    TzLastError = 0;
    // Reported only as damage, at the attach or the first move that meets it.
    std::set<int> codes;
    auto note = [&] { if (TzLastError != 0) codes.insert(TzLastError); };
    bool opened = SetIndexTo(Path("bad.ndx"), 1);
    note();
    if (opened) {
      Set_Order_To(1);
      Find("K5"), note();
      GoTop(), note();
      for (int i = 0; i < 1000 && !dEOF() && TzLastError == 0; ++i) Skip(1);
      note();
      GoBottom(), note();
    }
    bool reported = codes.erase(222) + codes.erase(254) > 0;
    EXPECT_TRUE(reported) << c.what;
    EXPECT_TRUE(codes.empty()) << c.what << " " << (codes.empty() ? 0 : *codes.begin());
  }
}

// XBase::Index, an independent reader, reads every key in order from indexes over a
// sweep of table sizes; one key type per instance, one reader for all files.
class NdxIndexSweep : public NdxIndex, public ::testing::WithParamInterface<const char*> {};

TEST_P(NdxIndexSweep, IndependentReaderSeesOurIndexes) {
  // The reader needs no locale: under C it never warns of a desktop locale it lacks.
  if (std::system("LC_ALL=C perl -MXBase::Index -e 1 2>/dev/null") != 0) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
  const std::string expr = GetParam();
  // Node limits: 25 keys per node for NAME, 31 for NUM and DAY; 650 and 992 keys fill two levels.
  const std::vector<int> sizes{1,   2,   25,  26,  27,  31,  32,   33,   50,  51, 63,
                               64,  650, 651, 652, 676, 992, 993, 1301, 1985, 3000};
  std::string script = Path("ndx.pl"), out = Path("keys.txt");
  WriteXBaseReader(script);
  auto ignored = std::signal(SIGPIPE, SIG_IGN);  // a reader that dies fails the check below
  FILE* reader = popen(("LC_ALL=C perl " + ShellQuoted(script) + " > " + ShellQuoted(out)).c_str(), "w");
  ASSERT_NE(reader, nullptr);
  Table(0);
  std::vector<std::string> files, expected;
  int have = 0;
  for (int n : sizes) {
    for (; have < n; ++have) AddRow(have + 1, 1001);
    // A folder per size keeps the name lookups short.
    std::string dir = Path(std::to_string(n));
    std::filesystem::create_directory(dir);
    files.push_back(dir + "/" + expr + ".ndx");
    Build(files.back(), expr);
    if (n == sizes.back()) break;  // read after its maintenance
    std::fputs((files.back() + "\n").c_str(), reader);
    std::fflush(reader);
    expected.push_back(ExpectedLines(files.back()));
  }
  // Some maintenance as well, so that split nodes are read too.
  Set_Index_To(files.back(), 1);
  for (int i = 0; i < 300; ++i)
    AppendTexts({{"M" + std::to_string(i * 13 % 97), std::to_string(i % 17), "01/01/" + std::to_string(10 + i % 13)}});
  // Keys moved away from the front and the back of two runs empty whole subtrees.
  std::vector<std::int32_t> inOrder;
  for (GoTop(); !dEOF(); Skip(1)) inOrder.push_back(RecNo());
  std::vector<std::int32_t> moved(inOrder.begin(), inOrder.begin() + 1000);
  moved.insert(moved.end(), inOrder.rbegin() + 800, inOrder.rbegin() + 1800);
  for (std::int32_t r : moved) {
    Go(r);
    SetFieldText(1, "Z" + std::to_string(r));
    SetFieldValue(2, 5000 + r % 100);
    SetFieldText(3, "12/31/49");
    Replace();
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  }
  CloseIndexes();
  std::fputs((files.back() + "\n").c_str(), reader);
  expected.push_back(ExpectedLines(files.back()));
  int status = pclose(reader);
  std::signal(SIGPIPE, ignored);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::string want;
  for (std::size_t k = 0; k < files.size(); ++k) want += "#" + files[k] + "\n" + expected[k];
  std::istringstream got(dbftest::ReadText(out)), wanted(want);
  std::string a, b;
  for (int line = 1; std::getline(wanted, b); ++line) ASSERT_TRUE(std::getline(got, a) && a == b) << "line " << line << ": " << a << " for " << b;
  ASSERT_FALSE(std::getline(got, a)) << "more than expected: " << a;
}

// ---- two programs on one table, and programs that are killed ----------------

namespace {

// Longer runs under `make soak`.
int Scaled(int ci, int soak) { return std::getenv("BQ4_SOAK") ? soak : ci; }

using dbftest::Child;
using dbftest::ExitCode;

}  // namespace

class SharedTable : public NdxIndex {
 protected:
  // Table NAME C10, CNT N8 with `n` records and `indexes` built over it, closed.
  std::string Counters(int n, const std::vector<std::pair<std::string, std::string>>& indexes) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= n; ++i) rows.push_back({NameOf(i), std::to_string(i * 10)});
    std::string p = Filled("c.dbf", {F("NAME", 'C', 10), F("CNT", 'N', 8)}, rows);
    for (const auto& [file, expr] : indexes) MakeIndex(Path(file), expr, false, 1, false, false, nullptr, 0);
    EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
    CloseDatabase();
    return p;
  }
  // Forks another program that opens table `p` with `index`, appends a record
  // of `key` under the table lock, signals, and ends when the test lets it go.
  pid_t AppendingChild(ForkHandshake& shake, const std::string& p, const std::string& index, const std::string& key) {
    return Child(shake, [&] {
      Use(p + " ALIAS CHILD");
      bool ok = Set_Index_To(Path(index), 1) && TzLastError == 0 && ALock();
      AppendTexts({{key}});
      ok = ok && TzLastError == 0;
      Unlock();
      shake.SignalParent();
      return shake.WaitForParent() && ok;
    });
  }
  bool Attach(const std::vector<std::pair<std::string, std::string>>& indexes) {
    int n = 0;
    for (const auto& ix : indexes)
      if (!SetIndexTo(Path(ix.first), ++n) || TzLastError != 0) return false;
    Set_Order_To(1);
    return TzLastError == 0;
  }
};

// Two programs add 1 to one counter under record locks, indexes attached before or while the other writes.
TEST_F(SharedTable, TwoProcessesIncrementOneCounterUnderRecordLocks) {
  const int n = Scaled(600, 5000);
  const std::vector<std::pair<std::string, std::string>> indexes = {{"cnt.ndx", "CNT"},
                                                                   {"nc.ndx", "NAME+STR(CNT,8)"}};
  for (bool attachLate : {false, true}) {
    SCOPED_TRACE(attachLate ? "attached while the other writes" : "attached before");
    std::string p = Counters(30, indexes);
    auto increments = [&](ForkHandshake& shake, bool late, bool first) {
      Use(p);
      if (!late && !Attach(indexes)) return false;
      shake.SignalParent();
      if (!shake.WaitForParent()) return false;
      if (late && !Attach(indexes)) return false;
      for (int i = 0; i < n; ++i) {
        Go(1);
        while (!RLock()) sched_yield();
        Go(1);  // the value as the other program left it
        SetFieldValue(2, GetFieldValue(2) + 1);
        Replace();
        if (TzLastError != 0) return false;
        Unlock();
        if (first && i == n / 10) shake.SignalParent();  // the other may start now
      }
      return true;
    };
    ForkHandshake a, b;
    pid_t pa = Child(a, [&] { return increments(a, false, true); });
    pid_t pb = Child(b, [&] { return increments(b, attachLate, false); });
    ASSERT_TRUE(a.WaitForChild());
    ASSERT_TRUE(b.WaitForChild());
    a.SignalChild();
    if (attachLate) {
      ASSERT_TRUE(a.WaitForChild());
    }
    b.SignalChild();
    EXPECT_EQ(ExitCode(pa), 0);
    EXPECT_EQ(ExitCode(pb), 0);
    Use(p + " EXCLUSIVE");
    Go(1);
    EXPECT_EQ(GetFieldValue(2), 10 + 2 * n);
    ExpectExact(indexes);
    ASSERT_TRUE(Attach(indexes));
    EXPECT_TRUE(Find(std::to_string(10 + 2 * n)));
    EXPECT_EQ(RecNo(), 1);
    CloseDatabase();
  }
}

// Two programs append under their append locks to a table with an index.
TEST_F(SharedTable, TwoProcessesAppendWithAnIndex) {
  const int n = Scaled(2000, 10000);
  const std::vector<std::pair<std::string, std::string>> indexes = {{"name.ndx", "NAME"}};
  std::string p = Counters(10, indexes);
  auto appends = [&](ForkHandshake& shake, char prefix) {
    Use(p);
    if (!Attach(indexes)) return false;
    shake.SignalParent();
    if (!shake.WaitForParent()) return false;
    for (int i = 0; i < n; ++i) {
      while (!ALock()) sched_yield();
      ClearRecord();
      SetFieldText(1, prefix + std::to_string((i * 7919) % 100003));
      SetFieldValue(2, i);
      Append();
      if (TzLastError != 0) return false;
      Unlock();
    }
    return true;
  };
  ForkHandshake a, b;
  pid_t pa = Child(a, [&] { return appends(a, 'A'); });
  pid_t pb = Child(b, [&] { return appends(b, 'B'); });
  ASSERT_TRUE(a.WaitForChild());
  ASSERT_TRUE(b.WaitForChild());
  a.SignalChild();
  b.SignalChild();
  EXPECT_EQ(ExitCode(pa), 0);
  EXPECT_EQ(ExitCode(pb), 0);
  Use(p + " EXCLUSIVE");
  EXPECT_EQ(RecCount(), 10 + 2 * n);
  ExpectExact(indexes);
  ASSERT_TRUE(Attach(indexes));
  for (int r : {1, 11, 10 + n, 10 + 2 * n}) {
    Go(r);
    std::string name = TzTrimRight(GetFieldText(1));
    EXPECT_TRUE(Find(name)) << name;
    EXPECT_EQ(TzTrimRight(GetFieldText(1)), name);
  }
}

// An appender killed at random loses no reported record; the index fits or is refused; its locks hold nobody up.
TEST_F(SharedTable, KilledAppenderLosesNoReportedRecord) {
  std::mt19937 random(20261207);
  const int trials = Scaled(20, 200);
  const std::vector<std::pair<std::string, std::string>> indexes = {{"cnt.ndx", "CNT"}};
  for (bool exclusive : {true, false}) {
    for (int t = 0; t < trials; ++t) {
      SCOPED_TRACE(std::string(exclusive ? "exclusive " : "shared ") + std::to_string(t));
      std::string p = Counters(5, indexes);
      int reports[2];
      ASSERT_EQ(pipe(reports), 0);
      pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        close(reports[0]);
        Use(p + (exclusive ? " EXCLUSIVE" : ""));
        if (!Attach(indexes)) _exit(1);
        for (std::int32_t i = 1; TzLastError == 0; ++i) {
          if (!exclusive)
            while (!ALock()) sched_yield();
          AppendTexts({{"", std::to_string(i)}});
          if (!exclusive) Unlock();
          if (TzLastError == 0 && write(reports[1], &i, sizeof i) != sizeof i) break;
        }
        _exit(1);
      }
      close(reports[1]);
      usleep(1000 + random() % 20000);
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      std::int32_t last = 0, got = 0;
      while (read(reports[0], &got, sizeof got) == sizeof got) last = got;
      close(reports[0]);
      Use(p + (t % 2 ? " EXCLUSIVE" : ""));
      ASSERT_GE(RecCount(), 5 + last);
      if (!Set_Index_To(Path("cnt.ndx"), 1)) {
        EXPECT_NE(TzLastError, 0);
        CloseIndexes();
        MakeIndex(Path("cnt.ndx"), "CNT", false, 1, false, false, nullptr, 0);
        ASSERT_TRUE(Set_Index_To(Path("cnt.ndx"), 1)) << TzErrorDetail;
      }
      for (std::int32_t i = 1; i <= last; i += std::max(1, last / 50)) {
        Go(5 + i);
        ASSERT_EQ(GetFieldValue(2), i);
      }
      std::int32_t count = RecCount();
      if (t % 2 == 0) {
        ASSERT_TRUE(ALock());
      }
      AppendTexts({{"", "-1"}});
      EXPECT_EQ(TzLastError, 0);
      EXPECT_EQ(RecNo(), count + 1);
      if (last > 0) {
        Go(5 + last);
        EXPECT_EQ(GetFieldValue(2), last);
      }
      CloseIndexes();
      ExpectExact(indexes);
      CloseDatabase();
      // The killed program's user count stays; the last one out still removes the semaphore file.
      if (!exclusive && t % 2 == 0) {
        EXPECT_FALSE(TzFileExists(SemaphoreFileName(p)));
      }
    }
  }
}

// A packer killed at random leaves an index that fits exactly or is refused, and can be rebuilt.
TEST_F(SharedTable, KilledPackLeavesAnExactOrRefusedIndex) {
  std::mt19937 random(7);
  const int trials = Scaled(20, 200);
  const std::vector<std::pair<std::string, std::string>> indexes = {{"name.ndx", "NAME"}};
  int refused = 0;
  for (int t = 0; t < trials; ++t) {
    SCOPED_TRACE(t);
    std::string p = Counters(2000, indexes);
    ForkHandshake shake;
    pid_t child = Child(shake, [&] {
      Use(p + " EXCLUSIVE");
      if (!Attach(indexes)) return false;
      shake.SignalParent();
      for (int round = 1;; ++round) {
        for (int r = round; r <= RecCount(); r += 97) {
          Go(r);
          DeleteRec();
        }
        if (!Pack()) return false;
      }
    });
    KillChildOnExit reaper(child);
    ASSERT_TRUE(shake.WaitForChild());
    usleep(random() % 40000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    Use(p + " EXCLUSIVE");
    ASSERT_EQ(TzLastError, 0);
    if (!SetIndexTo(Path("name.ndx"), 1) || TzLastError != 0) {
      ++refused;
      EXPECT_NE(TzLastError, 0);
      MakeIndex(Path("name.ndx"), "NAME", false, 1, false, false, nullptr, 0);
      EXPECT_TRUE(Set_Index_To(Path("name.ndx"), 1)) << TzLastError << " " << TzErrorDetail;
    }
    CloseIndexes();
    ExpectExact(indexes);
    CloseDatabase();
  }
  RecordProperty("refused", refused);
}

namespace {

// Sets CNT of record `r` to `value` under its record lock; the error code of the Replace.
std::uint16_t ChangeCounter(std::int32_t r, std::int32_t value) {
  Go(r);
  while (!RLock()) sched_yield();
  Go(r);  // as the other program left it
  SetFieldValue(2, value);
  Replace();
  std::uint16_t code = TzLastError;
  Unlock();
  return code;
}

}  // namespace

// Two programs change indexed keys under record locks through one shared index; one is killed at a
// random moment. The survivor's searches never land on a record without the key searched; the index
// stays exact, or is refused and built again; it ends exact, also for an independent reader.
TEST_F(SharedTable, KilledKeyChangerLeavesAnExactOrRefusedIndex) {
  std::mt19937 random(20261207);
  const int trials = Scaled(3, 40), records = 2000, after = 3000;
  const std::vector<std::pair<std::string, std::string>> indexes = {{"cnt.ndx", "CNT"},
                                                                   {"nc.ndx", "NAME+STR(CNT,8)"}};
  std::vector<std::string> kept;
  int refused = 0;
  for (int t = 0; t < trials; ++t) {
    SCOPED_TRACE("trial " + std::to_string(t));
    std::string p = Counters(records, indexes);
    const unsigned seed = random();
    ForkHandshake shake;
    // Every value written is new, so a key names at most one record.
    pid_t victim = Child(shake, [&] {
      Use(p);
      if (!Attach(indexes)) return false;
      shake.SignalParent();
      std::mt19937 mine(seed);
      for (std::int32_t v = 10000000;; ++v)
        if (ChangeCounter(static_cast<std::int32_t>(mine() % records) + 1, v) != 0) return false;
    });
    KillChildOnExit reaper(victim);
    Use(p);
    ASSERT_TRUE(Attach(indexes)) << TzErrorDetail;
    ASSERT_TRUE(shake.WaitForChild());
    // A refused index is built again, as the dataset layer does, and the work goes on.
    auto rebuild = [&](const char* where) {
      ASSERT_EQ(TzLastError, 222) << where << ": " << TzErrorDetail;
      ++refused;
      CloseIndexes();
      for (const auto& [file, expr] : indexes) MakeIndex(Path(file), expr, false, 1, false, false, nullptr, 0);
      ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
      ASSERT_TRUE(Attach(indexes)) << TzErrorDetail;
    };
    const int killAt = static_cast<int>(random() % 300);
    bool killed = false;
    std::int32_t v = 20000000;
    for (int i = 0; i < killAt + after; ++i) {
      if (i == killAt) {
        usleep(random() % 2000);
        kill(victim, SIGKILL);
        EXPECT_EQ(ExitCode(victim), -1) << "the other program failed before it was killed";
        killed = true;
      }
      const auto r = static_cast<std::int32_t>(random() % records) + 1;
      if (ChangeCounter(r, ++v) != 0) {
        ASSERT_TRUE(killed) << TzErrorDetail;
        ASSERT_NO_FATAL_FAILURE(rebuild("Replace"));
      }
      // A search finds the key on its record, or (while the other may change that record) nothing.
      for (std::int32_t key : {v, v - 1}) {
        bool found = Find(std::to_string(key));
        if (TzLastError != 0) {
          ASSERT_TRUE(killed) << TzErrorDetail;
          ASSERT_NO_FATAL_FAILURE(rebuild("Find"));
          found = Find(std::to_string(key));
        }
        ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
        if (found) {
          ASSERT_EQ(GetFieldValue(2), key) << "a search landed on record " << RecNo();
        }
        if (killed && key == v) {
          ASSERT_TRUE(found) << key;
          ASSERT_EQ(RecNo(), r);
        }
      }
      if (killed) {
        // Another record's key as the table holds it leads to that record.
        const auto other = static_cast<std::int32_t>(random() % records) + 1;
        Go(other);
        const auto value = static_cast<std::int32_t>(GetFieldValue(2));
        bool found = Find(std::to_string(value));
        if (TzLastError != 0) {
          ASSERT_NO_FATAL_FAILURE(rebuild("Find"));
          found = Find(std::to_string(value));
        }
        ASSERT_TRUE(found) << value;
        ASSERT_EQ(RecNo(), other);
      }
    }
    CloseDatabase();
    Use(p + " EXCLUSIVE");
    ASSERT_TRUE(Attach(indexes)) << TzErrorDetail;
    CloseIndexes();
    ExpectExact(indexes);
    CloseDatabase();
    const std::string copy = Path("cnt" + std::to_string(t) + ".ndx");
    std::filesystem::copy_file(Path("cnt.ndx"), copy, std::filesystem::copy_options::overwrite_existing);
    kept.push_back(copy);
  }
  RecordProperty("refused", refused);
  if (std::system("LC_ALL=C perl -MXBase::Index -e 1 2>/dev/null") != 0) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
  std::string script = Path("ndx.pl"), list = Path("files.txt"), out = Path("keys.txt"), want;
  WriteXBaseReader(script);
  std::ofstream names(list);
  for (const auto& f : kept) {
    names << f << "\n";
    want += "#" + f + "\n" + ExpectedLines(f);
  }
  names.close();
  ASSERT_EQ(std::system(("LC_ALL=C perl " + ShellQuoted(script) + " < " + ShellQuoted(list) + " > " + ShellQuoted(out)).c_str()), 0);
  EXPECT_TRUE(dbftest::ReadText(out) == want) << "XBase::Index reads other keys";
}

namespace {

// One way of searching the shared table: the engine's, or the table dialog's as the calculation does.
struct Searcher {
  std::function<bool()> open;                      // the table shared, the index attached
  std::function<std::int32_t(std::int32_t)> value;  // what record r holds now
  std::function<bool(std::int32_t)> search;         // found?
  std::function<std::int32_t()> current;           // the value of the record it stands on
  std::function<std::int32_t()> record;
  std::function<void()> close;
};

}  // namespace

// Searches while another program changes keys land only on records that hold the key searched.
// Few records, so that the other program often changes the record a search is about to read.
TEST_F(SharedTable, SearchesWhileAnotherProgramChangesKeysNeverLandWrong) {
  const int records = 8, changes = Scaled(4000, 40000);
  const std::vector<std::pair<std::string, std::string>> indexes = {{"cnt.ndx", "CNT"}};
  const Searcher engine{
      [&] { return Attach(indexes); },
      [](std::int32_t r) {
        Go(r);
        return static_cast<std::int32_t>(GetFieldValue(2));
      },
      [](std::int32_t key) { return Find(std::to_string(key)); },
      [] { return static_cast<std::int32_t>(GetFieldValue(2)); },
      [] { return RecNo(); },
      [] {}};
  const Searcher dialog{
      [&] {
        CloseDatabase();
        CreateTableDialog();
        dbf4->OpenTable(Path("c.dbf"));
        dbf4->SetIndexTo(Path("cnt"));
        return AbortFlag == 0 && TzLastError == 0;
      },
      [](std::int32_t r) {
        dbf4->Go(r);
        return static_cast<std::int32_t>(std::stol(dbf4->FieldText(2)));
      },
      [](std::int32_t key) {
        dbf4->FindKey(std::to_string(key));
        return dbf4->KeyFound();
      },
      // As the search fetched it: a field's text reads the record anew.
      [] { return dbf4->tzdbf.FieldAsInteger("CNT"); },
      [] { return dbf4->RecNo(); },
      [] {
        dbf4->CloseTable();
        FreeTableDialog();
      }};
  // What the writer has done and when it is to stop, shared with it. The writer starts once the
  // searches start and stops only when told, after its changes and a found search: the two overlap
  // however busy the machine is.
  struct Progress {
    std::atomic<int> changed{0};
    std::atomic<bool> stop{false};
  };
  void* shared = mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  std::unique_ptr<void, std::function<void(void*)>> unmap(shared, [](void* m) { munmap(m, sizeof(Progress)); });
  for (const auto& [name, searcher] : {std::pair{"engine", &engine}, std::pair{"table dialog", &dialog}}) {
    SCOPED_TRACE(name);
    std::string p = Counters(records, indexes);
    Progress& progress = *new (shared) Progress;
    ForkHandshake shake;
    pid_t writer = Child(shake, [&] {
      Use(p);
      if (!Attach(indexes)) return false;
      shake.SignalParent();
      if (!shake.WaitForParent()) return false;
      std::mt19937 mine(11);
      for (std::int32_t v = 10000000; !progress.stop.load(); ++v) {
        if (ChangeCounter(static_cast<std::int32_t>(mine() % records) + 1, v) != 0) return false;
        progress.changed.fetch_add(1);
      }
      return true;
    });
    KillChildOnExit reaper(writer);
    Use(p);
    ASSERT_TRUE(searcher->open()) << TzErrorDetail;
    ASSERT_TRUE(shake.WaitForChild());
    shake.SignalChild();
    std::mt19937 random(5);
    int found = 0, status = 0;
    // Searches until the writer made its changes and one search found its key (a search that
    // never finds one ends the loop after ten times the changes, and the test fails).
    while (progress.changed.load() < changes || (found == 0 && progress.changed.load() < 10 * changes)) {
      ASSERT_EQ(waitpid(writer, &status, WNOHANG), 0) << "the writer ended before it was told to";
      // The value a record holds now, searched for at once: found on that record, or
      // (changed meanwhile) not at all.
      const std::int32_t key = searcher->value(static_cast<std::int32_t>(random() % records) + 1);
      const bool hit = searcher->search(key);
      ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
      if (hit) {
        ++found;
        ASSERT_EQ(searcher->current(), key) << "a search landed on record " << searcher->record();
      }
    }
    progress.stop.store(true);
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(found, 0);
    // With the writer gone every record is found by its key.
    for (std::int32_t r = 1; r <= records; ++r) {
      const std::int32_t value = searcher->value(r);
      ASSERT_TRUE(searcher->search(value)) << value;
      ASSERT_EQ(searcher->record(), r);
    }
    searcher->close();
    CloseDatabase();
  }
}

INSTANTIATE_TEST_SUITE_P(KeyTypes, NdxIndexSweep, ::testing::Values("NAME", "NUM", "DAY"));

// Another program changes the current record's key between the opening of an
// index and the choice of the order: the order is set on the record as it is now.
TEST_F(SharedTable, OrderIsSetOnTheCurrentRecordAsAnotherProgramLeftIt) {
  const std::vector<std::pair<std::string, std::string>> indexes = {{"cnt.ndx", "CNT"}};
  std::string p = Counters(20, indexes);
  ForkHandshake shake;
  pid_t changer = Child(shake, [&] {
    Use(p);
    if (!Attach(indexes) || !shake.WaitForParent()) return false;
    return ChangeCounter(1, 995) == 0;
  });
  Use(p);
  ASSERT_TRUE(SetIndexTo(Path("cnt.ndx"), 1)) << TzErrorDetail;
  shake.SignalChild();
  ASSERT_EQ(dbftest::ExitCode(changer), 0);
  Set_Order_To(1);
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(GetFieldValue(2), 995);
  Skip(1);  // the largest key: the end follows
  EXPECT_TRUE(dEOF());
}

TEST_F(SharedTable, TwoProcessesShareAnIndexThroughTheSemaphoreFile) {
  std::string p = Counters(20, {{"sh.ndx", "NAME"}});
  std::string sem = SemaphoreFileName(p);
  ForkHandshake shake;
  pid_t child = AppendingChild(shake, p, "sh.ndx", "ZCHILD");
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("sh.ndx"), 1)) << TzErrorDetail;
  ASSERT_TRUE(shake.WaitForChild());
  EXPECT_TRUE(TzFileExists(sem));
  EXPECT_TRUE(Find("ZCHILD"));  // the other program's key
  EXPECT_EQ(RecNo(), 21);
  shake.SignalChild();
  EXPECT_EQ(ExitCode(child), 0);
  EXPECT_TRUE(TzFileExists(sem));
  CloseDatabase();  // the last one out deletes the semaphore file
  EXPECT_FALSE(TzFileExists(sem));
}

// While another program holds the semaphore record longer than a login
// waits, the index is not attached and the caller hears why; once it lets go,
// the login counts this program once.
TEST_F(SharedTable, AFailedLoginReachesTheCaller) {
  std::string p = Counters(5, {{"lg.ndx", "NAME"}});
  std::string sem = SemaphoreFileName(p);
  SemaphoreRegionRetries = 3;
  platform::FileHandle other = platform::kNoFile;  // another program, reading
  ASSERT_EQ(platform::OpenOrCreateShared(sem, other), 0);
  const std::uint8_t zero[4] = {1, 1, 0, 0};
  ASSERT_EQ(platform::WriteAt(other, 0, zero, 4), 0);
  ASSERT_EQ(platform::LockRangeShared(other, 1, 4), 0);
  Use(p);
  EXPECT_FALSE(SetIndexTo(Path("lg.ndx"), 1));
  EXPECT_EQ(TzLastError, 1202);
  EXPECT_NE(TzErrorDetail.find("Cannot lock index semaphore file: " + sem + " LOGIN"), std::string::npos) << TzErrorDetail;
  EXPECT_FALSE(Set_Index_To(Path("lg.ndx"), 1));
  EXPECT_EQ(TzLastError, 1202);
  EXPECT_EQ(ReadBytes(sem)[0], 1);  // this program was never counted
  platform::UnlockRange(other, 1, 4);
  ASSERT_TRUE(Set_Index_To(Path("lg.ndx"), 1)) << TzErrorDetail;
  EXPECT_EQ(ReadBytes(sem)[0], 2);
  EXPECT_TRUE(Find(NameOf(3)));
  CloseDatabase();
  EXPECT_EQ(ReadBytes(sem)[0], 1);
  platform::CloseFile(other);
}

// A semaphore file shorter than its record, as a program whose write was cut
// short leaves it, is taken as empty; one whose writes fail fails each
// attach at once with the write error, raised or reported, and never leaves
// this program's own lock on the record for its next attach to wait on.
TEST_F(SharedTable, ASemaphoreFileCutShortIsEmptyAndOneThatCannotBeWrittenKeepsNoLock) {
  std::string p = Counters(5, {{"cut.ndx", "NAME"}});
  std::string sem = SemaphoreFileName(p);
  SemaphoreRegionRetries = 3;  // a lock of its own would end in 1202
  for (std::size_t size : {1, 2, 3}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> cut = {2, 1, 7};
    WriteBytes(sem, std::vector<std::uint8_t>(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(size)));
    Use(p);
    ASSERT_TRUE(Set_Index_To(Path("cut.ndx"), 1)) << TzErrorDetail;
    EXPECT_TRUE(Find(NameOf(3)));
    EXPECT_EQ(ReadBytes(sem), std::vector<std::uint8_t>({1, 0, 0, 0}));  // counted in once
    CloseDatabase();
  }

  std::filesystem::remove(sem);
  std::filesystem::create_symlink("/dev/full", sem);
  Use(p);
  for (bool raised : {true, false, true}) {
    SCOPED_TRACE(raised);
    SetErrorDispatch(raised);
    SetRaiseErrors(raised);
    std::string message;
    try {
      EXPECT_FALSE(Set_Index_To(Path("cut.ndx"), 1));
      message = TzErrorDetail;
    } catch (const EDederError& e) {
      message = e.what();
    }
    SetRaiseErrors(false);
    SetErrorDispatch(false);
    EXPECT_NE(message.find("Cannot write to: " + sem + " LOGIN"), std::string::npos) << message;
  }
  CloseDatabase();
  std::filesystem::remove(sem);
}

// A semaphore file that stays serves the next programs: a change made through
// it after the last one out reaches a program that logs in again, and a
// program that deletes on leaving still may.
TEST_F(SharedTable, AKeptSemaphoreFileStaysAndStillCarriesChanges) {
  std::string p = Counters(20, {{"kept.ndx", "NAME"}});
  std::string sem = SemaphoreFileName(p);
  KeepSemaphoreFiles = true;
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("kept.ndx"), 1)) << TzErrorDetail;
  CloseDatabase();
  EXPECT_TRUE(TzFileExists(sem));
  ForkHandshake shake;
  pid_t child = AppendingChild(shake, p, "kept.ndx", "ZKEPT");
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("kept.ndx"), 1)) << TzErrorDetail;
  ASSERT_TRUE(shake.WaitForChild());
  EXPECT_TRUE(Find("ZKEPT"));
  EXPECT_EQ(RecNo(), 21);
  shake.SignalChild();
  EXPECT_EQ(ExitCode(child), 0);
  CloseDatabase();
  EXPECT_TRUE(TzFileExists(sem));
  // A program that deletes on leaving finds the kept file and removes it.
  KeepSemaphoreFiles = false;
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("kept.ndx"), 1)) << TzErrorDetail;
  EXPECT_TRUE(Find("ZKEPT"));
  CloseDatabase();
  EXPECT_FALSE(TzFileExists(sem));
}

// While another program holds the indexes' write lock, every Append and
// Replace waits for it and fails with 1202, raised or reported, and writes
// nothing: a lock that timed out is never taken for held. Once the other
// program lets go, the next change takes the lock and counts its release.
TEST_F(SharedTable, AWriteLockThatTimedOutIsNotHeld) {
  std::string p = Counters(20, {{"wl.ndx", "NAME"}});
  std::string sem = SemaphoreFileName(p);
  ForkHandshake shake;
  pid_t child = Child(shake, [&] {
    Use(p + " ALIAS HOLDER");
    if (!Set_Index_To(Path("wl.ndx"), 1) || !shake.WaitForParent()) return false;
    SetLockSemaphoreProc(true);  // holds the write lock
    shake.SignalParent();
    if (!shake.WaitForParent()) return false;
    SetLockSemaphoreProc(false);
    shake.SignalParent();
    return shake.WaitForParent() && TzLastError == 0;
  });
  KillChildOnExit reap(child);
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("wl.ndx"), 1)) << TzErrorDetail;
  Go(3);  // a read waits while a writer holds the lock: read first
  shake.SignalChild();
  ASSERT_TRUE(shake.WaitForChild());
  const int counter = U16(ReadBytes(sem), 2);
  SemaphoreTimeout = 1;
  auto raised = [](auto change) {
    try {
      change();
    } catch (const EDederError& e) {
      return std::string(e.what());
    }
    return std::string("nothing raised");
  };
  ASSERT_TRUE(FLock());  // the table's lock: Append and Replace may write
  SetErrorDispatch(true);
  SetRaiseErrors(true);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_NE(raised([] { AppendTexts({{"ZLATE"}}); }).find("Error # 1202"), std::string::npos);
    EXPECT_NE(raised([] { SetFieldText(1, "ZCHANGED"); Replace(); }).find("Error # 1202"), std::string::npos);
  }
  SetRaiseErrors(false);
  SetErrorDispatch(false);
  AppendTexts({{"ZLATE"}});
  EXPECT_EQ(TzLastError, 1202);  // not 254: no unbalanced release
  EXPECT_NE(TzErrorDetail.find("1 second timeout, cannot read: " + sem), std::string::npos) << TzErrorDetail;
  EXPECT_EQ(RecCount(), 20);
  EXPECT_EQ(U16(ReadBytes(sem), 2), counter);
  shake.SignalChild();  // the other program lets go
  ASSERT_TRUE(shake.WaitForChild());
  EXPECT_EQ(U16(ReadBytes(sem), 2), counter + 1);
  AppendTexts({{"ZLATE"}});
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(U16(ReadBytes(sem), 2), counter + 2);
  Unlock();
  shake.SignalChild();
  EXPECT_EQ(ExitCode(child), 0);
  EXPECT_EQ(RecCount(), 21);
  EXPECT_TRUE(Find("ZLATE"));
  EXPECT_EQ(RecNo(), 21);
  Go(3);
  EXPECT_EQ(TzTrimRight(GetFieldText(1)), NameOf(3));
  CloseDatabase();
  Use(p + " EXCLUSIVE");
  ExpectExact({{"wl.ndx", "NAME"}});
}

// While another program holds the indexes' write lock, every search and
// move waits for the read lock and fails with 1202, raised or reported,
// each time anew: a read lock that timed out is never counted as held, and
// none is left behind, so the other program can write again afterwards.
TEST_F(SharedTable, AReadLockThatTimedOutIsNotHeld) {
  std::string p = Counters(20, {{"rl.ndx", "NAME"}});
  ForkHandshake shake;
  pid_t child = Child(shake, [&] {
    Use(p + " ALIAS HOLDER");
    if (!Set_Index_To(Path("rl.ndx"), 1) || !shake.WaitForParent()) return false;
    SetLockSemaphoreProc(true);  // holds the write lock
    shake.SignalParent();
    if (!shake.WaitForParent()) return false;
    SetLockSemaphoreProc(false);
    shake.SignalParent();
    if (!shake.WaitForParent()) return false;
    SemaphoreTimeout = 1;  // a read lock left behind would keep the writer out
    SetLockSemaphoreProc(true);
    const bool taken = TzLastError == 0;
    if (taken) SetLockSemaphoreProc(false);
    return taken && TzLastError == 0;
  });
  KillChildOnExit reap(child);
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("rl.ndx"), 1)) << TzErrorDetail;
  SemaphoreRegionRetries = 2;
  shake.SignalChild();
  ASSERT_TRUE(shake.WaitForChild());
  const std::vector<std::pair<const char*, std::function<void()>>> moves = {
      {"Find", [] { Find(NameOf(5)); }}, {"GoTop", [] { GoTop(); }}, {"GoBottom", [] { GoBottom(); }},
      {"Go", [] { Go(4); }},             {"Skip", [] { Skip(1); }}};
  static int shown = 0;
  for (const std::string how : {"raised", "shown", "reported"}) {
    for (const auto& [name, move] : moves) {
      for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(how + " " + name + " " + std::to_string(attempt));
        SetErrorDispatch(how != "reported");
        SetRaiseErrors(how == "raised");
        if (how == "shown") TzErrorHandler = [] { ++shown; };
        const int before = shown;
        std::string raised;
        const auto start = std::chrono::steady_clock::now();
        try {
          move();
        } catch (const EDederError& e) {
          raised = e.what();
        }
        // It waited for the lock (two pauses of 10 ms at the least), not returned at once.
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
        TzErrorHandler = nullptr;
        SetRaiseErrors(false);
        SetErrorDispatch(false);
        EXPECT_EQ(TzLastError, 1202) << TzErrorDetail;
        EXPECT_EQ(raised.find("Error # 1202") != std::string::npos, how == "raised") << raised;
        EXPECT_EQ(shown, before + (how == "shown" ? 1 : 0));
      }
    }
  }
  shake.SignalChild();  // the other program lets go
  ASSERT_TRUE(shake.WaitForChild());
  EXPECT_TRUE(Find(NameOf(5)));
  EXPECT_EQ(RecNo(), 5);
  Skip(1);
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  shake.SignalChild();
  EXPECT_EQ(ExitCode(child), 0);
  CloseDatabase();
}

// When the indexes cannot be marked as changing after the write lock was
// taken (a failed write of the index), Append fails and gives the lock back:
// no writer stays counted, and the next Append succeeds and releases it.
TEST_F(SharedTable, AWriteLockWhoseMarkFailedIsGivenBack) {
  std::string p = Counters(20, {{"mk.ndx", "NAME"}});
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("mk.ndx"), 1)) << TzErrorDetail;
  ASSERT_TRUE(FLock());
  const std::string sem = SemaphoreFileName(p);
  for (bool raise : {true, false}) {
    SCOPED_TRACE(raise ? "raised" : "reported");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 256;  // the index's first block cannot be written whole
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SetErrorDispatch(raise);
    SetRaiseErrors(raise);
    std::string raised;
    try {
      AppendTexts({{"ZMARK"}});
    } catch (const EDederError& e) {
      raised = e.what();
    }
    SetRaiseErrors(false);
    SetErrorDispatch(false);
    const std::uint16_t code = TzLastError;
    const std::string detail = TzErrorDetail;
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_NE(code, 0);
    EXPECT_NE((raise ? raised : detail).find("[WriteAnchorNode]"), std::string::npos) << detail << raised;
    EXPECT_EQ(RecCount(), 20);
    EXPECT_EQ(ReadBytes(sem)[1], 0);  // no writer counted
  }
  const int counter = U16(ReadBytes(sem), 2);
  AppendTexts({{"ZMARK"}});
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(ReadBytes(sem)[1], 0);
  EXPECT_EQ(U16(ReadBytes(sem), 2), counter + 1);  // its own release
  Unlock();
  EXPECT_TRUE(Find("ZMARK"));
  EXPECT_EQ(RecNo(), 21);
  CloseDatabase();
  Use(p + " EXCLUSIVE");
  ExpectExact({{"mk.ndx", "NAME"}});
}

// Attaching an index to a slot closes the index that sits there first: the
// very file just built can be attached again, alone or beside another one,
// exclusively or shared, and searches through it.
TEST_F(NdxIndex, AttachingToATakenSlotClosesItsIndexFirst) {
  for (const char* mode : {" EXCLUSIVE", ""}) {
    SCOPED_TRACE(mode);
    std::string p = Filled("re.dbf", {F("NAME", 'C', 6), F("QTY", 'N', 4), F("ALT", 'C', 2)},
                           {{"B", "2", "z"}, {"A", "3", "y"}, {"C", "1", "x"}});
    MakeIndex(Path("q.ndx"), "QTY", false, 1, false, false, nullptr, 0);
    MakeIndex(Path("alt.ndx"), "ALT", false, 1, false, false, nullptr, 0);
    CloseDatabase();
    Use(p + mode);
    Index_On("NAME", Path("n.ndx"));
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    EXPECT_TRUE(Set_Index_To(Path("n.ndx"), 1)) << TzLastError << " " << TzErrorDetail;
    EXPECT_TRUE(Find("C"));
    EXPECT_EQ(RecNo(), 3);
    ASSERT_TRUE(SetIndexTo(Path("q.ndx"), 2)) << TzErrorDetail;
    EXPECT_TRUE(Set_Index_To(Path("q.ndx"), 2)) << TzLastError << " " << TzErrorDetail;
    EXPECT_EQ(Column(), "A,B,C,");  // slot 1 stayed
    // Another file in a taken slot: the one there is closed and may go elsewhere.
    EXPECT_TRUE(Set_Index_To(Path("alt.ndx"), 1)) << TzLastError << " " << TzErrorDetail;
    EXPECT_EQ(Column(), "C,A,B,");
    EXPECT_TRUE(SetIndexTo(Path("n.ndx"), 3)) << TzLastError << " " << TzErrorDetail;
    Set_Order_To(2);
    EXPECT_EQ(Column(), "C,B,A,");
    CloseDatabase();
    Use(p + " EXCLUSIVE");
    ExpectExact({{"n.ndx", "NAME"}, {"q.ndx", "QTY"}, {"alt.ndx", "ALT"}});
    CloseDatabase();
    // An independent reader finds the same keys.
    std::string script = Path("ndx.pl"), names = Path("names.txt"), out = Path("keys.txt"), want;
    WriteXBaseReader(script);
    std::ofstream(names) << Path("n.ndx") << "\n" << Path("alt.ndx") << "\n";
    ASSERT_EQ(std::system(("LC_ALL=C perl " + ShellQuoted(script) + " < " + ShellQuoted(names) + " > " + ShellQuoted(out)).c_str()), 0);
    for (const char* f : {"n.ndx", "alt.ndx"}) want += "#" + Path(f) + "\n" + ExpectedLines(Path(f));
    EXPECT_EQ(dbftest::ReadText(out), want);
    std::filesystem::remove(p);
  }
}

// A file that cannot be attached (a damaged index) leaves the slot as it
// was, raised or reported: the index there stays attached, changes reach it,
// and an independent reader finds its keys right.
TEST_F(NdxIndex, AFailedAttachLeavesTheSlotAsItWas) {
  for (const char* mode : {" EXCLUSIVE", ""}) {
    SCOPED_TRACE(mode);
    const bool raise = *mode == '\0';
    std::string p = Filled("fa.dbf", {F("NAME", 'C', 6)}, {{"d"}, {"b"}, {"c"}});
    MakeIndex(Path("fa.ndx"), "NAME", false, 1, false, false, nullptr, 0);
    MakeIndex(Path("bad.ndx"), "NAME", false, 1, false, false, nullptr, 0);
    CloseDatabase();
    std::vector<unsigned char> bad = ReadBytes(Path("bad.ndx"));
    bad.resize(700);
    WriteBytes(Path("bad.ndx"), bad);
    Use(p + mode);
    ASSERT_TRUE(Set_Index_To(Path("fa.ndx"), 1)) << TzErrorDetail;
    SetErrorDispatch(raise);
    SetRaiseErrors(raise);
    std::string raised;
    try {
      EXPECT_FALSE(Set_Index_To(Path("bad.ndx"), 1));
    } catch (const EDederError& e) {
      raised = e.what();
    }
    SetRaiseErrors(false);
    SetErrorDispatch(false);
    EXPECT_EQ(TzLastError, 222);
    EXPECT_EQ(raised.find("Error # 222") != std::string::npos, raise) << raised;
    EXPECT_EQ(IndexHooks.IndexFileName(1), Path("fa.ndx").substr(0, 80));  // the engine keeps 80 characters
    EXPECT_EQ(Column(), "b,c,d,");
    ASSERT_TRUE(FLock());
    Go(2);
    SetFieldText(1, "zz");
    Replace();
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    Unlock();
    EXPECT_FALSE(Find("b"));
    EXPECT_TRUE(Find("zz"));
    EXPECT_EQ(RecNo(), 2);
    // Attached again, the same file is taken in its own place.
    EXPECT_TRUE(Set_Index_To(Path("fa.ndx"), 1)) << TzErrorDetail;
    EXPECT_EQ(Column(), "c,d,zz,");
    CloseDatabase();
    std::string script = Path("ndx.pl"), names = Path("names.txt"), out = Path("keys.txt");
    WriteXBaseReader(script);
    std::ofstream(names) << Path("fa.ndx") << "\n";
    ASSERT_EQ(std::system(("LC_ALL=C perl " + ShellQuoted(script) + " < " + ShellQuoted(names) + " > " + ShellQuoted(out)).c_str()), 0);
    EXPECT_EQ(dbftest::ReadText(out), "#" + Path("fa.ndx") + "\nc     |3\nd     |1\nzz    |2\n");
    std::filesystem::remove(p);
  }
}

// Past the memory budget sorted runs are merged from a temporary file into the same file.
TEST_F(NdxIndex, SortedRunsMergeToTheSameFile) {
  std::string p = Create("big.dbf", {F("K", 'C', 8), F("NUM", 'N', 8)});
  const int n = 60000;
  {
    // Written straight into the file: appending one by one would be slow.
    std::vector<unsigned char> bytes = ReadBytes(p);
    bytes.resize(bytes.size() - 1);  // the end-of-file mark
    char rec[18];
    for (int i = 1; i <= n; ++i) {
      std::snprintf(rec, sizeof rec, " K%06d%8d", (i * 7919) % 150001, (i * 31) % 9973);
      bytes.insert(bytes.end(), rec, rec + 17);
    }
    bytes.push_back(0x1A);
    for (int b = 0; b < 4; ++b) bytes[4 + b] = static_cast<unsigned char>(n >> (8 * b));
    WriteBytes(p, bytes);
  }
  Use(p + " EXCLUSIVE");
  // The progress hook is a plain function: it counts into a static.
  static int calls;
  calls = 0;
  for (auto [expr, unique] : {std::pair<const char*, bool>{"K", false}, {"NUM", true}}) {
    std::string inMemory = Path(std::string(expr) + "m.ndx"), merged = Path(std::string(expr) + "r.ndx");
    IndexSortMemory = std::size_t{64} << 20;
    MakeIndex(inMemory, expr, false, 1, unique, false, nullptr, 0);
    ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
    IndexSortMemory = 100000;
    calls = 0;
    SetIndexProgress([] { ++calls; }, 40);
    Checked c = Build(merged, expr, unique);
    SetIndexProgress(nullptr, 0);
    IndexSortMemory = std::size_t{64} << 20;
    EXPECT_EQ(calls, 40);
    EXPECT_TRUE(ReadBytes(inMemory) == ReadBytes(merged)) << expr;
    EXPECT_EQ(c.entries.size(), unique ? 9973u : static_cast<std::size_t>(n));
  }
}

// An index another program holds open is not truncated: the build fails clearly.
TEST_F(NdxIndex, IndexInUseIsNotTruncated) {
  std::string p = Table(40, true);
  std::string ndx = Path("used.ndx");
  Build(ndx, "NAME");
  auto before = ReadBytes(ndx);
  platform::FileHandle otherIndex = platform::kNoFile, otherTable = platform::kNoFile;
  ASSERT_EQ(platform::OpenFile(ndx, platform::kOpenRead | platform::kShareDenyNone, otherIndex), 0);
  ASSERT_EQ(platform::OpenFile(p, platform::kOpenRead | platform::kShareDenyNone, otherTable), 0);
  MakeIndex(ndx, "NUM", false, 1, false, false, nullptr, 0);
  EXPECT_EQ(TzLastError, 225);
  EXPECT_NE(TzErrorDetail.find(p), std::string::npos) << TzErrorDetail;
  EXPECT_TRUE(ReadBytes(ndx) == before);
  // The table stays usable, shared.
  Go(3);
  EXPECT_EQ(TzLastError, 0);
  EXPECT_FALSE(SelectedWorkArea()->exclusive);
  // With only the index held, the table is had exclusively for the build.
  platform::CloseFile(otherTable);
  Build(ndx, "NUM");  // 40 keys
  EXPECT_EQ(RecNo(), 3);
  platform::CloseFile(otherIndex);
}

// A UNIQUE index keeps one record per key: appending or replacing a record whose key it holds leaves it
// unchanged, the other indexes take their entries, and moves go on from the equal key.
TEST_F(NdxIndex, UniqueIndexKeepsItsKeyWhenAnotherRecordTakesIt) {
  Filled("u.dbf", {F("NAME", 'C', 6), F("QTY", 'N', 4)}, {{"A", "1"}, {"B", "2"}, {"C", "3"}});
  MakeIndex(Path("u.ndx"), "NAME", false, 1, true, false, nullptr, 0);
  MakeIndex(Path("q.ndx"), "QTY", false, 1, false, false, nullptr, 0);
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  ASSERT_TRUE(SetIndexTo(Path("u.ndx"), 1) && SetIndexTo(Path("q.ndx"), 2)) << TzErrorDetail;
  Set_Order_To(1);
  AppendTexts({{"B", "4"}});
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(RecNo(), 4);
  Skip(1);  // from the equal key B to C
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(RecNo(), 3);
  EXPECT_EQ(Column(), "A,B,C,");
  EXPECT_TRUE(Find("B") && RecNo() == 2);
  Set_Order_To(2);
  EXPECT_EQ(Column(2), "1,2,3,4,");
  // Record 3 takes the key of record 1: its own key goes, no second A comes.
  Set_Order_To(1);
  Go(3);
  SetFieldText(1, "A");
  Replace();
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  Skip(1);
  EXPECT_EQ(TzLastError, 0) << TzErrorDetail;
  EXPECT_EQ(AllTrim(GetFieldText(1)) + std::to_string(RecNo()), "B2");
  Checked u = CheckIndexFile(Path("u.ndx"));
  EXPECT_EQ(u.problem, "");
  EXPECT_TRUE(u.entries == (std::vector<std::pair<std::string, std::uint32_t>>{{"A     ", 1}, {"B     ", 2}}));
  Checked q = CheckIndexFile(Path("q.ndx"));
  EXPECT_EQ(q.entries.size(), 4u);
  // An independent reader sees the same UNIQUE index.
  if (std::system("LC_ALL=C perl -MXBase::Index -e 1 2>/dev/null") != 0) GTEST_SKIP() << "libdbd-xbase-perl is not installed";
  CloseAll();
  const std::string script = Path("u.pl"), out = Path("u.txt");
  WriteXBaseReader(script);
  ASSERT_EQ(std::system(("echo " + ShellQuoted(Path("u.ndx")) + " | LC_ALL=C perl " + ShellQuoted(script) + " > " + ShellQuoted(out)).c_str()), 0);
  std::ifstream in(out);
  std::stringstream read;
  read << in.rdbuf();
  EXPECT_EQ(read.str(), "#" + Path("u.ndx") + "\nA     |1\nB     |2\n");
}

// Positioning an index on the current record names what is missing: a key no entry holds, or a key held
// only under other records; after another program changed the index, the search says so. A UNIQUE index
// stands on the equal key of another record.
TEST_F(NdxIndex, PositioningNamesAMissingKeyOrRecord) {
  std::string p = Filled("s.dbf", {F("NAME", 'C', 6)}, {{"A"}, {"B"}, {"C"}, {"D"}});
  MakeIndex(Path("n.ndx"), "NAME", false, 1, false, false, nullptr, 0);
  MakeIndex(Path("u.ndx"), "NAME", false, 1, true, false, nullptr, 0);
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  CloseDatabase();
  // Records 2 and 3 changed behind the indexes' back: A and Z.
  auto bytes = ReadBytes(p);
  std::size_t header = bytes[8] | (bytes[9] << 8), recLen = bytes[10] | (bytes[11] << 8);
  bytes[header + recLen + 1] = 'A';
  bytes[header + 2 * recLen + 1] = 'Z';
  WriteBytes(p, bytes);
  Use(p);
  const std::string n = Path("n.ndx").substr(0, 80);
  Go(2);
  EXPECT_FALSE(SetIndexTo(Path("n.ndx"), 1));
  EXPECT_EQ(TzLastError, 212);
  EXPECT_EQ(TzErrorDetail, "Record with key: \"A     \" not in index: " + n + ". [SyncIndex-2]");
  CloseIndexes();
  Go(3);
  EXPECT_FALSE(SetIndexTo(Path("n.ndx"), 1));
  EXPECT_EQ(TzErrorDetail, "Key: \"Z     \" not in index: " + n + ". [SyncIndex-1] Record: 3");
  CloseIndexes();
  Go(2);
  EXPECT_TRUE(Set_Index_To(Path("u.ndx"), 1)) << TzErrorDetail;  // on A, where record 1 holds the key
  EXPECT_EQ(RecNo(), 2);
  CloseIndexes();
  // Another program's change shows in the semaphore file's change counter.
  Go(1);
  ASSERT_TRUE(Set_Index_To(Path("n.ndx"), 1)) << TzErrorDetail;
  auto sem = ReadBytes(SemaphoreFileName(p));
  ASSERT_EQ(sem.size(), 4u);
  sem[2] = static_cast<unsigned char>(sem[2] + 1);
  {
    std::fstream f(SemaphoreFileName(p), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(2);
    f.write(reinterpret_cast<const char*>(&sem[2]), 1);
  }
  Go(3);
  EXPECT_EQ(TzLastError, 212);
  EXPECT_EQ(TzErrorDetail, "Key: \"Z     \" not in index: " + n + ". [SoftSyncIndex] Record: 3");
  // A close that cannot take the write lock leaves the anchor as it is on disk: here the stamp of a
  // change under way, which refuses the file.
  Go(1);
  IndexHooks.StampIndexes(true);
  SemaphoreTimeout = 1;
  platform::FileHandle other = platform::kNoFile;  // another program holds the write lock
  ASSERT_EQ(platform::OpenFile(SemaphoreFileName(p), platform::kOpenReadWrite | platform::kShareDenyNone, other), 0);
  ASSERT_EQ(platform::LockRange(other, 1, 4), 0);
  CloseIndex(1);
  EXPECT_EQ(TzErrorDetail, "Could not lock index for writing anchor node " + n);
  EXPECT_EQ(IndexRecCount(Path("n.ndx")), -1);
  platform::CloseFile(other);
  CloseIndexes();
}

// The engine's end closes every work area's indexes, then the tables: the last one out removes the
// semaphore file, and an index left in the middle of a change keeps the stamp that refuses it.
TEST_F(NdxIndex, EngineEndClosesEveryWorkAreasIndexes) {
  std::string p = Filled("e.dbf", {F("NAME", 'C', 6)}, {{"A"}, {"B"}});
  MakeIndex(Path("e.ndx"), "NAME", false, 1, false, false, nullptr, 0);
  CloseDatabase();
  Select(2);
  std::string q = Filled("f.dbf", {F("NAME", 'C', 6)}, {{"C"}});
  MakeIndex(Path("f.ndx"), "NAME", false, 1, false, false, nullptr, 0);
  ASSERT_EQ(TzLastError, 0) << TzErrorDetail;
  CloseDatabase();
  Use(q);
  ASSERT_TRUE(Set_Index_To(Path("f.ndx"), 1)) << TzErrorDetail;
  IndexHooks.StampIndexes(true);  // a change under way
  Select(1);
  Use(p);
  ASSERT_TRUE(Set_Index_To(Path("e.ndx"), 1)) << TzErrorDetail;
  ASSERT_TRUE(TzFileExists(SemaphoreFileName(p)));
  EndDbfModules();
  EXPECT_FALSE(TzFileExists(SemaphoreFileName(p)));
  EXPECT_FALSE(TzFileExists(SemaphoreFileName(q)));
  EXPECT_TRUE(WorkAreas[1] == nullptr && WorkAreas[2] == nullptr);
  EXPECT_EQ(IndexRecCount(Path("e.ndx")), 2);
  EXPECT_EQ(IndexRecCount(Path("f.ndx")), -1);
  // A second index engine on the hooks is refused.
  InitDbfModules();
  SetErrorDispatch(false);
  IndexInit();
  EXPECT_EQ(TzLastError, 254);
  EXPECT_EQ(TzErrorDetail, "ERROR: BOTH ZADAZ4 and VAVUZ units linked in. [IndexInit]");
}
