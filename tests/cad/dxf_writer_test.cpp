#include "cad/dxf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>

#include "cad_test_support.h"
#include "framework/calc_messages.h"
#include "framework/globals.h"
#include "framework/number_format.h"
#include "platform/dialogs.h"

namespace {

class DxfWriterTest : public CadTest {
 protected:

  // Opens a DXF drawing with tables of the variant and an open entity section.
  void Begin(Word variant = 0) {
    StartDrawing(kCadDxf, variant);
    CadBeginEntities();
  }
  std::vector<std::string> Finish() {
    CadEndSection();
    CadClose(0);
    return ReadLines(DxfFile());
  }

  // The pairs of the first entity of kind, as "code=value" texts up to the next entity.
  static std::vector<std::string> Entity(const std::vector<std::string>& lines,
                                         const std::string& kind, int nth = 0) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
      if (lines[i] == "  0" && lines[i + 1] == kind && nth-- == 0) {
        for (std::size_t j = i + 2; j + 1 < lines.size() && lines[j] != "  0"; j += 2)
          out.push_back(lines[j] + "=" + lines[j + 1]);
        return out;
      }
    }
    return out;
  }

  static int Count(const std::vector<std::string>& lines, const std::string& kind) {
    int n = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
      if (lines[i] == "  0" && lines[i + 1] == kind) ++n;
    return n;
  }
};

// The golden sample pins the default of six decimals.
TEST_F(DxfWriterTest, GroupCodesAreRightAlignedAndRealsHaveTheConfiguredDecimals) {
  CadState.CadDecimals = 3;
  EXPECT_EQ(DxfRealText(0), "0.000");
  DecimalCommaMode = 2;  // never a decimal comma in a DXF file
  EXPECT_EQ(DxfRealText(1.5L), "1.500");
  // Every value is rounded exactly as the fixed-point formatter rounds it:
  // ties, values beside ties, negative values that round to zero, large ones.
  std::mt19937_64 rng(2230);
  std::vector<Extended> values = {0.0005L, 0.0015L, -0.0005L, 2.5L, -2.5L, 0.125L, 1e11L,
                                  -1e-9L, 1e30L, 123456.7894999L, std::nextafter(0.0005L, 1.0L)};
  for (int i = 0; i < 2000; ++i)
    values.push_back(std::ldexp(static_cast<Extended>(rng() % 2000000) - 1000000,
                                static_cast<int>(rng() % 40) - 30));
  for (int d : {0, 1, 3, 6, 9, 12}) {
    CadState.CadDecimals = d;
    for (Extended x : values)
      ASSERT_EQ(DxfRealText(x), FloatToTextWidth(0, d, x)) << d << " " << static_cast<double>(x);
  }
}

// Readers go by the type that the group code fixes: a real without a decimal
// point ("0" for a text angle) makes some of them lose the entity after it.
TEST_F(DxfWriterTest, EveryValueHasTheTypeOfItsGroupCode) {
  const auto realCode = [](int c) {
    return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 1010 && c <= 1059);
  };
  const auto intCode = [](int c) {
    return (c >= 60 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) || (c >= 370 && c <= 389);
  };
  for (int decimals : {0, 6}) {
    SCOPED_TRACE(decimals);
    CadState.CadDecimals = decimals;
    DrawSample(kCadDxf);
    const auto lines = ReadLines(DxfFile());
    int reals = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
      const int code = std::atoi(lines[i].c_str());
      const std::string& v = lines[i + 1];
      char* end = nullptr;
      if (realCode(code)) {
        ++reals;
        std::strtod(v.c_str(), &end);
        EXPECT_TRUE(*end == 0 && v.find('.') != std::string::npos) << code << "=" << v;
      } else if (intCode(code)) {
        std::strtol(v.c_str(), &end, 10);
        EXPECT_TRUE(*end == 0 && !v.empty()) << code << "=" << v;
      }
    }
    EXPECT_GT(reals, 50);
  }
}

// Extents cover what reaches beyond the window: an inserted block by its
// scaled box, a text by its width; inside the window they are the window.
TEST_F(DxfWriterTest, HeaderExtentsCoverEveryEntityAndEveryInsertedBlock) {
  const auto extents = [](const std::vector<std::string>& lines) {
    const auto at = std::find(lines.begin(), lines.end(), "$EXTMIN");
    return std::vector<std::string>{at[2], at[4], at[8], at[10]};
  };
  Begin();
  CadLine(0, 0, 160, 120);
  CadSetTextStyle(2, 0, 5, 0);
  CadText("ABCD", 10, 10);
  EXPECT_EQ(extents(Finish()), (std::vector<std::string>{"0.000000", "0.000000", "160.000000", "120.000000"}));

  StartDrawing(kCadDxf);
  CadBeginBlocks();
  CadBeginBlock("B");
  CadCircle(0, 0, 5);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadInsertBlock("B", 158, 60, 0, 2, 2);
  CadSetTextStyle(2, 0, 5, 0);
  CadText("ABCD", 150, 118);  // 4 x 5 x 0.7 wide, 5 high
  CadArc(80, -10, 260, 280, 5);
  EXPECT_EQ(extents(Finish()), (std::vector<std::string>{"0.000000", "-15.000000", "168.000000", "123.000000"}));
}

