#include "app/calculation_document.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/command_line.h"
#include "app/document_layout.h"
#include "app/drawing_commands.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/startup.h"
#include "cad/load_extension_diagrams.h"
#include "calc/designation.h"
#include "calc/input_listing.h"
#include "calc/joint_records.h"
#include "calc/report.h"
#include "framework/calc_messages.h"
#include "framework/change_history.h"
#include "framework/charset.h"
#include "framework/display_list.h"
#include "framework/drawing.h"
#include "framework/drawing_info.h"
#include "framework/error_explanations.h"
#include "framework/file_utils.h"
#include "framework/forms/graph_window.h"
#include "framework/globals.h"
#include "framework/graph_replay.h"
#include "framework/graph_transform.h"
#include "framework/message_box.h"
#include "framework/text_output.h"
#include "framework/text_utils.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"

namespace {

// A4 portrait, 15 mm margins; the header and the foot take their bands
// inside the margins.
constexpr double kPageWidthMm = 210;
constexpr double kPageHeightMm = 297;
constexpr double kMarginMm = 15;
constexpr double kHeaderBandMm = 12;
constexpr double kFootBandMm = 10;
constexpr int kResolution = 1200;  // painter units per inch
constexpr const char* kSansFamily = "DejaVu Sans";
constexpr const char* kMonoFamily = "DejaVu Sans Mono";

double Mm(double mm) { return mm * kResolution / 25.4; }

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()); }

QFont Font(const char* family, double points, bool bold = false) {
  QFont f(QString::fromLatin1(family));
  f.setPointSizeF(points);
  f.setBold(bold);
  // No ligatures: "fi" in "friction" stays two letters that a search finds.
  f.setStyleStrategy(QFont::PreferNoShaping);
  return f;
}

// Why the last calculation document was not written: the window shows it, a
// batch run names it in its one line about the document.
std::string g_documentFailure;

void DocumentFails(const std::string& pdfPath, const std::string& reason) {
  g_documentFailure = reason;
  AbortFlag = 1;
  if (!platform::BatchMode()) ShowTraceMessage(pdfPath + " cannot be written: " + reason);
}

// What a text output routine wrote, as UTF-8 lines: the routine writes on
// the TAB-separated device into a temporary file, which is removed again.
// A text that could not be stored (a full disk, the file-size limit) sets
// failure.
std::vector<std::string> CapturedTextOutput(const std::function<void()>& write, std::string& failure) {
  const Word device = TextDevice;
  const Byte ask = AskTextDevice;
  // One decimal sign in the document, that of every printed number: the
  // table rows keep it rather than take the spreadsheet's.
  const Word rowDecimals = DecimalMode;
  TextDevice = kDeviceTxt;
  AskTextDevice = 0;
  DecimalMode = DecimalCommaMode == 2 ? 2 : 1;
  OutputFileName.clear();
  write();
  TextDevice = device;
  AskTextDevice = ask;
  DecimalMode = rowDecimals;
  std::vector<std::string> lines;
  if (OutputFileName.empty()) return lines;
  const std::string source = OutputFileName;
  const bool read = ReadTextFileLines(source, lines);
  DeleteTextFile(source);
  // The layer's UTF-8 copy of the same output.
  DeleteTextFile(ExtractDirPart(source) + "$$" + std::to_string(TxtFileCounter) + ".txt");
  if (!read) {
    failure = "its text cannot be stored in the temporary folder (disk full?)";
    AbortFlag = 1;
    lines.clear();
  }
  for (auto& line : lines) line = OemToUtf8(line);
  return lines;
}

// A figure of the document: the display list of one drawing or diagram.
struct Figure {
  std::string title;
  TDisplayList list;
  bool trueScale = false;
};

