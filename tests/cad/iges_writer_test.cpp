#include "cad/iges_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cad_test_support.h"
#include "framework/calc_messages.h"
#include "framework/number_format.h"
#include "framework/text_utils.h"
#include "../shell_quote.h"

namespace {

class IgesWriterTest : public CadTest {
 protected:
  std::string File() const { return Dir() + "/drawing.igs"; }

  static void Begin() { StartDrawing(kCadIges); }

  // Block DESIGN1 holds a line and an insert of block NUT, a circle.
  static void BeginNestedBlocks() {
  Begin();
  CadBeginBlocks();
  CadBeginBlock("NUT");
  CadCircle(0, 0, 2);
  CadEndBlock();
  CadBeginBlock("DESIGN1");
  CadLine(0, 0, 10, 0);
  CadInsertBlock("NUT", 10, 0, 0, 1, 1);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  }

  std::vector<std::string> Finish() {
    CadClose(0);
    return ReadLines(File());
  }

  static std::vector<std::string> Section(const std::vector<std::string>& lines, char letter) {
    std::vector<std::string> out;
    for (const auto& l : lines)
      if (l.size() == 80 && l[72] == letter) out.push_back(l);
    return out;
  }

  // The parameter text of the entity whose DE pointer is de (columns 1-64 joined).
  static std::string Parameters(const std::vector<std::string>& lines, int de) {
    std::string text;
    for (const auto& l : Section(lines, 'P'))
      if (TextToInt(TrimRightText(l.substr(64, 8))) == de) text += TrimRightText(l.substr(0, 64));
    return text;
  }

  // The independent CAD kernel's reader (built where OpenCASCADE is
  // installed) transfers every root of the file to a shape.
  static void ExpectReadWhole(const std::string& file) {
    const std::string check = BQ4_BINARY_DIR "/tests/iges_reader/bq4_iges_reader_check";
    if (!std::filesystem::exists(check)) return;
    const int status = std::system((ShellQuoted(check) + " " + ShellQuoted(file) + " > " + ShellQuoted(file + ".txt")).c_str());
    std::string report;
    for (const std::string& line : ReadLines(file + ".txt")) report += line + "\n";
    EXPECT_EQ(status, 0) << report;
  }

  // Field n (1..18) of the directory entry whose first line is de.
  static std::string DField(const std::vector<std::string>& lines, int de, int n) {
    const auto d = Section(lines, 'D');
    const std::string& line = d.at(static_cast<std::size_t>(de - 1 + (n > 9 ? 1 : 0)));
    std::string field = line.substr(static_cast<std::size_t>(((n - 1) % 9) * 8), 8);
    EXPECT_TRUE(field.empty() || field.back() != ' ' || TrimRightText(field).empty()) << "right-justified: " << field;
    TrimTextVar(field);
    return field;
  }
};

TEST_F(IgesWriterTest, TextIsAGeneralNoteWithItsHollerithStringAndParametersAreCutAtColumn64) {
  Begin();
  CadBeginEntities();
  CadSetTextStyle(2, 90, 5, 0);
  CadText("M12", 10, 20);
  // A long text with commas fills whole P lines and keeps every character.
  const std::string header = " FA max, FA min, FK erf, FM min, FM max, FS max, Rp0.2, MA, tau, sigma";
  CadText(header, 0, 0);
  // Only ASCII in the file: code page 437 signs spelt out.
  CadText("20 \xF8" "C \xE6m \xF1" "1 mm\xFD \x81", 0, 0);
  const auto lines = Finish();
  EXPECT_EQ(Parameters(lines, 1),
            "212,1,3,10.500,5.000,1,,1.570796,0,0,10.000,20.000,0.0,3HM12;");
  const std::string p3 = Parameters(lines, 3);
  EXPECT_EQ(p3.substr(p3.find(",0.0,") + 5), Hollerith(header) + ";");
  EXPECT_EQ(Parameters(lines, 5).substr(Parameters(lines, 5).find("H") - 2), "21H20 degC um +-1 mm2 ue;");
  for (const auto& l : lines)
    for (const char c : l) EXPECT_TRUE(c >= 32 && c < 127) << l;
  EXPECT_EQ(Hollerith(""), "0H");
  // The golden sample pins parameters split after a comma and their line counts.
  EXPECT_EQ(SplitIgesParameters("1,2;"), (std::vector<std::string>{"1,2;"}));
  const auto parts = SplitIgesParameters(std::string(70, 'x'));
  EXPECT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].size(), 64u);
}

