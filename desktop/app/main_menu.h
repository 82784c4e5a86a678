#pragma once
// The main window's menu bar: items, accelerators, and the enable rules and
// changing labels applied to them.
#include <QObject>
#include <string>
#include <vector>

#include "desktop/rules/menu_rules.h"

class QAction;
class QMenu;
class QMenuBar;

namespace lf {

class LyricforgeApp;

struct MainMenu {
  QAction *newProject = nullptr, *open = nullptr, *close = nullptr, *save = nullptr, *saveAs = nullptr;
  QAction *autoSave = nullptr, *exportSong = nullptr, *exit = nullptr;
  QAction *undo = nullptr, *redo = nullptr, *cut = nullptr, *copy = nullptr, *paste = nullptr;
  QAction *clear = nullptr, *selectAll = nullptr;
  QAction *capitalize = nullptr, *lowercase = nullptr, *capitalizeFirstWord = nullptr;
  QAction *settings = nullptr, *restoreColors = nullptr, *calibrateTapping = nullptr, *recoveryInterval = nullptr;
  QAction *about = nullptr, *manual = nullptr;
  // The recent projects sit between this separator and Exit.
  QAction* recentSeparator = nullptr;
  std::vector<QAction*> recent;
  std::vector<std::string> recentShown;
  QMenu* file = nullptr;
  QMenu* edit = nullptr;
  QMenu* help = nullptr;

  // Applies the rules; `editor` is the focused text editor's state.
  void Apply(const CommandEnables& commands, const EditMenuState& editor) const;
  // Lists `paths` (most recent first) as numbered File items that open them.
  void ShowRecent(const std::vector<std::string>& paths, LyricforgeApp& app);
};

// Fills `bar` with the menus and connects every item to `app`.
MainMenu BuildMainMenu(QMenuBar* bar, LyricforgeApp& app);

}  // namespace lf