// Draws with the device's command onto the screen device and keeps its
// display list; an empty list (nothing drawn, or the drawing refused) is
// not kept.
bool RecordFigure(const std::function<void()>& draw, Figure& figure) {
  AbortFlag = 0;
  draw();
  const bool drawn = !AbortFlag && CreateDisplayList()->size() > 0;
  AbortFlag = 0;
  if (drawn) figure.list = *CreateDisplayList();
  return drawn;
}

bool HasPreloadStatistics() {
  const MONTAGETYPE& m = Montage;
  return m.DeltaFMlow * m.DeltaFMlow + m.DeltaFMrest * m.DeltaFMrest > 0 && m.sigmaFactor > 0;
}

std::vector<Figure> RecordFigures() {
  std::vector<Figure> figures;
  const auto add = [&figures](const char* title, bool trueScale, const std::function<void()>& draw) {
    Figure f{title, {}, trueScale};
    if (RecordFigure(draw, f)) figures.push_back(std::move(f));
  };
  add("Joint drawing (front section)", true, [] { RunDrawBoltedJoint(1, kCadScreen); });
  add("Load-extension diagram", false, [] { RunDiagramCommand(kDiagramLoadExtension, kCadScreen); });
  add("Tightening diagram (M-alpha)", false, [] { RunDiagramCommand(kDiagramTorqueAngle, kCadScreen); });
  if (HasPreloadStatistics())
    add("Preload statistics", false, [] { RunDiagramCommand(kDiagramPreloadStatistics, kCadScreen); });
  return figures;
}

// The print settings a replay reads, put back when the document is done.
struct ReplaySettings {
  TGraphWindowState window = SaveGraphWindowState();
  Extended scaleX = PrintScaleX, scaleY = PrintScaleY;
  int originX = PrintOriginX, originY = PrintOriginY;
  Byte border = PrintBorder;
  bool printing = PrintingGraphics;
  Byte toPrinter = PrintingToPrinter;
  ~ReplaySettings() {
    RestoreGraphWindowState(window);
    PrintScaleX = scaleX, PrintScaleY = scaleY;
    PrintOriginX = originX, PrintOriginY = originY;
    PrintBorder = border;
    PrintingGraphics = printing;
    PrintingToPrinter = toPrinter;
  }
};

// Replays the list onto a page of width x height painter units (canvas may
// be null: only the window state follows the list). Every window record is
// shown whole, unzoomed, with equal scales in x and y.
void ReplayOnPage(const TDisplayList& list, double width, double height, TGraphCanvas* canvas) {
  PrintScaleX = PrintScaleY = 1;
  PrintOriginX = PrintOriginY = 0;
  PrintBorder = 0;
  PrintingGraphics = true;
  PrintingToPrinter = 1;
  KeepAspect = true;
  DisplayAspect = width / height;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TGraphRecord* r = list.Record(i);
    if (!r || r->code != gcSetWindow) continue;
    ZoomX1 = NInt(r->v[0]), ZoomY1 = NInt(r->v[1]), ZoomX2 = NInt(r->v[2]), ZoomY2 = NInt(r->v[3]);
  }
  const TPrinterPage page{static_cast<int>(width), static_cast<int>(height)};
  ReplayDisplayList(list, list.size(), nullptr, canvas, page);
}

// Painter units per world unit, and the box of the world window, after a
// replay on a page of width x height.
struct PageFit {
  double perUnit = 0;
  QRectF world;
};

PageFit FitOnPage(double width, double height) {
  const double perX = width / (HorizontalPixels ? HorizontalPixels : 1);
  const double perY = height / (VerticalPixels ? VerticalPixels : 1);
  PageFit fit;
  fit.perUnit = perX * ScaleX;
  const double x1 = perX * ((WorldXMin - VisibleXMin) * ScaleX + ViewX1);
  const double x2 = perX * ((WorldXMax - VisibleXMin) * ScaleX + ViewX1);
  const double y1 = perY * (ViewY2 - (WorldYMax - VisibleYMin) * ScaleY);
  const double y2 = perY * (ViewY2 - (WorldYMin - VisibleYMin) * ScaleY);
  fit.world = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
  return fit;
}

