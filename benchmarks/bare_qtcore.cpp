// A process that starts Qt's core application object and ends: what any
// program that loads Qt pays before it does any work.
#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return 0;
}
