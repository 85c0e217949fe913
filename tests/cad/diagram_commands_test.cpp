#include "cad/diagram_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

// Before any Qt header: the message list has a member named like Qt's "slots" macro.
#include "diagram_test_support.h"

#include <QImage>
#include <QLayout>
#include <QPixmap>

#include "framework/forms/graph_window.h"
#include "platform/os.h"

namespace {

class DiagramCommandTest : public DiagramTest {};

TEST_F(DiagramCommandTest, RenderEveryDiagram) {
  CalculateDefaultJoint();
  HorizontalPixels = 1280;
  VerticalPixels = 960;
  auto window = std::make_unique<DUdoduvoz>();
  window->Canvas()->setFixedSize(1281, 961);
  window->layout()->activate();
  const char* out = std::getenv("BQ4_DIAGRAM_PNG_DIR");
  for (int kind = 1; kind <= 11; ++kind) {
    DiagramCommand(static_cast<TDiagramKind>(kind), kCadScreen);
    ASSERT_EQ(AbortFlag, 0);
    EXPECT_FALSE(CreateDisplayList()->empty());
    if (out)
      window->Canvas()->grab().toImage().save(
          QString("%1/kind%2.png").arg(out).arg(kind));
  }
  DiagramSheet(1, kCadScreen);
  if (out) window->Canvas()->grab().toImage().save(QString("%1/sheet.png").arg(out));
}

}  // namespace