// Paints the figure centred in box; a true-scale figure at the largest
// standard scale that fits, returned (0 for the others). drawn: the box of
// the figure's world window on the page.
double PaintFigure(QPainter& p, const Figure& f, const QRectF& box, QRectF& drawn) {
  ReplaySettings keep;
  ReplayOnPage(f.list, box.width(), box.height(), nullptr);
  PageFit fit = FitOnPage(box.width(), box.height());
  double factor = 1, scale = 0;
  if (f.trueScale && fit.perUnit > 0) {
    const double fitScale = fit.perUnit / Mm(1);  // paper mm per drawing mm
    scale = StandardDrawingScale(fitScale);
    factor = scale / fitScale;
  }
  const double width = box.width() * factor, height = box.height() * factor;
  ReplayOnPage(f.list, width, height, nullptr);
  fit = FitOnPage(width, height);
  p.save();
  p.setClipRect(box);
  const QPointF shift = box.center() - fit.world.center();
  drawn = fit.world.translated(shift);
  p.translate(shift);
  auto canvas = MakePainterCanvas(p);
  ReplayOnPage(f.list, width, height, canvas.get());
  p.restore();
  return scale;
}

// One block of the document: its height and how it is painted at a point.
struct Block {
  TLayoutBlock layout;
  std::function<void(QPainter&, QPointF)> paint;
};

class DocumentBuilder {
 public:
  explicit DocumentBuilder(QPaintDevice* device) : device_(device) {}

  double Width() const { return Mm(kPageWidthMm - 2 * kMarginMm); }
  double Height() const { return Mm(kPageHeightMm - 2 * kMarginMm - kHeaderBandMm - kFootBandMm); }
  double LineHeight(const QFont& f) const { return QFontMetricsF(f, device_).lineSpacing(); }

  void Add(double height, std::function<void(QPainter&, QPointF)> paint, bool newPage = false,
           bool keepWithNext = false) {
    blocks_.push_back({{height, newPage, keepWithNext}, std::move(paint)});
  }

  void Space(double mm) { Add(Mm(mm), [](QPainter&, QPointF) {}); }

  // A section title, on a new page when asked; listed in the contents.
  void Title(const std::string& text, bool newPage) {
    sections_.push_back({text, blocks_.size()});
    const QFont f = Font(kSansFamily, 13, true);
    const double h = LineHeight(f) * 1.6;
    Add(h, [f, text, this](QPainter& p, QPointF at) {
      p.setFont(f);
      p.drawText(QRectF(at, QSizeF(Width(), LineHeight(f))), Qt::AlignLeft | Qt::AlignVCenter, Q(text));
    }, newPage, true);
  }

  // Text wrapped to the width, indented by indentMm.
  void Paragraph(const QString& text, const QFont& f, double indentMm = 0, bool keepWithNext = false) {
    const double width = Width() - Mm(indentMm);
    const QRectF bound = QFontMetricsF(f, device_).boundingRect(QRectF(0, 0, width, 1e9),
                                                                Qt::TextWordWrap | Qt::AlignLeft, text);
    const double h = std::max(bound.height(), LineHeight(f));
    Add(h, [f, text, width, indentMm](QPainter& p, QPointF at) {
      p.setFont(f);
      p.drawText(QRectF(at + QPointF(Mm(indentMm), 0), QSizeF(width, 1e9)), Qt::TextWordWrap | Qt::AlignLeft,
                 text);
    }, false, keepWithNext);
  }

