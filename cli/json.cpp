#include "cli/json.h"

#include <cmath>
#include <cstdio>

namespace lf::cli {

void JsonWriter::Separate() {
  if (m_needComma) m_out += ',';
  m_needComma = false;
}

JsonWriter& JsonWriter::BeginObject() {
  Separate();
  m_out += '{';
  return *this;
}
JsonWriter& JsonWriter::EndObject() {
  m_out += '}';
  m_needComma = true;
  return *this;
}
JsonWriter& JsonWriter::BeginArray() {
  Separate();
  m_out += '[';
  return *this;
}
JsonWriter& JsonWriter::EndArray() {
  m_out += ']';
  m_needComma = true;
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  String(key);
  m_out += ':';
  m_needComma = false;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
  Separate();
  m_out += '"';
  for (unsigned char c : value) {
    switch (c) {
      case '"':
        m_out += "\\\"";
        break;
      case '\\':
        m_out += "\\\\";
        break;
      case '\n':
        m_out += "\\n";
        break;
      case '\r':
        m_out += "\\r";
        break;
      case '\t':
        m_out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          m_out += buf;
        } else {
          m_out += static_cast<char>(c);
        }
    }
  }
  m_out += '"';
  m_needComma = true;
  return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
  Separate();
  m_out += std::to_string(value);
  m_needComma = true;
  return *this;
}

JsonWriter& JsonWriter::Number(double value) {
  Separate();
  if (!std::isfinite(value)) {
    m_out += "null";
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    m_out += buf;
  }
  m_needComma = true;
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  Separate();
  m_out += value ? "true" : "false";
  m_needComma = true;
  return *this;
}
JsonWriter& JsonWriter::Null() {
  Separate();
  m_out += "null";
  m_needComma = true;
  return *this;
}

}  // namespace lf::cli
