#include "framework/menu_captions.h"

#include <vector>

#include "framework/file_values.h"
#include "framework/message_box.h"
#include "platform/os.h"

OneBasedArray<std::string, kMenuCaptionCount> MenuCaptions;

namespace {

const char* const kGerman[kMenuCaptionCount] = {
    "Menü",
    "&Datei",
    "&Neu...",
    "Ö&ffnen...",
    "&Speichern...",
    "Speichern &Unter...",
    "&Zurücksetzen",
    "&EDI-Dateien...",
    "E&instellungen",
    "&Beenden",
    "&Info",
    "&Drucken...",
    "Druckereinstellung",
    "&Import",
    "Ex&port",
    "&Bearbeiten",
    "Te&xt",
    "&Quick",
    "&Werkstoff",
    "&Herstellung",
    "&Toleranzen",
    "A&nwendung",
    "&Auslegung",
    "&Vorauslegung",
    "&Nachrechnung",
    "&Berechnungsmethode",
    "&Ansicht",
    "&Standardausdruck",
    "&Standard",
    "&Auszug",
    "Datenban&k",
    "&CAD",
    "&Fertigungszeichnung",
    "&Zeichnung",
    "&Vorderansicht",
    "&Seitenansicht",
    "&Schnitt",
    "&Einfacher Schnitt",
    "D&raufsicht",
    "&Diagramme",
    "&Diagramm",
    "D&okument",
    "&Zeichnungsdaten",
    "Änderungen - &Info",
    "Änderungen - &Ausdruck",
    "&Neue Änderung",
    "Letzte Änderung &bearbeiten",
    "Letzte Änderung &löschen",
    "Dokument &Setup",
    "&Hilfe",
    "&Hilfebild",
    "&Fehlermeldungen",
    "&Sicherheit",
    "&Ausdruck",
    "&Sprache",
    "&Sonstige",
    "&Abmessungen",
    "&Animation",
    "&Tabelle",
    "&Voransicht",
    "&Basisdaten",
};

const char* const kEnglish[kMenuCaptionCount] = {
    "Menu",
    "&File",
    "&New...",
    "&Open...",
    "&Save...",
    "Save &As...",
    "&Reset",
    "&EDI Files...",
    "Se&ttings",
    "E&xit",
    "&Info",
    "&Print...",
    "Printer Setup",
    "&Import",
    "Ex&port",
    "&Edit",
    "Te&xt",
    "&Quick",
    "&Material",
    "&Production",
    "&Tolerance",
    "A&pplication",
    "&Dimensioning",
    "&Pre-Dimensioning",
    "&Recalculation",
    "&Calculation Method",
    "&View",
    "&Standard Printout",
    "&Standard",
    "&Excerpt Printout",
    "&Database",
    "&CAD",
    "&Production drawing",
    "&Drawing",
    "P&rojection",
    "&Side view",
    "Pr&ofile",
    "&Simple profile",
    "&Upper view",
    "&Diagrams",
    "&Diagram",
    "D&ocument",
    "&Drawing data",
    "Modifications - &Info",
    "Modifications - &Printout",
    "Modification - &New",
    "&Edit previous modification",
    "&Delete previous modification",
    "Document &Setup",
    "&Help",
    "&Auxiliary images",
    "&Error messages",
    "&Safety",
    "&Printout",
    "&Language",
    "&Others",
    "&Dimensions",
    "&Animation",
    "&Table",
    "&Preview",
    "&Base Data",
};

void Assign(const char* const texts[kMenuCaptionCount]) {
  for (int row = 1; row <= kMenuCaptionCount; ++row) MenuCaptions[static_cast<std::size_t>(row)] = texts[row - 1];
}

// The language file, read once; nullptr when it cannot be used.
const MenuCaptionTable* LanguageFile(std::string& error) {
  static bool read = false;
  static bool ok = false;
  static MenuCaptionTable table;
  static std::string why;
  if (!read) {
    read = true;
    ok = ReadMenuCaptionFile(MenuCaptionFileName(), table, why);
  }
  error = why;
  return ok ? &table : nullptr;
}

}  // namespace

void InitMenuCaptions() {
  Assign(kGerman);
  Assign(kEnglish);
}

std::string MenuCaptionFileName() { return platform::DataDirectory() + "/menu_captions.txt"; }

bool ReadMenuCaptionFile(const std::string& fileName, MenuCaptionTable& table, std::string& error) {
  std::vector<std::string> lines;
  if (!LoadTextLines(fileName, lines, error, kLargestTextFile)) return false;
  MenuCaptionTable read;  // every string starts empty
  int row = 0;
  int lineNo = 0;
  for (const std::string& line : lines) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    std::array<std::string, kMenuLanguageCount + 1> fields;
    std::size_t count = 0, start = 0;
    for (;;) {
      std::size_t bar = line.find('|', start);
      if (count < fields.size()) fields[count] = line.substr(start, bar == std::string::npos ? bar : bar - start);
      ++count;
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    ++row;
    if (count != fields.size() || fields[0] != std::to_string(row) || row > kMenuCaptionCount) {
      error = "invalid line " + std::to_string(lineNo) + " in " + fileName;
      return false;
    }
    for (int lang = 0; lang < kMenuLanguageCount; ++lang)
      read[static_cast<std::size_t>(lang)][static_cast<std::size_t>(row - 1)] = fields[static_cast<std::size_t>(lang + 1)];
  }
  if (row != kMenuCaptionCount) {
    error = "file " + fileName + " holds " + std::to_string(row) + " of " + std::to_string(kMenuCaptionCount) + " rows";
    return false;
  }
  table = read;
  return true;
}

void SetMenuLanguage(Word language) {
  if (language < 1 || language > kMenuLanguageCount) return;
  std::string error;
  const MenuCaptionTable* file = LanguageFile(error);
  if (!file) {
    if (language == kLanguageGerman) Assign(kGerman);
    else if (language == kLanguageEnglish) Assign(kEnglish);
    else {
      ShowTraceMessage(error);
      AbortFlag = 1;
    }
    return;
  }
  const auto& texts = (*file)[static_cast<std::size_t>(language - 1)];
  for (int row = 1; row <= kMenuCaptionCount; ++row) {
    const std::string& text = texts[static_cast<std::size_t>(row - 1)];
    if (!text.empty()) MenuCaptions[static_cast<std::size_t>(row)] = text;
  }
}
