#pragma once
// Answers for the program's questions and file choosers, given in advance by
// a test; every question asked is kept.
#include <deque>
#include <string>
#include <vector>

#include "core/platform/message_sink.h"
#include "desktop/dialogs/file_dialogs.h"

namespace lf::test {

class ScriptedMessages : public MessageSink {
 public:
  MessageAnswer Show(const Message& message) override;
  std::deque<MessageAnswer> answers;  // the default answer once these run out
  std::vector<Message> shown;
  std::vector<std::string> Captions() const;
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> ChooseProjectToOpen(const std::string& folder) override;
  std::optional<std::string> ChooseProjectToSave(const std::string& folder) override;
  std::optional<std::string> ChooseFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters, int& filterIndex) override;
  std::optional<std::string> ChooseFileToSave(const std::string& title, const std::string& folder,
                                              const FileFilter& filter, const std::string& suffix,
                                              const std::string& name) override;
  // Each chooser takes the next path; "" is Cancel, as is running out.
  std::deque<std::string> paths;
  std::vector<std::string> titles;          // of every chooser shown
  std::vector<std::string> suggestedPaths;  // folder and name of every save chooser
  std::vector<std::vector<FileFilter>> filters;

 private:
  std::optional<std::string> Next(const std::string& title);
};

}  // namespace lf::test
