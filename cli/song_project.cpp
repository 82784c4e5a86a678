#include "cli/song_project.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/command.h"
#include "engine/song/binary_reader.h"
#include "platform/message_sink.h"
#include "platform/text_encoding.h"

namespace lf::cli {
namespace {

MSongSettings& TheSong(const std::string& path) {
  if (!CreateSong(path)) Song().SetProjectPath(path);
  return Song();
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

}  // namespace

MSongSettings& LoadSongProject(const std::string& path) {
  MSongSettings& song = TheSong(path);
  // The loader's message becomes the command's one error line.
  auto* recorder = new RecordingMessageSink;
  auto previous = SetMessageSink(std::unique_ptr<IMessageSink>(recorder));
  const bool loaded = song.LoadProject();
  const std::string message = recorder->Count() ? recorder->LastText() : std::string();
  SetMessageSink(std::move(previous));
  if (!loaded) {
    song.ResetSongDefaults();
    throw CliError(kExitInput, path + ": " + OneLine(message.empty() ? "cannot be loaded" : message));
  }
  return song;
}

MSongSettings& NewSongProject(const std::string& path) {
  MSongSettings& song = TheSong(path);
  song.ResetSongDefaults();
  return song;
}

void SaveSongProject(MSongSettings& song) {
  if (!song.SaveProject()) throw CliError(kExitOutput, song.ProjectPath() + ": cannot be written");
}

int ProjectFileVersion(const std::string& path) {
  BinaryReader in(path);
  int32_t version;
  if (!in.IsOpen() || !in.ReadInt32(version)) throw CliError(kExitInput, path + ": cannot be read");
  return version;
}

std::string ReadLyricText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw CliError(kExitInput, path + ": cannot be opened");
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
    return Utf16LeToUtf8(std::string_view(bytes).substr(2));
  return ToUtf8(StripUtf8Bom(bytes));
}

}  // namespace lf::cli