  // A label and its value beside it, wrapped.
  void LabelledRow(const std::string& label, const std::string& value, const QFont& labelFont,
                   const QFont& valueFont) {
    const double column = Mm(42);
    const QString text = Q(value);
    const QRectF bound = QFontMetricsF(valueFont, device_).boundingRect(
        QRectF(0, 0, Width() - column, 1e9), Qt::TextWordWrap | Qt::AlignLeft, text);
    const double h = std::max(bound.height(), LineHeight(labelFont)) + Mm(2);
    Add(h, [this, label, text, labelFont, valueFont, column](QPainter& p, QPointF at) {
      p.setFont(labelFont);
      p.drawText(QRectF(at, QSizeF(column, LineHeight(labelFont))), Qt::AlignLeft | Qt::AlignBottom, Q(label));
      p.setFont(valueFont);
      p.drawText(QRectF(at + QPointF(column, 0), QSizeF(Width() - column, 1e9)), Qt::TextWordWrap | Qt::AlignLeft,
                 text);
    });
  }

  void MonoLine(const std::string& text) {
    const QFont f = Font(kMonoFamily, 9);
    Add(LineHeight(f), [f, text](QPainter& p, QPointF at) {
      p.setFont(f);
      p.drawText(at + QPointF(0, QFontMetricsF(f, p.device()).ascent()), Q(text));
    });
  }

  void ReportLine(const TReportLine& r) {
    const QFont plain = Font(kSansFamily, 8.5), bold = Font(kSansFamily, 9, true);
    switch (r.kind) {
      case TReportLine::kBlank: Space(2.5); break;
      case TReportLine::kHeading: Paragraph(Q(r.cells.front()), bold, 0, true); break;
      case TReportLine::kRow: {
        const double h = LineHeight(plain) * 1.1;
        Add(h, [this, plain, r, h](QPainter& p, QPointF at) {
          p.setFont(plain);
          const auto cell = [&](double x, double w, const std::string& t, Qt::Alignment a) {
            p.drawText(QRectF(at.x() + Mm(x), at.y(), Mm(w), h), a | Qt::AlignVCenter, Q(TrimRightText(t)));
          };
          cell(2, 88, r.cells[0], Qt::AlignLeft);
          cell(92, 32, r.cells[1], Qt::AlignLeft);
          cell(126, 24, r.cells[2], Qt::AlignLeft);
          cell(150, 30, r.cells[3], Qt::AlignRight);
          p.setPen(QPen(QColor(200, 200, 200), 0));
          p.drawLine(QPointF(at.x(), at.y() + h), QPointF(at.x() + Width(), at.y() + h));
          p.setPen(Qt::black);
        });
        break;
      }
      case TReportLine::kTableRow: {
        const double h = LineHeight(plain) * 1.1;
        const QFont font = r.cells.front() == "i" ? Font(kSansFamily, 8.5, true) : plain;
        Add(h, [this, font, r, h](QPainter& p, QPointF at) {
          p.setFont(font);
          const double first = Mm(12);
          const std::size_t n = r.cells.size();
          const double w = n > 1 ? (Width() - first) / static_cast<double>(n - 1) : Width();
          for (std::size_t i = 0; i < n; ++i) {
            const double x = i == 0 ? 0 : first + w * static_cast<double>(i - 1);
            p.drawText(QRectF(at.x() + x + Mm(2), at.y(), (i == 0 ? first : w) - Mm(2), h),
                       Qt::AlignLeft | Qt::AlignVCenter, Q(TrimRightText(r.cells[i])));
          }
        });
        break;
      }
    }
  }

