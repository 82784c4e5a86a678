#include "core/audio/mp3_encoder.h"

#include <filesystem>

#include "core/audio/lame_library.h"
#include "core/platform/message_sink.h"
#include "core/platform/settings.h"

namespace lf {

namespace {

constexpr const char* kSettingsGroup = "Default";
constexpr const char* kHideMissingKey = "HideMP3Message";
constexpr const char* kHideVersionKey = "HideMP3VersionMessage";
constexpr const char* kHelperName = "OrvandelGetLame.exe";
constexpr const char* kEncoderHelpLink = "https://lame.sourceforge.io/";
constexpr const char* kMissingCaption = "MP3 Encoder Not Found";

Mp3HelperRoutine& HelperRoutine() {
  static Mp3HelperRoutine routine;
  return routine;
}

// Shows a message with a "don't show again" box and stores the box's state.
void ShowWithCheckBox(Message message, const char* settingsKey) {
  bool checked = AppSettings().Int(kSettingsGroup, settingsKey, 0) != 0;
  message.checkBoxChecked = &checked;
  Messages().Show(message);
  AppSettings().SetInt(kSettingsGroup, settingsKey, checked ? 1 : 0);
}

void ReportDownloadFailed() {
  Message m;
  m.caption = kMissingCaption;
  m.text = std::string("We were unable to download the file: \"") + kHelperName +
           "\".\n\nPlease use the link below to reach a page on getting the MP3 encoder tools "
           "(on Linux, install the package that provides \"" +
           LameLibrary::Instance().LibraryName() + "\"), then come back here and click \"OK\".\n\n" + kEncoderHelpLink;
  m.icon = MessageIcon::Information;
  m.checkBox = "&Don't show me this again.";
  ShowWithCheckBox(m, kHideMissingKey);
}

void ReportChoseNotToAdd() {
  Message m;
  m.caption = kMissingCaption;
  m.text =
      "You have chosen not to add MP3 Encoder support at this time.\n"
      "If you would like to do this at some point in the future,\n"
      "just click \"OK\". Otherwise, check the box below, and you\n"
      "will not be asked again.";
  m.icon = MessageIcon::Information;
  m.checkBox = "&Don't show me this again.";
  ShowWithCheckBox(m, kHideMissingKey);
}

void ReportIncompleteLibrary() {
  Message m;
  m.caption = "MP3 Support Not Found";
  m.text = "A copy of \"" + LameLibrary::Instance().LibraryName() +
           "\" was found on this computer that does not include support for all of the features "
           "that Orvandel products require. If you keep this copy, Orvandel products will have no "
           "MP3 support.\n\nSee " +
           std::string(kEncoderHelpLink) + " for help.\n\nUntil then, MP3 and ZIP files are excluded from processing.";
  m.icon = MessageIcon::Warning;
  m.checkBox = "&Don't show this message again.";
  ShowWithCheckBox(m, kHideVersionKey);
}

// Fetches and runs the helper that installs the library, where a front end
// supplied one; otherwise reports the failed download.
void OfferToFetchLibrary() {
  LameLibrary& library = LameLibrary::Instance();
  const std::string helperPath = (std::filesystem::temp_directory_path() / kHelperName).string();
  const Mp3HelperRoutine& routine = HelperRoutine();
  if (!routine || !routine(helperPath)) {
    ReportDownloadFailed();
    library.Open();
    return;
  }
  std::error_code ignored;
  std::filesystem::remove(helperPath, ignored);
  if (!library.Open()) ReportChoseNotToAdd();
}

}  // namespace

void SetMp3HelperRoutine(Mp3HelperRoutine routine) { HelperRoutine() = std::move(routine); }

void SetMp3EncoderLibraryName(const std::string& name) {
  UnloadMp3Encoder();
  LameLibrary::Instance().SetLibraryName(name);
}

bool LoadMp3Encoder(bool forceFetch) {
  LameLibrary& library = LameLibrary::Instance();
  library.Open();
  if (!library.IsOpen() || forceFetch) {
    library.Close();
    if (AppSettings().Int(kSettingsGroup, kHideMissingKey, 0) == 0) OfferToFetchLibrary();
  }
  if (!library.IsOpen()) return false;
  if (BindMp3Encoder()) return true;
  if (AppSettings().Int(kSettingsGroup, kHideVersionKey, 0) != 0) return false;

  library.Close();
  ReportIncompleteLibrary();
  library.Open();
  return BindMp3Encoder();
}

bool BindMp3Encoder() {
  LameLibrary& library = LameLibrary::Instance();
  if (!library.IsOpen()) {
    Message m;
    m.text = "Error: MP3 Support not initialized.";
    m.caption = "Lyricforge";
    m.icon = MessageIcon::Error;
    Messages().Show(m);
    return false;
  }
  return library.Bind();
}

void UnloadMp3Encoder() { LameLibrary::Instance().Close(); }

bool IsMp3EncoderBound() {
  const LameLibrary& library = LameLibrary::Instance();
  return library.IsOpen() && library.Entry().HasRequired();
}

}  // namespace lf
