#include "gui/platform/qt_code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "gui/platform/qt_text.h"

namespace nibblet {

bool QtCodePage::toMultiByte(std::u16string_view text, std::string& out) const {
  QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
  QByteArray bytes = encoder.encode(toQString(text));
  if (encoder.hasError()) return false;
  out.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return true;
}

bool QtCodePage::toWide(std::string_view bytes, std::u16string& out) const {
  QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (decoder.hasError()) return false;
  out = toU16(text);
  return true;
}

}  // namespace nibblet