  // A figure with its title: a drawing on a page of its own, a diagram on
  // half a page.
  void FigureBlock(const Figure& f, bool newPage) {
    sections_.push_back({f.title, blocks_.size()});
    const QFont titleFont = Font(kSansFamily, 13, true), scaleFont = Font(kSansFamily, 10);
    const double titleHeight = LineHeight(titleFont) * 1.6;
    const double height = f.trueScale ? Height() : Height() / 2;
    Add(height, [this, f, titleFont, scaleFont, titleHeight, height](QPainter& p, QPointF at) {
      p.setFont(titleFont);
      p.drawText(QRectF(at, QSizeF(Width(), LineHeight(titleFont))), Qt::AlignLeft | Qt::AlignVCenter,
                 Q(f.title));
      const double scaleBand = f.trueScale ? LineHeight(scaleFont) * 2 : 0;
      const QRectF box(at + QPointF(0, titleHeight), QSizeF(Width(), height - titleHeight - scaleBand - Mm(3)));
      QRectF drawn;
      const double scale = PaintFigure(p, f, box, drawn);
      if (scale > 0) {
        // The scale under the drawing's frame, at its right end.
        p.setFont(scaleFont);
        p.setPen(Qt::black);
        p.drawText(QRectF(at.x(), drawn.bottom(), drawn.right() - at.x(), scaleBand), Qt::AlignRight | Qt::AlignVCenter,
                   Q("Scale " + DrawingScaleText(scale)));
      }
    }, newPage);
  }

  // The sections with their pages, put in at block `at` (on the first page).
  void InsertContents(std::size_t at) {
    for (auto& section : sections_)
      if (section.second >= at) ++section.second;
    const QFont head = Font(kSansFamily, 10, true), plain = Font(kSansFamily, 10);
    const double line = LineHeight(plain) * 1.2;
    Block contents{{line * static_cast<double>(sections_.size() + 1), false, false},
                   [this, head, plain, line](QPainter& p, QPointF at) {
                     p.setFont(head);
                     p.drawText(QRectF(at, QSizeF(Width(), line)), Qt::AlignLeft | Qt::AlignVCenter, "Contents");
                     p.setFont(plain);
                     double y = at.y() + line;
                     for (const auto& [title, block] : sections_) {
                       const QRectF row(at.x() + Mm(42), y, Width() - Mm(42), line);
                       p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, Q(title));
                       p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, QString::number(pages_[block] + 1));
                       y += line;
                     }
                   }};
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(at), std::move(contents));
  }

  std::size_t BlockCount() const { return blocks_.size(); }

  // The pages with their header and foot; false when a page cannot begin.
  bool Paint(QPainter& p, QPdfWriter& writer, const std::string& headerLeft, const std::string& headerMiddle,
             const std::string& headerRight) {
    std::vector<TLayoutBlock> layout;
    for (const auto& b : blocks_) layout.push_back(b.layout);
    pages_ = PaginateBlocks(layout, Height());
    const std::vector<int>& pages = pages_;
    const int total = pages.empty() ? 1 : pages.back() + 1;
    const double top = Mm(kMarginMm + kHeaderBandMm);
    double y = top;
    int page = 0;
    PaintFrame(p, page + 1, total, headerLeft, headerMiddle, headerRight);
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
      if (pages[i] != page) {
        if (!writer.newPage()) return false;
        page = pages[i];
        y = top;
        PaintFrame(p, page + 1, total, headerLeft, headerMiddle, headerRight);
      }
      p.setPen(Qt::black);
      p.setBrush(Qt::NoBrush);
      blocks_[i].paint(p, QPointF(Mm(kMarginMm), y));
      y += blocks_[i].layout.height;
    }
    return true;
  }

 private:
  void PaintFrame(QPainter& p, int page, int total, const std::string& left, const std::string& middle,
                  const std::string& right) {
    const QFont f = Font(kSansFamily, 8);
    p.save();
    p.setFont(f);
    p.setPen(Qt::black);
    const QRectF header(Mm(kMarginMm), Mm(kMarginMm), Width(), Mm(kHeaderBandMm - 5));
    p.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, Q(left));
    p.drawText(header, Qt::AlignHCenter | Qt::AlignVCenter, Q(middle));
    p.drawText(header, Qt::AlignRight | Qt::AlignVCenter, Q(right));
    p.setPen(QPen(Qt::black, Mm(0.2)));
    p.drawLine(header.bottomLeft(), header.bottomRight());
    const double footTop = Mm(kPageHeightMm - kMarginMm - kFootBandMm + 4);
    p.drawLine(QPointF(Mm(kMarginMm), footTop), QPointF(Mm(kMarginMm) + Width(), footTop));
    p.drawText(QRectF(Mm(kMarginMm), footTop, Width(), Mm(kFootBandMm - 4)), Qt::AlignHCenter | Qt::AlignVCenter,
               Q("page " + std::to_string(page) + " of " + std::to_string(total)));
    p.restore();
  }

  QPaintDevice* device_;
  std::vector<Block> blocks_;
  std::vector<int> pages_;  // of every block, once paginated
  std::vector<std::pair<std::string, std::size_t>> sections_;  // title and its block
};