TEST_F(IgesWriterTest, LineBreaksInTextsAndValuesThatAreNoNumbersKeepTheRecords) {
  Begin();
  CadBeginEntities();
  CadSetTextStyle(2, 0, 5, 0);
  CadText("a\nb", 0, 0);
  CadLine(0, 0, 1.0L / 0.0L, 1);
  // Lines whose ends coincide, exactly or in the written resolution, are left out.
  CadLine(2, 2, 2, 2);
  CadLine(2, 2, 2.0001L, 2);
  const auto lines = Finish();
  EXPECT_EQ(Section(lines, 'D').size(), 4u);
  for (const auto& l : lines) EXPECT_EQ(l.size(), 80u);
  EXPECT_EQ(Parameters(lines, 1).substr(Parameters(lines, 1).size() - 6), "3Ha b;");
  EXPECT_EQ(Parameters(lines, 3), "110,0.000,0.000,0.0,0.000,1.000,0.0;");
}

// The file name in the global section is ASCII as the texts are: umlauts
// spelt out, a line break a blank, a long name cut between characters.
TEST_F(IgesWriterTest, TheFileNameInTheGlobalSectionIsAsciiInItsRecords) {
  const auto global = [&](const std::string& name) {
    CurrentFileName = Dir() + "/" + name;
    Begin();
    CadBeginEntities();
    CadLine(0, 0, 1, 1);
    CadClose(0);
    const auto lines = ReadLines(CurrentFileName + ".igs");
    std::string text;
    for (const auto& l : lines) {
      EXPECT_EQ(l.size(), 80u) << l;
      for (const char c : l) EXPECT_TRUE(c >= 32 && c < 127) << l;
    }
    for (const auto& l : Section(lines, 'G')) text += TrimRightText(l.substr(0, 72));
    return text;
  };
  EXPECT_NE(global("Flansch \u00e4 1\nx").find(",14HFlansch ae 1 x,"), std::string::npos);
  const std::string umlauts = global("\u00dcberma\u00df \u00fc\u00fc\u00fc\u00fc\u00fc\u00fc\u00fc\u00fc\u00fc\u00fc");
  EXPECT_NE(umlauts.find(",30HUebermass ueueueueueueueueueue,"), std::string::npos) << umlauts;
  // Only what does not fit is cut: 42 characters fill the receiver's record.
  const std::string longName(60, 'n');
  EXPECT_NE(global(longName).find(",," + Hollerith("FILE") + ",42H" + longName.substr(0, 42) + ","), std::string::npos);
  EXPECT_NE(global(longName).find(",42H" + longName.substr(0, 42) + ",1.0,2,2HMM,"), std::string::npos);
}

