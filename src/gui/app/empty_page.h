#pragma once
// What the main window shows without a document: the program's icon, its name and version,
// and the publisher's notice, centred.

#include <QWidget>

#include "gui/platform/screen_scale.h"

namespace nibblet {

class EmptyPage : public QWidget {
  Q_OBJECT
 public:
  EmptyPage(const QString& aboutText, const ScreenScale& scale, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString m_text;
  ScreenScale m_scale;
};

}  // namespace nibblet
