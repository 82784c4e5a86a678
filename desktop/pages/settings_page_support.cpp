#include "desktop/pages/settings_page_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "core/cdg/image_struct.h"
#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/cdg_player.h"
#include "core/song/page_picture.h"
#include "desktop/dialogs/progress_window.h"
#include "desktop/widgets/cdg_view.h"

namespace lf {
namespace {

constexpr const char* kGraphicsFolderKey = "GraphicsPath";
// Files above this size decode on a worker thread under the progress window.
constexpr uintmax_t kLargePictureBytes = 512 * 1024;

PictureFileChooser& Chooser() {
  static PictureFileChooser chooser;
  return chooser;
}

std::optional<std::string> QtChoosePicture(QWidget* parent) {
  const QString folder = QString::fromStdString(AppSettings().String("Settings", kGraphicsFolderKey, ""));
  QFileDialog dialog(parent, QObject::tr("Select Bitmap"), folder,
                     QString("%1 (%2)").arg(kPictureFileFilter, QString(kPictureFilePatterns).replace(';', ' ')));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix("bmp");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const std::string path = dialog.selectedFiles().front().toStdString();
  AppSettings().SetValue("Settings", kGraphicsFolderKey, std::filesystem::path(path).parent_path().string() + "/");
  return path;
}

}  // namespace

SettingsPreview::SettingsPreview(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_view = new CdgView(this);
  m_view->setObjectName("settingsPreview");
  m_view->setMinimumSize(kScreenWidth * 2 / 3, kScreenHeight * 2 / 3);
  m_view->SetRenderer(&m_renderer);
  layout->addWidget(m_view);
}

SettingsPreview::~SettingsPreview() {
  StopPlaying();
  m_view->SetRenderer(nullptr);
}

void SettingsPreview::Play(PreviewStream stream) {
  StopPlaying();
  m_stream = std::move(stream);
  if (m_stream.endOffset == 0) return;
  m_player = std::make_unique<CdgPlayer>(&m_renderer);
  m_player->SetSource({}, m_stream.bytes.data(), m_stream.endOffset);
  m_player->Play(CdgPlayer::kPlayGraphics, 0, 0);
}

void SettingsPreview::StopPlaying() {
  if (m_player) m_player->Stop();
  m_player.reset();
}

bool SettingsPreview::IsPlaying() const { return m_player && m_player->IsPlaying(); }

PreviewColumn AddPreviewColumn(QWidget* page, QBoxLayout* pageLayout) {
  auto* column = new QVBoxLayout;
  pageLayout->addLayout(column, 2);
  PreviewColumn c;
  c.preview = new SettingsPreview(page);
  column->addWidget(c.preview);
  c.play = new QPushButton(QObject::tr("&Preview"), page);
  c.play->setObjectName("preview");
  column->addWidget(c.play);
  c.saveColors = new QCheckBox(QObject::tr("Save Colors as default:"), page);
  c.saveColors->setObjectName("saveColors");
  column->addWidget(c.saveColors);
  column->addStretch();
  return c;
}

QComboBox* TransitionList(QWidget* parent, const char* objectName, std::span<const int> transitions) {
  auto* list = new QComboBox(parent);
  list->setObjectName(objectName);
  for (int t : transitions) list->addItem(TransitionName(t), t);
  return list;
}

PictureRows AddPictureRows(QWidget* page, QComboBox* draw, QBoxLayout* into) {
  PictureRows r;
  r.grid = new QGridLayout;
  into->addLayout(r.grid);
  r.browse = new QPushButton(QObject::tr("Browse..."), page);
  r.browse->setObjectName("browse");
  r.remove = new QPushButton(QObject::tr("Remove"), page);
  r.remove->setObjectName("remove");
  r.placement = new QComboBox(page);
  r.placement->setObjectName("placement");
  for (int p = 0; p < kPlacementCount; ++p) r.placement->addItem(PlacementName(p), p);
  r.grid->addWidget(new QLabel(QObject::tr("Picture:"), page), 0, 0);
  r.grid->addWidget(r.browse, 0, 1);
  r.grid->addWidget(r.remove, 0, 2);
  r.grid->addWidget(new QLabel(QObject::tr("Display:"), page), 1, 0);
  r.grid->addWidget(r.placement, 1, 1, 1, 2);
  r.grid->addWidget(new QLabel(QObject::tr("Draw:"), page), 2, 0);
  r.grid->addWidget(draw, 2, 1, 1, 2);
  return r;
}

void SetPictureFileChooser(PictureFileChooser chooser) { Chooser() = std::move(chooser); }

std::optional<std::string> ChoosePictureFile(QWidget* parent) {
  return Chooser() ? Chooser()(parent) : QtChoosePicture(parent);
}

std::optional<Bitmap> LoadPictureFile(const std::string& path, QWidget* parent) {
  std::optional<Bitmap> picture;
  std::error_code ec;
  const uintmax_t bytes = std::filesystem::file_size(path, ec);
  if (!ec && bytes > kLargePictureBytes) {
    ProgressWindow progress(QObject::tr("Loading Picture..."), false, parent);
    progress.RunWhile([&] { picture = DecodePagePicture(path); });
  } else {
    picture = DecodePagePicture(path);
  }
  if (!picture) ShowMessage(kPictureLoadFailedText, kPictureLoadFailedCaption, MessageIcon::Exclamation);
  return picture;
}

}  // namespace lf