std::string Trimmed(const std::string& oem) { return OemToUtf8(TrimRightText(oem)); }

// The joint in one line: bolt, nut or tapped part, plates.
std::string JointLine() {
  std::string line = OemToUtf8(BoltDesignation());
  if ((Schraube.BoltType == 1 || Schraube.BoltType == 2) && Schraube.HeadType >= 1 && Schraube.HeadType <= 8)
    line = Trimmed(HeadKindNames[Schraube.HeadType].str()) + " " + line;
  if (Verbindung.JointKind == kJointWithNut && Mutter.NutType >= 1 && Mutter.NutType <= 4)
    line += "; " + Trimmed(NutKindNames[Mutter.NutType].str()) + " " + Trimmed(NutStandardText());
  else if (Verbindung.JointKind == kJointTapped)
    line += "; tapped hole in " + Trimmed(MatMutter.Name.str());
  const int n = Klemmstuecke.nPlates <= kMaxPlates ? Klemmstuecke.nPlates : kMaxPlates;
  line += "; " + std::to_string(n) + (n == 1 ? " plate" : " plates");
  std::string materials;
  for (int i = 1; i <= n; ++i) {
    const std::string m = Trimmed(Klemmstuecke.Material[static_cast<std::size_t>(i)].str());
    if (!m.empty() && materials.find(m) == std::string::npos) materials += (materials.empty() ? "" : ", ") + m;
  }
  if (!materials.empty()) line += " (" + materials + ")";
  return line;
}

std::vector<std::string> MessageTexts() {
  std::vector<std::string> texts;
  for (std::size_t i = 1; i <= CalcMessages.count && i <= kCalcMessageSlots; ++i)
    texts.push_back(OemToUtf8(CalcMessages.texts[i].str()));
  return texts;
}

std::string ProjectFileName() {
  const std::string file = CurrentProjectFile();
  return file.substr(ExtractDirPart(file).size());
}

void TitlePage(DocumentBuilder& doc) {
  const QFont big = Font(kSansFamily, 18, true), label = Font(kSansFamily, 10, true),
              value = Font(kSansFamily, 10), verdict = Font(kSansFamily, 14, true);
  doc.Paragraph(Q("Calculation Document"), big);
  doc.Paragraph(Q(OemToUtf8(ProgTitle.str()) + " V" + ProgVersion), value);
  doc.Space(8);
  const auto row = [&doc, &label, &value](const std::string& name, const std::string& text) {
    doc.LabelledRow(name, text.empty() ? "-" : text, label, value);
  };
  row("Project file", ProjectFileName());
  row("Drawing number", Trimmed(DrawingNumber.str()));
  std::string name = Trimmed(DrawingName.str());
  const std::string name2 = Trimmed(DrawingName2.str());
  if (!name2.empty()) name += (name.empty() ? "" : " ") + name2;
  row("Drawing name", name);
  std::string change;
  if (ChangeCount > 0 && ChangeCount <= kMaxChanges) {
    const TChangeRecord& c = Changes[ChangeCount];
    change = ChangeIndexText(ChangeCount) + "  " + Trimmed(c.Change.str()) + "  " + Trimmed(c.Date.str());
  }
  row("Change index", change);
  for (const auto& h : HeaderLines)
    if (!TrimRightText(h.str()).empty()) row("Header line", Trimmed(h.str()));
  row("Guideline", VdiEditionText(CalcOptions.VdiEdition));
  row("Joint", JointLine());
  doc.Space(6);
  doc.LabelledRow("Verdict", VerdictText(CountMessages(MessageTexts())), verdict, verdict);
}

