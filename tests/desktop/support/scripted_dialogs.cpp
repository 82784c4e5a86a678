#include "tests/desktop/support/scripted_dialogs.h"

namespace lf::test {

MessageAnswer ScriptedMessages::Show(const Message& message) {
  shown.push_back(message);
  if (answers.empty()) return message.defaultAnswer;
  const MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::string> ScriptedMessages::Captions() const {
  std::vector<std::string> captions;
  for (const Message& m : shown) captions.push_back(m.caption);
  return captions;
}

std::optional<std::string> ScriptedFileDialogs::Next(const std::string& title) {
  titles.push_back(title);
  if (paths.empty()) return std::nullopt;
  std::string path = paths.front();
  paths.pop_front();
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<std::string> ScriptedFileDialogs::ChooseProjectToOpen(const std::string&) {
  return Next("Open Lyricforge Project");
}

std::optional<std::string> ScriptedFileDialogs::ChooseProjectToSave(const std::string&) {
  return Next("Save Lyricforge Project");
}

std::optional<std::string> ScriptedFileDialogs::ChooseFile(const std::string& title, const std::string&,
                                                           const std::vector<FileFilter>& offered, int&) {
  filters.push_back(offered);
  return Next(title);
}

std::optional<std::string> ScriptedFileDialogs::ChooseFileToSave(const std::string& title, const std::string& folder,
                                                                 const FileFilter& filter, const std::string&,
                                                                 const std::string& name) {
  suggestedPaths.push_back(folder + name);
  filters.push_back({filter});
  return Next(title);
}

}  // namespace lf::test
