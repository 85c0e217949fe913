// Reads IGES files with an independent CAD kernel: each must load, and every
// root entity must transfer to a shape, together a non-empty, valid one,
// without fail messages. Prints one line per file with its entity and root
// counts and exits 1 when any file fails.
#include <BRepCheck_Analyzer.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESData_IGESModel.hxx>
#include <Interface_CheckIterator.hxx>
#include <Interface_CheckTool.hxx>
#include <Interface_Check.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>

#include <iostream>
#include <string>

namespace {

// The first fail text of a check list, or an empty string; warnings are shown.
std::string FirstFail(const Interface_CheckIterator& checks, const char* path) {
  std::string fail;
  Interface_CheckIterator it = checks;
  for (it.Start(); it.More(); it.Next()) {
    const Handle(Interface_Check)& check = it.Value();
    for (Standard_Integer i = 1; i <= check->NbWarnings(); ++i)
      std::cout << "warn " << path << ": " << check->CWarning(i) << "\n";
    if (fail.empty() && check->HasFailed()) fail = check->CFail(1);
  }
  return fail;
}

struct Counts {
  int entities = 0, roots = 0, transferred = 0, edges = 0;
};

// Empty when the file reads as a valid shape, else what failed.
std::string Failure(const char* path, Counts& n) {
  IGESControl_Reader reader;
  if (reader.ReadFile(path) != IFSelect_RetDone) return "not read";
  n.entities = reader.Model()->NbEntities();
  std::string fail = FirstFail(Interface_CheckTool(reader.Model()).CompleteCheckList(), path);
  if (!fail.empty()) return "load: " + fail;
  // Root by root: a root that gives no shape is lost without a fail message.
  n.roots = reader.NbRootsForTransfer();
  for (int i = 1; i <= n.roots; ++i) {
    const int before = reader.NbShapes();
    if (reader.TransferOneRoot(i) && reader.NbShapes() > before) ++n.transferred;
  }
  fail = FirstFail(reader.WS()->TransferReader()->TransientProcess()->CheckList(Standard_False), path);
  if (!fail.empty()) return "transfer: " + fail;
  if (n.transferred != n.roots)
    return "transfer: " + std::to_string(n.roots - n.transferred) + " of " + std::to_string(n.roots) + " roots give no shape";
  const TopoDS_Shape shape = reader.OneShape();
  if (shape.IsNull()) return "empty shape";
  TopTools_IndexedMapOfShape edges;
  TopExp::MapShapes(shape, TopAbs_EDGE, edges);
  n.edges = edges.Extent();
  if (!BRepCheck_Analyzer(shape).IsValid()) return "invalid shape";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  // The kernel's own trace goes nowhere; the verdicts above are the output.
  Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
  bool ok = argc > 1;
  for (int i = 1; i < argc; ++i) {
    Counts n;
    const std::string fail = Failure(argv[i], n);
    std::cout << (fail.empty() ? "ok   " : "FAIL ") << argv[i] << (fail.empty() ? "" : ": " + fail)
              << " (entities " << n.entities << ", roots " << n.transferred << "/" << n.roots << ", edges "
              << n.edges << ")\n";
    ok = ok && fail.empty();
  }
  return ok ? 0 : 1;
}