void MessagesSection(DocumentBuilder& doc) {
  doc.Title("REMARKS, WARNINGS AND ERROR MESSAGES", true);
  const QFont bold = Font(kSansFamily, 9.5, true), plain = Font(kSansFamily, 9);
  if (CalcMessages.count == 0) {
    doc.Paragraph(Q("The calculation gave no messages."), plain);
    return;
  }
  const std::vector<std::string> texts = MessageTexts();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string origin, remedy;
    ExplanationOrigin(static_cast<int>(i + 1), origin);
    ExplanationRemedy(static_cast<int>(i + 1), remedy);
    doc.Paragraph(Q(texts[i]), bold, 0, true);
    doc.Paragraph(Q("Origin: " + (origin.empty() ? std::string("-") : OemToUtf8(origin))), plain, 6, true);
    doc.Paragraph(Q("Remedy: " + (remedy.empty() ? std::string("-") : OemToUtf8(remedy))), plain, 6);
    doc.Space(3);
  }
}

// Paints every page into the writer's buffer.
bool PaintDocument(DocumentBuilder& doc, QPdfWriter& writer) {
  QPainter p;
  if (!p.begin(&writer)) return false;
  const std::string left = OemToUtf8(ProgTitle.str()) + " V" + ProgVersion;
  const bool painted = doc.Paint(p, writer, left, ProjectFileName(), TodayText());
  return p.end() && painted;
}

// Writes the bytes to the file and closes it; the system's reason when that
// fails (a full disk, the file-size limit), empty when it is stored.
std::string WriteAndClose(int fd, const QByteArray& bytes) {
  std::string reason;
  for (qsizetype at = 0; at < bytes.size() && reason.empty();) {
    const ssize_t n = ::write(fd, bytes.constData() + at, static_cast<std::size_t>(bytes.size() - at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) reason = std::strerror(n < 0 ? errno : ENOSPC);
    else at += n;
  }
  if (::close(fd) != 0 && reason.empty()) reason = std::strerror(errno);
  return reason;
}

}  // namespace

bool WriteCalculationDocument(const std::string& pdfPath) {
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return false;
  }
  AbortFlag = 0;
  g_documentFailure.clear();
  std::string failure;
  const std::vector<std::string> report = CapturedTextOutput([] { WritePrintout(); }, failure);
  if (!failure.empty()) {
    DocumentFails(pdfPath, failure);
    return false;
  }
  if (AbortFlag || report.empty()) {
    if (!AbortFlag) ShowTraceMessage("the report of the joint is empty");
    AbortFlag = 1;
    return false;
  }
  const std::vector<std::string> listing =
      CapturedTextOutput([] { WriteInputListing(kDeviceConfigured); }, failure);
  if (!failure.empty()) DocumentFails(pdfPath, failure);
  if (AbortFlag) return false;
  const std::vector<Figure> figures = RecordFigures();

  // Painted into a file of its own beside the target and renamed over it: a
  // reader sees the old document or the new one. It is made from the
  // project, so it is not synced.
  const bool replace = ReplacesThroughTemporary(pdfPath);
  const std::string temporary = replace ? TemporaryNameBeside(pdfPath) : pdfPath;
  // The file is opened by its bytes: a name that is no UTF-8 would not
  // survive the way through a QString. The document is painted in memory
  // and written here, so that a failed write is told with its reason.
  const int fd = temporary.empty() ? -1 : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    DocumentFails(pdfPath, temporary.empty() ? "no temporary name beside it" : std::strerror(errno));
    if (replace && !temporary.empty()) DiscardTemporaryFile(temporary);
    return false;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(kResolution);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  writer.setCreator(Q(OemToUtf8(ProgTitle.str()) + " V" + ProgVersion));
  writer.setTitle(Q("Calculation Document " + ProjectFileName()));

  DocumentBuilder doc(&writer);
  TitlePage(doc);
  doc.Space(10);
  const std::size_t contents = doc.BlockCount();
  doc.Title("Input listing", true);
  const std::size_t first = FirstBodyLine(listing);
  for (std::size_t i = first; i < listing.size(); ++i) doc.MonoLine(listing[i]);
  doc.Title("Report", true);
  for (const auto& r : ReportLinesForDocument(report)) doc.ReportLine(r);
  MessagesSection(doc);
  bool firstDiagram = true;
  for (const auto& f : figures) {
    doc.FigureBlock(f, f.trueScale || firstDiagram);
    if (!f.trueScale) firstDiagram = false;
  }

  doc.InsertContents(contents);

  const bool painted = PaintDocument(doc, writer);
  buffer.close();
  const std::string written = WriteAndClose(fd, buffer.data());
  const std::string reason = !painted ? "the document cannot be painted" : written;
  if (!reason.empty() && replace) DiscardTemporaryFile(temporary);
  if (!reason.empty() || (replace && !CommitFile(temporary, pdfPath, platform::ReplaceSync::Derived))) {
    DocumentFails(pdfPath, reason.empty() ? "it cannot be put in place" : reason);
    return false;
  }
  return true;
}

