#pragma once
// The file choosers of the project flows and of Add Music, behind a small
// interface so tests can answer them.
#include <optional>
#include <string>
#include <vector>

#include "desktop/rules/music_file_filters.h"

class QWidget;

namespace lf {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // "Open Lyricforge Project": an existing .lfp file, or nothing on Cancel.
  virtual std::optional<std::string> ChooseProjectToOpen(const std::string& folder) = 0;
  // "Save Lyricforge Project": a path ending in .lfp (asked before overwriting).
  virtual std::optional<std::string> ChooseProjectToSave(const std::string& folder) = 0;
  // An existing file through `filters`, starting at `filterIndex`, which
  // becomes the filter the user ended on.
  virtual std::optional<std::string> ChooseFile(const std::string& title, const std::string& folder,
                                                const std::vector<FileFilter>& filters, int& filterIndex) = 0;
  // A file to write through one filter; `suffix` is added when none is typed.
  virtual std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& folder,
                                                      const FileFilter& filter, const std::string& suffix,
                                                      const std::string& name) = 0;
};

class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent) : m_parent(parent) {}
  std::optional<std::string> ChooseProjectToOpen(const std::string& folder) override;
  std::optional<std::string> ChooseProjectToSave(const std::string& folder) override;
  std::optional<std::string> ChooseFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters, int& filterIndex) override;
  std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& folder,
                                              const FileFilter& filter, const std::string& suffix,
                                              const std::string& name) override;

 private:
  QWidget* m_parent;
};

}  // namespace lf
