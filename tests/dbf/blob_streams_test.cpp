#include "dbf/blob_streams.h"

#include "dbf/memo.h"
#include "dbf_test_util.h"

using namespace dbftest;

namespace {

void AddOne(char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<char>(p[i] + 1);
}
void SubtractOne(char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<char>(p[i] - 1);
}

class BlobStreams : public DbfTest {
 protected:
  static std::int32_t WriteBlob(const std::string& bytes, bool autoText = false, std::size_t piece = 700) {
    std::int32_t b = CreateBlobDescriptor(autoText, 0, 2);
    for (std::size_t at = 0; at < bytes.size(); at += piece)
      EXPECT_EQ(WriteBlobStream(bytes.data() + at, static_cast<std::int32_t>(std::min(piece, bytes.size() - at))),
                static_cast<std::int32_t>(std::min(piece, bytes.size() - at)));
    DestroyBlobDescriptor();
    return b;
  }
  static std::string ReadBlob(std::int32_t block, bool autoText = false) {
    std::string out;
    if (CreateBlobDescriptor(autoText, block, 1) == 0) return "<error>";
    char buf[333];
    for (std::int32_t n; (n = ReadBlobStream(buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    DestroyBlobDescriptor();
    return out;
  }
  static std::string Binary(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>((i * 37) & 0xFF);
    return s;
  }
};

TEST_F(BlobStreams, Dbase3TextEndsAtItsTerminator) {
  MemoTable(kMemoDbase3, 0);
  std::int32_t b = AddMemo("plain text memo");
  ASSERT_EQ(CreateBlobDescriptor(false, b, 1), b);
  EXPECT_EQ(SeekBlobStream(0, 2), 15);  // the length is found by reading through
  EXPECT_EQ(SeekBlobStream(-4, 2), 11);
  char buf[32] = {};
  EXPECT_EQ(ReadBlobStream(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "memo");
  EXPECT_EQ(SeekBlobStream(-100, 1), 0);
  DestroyBlobDescriptor();
  EXPECT_EQ(ReadBlob(b), "plain text memo");
}

TEST_F(BlobStreams, BinaryBlobsInEveryKind) {
  for (std::uint8_t kind : {kMemoDbase3, kMemoDbase4, kMemoFoxPro}) {
    SCOPED_TRACE(static_cast<int>(kind));
    MemoTable(kind, 0, "bin" + std::to_string(kind) + ".dbf");
    std::string data = Binary(1556);
    data[100] = 0x1A;  // no terminator in a BLOB
    std::int32_t b = WriteBlob(data);
    if (kind == kMemoDbase3) {
      EXPECT_LT(b, 0);  // negative: stored with a group header
      auto bytes = ReadBytes(ForceExtension(DbfFileName(), "dbt"));
      std::size_t at = static_cast<std::size_t>(-b) * 512;
      EXPECT_TRUE(bytes[at] == 0xFF && bytes[at + 2] == 8);
    } else {
      EXPECT_GT(b, 0);
    }
    EXPECT_EQ(ReadBlob(b), data);
    EXPECT_EQ(MemoText(b), data);
    AppendTexts({{"", std::to_string(b)}});
    EXPECT_EQ(FieldAsString(2), kind == kMemoDbase3 ? "BLOB" : "MEMO");
    CloseDatabase();
  }
}

// Text mode converts character sets; misuse is reported.
TEST_F(BlobStreams, TextModeConvertsCharacterSetsAndMisuseIsReported) {
  Sample(1, "plain.dbf");
  EXPECT_EQ(CreateBlobDescriptor(false, 1, 1), 0);
  EXPECT_EQ(TzLastError, 1019);
  TzLastError = 0;
  DestroyBlobDescriptor();
  EXPECT_EQ(TzLastError, 1019);
  CloseDatabase();
  MemoTable(kMemoDbase4, 0);
  std::string ansi = "Gr\xF6\xDF" "e\r\n";
  std::int32_t b = WriteBlob(ansi, true);
  std::string stored = MemoText(b);
  EXPECT_EQ(stored, "Gr\x94\xE1" "e\r\n");  // code page 437 on disk
  EXPECT_EQ(ReadBlob(b, true), ansi);
  EXPECT_EQ(ReadBlob(b, false), stored);
  // A zero byte makes the first piece binary: nothing is converted.
  std::string bin = std::string("\xF6\0x", 3);
  b = WriteBlob(bin, true);
  EXPECT_EQ(ReadBlob(b, true), bin);
  EXPECT_EQ(CreateBlobDescriptor(false, 77, 1), 0);
  EXPECT_EQ(TzLastError, 1003);
  char c;
  EXPECT_EQ(std::vector<long>({ReadBlobStream(&c, 1), WriteBlobStream(&c, 1), SeekBlobStream(5, 0)}), std::vector<long>(3, 0));
}

TEST_F(BlobStreams, TranslatorsSeeWholeWindows) {
  CreateVersionByte = kMemoFoxPro;
  std::string p = Create("tr.dbf", {F("DATA", 'M', 10)});
  UseWithTranslators(p + " EXCLUSIVE", nullptr, 0, AddOne, SubtractOne);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  std::string data = Binary(1300);
  std::int32_t b = WriteBlob(data, false, 123);
  std::string raw;
  {
    auto bytes = ReadBytes(ForceExtension(p, "fpt"));
    std::size_t at = static_cast<std::size_t>(b) * SelectedMemoState()->blockSize + 8;
    raw.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 1300));
  }
  std::string expect = data;
  AddOne(expect.data(), expect.size());
  EXPECT_TRUE(raw == expect);
  EXPECT_TRUE(ReadBlob(b) == data);
  ASSERT_EQ(CreateBlobDescriptor(false, b, 1), b);
  EXPECT_EQ(SeekBlobStream(1000, 0), 1000);
  char buf[8];
  ASSERT_EQ(ReadBlobStream(buf, 8), 8);
  EXPECT_EQ(std::string(buf, 8), data.substr(1000, 8));
  EXPECT_EQ(SeekBlobStream(0, 2), 1300);
  EXPECT_EQ(ReadBlobStream(buf, 8), 0);
  DestroyBlobDescriptor();
}

// Seeking back into windows already written and writing again keeps the
// bytes around the new ones, in a flushed window and in the open one.
TEST_F(BlobStreams, RewritingAWrittenWindowKeepsItsBytes) {
  CreateVersionByte = kMemoFoxPro;
  std::string p = Create("rw.dbf", {F("DATA", 'M', 10)});
  UseWithTranslators(p + " EXCLUSIVE", nullptr, 0, AddOne, SubtractOne);
  ASSERT_EQ(TzLastError, 0) << GetTzErrorText();
  std::string data = Binary(1300);
  std::int32_t b = CreateBlobDescriptor(false, 0, 2);
  ASSERT_EQ(WriteBlobStream(data.data(), 1300), 1300);
  for (std::int32_t at : {600, 100, 1290, 20}) {
    ASSERT_EQ(SeekBlobStream(at, 0), at);
    ASSERT_EQ(WriteBlobStream("ABCDEFGH", 8), 8);
    data.replace(static_cast<std::size_t>(at), 8, "ABCDEFGH");
  }
  DestroyBlobDescriptor();
  EXPECT_TRUE(ReadBlob(b) == data);
}

}  // namespace