// A text's ratio and angle are the short number form under the settings of
// the drawing they go to, also after a drawing under other settings.
TEST_F(DxfWriterTest, TextRatioAndAngleFollowTheNumberSettingsOfTheirDrawing) {
  for (int digits : {3, 5, 3, 1}) {
    SCOPED_TRACE(digits);
    FloatDigits = digits;
    Begin();
    CadSetTextStyle(2, 12.5L, 5, 3.5L);
    CadText("A", 1, 1);
    const auto text = Entity(Finish(), "TEXT");
    const auto has = [&](const std::string& pair) { return std::find(text.begin(), text.end(), pair) != text.end(); };
    std::string ratio = FloatToText(0.7L), angle = FloatToText(12.5L);
    if (ratio.find('.') == std::string::npos) ratio += ".0";
    if (angle.find('.') == std::string::npos) angle += ".0";
    EXPECT_TRUE(has(" 41=" + ratio)) << ratio;
    EXPECT_TRUE(has(" 50=" + angle)) << angle;
  }
}

// Drawers that meet on a common edge draw it twice; every file holds it once
// per block or entity section and layer, in either direction.
TEST_F(DxfWriterTest, RepeatedLineIsWrittenOncePerSectionOnEveryFileDevice) {
  struct Case {
    TCadDevice device;
    const char* file;
  };
  for (const Case& c : {Case{kCadDxf, "/drawing.dxf"}, Case{kCadIges, "/drawing.igs"}, Case{kCadListing, "/drawing.lst"}}) {
    SCOPED_TRACE(c.file);
    StartDrawing(c.device);
    CadBeginBlocks();
    CadBeginBlock("B");
    CadLine(0, 0, 10, 0);
    CadLine(10, 0, 0, 0);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("B", 0, 0, 0, 1, 1);
    CadSetColor(1);
    CadLine(0, 0, 10, 0);
    CadLine(10, 0, 0, 0);
    CadRectangle(0, 0, 10, 5);  // its lower edge again
    CadSetColor(2);
    CadLine(0, 0, 10, 0);
    CadEndSection();
    CadClose(0);
    int lines = 0;
    for (const std::string& l : ReadLines(Dir() + c.file))
      lines += l == "LINE" || l.rfind("LINE\t", 0) == 0 || l.rfind("     110", 0) == 0;
    // DXF and listing: the block's line, the rectangle on layer 1, the line on layer 2;
    // IGES: the same, each entity's two directory lines.
    EXPECT_EQ(lines, (c.device == kCadIges ? 2 : 1) * (1 + 4 + 1));
  }
}

TEST_F(DxfWriterTest, LayerTableFollowsTheVariantAndMonochromeAndColoursSelectNamedOrNumberedLayers) {
  // The table's count (group 70) is the number of its entries.
  const auto declared = [](const std::vector<std::string>& lines) {
    const auto table = Entity(lines, "TABLE", 1);
    return table.size() >= 2 && table[0] == "  2=LAYER" ? table[1] : std::string("no LAYER table");
  };
  Begin(2);
  auto lines = Finish();
  EXPECT_EQ(Count(lines, "LAYER"), 32);
  EXPECT_EQ(declared(lines), " 70=32");
  EXPECT_EQ(Entity(lines, "LAYER", 1),
            (std::vector<std::string>{"  2=1", " 70=0", " 62=2", "  6=DASHDOT"}));
  EXPECT_EQ(Entity(lines, "LAYER", 31)[0], "  2=31");

  // Named layers are declared once by name, and numbers they leave free by number.
  CadState.CadLayerNames[2] = "HIDDEN";
  Begin(0);
  lines = Finish();
  EXPECT_EQ(Count(lines, "LAYER"), 33);
  EXPECT_EQ(declared(lines), " 70=33");
  EXPECT_EQ(Entity(lines, "LAYER", 2)[0], "  2=HIDDEN");

  CadState.CadLayerMonochrome = 1;
  Begin(1);
  lines = Finish();
  EXPECT_EQ(Count(lines, "LAYER"), 32);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(Entity(lines, "LAYER", i)[2], " 62=1");
  CadState.CadDevice = kCadDxf;
  CadState.CadLayerNames[5] = "VISIBLE";
  struct Case { Word mode, colour, kept; const char* layer; };
  for (const Case& c : {Case{0, 5, 5, "VISIBLE"}, Case{0, 0, 0, "0"}, Case{0, 19, 19, "19"},
                        Case{0, 40, 24, "24"}, Case{0, 31, 31, "31"}, Case{1, 5, 5, "5"}}) {
    CadState.CadLayerMode = c.mode;
    CadSetColor(c.colour);
    EXPECT_EQ(CadState.CadColor, c.kept) << c.colour;
    EXPECT_EQ(CadState.CadLayer.str(), c.layer) << c.colour;
  }
}

