#pragma once
// ColorButton: a swatch that opens Qt's colour picker on the current colour.
// It shows the colour as the CD+G palette will (4 bits a component) and
// names the rounded value in its tooltip, so the export holds no surprise.
#include <QPushButton>
#include <functional>
#include <optional>

#include "core/cdg/cdg_packet.h"

namespace lf {

class ColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit ColorButton(const QString& label, QWidget* parent = nullptr);

  // The colour shown (0x00BBGGRR), before rounding.
  void SetColor(Colorref color);
  Colorref Color() const { return m_color; }

  // Replaces the picker (tests): returns the chosen colour, or nothing on Cancel.
  using Picker = std::function<std::optional<Colorref>(Colorref current, QWidget* parent)>;
  static void SetPicker(Picker picker);

 signals:
  // A confirmed choice.
  void ColorChosen(Colorref color);

 private:
  void Choose();
  Colorref m_color = 0;
};

}  // namespace lf
