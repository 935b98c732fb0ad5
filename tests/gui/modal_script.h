#pragma once
// Driving the modal windows a command opens, for the offscreen tests: a script that answers
// them one step per window, in order, and a watch that answers every message box with OK and
// keeps its text. Both poll on a timer, so a window that never comes fails the test instead of
// hanging it; the panel long work shows is no dialog and is left alone.

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "core/i18n/command_ids.h"

namespace nibblet::test {

inline bool isProgressPanel(const QWidget* widget) { return widget->objectName() == "progressPanel"; }

// Answers the modal windows that open while a command runs, one step per window, in order.
class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(30);
  }
  bool finished() const { return m_next == m_steps.size(); }

 private:
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_handled || finished() || isProgressPanel(modal)) return;
    m_handled = modal;
    m_steps[m_next++](modal);
  }

  std::vector<Step> m_steps;
  std::size_t m_next = 0;
  QPointer<QWidget> m_handled;
  QTimer m_timer;
};

// The file browser: types `name` into the file-name box and confirms.
inline ModalScript::Step choose(const QString& name) {
  return [name](QWidget* dialog) {
    QVERIFY(dialog->objectName() == "900");
    dialog->findChild<QLineEdit*>("901")->setText(name);
    QMetaObject::invokeMethod(dialog, "command", Q_ARG(int, kCmdOk));
  };
}

// A message box: remembers its text and presses `button`.
inline ModalScript::Step press(QString* text, QMessageBox::StandardButton button = QMessageBox::Ok) {
  return [text, button](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    QVERIFY(box);
    *text = box->text();
    box->button(button)->click();
  };
}

// Answers every message box that opens, by default with OK (or its first button), and keeps
// the texts.
class MessageWatch {
 public:
  using Rule = std::function<QMessageBox::StandardButton(const QString& text)>;

  explicit MessageWatch(Rule rule = {}) : m_rule(std::move(rule)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts << box->text();
      QAbstractButton* button = box->button(m_rule ? m_rule(box->text()) : QMessageBox::Ok);
      (button ? button : box->buttons().first())->click();
    });
    m_timer.start(20);
  }
  QStringList texts;

 private:
  Rule m_rule;
  QTimer m_timer;
};

}  // namespace nibblet::test
