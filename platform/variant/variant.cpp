#include "platform/variant/variant.h"

namespace kassa {

Variant Variant::Number(double v) {
  Variant r;
  r.type_ = Type::Number;
  r.number_ = v;
  return r;
}

Variant Variant::Text(std::string v) {
  Variant r;
  r.type_ = Type::Text;
  r.text_ = std::move(v);
  return r;
}

Variant Variant::Date(double serial) {
  Variant r;
  r.type_ = Type::Date;
  r.number_ = serial;
  return r;
}

Variant Variant::Boolean(bool v) {
  Variant r;
  r.type_ = Type::Boolean;
  r.number_ = v ? -1 : 0;
  return r;
}

Variant Variant::Error(int code) {
  Variant r;
  r.type_ = Type::Error;
  r.number_ = code;
  return r;
}

bool Variant::operator==(const Variant& o) const {
  if (type_ != o.type_) return false;
  switch (type_) {
    case Type::Empty:
      return true;
    case Type::Text:
      return text_ == o.text_;
    default:
      return number_ == o.number_;
  }
}

}  // namespace kassa