TEST_F(IgesWriterTest, BlocksBecomeSubfiguresAndInsertsInstances) {
  Begin();
  CadBeginBlocks();
  CadBeginBlock("BOLTHEAD_LONGNAME");
  for (int i = 0; i < 13; ++i) CadLine(0, i, 1, i);
  CadSetTextStyle(2, 0, 5, 0);
  CadText("M12", 0, 0);
  CadEndBlock();
  CadBeginBlock("EMPTY");
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("BOLTHEAD_LONGNAME", 5, 6, 0, 1, 1);
  CadInsertBlock("BOLTHEAD", 5, 6, 90, 2, 2);
  CadInsertBlock("NOWHERE", 0, 0, 0, 1, 1);
  CadInsertBlock("EMPTY", 1, 2, 0, 0.5, 0.5);
  CadInsertBlock("BOLTHEAD", 3, 4, 0, 1, 0.75);
  const auto lines = Finish();
  // Written at the first insert: 13 members (DE 1..25), the 308 at DE 27,
  // its instance at 29 and the block's text in place at 31. The golden sample
  // pins the members' status, the 308's entry and the matrix of a turned insert.
  EXPECT_EQ(DField(lines, 27, 17), "BOLTHEAD");
  EXPECT_EQ(DField(lines, 27, 13), "3");
  EXPECT_EQ(Parameters(lines, 27),
            "308,0,8HBOLTHEAD,13,1,3,5,7,9,11,13,15,17,19,21,23,25;");
  EXPECT_EQ(Parameters(lines, 29), "408,27,5.000,6.000,0.0,1.000000;");
  EXPECT_EQ(DField(lines, 31, 1), "212");
  EXPECT_EQ(DField(lines, 31, 9), "00000000");
  EXPECT_EQ(Parameters(lines, 31), "212,1,3,10.500,5.000,1,,0.000000,0,0,5.000,6.000,0.0,3HM12;");
  // A turned insert of scale 2: readers drop scaled instances, so its 13 lines
  // (33..57) and its text (59) are written in place.
  EXPECT_EQ(DField(lines, 33, 1), "110");
  EXPECT_EQ(Parameters(lines, 33), "110,5.000,6.000,0.0,5.000,8.000,0.0;");
  EXPECT_EQ(Parameters(lines, 59), "212,1,3,21.000,10.000,1,,1.570796,0,0,5.000,6.000,0.0,3HM12;");
  // An unknown block is reported and its instance still written, of a 308
  // that holds a point at its base.
  EXPECT_EQ(CalcMessages.texts[1].str(), "Blockname NOWHERE not found !");
  EXPECT_EQ(Parameters(lines, 61), "116,0.0,0.0,0.0,0;");
  EXPECT_EQ(DField(lines, 61, 9), "00010000");
  EXPECT_EQ(Parameters(lines, 63), "308,0,7HNOWHERE,1,61;");
  EXPECT_EQ(Parameters(lines, 65), "408,63,0.000,0.000,0.0,1.000000;");
  // A block without geometry writes nothing; an uneven scale writes the geometry in place.
  EXPECT_EQ(Parameters(lines, 67), "110,3.000,4.000,0.0,4.000,4.000,0.0;");
  EXPECT_EQ(Parameters(lines, 69), "110,3.000,4.750,0.0,4.000,4.750,0.0;");
  EXPECT_EQ(DField(lines, 69, 9), "00000000");
  EXPECT_EQ(Parameters(lines, 67 + 2 * 13), "212,1,3,10.500,3.750,1,,0.000000,0,0,3.000,4.000,0.0,3HM12;");
  EXPECT_EQ(Section(lines, 'D').size(), 2u * 47);
  ExpectReadWhole(File());
  // No entity defines a structure of its own: field 3 is 0 on every one.
  for (int de = 1; de < 94; de += 2) EXPECT_EQ(DField(lines, de, 3), "0") << de;
}

// A block that no insert names is not written: readers would show it as
// geometry of the drawing, which the DXF file keeps apart in its block
// section. One only a block that is never inserted names goes with it.
TEST_F(IgesWriterTest, BlockNeverInsertedIsNotWritten) {
  Begin();
  CadBeginBlocks();
  CadBeginBlock("SPARE");
  CadLine(0, 0, 1, 1);
  CadCircle(0, 0, 1);
  CadEndBlock();
  CadBeginBlock("OUTER");
  CadInsertBlock("SPARE", 5, 5, 0, 1, 1);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadLine(0, 0, 2, 0);
  const auto lines = Finish();
  ASSERT_EQ(Section(lines, 'D').size(), 2u);
  EXPECT_EQ(Parameters(lines, 1), "110,0.000,0.000,0.0,2.000,0.000,0.0;");
  EXPECT_EQ(DField(lines, 1, 9), "00000000");
  ExpectReadWhole(File());
}

