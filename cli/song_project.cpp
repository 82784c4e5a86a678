#include "cli/song_project.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/command.h"
#include "core/song/binary_reader.h"
#include "core/song/music_bounds.h"
#include "core/song/music_location.h"
#include "core/song/project_file.h"

namespace lf::cli {
namespace {

Song& TheSong(const std::string& path) {
  if (!CreateSong(path)) OpenSong().SetProjectPath(path);
  return OpenSong();
}

}  // namespace

std::unique_ptr<ProjectLock> LockSongProject(const std::string& path, const std::string& command) {
  constexpr std::chrono::seconds kWait{10};
  std::string why;
  auto lock = ProjectLock::Acquire(path, "lyricforge-cli " + command, kWait, &why);
  // A folder that cannot be written cannot take the saved project either: an output error.
  if (!lock)
    throw CliError(errno == EACCES || errno == EROFS || errno == EPERM ? kExitOutput : kExitFailure, path + ": " + why);
  return lock;
}

Song& LoadSongProject(const std::string& path) {
  Song& song = TheSong(path);
  // The loader's message becomes the command's one error line.
  const Outcome loaded = song.LoadProject();
  if (!loaded) {
    song.ResetSongDefaults();
    throw CliError(kExitInput, path + ": " + OneLine(ProjectLoadFailureText(loaded)));
  }
  // A project moved together with its music finds it beside itself.
  if (std::string moved = MusicBesideProject(song.MusicPath(), path); !moved.empty()) {
    std::fprintf(stderr, "lyricforge-cli: the music %s is not there; using %s beside the project\n",
                 QuoteControlCharacters(song.MusicPath()).c_str(), QuoteControlCharacters(moved).c_str());
    song.SetMusicPath(moved);
  }
  if (const int moved = BoundWordTimesByMusic(song); moved > 0)
    std::fprintf(stderr, "lyricforge-cli: %s: %s\n", QuoteControlCharacters(path).c_str(),
                 WordsPastMusicText(moved).c_str());
  return song;
}

Song& NewSongProject(const std::string& path) {
  Song& song = TheSong(path);
  song.ResetSongDefaults();
  return song;
}

void SaveSongProject(Song& song) {
  if (!song.SaveProject()) throw CliError(kExitOutput, song.ProjectPath() + ": cannot be written");
}

int ProjectFileVersion(const std::string& path) {
  BinaryReader in(path);
  int32_t version;
  if (!in.IsOpen() || !in.ReadInt32(version)) throw CliError(kExitInput, path + ": cannot be read");
  return version;
}

int WordIndexArgument(const std::string& text, const Song& song) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n >= song.Lyrics().WordCount())
    throw CliError(kExitUsage, "'" + text + "' is not a word of the song (0 to " +
                                   std::to_string(song.Lyrics().WordCount() - 1) + ")");
  return static_cast<int>(n);
}

}  // namespace lf::cli
