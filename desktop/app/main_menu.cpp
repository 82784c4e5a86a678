#include "desktop/app/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "core/platform/settings.h"
#include "desktop/app/focused_editor.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "desktop/rules/recent_projects.h"

namespace lf {
namespace {

// Web pages of the Help and "&Buy Songs" menus: shown only when their
// address is configured ("Default" group), so no item leads nowhere.
struct WebItem {
  const char* label;
  const char* key;
};
constexpr WebItem kHelpWebItems[] = {
    {"&Check for Updates", "UpdatesURL"},
    {"Online &Support", "SupportURL"},
    {"Ask the &Orvandel Community", "CommunityURL"},
    {"Visit Us on &Facebook", "FacebookURL"},
    {"&Become an Orvandel Affiliate", "AffiliateURL"},
};
constexpr WebItem kBuySongs = {"&Buy Songs", "BuySongsURL"};

QAction* Add(QMenu* menu, const char* label, QKeySequence keys = {}) {
  QAction* action = menu->addAction(QObject::tr(label));
  if (!keys.isEmpty()) action->setShortcut(keys);
  return action;
}

template <typename F>
QAction* Add(QMenu* menu, const char* label, QKeySequence keys, QObject* context, F f) {
  QAction* action = Add(menu, label, keys);
  QObject::connect(action, &QAction::triggered, context, f);
  return action;
}

QAction* WebAction(const WebItem& item, QObject* parent) {
  const std::string url = AppSettings().String("Default", item.key, "");
  if (url.empty()) return nullptr;
  auto* action = new QAction(QObject::tr(item.label), parent);
  QObject::connect(action, &QAction::triggered, parent,
                   [url] { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
  return action;
}

void EditItem(QMenu* menu, QAction*& slot, const char* label, QKeySequence keys, LyricforgeApp& app,
              EditAction action) {
  slot = Add(menu, label, keys, &app, [&app, action] {
    QWidget* target = app.MainWindow().EditTarget();
    const bool history = action == EditAction::Undo || action == EditAction::Redo;
    if (history && TimingHistoryHasKeys(ReadEditorState(target), app.TimingHistory()))
      app.StepTimingHistory(action == EditAction::Redo);
    else
      RunEditAction(target, action);
  });
  // Keys go to the focused editor itself; the item only mirrors them.
  slot->setShortcutContext(Qt::WidgetShortcut);
}

}  // namespace

MainMenu BuildMainMenu(QMenuBar* bar, LyricforgeApp& app) {
  MainMenu m;
  m.file = bar->addMenu(QObject::tr("&File"));
  m.newProject = Add(m.file, "&New", QKeySequence("Ctrl+N"), &app, [&app] { app.NewProject(); });
  m.open = Add(m.file, "&Open...", QKeySequence("Ctrl+O"), &app, [&app] { app.OpenProject(); });
  m.close = Add(m.file, "&Close", {}, &app, [&app] { app.CloseProject(); });
  m.save = Add(m.file, "&Save", QKeySequence("Ctrl+S"), &app, [&app] { app.SaveProject(); });
  m.saveAs = Add(m.file, "Save &As...", {}, &app, [&app] { app.SaveProjectAs(); });
  m.file->addSeparator();
  m.autoSave = Add(m.file, "A&uto Save", {}, &app, [&app] { app.ToggleAutoSave(); });
  m.autoSave->setCheckable(true);
  m.recoveryInterval = Add(m.file, "&Recovery Interval...", {}, &app, [&app] { app.EditRecoveryInterval(); });
  m.file->addSeparator();
  m.exportSong = Add(m.file, "&Export Song...", {}, &app, [&app] { app.ExportSong(); });
  m.file->addSeparator();
  m.recentSeparator = m.file->addSeparator();
  m.recentSeparator->setVisible(false);
  m.exit = Add(m.file, "E&xit", QKeySequence("Alt+F4"), &app, [&app] { app.Exit(); });

  m.edit = bar->addMenu(QObject::tr("&Edit"));
  EditItem(m.edit, m.undo, "&Undo", QKeySequence("Ctrl+Z"), app, EditAction::Undo);
  EditItem(m.edit, m.redo, "&Redo", QKeySequence("Ctrl+Y"), app, EditAction::Redo);
  m.edit->addSeparator();
  EditItem(m.edit, m.cut, "Cu&t", QKeySequence("Ctrl+X"), app, EditAction::Cut);
  EditItem(m.edit, m.copy, "&Copy", QKeySequence("Ctrl+C"), app, EditAction::Copy);
  EditItem(m.edit, m.paste, "&Paste", QKeySequence("Ctrl+V"), app, EditAction::Paste);
  EditItem(m.edit, m.clear, "C&lear", QKeySequence("Del"), app, EditAction::Clear);
  m.edit->addSeparator();
  EditItem(m.edit, m.selectAll, "Select &All", QKeySequence("Ctrl+A"), app, EditAction::SelectAll);
  m.edit->addSeparator();
  QMenu* format = m.edit->addMenu(QObject::tr("&Format Text"));
  auto formatCommand = [&app](FormatCommand command) {
    if (app.CurrentPage() != PageId::EditLyrics) return;
    if (PageWidget* page = app.MainWindow().Page()) page->RunFormatCommand(command);
  };
  m.capitalize = Add(format, "&Capitalize All", {}, &app, [=] { formatCommand(FormatCommand::Capitalize); });
  m.lowercase = Add(format, "&Lowercase All", {}, &app, [=] { formatCommand(FormatCommand::Lowercase); });
  m.capitalizeFirstWord =
      Add(format, "Capitalize &First Word", {}, &app, [=] { formatCommand(FormatCommand::CapitalizeFirstWord); });
  m.edit->addSeparator();
  m.settings = Add(m.edit, "&Settings...", {}, &app, [&app] { app.EditSettings(); });
  m.calibrateTapping = Add(m.edit, "Calibrate &Tapping...", {}, &app, [&app] { app.CalibrateTapping(); });
  m.restoreColors = Add(m.edit, "Restore &Default Colors", {}, &app, [&app] { app.RestoreDefaultColorsCommand(); });

  if (QAction* buy = WebAction(kBuySongs, bar)) bar->addAction(buy);

  m.help = bar->addMenu(QObject::tr("&Help"));
  for (const WebItem& item : kHelpWebItems)
    if (QAction* web = WebAction(item, m.help)) m.help->addAction(web);
  if (!m.help->isEmpty()) m.help->addSeparator();
  m.about = Add(m.help, "&About Lyricforge", {}, &app, [&app] { app.ShowAbout(); });

  m.manual = new QAction(QObject::tr("&Manual"), bar);
  m.manual->setShortcut(QKeySequence("F1"));
  QObject::connect(m.manual, &QAction::triggered, &app, [&app] { app.OpenManual(); });
  bar->addAction(m.manual);
  return m;
}

void MainMenu::ShowRecent(const std::vector<std::string>& paths, LyricforgeApp& app) {
  if (paths == recentShown) return;
  for (QAction* action : recent) delete action;
  recent.clear();
  const std::string home = QDir::homePath().toStdString();
  for (size_t i = 0; i < paths.size(); ++i) {
    auto* action = new QAction(QString::fromStdString(RecentProjectLabel(int(i), paths[i], home)), file);
    action->setToolTip(QString::fromStdString(paths[i]));
    QObject::connect(action, &QAction::triggered, &app, [&app, path = paths[i]] { app.OpenRecentProject(path); });
    file->insertAction(recentSeparator, action);
    recent.push_back(action);
  }
  recentSeparator->setVisible(!paths.empty());
  recentShown = paths;
}

void MainMenu::Apply(const CommandEnables& c, const EditMenuState& e) const {
  newProject->setEnabled(c.newProject);
  open->setEnabled(c.open);
  for (QAction* a : recent) a->setEnabled(c.open);
  close->setEnabled(c.close);
  exportSong->setEnabled(c.exportSong);
  exit->setEnabled(c.exit);
  settings->setEnabled(c.settings);
  undo->setEnabled(e.undo);
  redo->setEnabled(e.redo);
  undo->setText(QString::fromStdString(e.undoLabel));
  redo->setText(QString::fromStdString(e.redoLabel));
  cut->setEnabled(e.cut);
  copy->setEnabled(e.copy);
  paste->setEnabled(e.paste);
  clear->setEnabled(e.clear);
  selectAll->setEnabled(e.selectAll);
  for (QAction* a : {capitalize, lowercase, capitalizeFirstWord}) a->setEnabled(e.format);
  capitalize->setText(QObject::tr(e.capitalizeLabel.c_str()));
  lowercase->setText(QObject::tr(e.lowercaseLabel.c_str()));
}

}  // namespace lf