TEST_F(IgesWriterTest, NestedBlocksAndTurnedArcsUnderUnevenScale) {
  BeginNestedBlocks();
  CadInsertBlock("DESIGN1", 0, 0, 0, 0.5, 0.5);
  CadInsertBlock("DESIGN1", 0, 0, 0, 1, 2);
  const auto lines = Finish();
  // Scale 0.5: the line in place and NUT's circle, an arc, halved.
  EXPECT_EQ(Parameters(lines, 1), "110,0.000,0.000,0.0,5.000,0.000,0.0;");
  EXPECT_EQ(Parameters(lines, 3), "100,0.0,5.000,0.000,6.000,0.000,6.000,0.000;");
  // Uneven: the line in place, the circle as 72 short lines of an ellipse.
  EXPECT_EQ(Parameters(lines, 5), "110,0.000,0.000,0.0,10.000,0.000,0.0;");
  EXPECT_EQ(Parameters(lines, 7), "110,12.000,0.000,0.0,11.992,0.349,0.0;");
  EXPECT_EQ(Section(lines, 'D').size(), 2u * (2 + 1 + 72));
}

// At scale 1 a nested insert is an instance of the inner block's own 308.
TEST_F(IgesWriterTest, UnscaledNestedInsertIsAnInstanceInsideTheOuterSubfigure) {
  BeginNestedBlocks();
  CadInsertBlock("DESIGN1", 0, 0, 0, 1, 1);
  const auto lines = Finish();
  EXPECT_EQ(Parameters(lines, 5), "308,0,3HNUT,1,3;");
  EXPECT_EQ(Parameters(lines, 7), "408,5,10.000,0.000,0.0,1.000000;");
  EXPECT_EQ(Parameters(lines, 9), "308,0,7HDESIGN1,2,1,7;");
  EXPECT_EQ(Parameters(lines, 11), "408,9,0.000,0.000,0.0,1.000000;");
}

TEST_F(IgesWriterTest, BlockFailedByTheDrawerStillGetsItsSubfigure) {
  Begin();
  CadBeginBlocks();
  CadBeginBlock("PART");
  CadLine(0, 0, 1, 1);
  AbortFlag = 1;
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("PART", 0, 0, 0, 1, 1);
  CadLine(0, 0, 1, 1);
  const auto lines = Finish();
  EXPECT_EQ(DField(lines, 3, 1), "308");
  EXPECT_EQ(DField(lines, 7, 9), "00000000");  // outside the block again
}

// The golden file pins the layout: 80 columns, section letters and sequence numbers, start and
// global records, the terminate record, and the parameters and directory fields of every entity kind.
TEST_F(IgesWriterTest, SampleDrawingMatchesItsGoldenFile) {
  DrawSample(kCadIges);
  ASSERT_EQ(AbortFlag, 0);
  ExpectGolden(File(), "sample.igs");
  EXPECT_FALSE(Exists(platform::ProcessTempDir() + "/ZUZIZURI.$$$"));  // the parameter file is gone
}

TEST_F(IgesWriterTest, ColoursMapThroughThePaletteAndNeverLeaveIt) {
  // Colour 1 is palette 2 (IGES 5) with font 4; 0 is white; pen colour 16 of colour 31 and
  // (15 mod 16) + 1 of colour 15 wrap to palette 0.
  struct Case { int colour; const char *igesColour, *font; };
  const Case cases[] = {{1, "5", "4"}, {0, "0", "1"}, {31, "0", "1"}, {15, "0", "1"}};
  CadState.CadDevice = kCadIges;
  Begin();
  CadBeginEntities();
  for (const Case& c : cases) {
    CadSetColor(c.colour);
    CadLine(0, 0, 1, 1);
  }
  const auto lines = Finish();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(DField(lines, 2 * i + 1, 5), cases[i].igesColour) << cases[i].colour;
    EXPECT_EQ(DField(lines, 2 * i + 1, 4), cases[i].font) << cases[i].colour;
  }
}

}  // namespace
