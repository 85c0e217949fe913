// Helpers of the input form tests: defaults, a private copy of the built
// tables, and a picture of a form for a look by eye.
#pragma once

// Before any Qt header: the message list has a field named like a Qt macro.
#include "../table_test_support.h"

#include "../../screenshot_dir.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QPixmap>

#include <string>

#include "calc/table_access.h"
#include "framework/globals.h"

class FormTest : public table_test::TableTest {
 protected:
  void TearDown() override {
    TableTest::TearDown();
    TableDialogHook = nullptr;
  }
  // Shows the form off screen, as a modal run would, and saves its picture
  // as bq4_form_<name>.png in the screenshot folder.
  static void ShowAndGrab(QDialog& form, const std::string& name) {
    form.setAttribute(Qt::WA_DontShowOnScreen, true);
    form.show();
    form.grab().save(QString::fromStdString(ScreenshotDir() + "/bq4_form_" + name + ".png"));
  }
  // A table dialog that accepts the given row (0: the row it starts on).
  static void AcceptRow(int row, int* shown = nullptr) {
    TableDialogHook = [row, shown](std::string_view, int, std::int32_t& rec) {
      if (shown) *shown = rec;
      if (row > 0) rec = row;
      return true;
    };
  }
  static void CancelTable() {
    TableDialogHook = [](std::string_view, int, std::int32_t&) { return false; };
  }
};

inline std::string Text(const QString& s) { return s.toStdString(); }
