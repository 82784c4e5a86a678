#include "desktop/pages/song_settings_sheet.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/cdg/font_dictionary.h"
#include "core/platform/settings.h"
#include "core/song/color_settings.h"
#include "desktop/dialogs/duet_dialog.h"
#include "desktop/pages/lyrics_page_settings.h"
#include "desktop/pages/page_registry.h"
#include "desktop/pages/text_page_settings.h"

namespace lf {
namespace {

constexpr const char* kPositionKey = "SettingsWindowPos";

// The rectangle as four little-endian 32-bit values: left, top, right, bottom.
SettingsBytes RectBytes(const QRect& r) {
  SettingsBytes bytes;
  for (int32_t v : {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()})
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(uint32_t(v) >> shift));
  return bytes;
}

std::optional<QRect> BytesRect(const SettingsBytes& bytes) {
  if (bytes.size() != 16) return std::nullopt;
  int32_t v[4];
  for (int k = 0; k < 4; ++k)
    v[k] = int32_t(uint32_t(bytes[4 * k]) | uint32_t(bytes[4 * k + 1]) << 8 | uint32_t(bytes[4 * k + 2]) << 16 |
                   uint32_t(bytes[4 * k + 3]) << 24);
  if (v[2] <= v[0] || v[3] <= v[1]) return std::nullopt;
  return QRect(v[0], v[1], v[2] - v[0], v[3] - v[1]);
}

}  // namespace

SongSettingsSheet::SongSettingsSheet(Song& copy, Song& song, QWidget* parent)
    : QDialog(parent), m_copy(copy), m_song(song) {
  setWindowTitle(tr("Karaoke Song Settings"));
  setObjectName("songSettings");
  setSizeGripEnabled(true);
  if (SharedFontDictionary().Count() == 0) MKaraoke_Initialize();
  auto* layout = new QVBoxLayout(this);
  m_tabs = new QTabWidget(this);
  m_title = new TextPageSettings(copy, lf::TitlePage, m_tabs);
  m_lyrics = new LyricsPageSettings(
      copy, [this] { OpenDuetDialog(); }, m_tabs);
  m_credits = new TextPageSettings(copy, lf::CreditsPage, m_tabs);
  m_tabs->addTab(m_title, tr("Title Page"));
  m_tabs->addTab(m_lyrics, tr("Lyrics"));
  m_tabs->addTab(m_credits, tr("Credits Page"));
  m_tabs->setCurrentWidget(m_lyrics);
  layout->addWidget(m_tabs);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(860, 560);
  RestorePosition();
}

SongSettingsSheet::~SongSettingsSheet() = default;

void SongSettingsSheet::OpenDuetDialog() {
  DuetDialog dialog(m_song, this);
  dialog.exec();
}

void SongSettingsSheet::accept() {
  if (m_title->SaveColorsAsDefaultChecked()) SaveColorsAsDefault(*m_copy.Look().PageByKind(lf::TitlePage));
  if (m_lyrics->SaveColorsAsDefaultChecked()) SaveColorsAsDefault(*m_copy.Look().PageByKind(lf::LyricsPage));
  if (m_credits->SaveColorsAsDefaultChecked()) SaveColorsAsDefault(*m_copy.Look().PageByKind(lf::CreditsPage));
  QDialog::accept();
}

void SongSettingsSheet::done(int result) {
  SavePosition();
  QDialog::done(result);
}

void SongSettingsSheet::RestorePosition() {
  const auto bytes = AppSettings().Bytes("Settings", kPositionKey);
  if (!bytes) return;
  const std::optional<QRect> rect = BytesRect(*bytes);
  if (!rect) return;
  resize(rect->size());
  move(rect->topLeft());
}

void SongSettingsSheet::SavePosition() {
  AppSettings().SetBytes("Settings", kPositionKey, RectBytes(QRect(pos(), size())));
}

QDialog* CreateSongSettingsDialog(Song& copy, QWidget* parent) {
  return new SongSettingsSheet(copy, HasSong() ? OpenSong() : copy, parent);
}

}  // namespace lf
