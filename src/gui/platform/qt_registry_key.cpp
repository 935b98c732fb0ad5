#include "gui/platform/qt_registry_key.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace nibblet {
namespace {

QString key(const std::u16string& name) {
  return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtRegistryKey::QtRegistryKey() : m_settings(QSettings::NativeFormat, QSettings::UserScope, "vq", "pelta") {}

bool QtRegistryKey::query(const std::u16string& name, RegistryValue& out) {
  QVariant v = m_settings.value(key(name));
  if (!v.isValid()) return false;
  out = RegistryValue();
  if (v.typeId() == QMetaType::QByteArray) {
    QByteArray b = v.toByteArray();
    out.type = ValueType::Binary;
    out.binary.assign(reinterpret_cast<const std::uint8_t*>(b.constData()),
                      reinterpret_cast<const std::uint8_t*>(b.constData()) + b.size());
  } else if (v.typeId() == QMetaType::QString) {
    QString s = v.toString();
    out.type = ValueType::String;
    out.text.assign(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
  } else {
    out.type = ValueType::Other;
  }
  return true;
}

bool QtRegistryKey::setBinary(const std::u16string& name, const std::vector<std::uint8_t>& bytes) {
  m_settings.setValue(key(name), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size())));
  m_settings.sync();
  return m_settings.status() == QSettings::NoError;
}

bool QtRegistryKey::setString(const std::u16string& name, const std::u16string& text) {
  m_settings.setValue(key(name), key(text));
  m_settings.sync();
  return m_settings.status() == QSettings::NoError;
}

bool QtRegistryKey::setStrings(const std::vector<std::pair<std::u16string, std::u16string>>& values) {
  for (const auto& [name, text] : values) m_settings.setValue(key(name), key(text));
  m_settings.sync();
  return m_settings.status() == QSettings::NoError;
}

}  // namespace nibblet
