// Ends the process right after the first paint of a widget of the given
// object name (any widget when empty): what a process costs from its start
// to its first picture on the screen.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <unistd.h>

class ExitAfterFirstPaint : public QObject {
 public:
  explicit ExitAfterFirstPaint(const char* name) : name_(name) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Paint && (!*name_ || watched->objectName() == name_)) {
      // Queued: the paint itself runs first.
      QMetaObject::invokeMethod(QCoreApplication::instance(), [] { ::_exit(0); },
                                Qt::QueuedConnection);
    }
    return false;
  }

 private:
  const char* name_;
};
