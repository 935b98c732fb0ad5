#pragma once
// What the offscreen tests share: a private home for the settings and the work folder, and
// files written and read whole.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace nibblet::test {

// Points the settings (XDG_CONFIG_HOME) and the work folder (XDG_CACHE_HOME) into `dir`, so a
// test never touches the user's own; false when `dir` could not be made.
inline bool usePrivateHome(const QTemporaryDir& dir) {
  if (!dir.isValid()) return false;
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  qputenv("XDG_CACHE_HOME", dir.filePath("cache").toUtf8());
  return true;
}

// Writes `bytes` to `name` in `dir`, replacing it; returns the file's path.
inline QString writeTestFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QString path = dir.filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
  return path;
}

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace nibblet::test