int RunBatchPdf(const std::string& projectPath) {
  const int loaded = LoadBatchProject(projectPath);
  if (loaded != kExitOk) return loaded;
  const std::string pdf = CurrentFileName + ".pdf";
  const bool written = WriteCalculationDocument(pdf);
  if (BatchTableDataMissing(projectPath, pdf)) return kExitLoadFailed;
  if (!written) {
    const std::string reason = g_documentFailure.empty() ? "" : ": " + g_documentFailure;
    std::fprintf(stderr, "the calculation document %s cannot be written%s\n", pdf.c_str(), reason.c_str());
    return kExitLoadFailed;
  }
  return kExitOk;
}

int RunBatchPdfProjects(const std::vector<std::string>& params) {
  // The batch loop of every mode, with the window's modules reset as well.
  BatchPdfRun = RunBatchPdf;
  BatchWindowModulesInit = InitWindowModules;
  platform::SetBatchMode(true);
  SetFileErrorHandler(nullptr);  // the batch run names a file error on stderr itself
  return RunBatchCommand(ReadBatchCommand(params));
}

void Thh::mi_fileCalcDocumentClick() {
  AbortFlag = 0;
  if (CalcFatalFlag) {
    ShowCalculationMessages();
    return;
  }
  // Beside the project, named after it.
  const std::string project = CurrentFilePath();
  std::string dir = ExtractDirPart(project);
  if (dir.empty()) dir = CurrentDir.empty() ? "." : AddBackslash(CurrentDir);
  platform::FileDialogRequest request;
  request.title = "Calculation Document (PDF)";
  request.directory = dir;
  request.fileName = CurrentProjectName() + ".pdf";
  request.patterns = {"*.pdf"};
  std::string chosen;
  if (!platform::AskSaveFile(request, chosen)) return;
  if (!HasFileExtension(chosen, "pdf")) chosen += ".pdf";
  ConfirmOverwrite(chosen);
  if (AbortFlag) return;
  // The document draws its figures through the window's list: the window
  // shows what it showed before.
  const TDisplayList shown = *CreateDisplayList();
  const TGraphWindowState state = SaveGraphWindowState();
  platform::ShowBusyCursor();
  const bool written = WriteCalculationDocument(chosen);
  platform::ShowArrowCursor();
  *CreateDisplayList() = shown;
  RestoreGraphWindowState(state);
  FormPaint();
  if (written) ShowMessageText(chosen + " has been created.");
}