// Line breaks in texts and values that are no numbers keep the file readable.
TEST_F(DxfWriterTest, FullTurnArcIsACircleZeroRadiusDrawsNothingAndOddValuesKeepTheFileReadable) {
  Begin();
  CadArc(0, 0, 0, 360, 4);
  CadArc(0, 0, 360, 0, 4);
  CadArc(0, 0, 30, 30, 4);
  CadArc(0, 0, 10, 80, 0);
  CadArc(0, 0, 10, 80, 4);
  CadText("two\r\nlines", 0, 0);
  CadLine(1, 1, std::nan(""), 1.0L / 0.0L);
  const auto lines = Finish();
  EXPECT_EQ(Count(lines, "CIRCLE"), 3);
  EXPECT_EQ(Count(lines, "ARC"), 1);
  EXPECT_EQ(Entity(lines, "ARC").back(), " 51=80.000000");
  EXPECT_EQ(Entity(lines, "TEXT")[4], "  1=two  lines");
  EXPECT_EQ(Entity(lines, "LINE")[3], " 11=0.000000");
  EXPECT_EQ(Entity(lines, "LINE")[4], " 21=0.000000");
  EXPECT_EQ(lines.size() % 2, 0u);
}

TEST_F(DxfWriterTest, TextIsWrittenInTheUmlautModeAndItsCodePageIsDeclared) {
  struct Case {
    Word mode;
    const char* text;  // group 1 of "20 degree-C, micro-m, plus-minus, a-umlaut" in code page 437
    const char* codePage;
  };
  for (const Case& c : {Case{1, "20 \xF8" "C \xE6m \xF1 \x84", "DOS437"},
                        Case{2, "20 \xB0" "C \xB5m \xB1 \xE4", "ANSI_1252"},
                        Case{3, "20 degC um +/- ae", "ANSI_1252"}}) {
    SCOPED_TRACE(c.mode);
    UmlautMode = c.mode;
    Begin();
    CadText("20 \xF8" "C \xE6m \xF1 \x84", 0, 0);
    const auto lines = Finish();
    EXPECT_EQ(Entity(lines, "TEXT")[4], std::string("  1=") + c.text);
    const auto page = std::find(lines.begin(), lines.end(), "$DWGCODEPAGE");
    ASSERT_NE(page, lines.end());
    EXPECT_EQ(page[2], c.codePage);
  }
}

TEST_F(DxfWriterTest, PolylineVerticesCarryTheBulgeOnlyForArcsOrAreDrawnAsLinesAndArcs) {
  auto draw = [this](int closed) {
    Begin();
    CadSetOrigin(100, 0);
    CadBeginPolyline(closed);
    CadVertex(0, 0, 0);
    CadVertex(10, 0, 3.14159265358979323846L);
    CadVertex(20, 0, 0);
    CadEndPolyline();
    return Finish();
  };
  auto lines = draw(1);
  // The golden sample pins an open polyline and its vertices without bulge.
  EXPECT_EQ(Entity(lines, "POLYLINE"), (std::vector<std::string>{"  8=0", " 66=1", " 70=1"}));
  EXPECT_EQ(Entity(lines, "VERTEX", 1),
            (std::vector<std::string>{"  8=0", " 10=110.000000", " 20=0.000000", " 42=1.000000"}));

  CadState.CadPolylinesOn = 0;
  lines = draw(0);
  EXPECT_EQ(Count(lines, "POLYLINE"), 0);
  EXPECT_EQ(Count(lines, "LINE"), 1);
  ASSERT_EQ(Count(lines, "ARC"), 1);
  const auto arc = Entity(lines, "ARC");
  EXPECT_EQ(arc[1], " 10=115.000000");
  EXPECT_EQ(arc[3], " 40=5.000000");
}

