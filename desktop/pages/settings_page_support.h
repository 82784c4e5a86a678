#pragma once
// What the three settings pages share: a live CD+G preview that can also play
// a page's transitions, the column and rows of controls every page lays out
// alike, and the Browse flow that loads a picture (large ones on a worker
// thread under the progress window).
#include <QWidget>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/cdg/bitmap.h"
#include "core/playback/rw_renderer.h"
#include "core/song/settings_preview.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QPushButton;
class QTimer;

namespace lf {

class CdgView;
class CdgPlayer;

class SettingsPreview : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsPreview(QWidget* parent = nullptr);
  ~SettingsPreview() override;

  CdgRenderer& Renderer() { return m_renderer; }
  CdgView* View() const { return m_view; }
  // Plays `stream` on the preview at its real speed; stops any earlier play.
  void Play(PreviewStream stream);
  void StopPlaying();
  bool IsPlaying() const;

 private:
  CdgRenderer m_renderer;
  CdgView* m_view = nullptr;
  PreviewStream m_stream;
  std::unique_ptr<CdgPlayer> m_player;
};

// The right-hand column of every settings page, added to `pageLayout`: the
// preview, "&Preview" that plays the page on it, and "Save Colors as default:".
struct PreviewColumn {
  SettingsPreview* preview = nullptr;
  QPushButton* play = nullptr;
  QCheckBox* saveColors = nullptr;
};
PreviewColumn AddPreviewColumn(QWidget* page, QBoxLayout* pageLayout);

// A list of the named transitions, each item carrying its transition number.
QComboBox* TransitionList(QWidget* parent, const char* objectName, std::span<const int> transitions);

// The picture rows of every settings page, appended to `into`: "Picture:" with
// "Browse..." and "Remove", "Display:" with the placements and "Draw:" with
// `draw`. A page adds rows of its own to the grid from row 3 on.
struct PictureRows {
  QGridLayout* grid = nullptr;
  QPushButton* browse = nullptr;
  QPushButton* remove = nullptr;
  QComboBox* placement = nullptr;
};
PictureRows AddPictureRows(QWidget* page, QComboBox* draw, QBoxLayout* into);

// "Select Bitmap": the picture file chosen, starting in the last graphics
// folder ("GraphicsPath"), which the choice updates. Replaceable for tests.
using PictureFileChooser = std::function<std::optional<std::string>(QWidget* parent)>;
void SetPictureFileChooser(PictureFileChooser chooser);
std::optional<std::string> ChoosePictureFile(QWidget* parent);

// Decodes the picture, on a worker thread with the progress window when the
// file is large. Shows "Please ensure the file is a valid image." and returns
// nothing when it cannot be read.
std::optional<Bitmap> LoadPictureFile(const std::string& path, QWidget* parent);

}  // namespace lf
