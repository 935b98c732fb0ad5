#include "gui/app/application.h"

#include <QApplication>
#include <QMainWindow>

namespace nibblet {

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Nibblet");
  window.show();
  return app.exec();
}

}  // namespace nibblet