// A line along a straight polyline edge that the file already holds, or
// one whose ends coincide as written, is not written again: the file holds
// what the listing and IGES hold. An arc's chord is no edge.
TEST_F(DxfWriterTest, LinesAlongPolylineEdgesAndLinesOfNoLengthAreNotWrittenAgain) {
  Begin();
  CadSetColor(5);
  CadBeginPolyline(0);
  CadVertex(0, 0, 0);
  CadVertex(0, 10, 0);
  CadVertex(20, 10, 3.14159265358979323846L);
  CadVertex(20, 0, 0);
  CadEndPolyline();
  CadLine(20, 10, 0, 10);  // the top edge again, drawn the other way
  CadLine(20, 10, 20, 0);  // the arc's chord
  CadLine(5, 5, 5 + 1e-9L, 5);
  CadSetColor(3);
  CadLine(0, 0, 0, 10);  // another colour: a line of its own
  const auto lines = Finish();
  EXPECT_EQ(Count(lines, "POLYLINE"), 1);
  EXPECT_EQ(Count(lines, "LINE"), 2);
}

// Cancel of the save dialog: see the sheet test of a cancelled file choice.
TEST_F(DxfWriterTest, SaveDialogNamesTheFileAndAnExistingOneIsReplacedOnlyOnYes) {
  CadBatchMode = 0;
  {
    platform::DialogScript script;
    script.File(Dir() + "/chosen");
    CadOpen(kCadDxf, "");
  }
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_EQ(CadState.CadFileName, Dir() + "/chosen.dxf");
  CadBeginDrawing(0, 0, 10, 10);
  CadClose(0);
  EXPECT_TRUE(Exists(Dir() + "/chosen.dxf"));

  // An existing drawing is replaced only when the user agrees.
  {
    platform::DialogScript script;
    script.File(Dir() + "/chosen.dxf");
    script.No();
    CadOpen(kCadDxf, "");
  }
  EXPECT_EQ(AbortFlag, 1);
}

TEST_F(DxfWriterTest, BlockFailedByTheDrawerIsStillClosedAndTheDrawingGoesOn) {
  StartDrawing(kCadDxf);
  CadBeginBlocks();
  CadBeginBlock("HATCH");
  CadLine(0, 0, 1, 1);
  AbortFlag = 1;  // e.g. a hatch with too many crossings
  CadEndBlock();
  EXPECT_EQ(AbortFlag, 0);
  AbortFlag = 1;
  CadBeginBlock("NEVER");  // nothing is begun while the flag is set, and nothing ended
  CadEndBlock();
  EXPECT_EQ(AbortFlag, 0);
  CadEndSection();
  const auto lines = Finish();
  EXPECT_EQ(Count(lines, "BLOCK"), 1);
  EXPECT_EQ(Count(lines, "ENDBLK"), 1);
}

// The golden file pins the layout: sections, tables of variant 0, the font, group codes and every entity kind.
TEST_F(DxfWriterTest, SampleDrawingMatchesItsGoldenFile) {
  DrawSample(kCadDxf);
  ASSERT_EQ(AbortFlag, 0);
  ExpectGolden(DxfFile(), "sample.dxf");
  // Readers need a font they know and the style table's unpadded "0" before ENDTAB.
  const auto lines = ReadLines(DxfFile());
  const auto font = std::find(lines.begin(), lines.end(), "TXT.SHX");
  ASSERT_LT(font + 4, lines.end());
  EXPECT_EQ(std::vector<std::string>(font + 1, font + 5), (std::vector<std::string>{"  4", "", "0", "ENDTAB"}));
}

// An independent reader opens what we write: the sample drawing with its block, insert and polyline.
TEST_F(DxfWriterTest, EzdxfReadsADrawingWithBlocksInsertsAndPolylines) {
  SKIP_WITHOUT_EZDXF();
  DrawSample(kCadDxf);
  ASSERT_EQ(AbortFlag, 0);
  EXPECT_TRUE(Ezdxf("doc = ezdxf.readfile(sys.argv[1])\n"
                    "msp = doc.modelspace()\n"
                    "kinds = sorted(set(e.dxftype() for e in msp))\n"
                    "assert kinds == ['ARC', 'INSERT', 'LINE', 'POLYLINE', 'SOLID', 'TEXT'], kinds\n"
                    "assert len(doc.blocks.get('NUT')) == 7\n"
                    "t = msp.query('TEXT')[0]\n"
                    "assert t.dxf.text == 'M12 x 60 - 12.9' and abs(t.dxf.height - 3.5) < 1e-9\n"
                    "assert abs(msp.query('INSERT')[0].dxf.rotation - 30) < 1e-9\n"
                    "p = msp.query('POLYLINE')[0]\n"
                    "assert len(p) == 3 and not p.is_closed\n"
                    "assert msp.query('LINE')[0].dxf.layer == '1'\n"
                    "assert doc.layers.get('2').dxf.linetype == 'DASHED'\n",
                    {DxfFile()}));
}

}  // namespace
