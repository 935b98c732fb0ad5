#include "gui/platform/qt_wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace nibblet {

void QtWaitCursor::begin() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void QtWaitCursor::end() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace nibblet
