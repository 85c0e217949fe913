#include "app/menu_texts.h"

OneBasedArray<std::string, kProductTextCount> ProductTexts;

namespace {

struct ProductTextRow {
  const char* german;
  const char* english;
  const char* french;
  const char* korean;
};

// In the order of TProductText; trailing blanks belong to the texts.
const ProductTextRow kRows[kProductTextCount] = {
    {"Anzieh&verfahren", "&Tightening", "Procédé de serrage", "죔(&T)"},
    {"Anzieh&werkzeug ", "Tightening T&ool", "outil de serrage", "죔공구(&o)"},
    {"B&etriebszustand erf. ", "Working Cond. reqd.", "Etat de fonctionnement nécessaire", "필요한작업조건"},
    {"Betriebszustand &max. ", "Working Cond. max.", "Etat de fonctionnement max.", "최대작업조건"},
    {"Betriebszustand m&in.", "Working Cond. min.", "Working Cond. min.", "Working Cond. min."},
    {"E&xz.Kraftangriff", "&Eccentr.Applic. ", "Exz.Application de la charge", "편심적용(&E) "},
    {"&F-alpha-Diagramm", "&F-alpha-Diagram", "F-alpha-Diagramme", "F-Alpha선도(&F)"},
    {"Flans&ch", "F&lange", "Bride", "플랜지(&l)"},
    {"FM-MA-D&iagramm", "FM-MA-D&iagram", "FM-MA-Diagramme", "FM-MA선도(&i)"},
    {"&Gewinde", "&Thread", "filet", "나사(&T)"},
    {"Gewinde&reibung", "&Friction Thread", "Filet de friction", "나사마찰(&F)"},
    {"&Klemmstücke", "Clamping &Plates ", "Disque d'intercalage", "클램핑플레이트(&P) "},
    {"Kopf&reibung", "Friction &Head  ", "tête de friction", "헤드마찰(&H)  "},
    {"&Last", "&Load ", "Charge", "하중(&L) "},
    {"M-&alpha-Diagramm", "&M-alpha-Diagram", "M-alpha-Diagramme", "M-Alpha선도(&M)"},
    {"&Montagezustand", "&Assembly Condition", "Etat de montage", "어셈블리조건(&A)"},
    {"M&ontagezustand erf.", "Assembly Cond. re&qd.", "Etat de montage nécessaire", "필요한 어셈블리조건(&q)"},
    {"&Mutter", "&Nut", "Ecrou", "너트(&N)"},
    {"&Muttern", "&Nuts", "Ecrous", "너트들(&N)"},
    {"&Reibung", "&Friction", "Friction", "마찰(&F)"},
    {"S&cheiben", "&Washers", "Disque", "와셔(&W)"},
    {"&Schraube", "&Bolt", "Vis", "보울트(&B)"},
    {"Schrauben&kopf", "&Screw Head", "tête de vis", "스크루헤드(&S)"},
    {"Schrauben&länge", "&Bolt Length", "Vis longue", "보울트길이(&B)"},
    {"&Temperatur", "&Temperature", "Température", "온도(&T)"},
    {"Trennfl&ächenreibung", "Friction &Mating Surface", "surface de coupe de friction ", "경계면 마찰(&M)"},
    {"&Untersicht", "&Lower View", "Vue d'en bas", "배면도(&L)"},
    {"&Verspannungsschaubild", "&Load-Extension Diagram", "Diagramme de tension d'alimentation", "하중-신장 선도(&L)"},
    {"Werkstoff &Platten/Mutter", "M&aterial Plates/Nut", "matière Disque", "플레이트/너트소재(&a)"},
    {"Werkstoff Sch&raube", "&Material Bolt ", "Matière Bol.", "보울트소재(&M) "},
    {"Tabellen&zeichnung", "&Table Drawing", "Dessin", "테이블도면(&T)"},
    {"&Kräfte", "&Load", "&Forces", "하중(&L)"},
    {"Berechnungsdo&kument (PDF)...", "Calculation &Document (PDF)...", "Calculation &Document (PDF)...",
     "Calculation &Document (PDF)..."},
};

}  // namespace

void SetProductMenuTexts(Word language) {
  for (int i = 0; i < kProductTextCount; ++i) {
    const ProductTextRow& row = kRows[i];
    const char* text = nullptr;
    switch (language) {
      case 1: text = row.german; break;
      case 2: text = row.english; break;
      case 3: text = row.french; break;
      case 8: text = row.korean; break;
      default: return;
    }
    ProductTexts[static_cast<std::size_t>(i + 1)] = text;
  }
}

void InitMenuTexts() { SetProductMenuTexts(2); }
