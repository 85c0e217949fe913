// Every message of the calculation has its explanation in the shipped
// explanation file. ("mat_p_e.dbf: " + name has none: its key, the first 14
// characters, already holds the first letter of the name.)
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "calc_test_support.h"
#include "framework/error_explanations.h"

namespace {

const char* const kCalculationMessages[] = {
    "Fatal  : Database screw head !", "\xE6 tr = 0 !", "Fatal  : no clamp.piece !", "Fatal  : no bolt !",
    "Error  : thread length screw !", "dK = 0! (screw head)", "dw = 0! (screw head)",
    "Fatal  : beta M = 0 ! ", "Fatal  : Rm,M = 0 !", "Fatal  : Re,M = 0 !", "Fatal  : EM = 0 !", "Rm,B = 0 !",
    "Re,B = 0 !", "beta b,B = 0 !", "P = 0 ! ", "Fatal  : elast.mod.bolt=0!", "Fatal  : cross-section bolt=0!",
    "Error  : thread length bolt !", "Warning: den <> d !", "Fatal  : D min bolt = 0 !",
    "Fatal  : d2 bolt = 0 !", "Fatal  : d3 = 0 !", "Fatal  : Re Bolt = 0 !", "Fatal  : n\x81 Rp = 0 !",
    "Fatal  : d bolt = 0 !", "Fatal  : d3 bolt = 0 !", "Fatal  : E-Modul S = 0 !", "Fatal  : d <= Di !",
    "Fatal  : d3 <= Di !", "Warning: di > dw !", "Warning: de < dw !", "Fatal  : da ers = 0 !",
    "Fatal  : elast.mod.clamp.plate 3 = 0 !", "Fatal  : A P i = 0 !", "Fatal  : \xA1 B ers=0 !",
    "Fatal  : elasticity = 0 !", "Fatal  : delta P = 0 !", "Fatal  : \xE8K = 0 !", "Fatal  : alpha A = 0 !",
    "Fatal  : De < Di !  (2)", "Error  : Di < d !  (2)", "Fatal  : Aomin = 0 !", "Fatal  : Aumin = 0 !", "Fatal  : di > dw !",
    "Fatal  : pmax = 0 ! (2", "p perm. clamp.plate 2 ! (S= 0.85)", "Error  : p perm. nut !", "Fatal  : Fp = 0 !",
    "Error  : Sigma a perm. !", "Fatal  : A d3 = 0 !", "Error  : k tau > 1 !", "Fatal  : tau mB = 0 !",
    "Fatal  : tau mM = 0 !", "Fatal  : d tau = 0 !", "Fatal  : A tau B = 0 !", "Fatal  : A tau M = 0 !",
    "Error  : tau BS (VDI) = 0 !", "Error  : mtr<mmin FM (S=0.80)", "Warning: mtr<mmin Rm (S=0.90)",
    "Error  : only 1 clamp.plate (exc.) !", "Fatal  : AD<=0 !", "Fatal  : I BT=0 !", "Fatal  : I B ers=0 !",
    "Fatal  :  \xA1 B ers=0 !", "Error  : I BT/AD + s*u = 0 !", "Fatal  : \xE8" "en = 0 !", "Fatal  : a (exz) = 0 !",
    "Fatal  : l ers = 0 !", "Fatal  : E P = 0 !", "alternat.stress exc.! (S=0.50)", "Error  : SF < 1 !",
    "Error  : dw < di1 !", "alternat.stress! (S=0.70)", "Error  : Sigma a = 0 !", "Error  : Sigma 0 > Rp !",
    "yield point override !", "Error  : LK < l - lG !", "Fatal  : thread depth !", "Error  : thread depth !",
    "Error  : load introd. !", "Error  : FMmax > FM !", "Error  : FK < FKerf (shear.force) !",
    "Error  : FSR<FKreq (FAu) !", "Error  : FAo < FAu !", "Error  : Rp * Ao < FVmax + FSA !", "Error  : FV < 0 !",
    "Error  : FKRo < FK req !", "Error  : FKRu < FK req !", "Warning: exz. FK<FKerf2 !",
    "Error  : exz. FK<FKerf2 disengag.!", "Error  : MAmin > MA !", "Error  : FMzul/al.A > FM\xE6max !",
    "Error  : d nut <> d bolt !", "Warning: slotted countersunk screw", "Warning: hex socket countersunk head",
    "Warning: slotted cheese head screw", "Warning: FSm/F0.2min < 0.3", "Warning: FSm/F0.2min > 1",
    "Error  : FM = f (..,MApre)", "Fatal  : MA <= prevailing torque !", "Error  : torque scatter !", "Error  : MAmin - MApre = 0 !",
    "Error  : FMmin given = 0 !", "Error  : T out of range (800\xF8" "C", "Error  : d out of range (120) MAT_B_SA",
    "Error  : Sigma A (d) = 0 !", "Warning: Re(T) = 0 !", "Error  : ES(T) = 0 !", "Warning: EP(T) = 0 !",
    "Warning: mat_bolt.Re<>mat_b_Re20!", "Warning: mat_bolt.E<>mat_b_E20!", "Warning: mat_p_Re20<>base!",
    "mat_b_re.dbf: 12.9 not found !", "mat_b_e.dbf not found !",
    "Error  : mat_b_e.dbf not found !", "Error  : Aers (pow)", "Fatal  : out of range: FA !",
    "Error  : alpha A < 1, taken as 1 !", "Error  : height of nut = 0 !", "Error  : unknown nut type !",
    "Error  : alpha T of bolt = 0 !", "Error  : alpha T of plate = 0 !", "Fatal  : lG > l !",
    "Fatal  : m tr < 0 (chamfer) !", "Fatal  : no preload (prev. torque) !", "Fatal  : Database nut !",
    "Fatal  : Database material !",
};

TEST(MessageExplanationsTest, EveryCalculationMessageIsExplained) {
  InitCalcTest();
  const std::string file = std::string(BQ4_SOURCE_DIR) + "/data/bq4.err";
  for (const char* message : kCalculationMessages) {
    std::string origin, remedy;
    EXPECT_EQ(LookupExplanation(file, message, origin, remedy), ExplanationLookup::Found) << message;
    EXPECT_FALSE(origin.empty()) << message;
    EXPECT_FALSE(remedy.empty()) << message;
  }
}

// An explanation is found by the first 14 characters of its message, so an
// entry whose key an earlier one holds is never shown: one entry serves all
// the messages that share a key.
TEST(MessageExplanationsTest, EveryEntryIsTheOnlyOneOfItsKey) {
  std::ifstream in(std::string(BQ4_SOURCE_DIR) + "/data/bq4.err", std::ios::binary);
  std::map<std::string, int> keys;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    const auto [at, inserted] = keys.emplace(line.substr(0, kExplanationKeyLength), lineNo);
    EXPECT_TRUE(inserted) << "line " << lineNo << " \"" << line << "\" has the key of line " << at->second;
    for (int skip = 0; skip < 2 && std::getline(in, line); ++skip) ++lineNo;  // origin and remedy
  }
  EXPECT_GT(keys.size(), 100u);
}

}  // namespace
