#include "platform/variant/variant.h"

namespace kassa {

const Locale& Locale::Russian() {
  static const Locale l{',', '.', true};
  return l;
}

const Locale& Locale::Point() {
  static const Locale l{'.', '.', true};
  return l;
}

namespace {
Locale& Current() {
  static Locale l = Locale::Russian();
  return l;
}
}  // namespace

const Locale& CurrentLocale() {
  return Current();
}

void SetCurrentLocale(const Locale& locale) {
  Current() = locale;
}

}  // namespace kassa
