// lyricforge-cli set: changes song settings in a project, KEY=VALUE each.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "cli/command.h"
#include "cli/project_compile.h"
#include "cli/song_project.h"
#include "core/song/music_bounds.h"

namespace lf::cli {
namespace {

using Setter = std::function<void(Song&, const std::string&)>;

[[noreturn]] void BadValue(const std::string& key, const std::string& value, const std::string& expected) {
  throw CliError(kExitUsage, key + ": '" + value + "' is not " + expected);
}

long Integer(const std::string& key, const std::string& value, long low, long high) {
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(value.c_str(), &end, 0);
  if (value.empty() || *end != '\0' || errno || n < low || n > high)
    BadValue(key, value, "a number from " + std::to_string(low) + " to " + std::to_string(high));
  return n;
}

bool Boolean(const std::string& key, const std::string& value) {
  if (value == "1" || value == "on" || value == "yes" || value == "true") return true;
  if (value == "0" || value == "off" || value == "no" || value == "false") return false;
  BadValue(key, value, "on or off");
}

// "#RRGGBB", or a number taken as a stored colour value 0x00BBGGRR.
Colorref Color(const std::string& key, const std::string& value) {
  if (value.size() == 7 && value[0] == '#') {
    char* end = nullptr;
    const unsigned long rgb = std::strtoul(value.c_str() + 1, &end, 16);
    if (*end != '\0') BadValue(key, value, "a colour (#RRGGBB or 0x00BBGGRR)");
    return MakeRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
  }
  return static_cast<Colorref>(Integer(key, value, 0, 0xFFFFFF));
}

int Transition(const std::string& key, const std::string& value) {
  for (int t = 0; t < kTransitionCount; ++t)
    if (value == TransitionName(t)) return t;
  return static_cast<int>(Integer(key, value, 0, kTransitionCount - 1));
}

int Placement(const std::string& key, const std::string& value) {
  for (int p = 0; p < kPlacementCount; ++p)
    if (value == PlacementName(p)) return p;
  return static_cast<int>(Integer(key, value, 0, kPlacementCount - 1));
}

// Page text with "\n" written as a backslash and n.
std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += value[i];
    }
  }
  return out;
}

PageRecord& PageOf(Song& song, int32_t kind) {
  if (PageRecord* page = song.Look().PageByKind(kind)) return *page;
  song.Look().AddMissingPages();
  return *song.Look().PageByKind(kind);
}

void AddPageKeys(std::map<std::string, Setter>& keys, const std::string& name, int32_t kind) {
  auto page = [kind](Song& song) -> PageRecord& { return PageOf(song, kind); };
  keys[name + ".enabled"] = [=](Song& s, const std::string& v) { page(s).m_enabled = Boolean(name + ".enabled", v); };
  keys[name + ".hold"] = [=](Song& s, const std::string& v) {
    page(s).m_holdTime = Integer(name + ".hold", v, 0, 360000);
  };
  keys[name + ".draw"] = [=](Song& s, const std::string& v) {
    page(s).m_drawTransition = Transition(name + ".draw", v);
  };
  keys[name + ".erase"] = [=](Song& s, const std::string& v) {
    page(s).m_eraseTransition = Transition(name + ".erase", v);
  };
  keys[name + ".placement"] = [=](Song& s, const std::string& v) {
    page(s).m_placement = Placement(name + ".placement", v);
  };
  keys[name + ".font"] = [=](Song& s, const std::string& v) { page(s).m_style.SetFaceName(v); };
  keys[name + ".size"] = [=](Song& s, const std::string& v) {
    page(s).m_style.m_height = Integer(name + ".size", v, 1, 192);
  };
  keys[name + ".text"] = [=](Song& s, const std::string& v) { page(s).m_pageText = Unescape(v); };

  const std::map<std::string, int> roles = kind == LyricsPage
                                               ? std::map<std::string, int>{{"background", ColorIndexBackground},
                                                                            {"border", ColorIndexBorder},
                                                                            {"singer1", ColorIndexSinger1},
                                                                            {"singer2", ColorIndexSinger2},
                                                                            {"duet", ColorIndexDuet},
                                                                            {"outline", ColorIndexOutline},
                                                                            {"sweep", ColorIndexSweep},
                                                                            {"fixed", ColorIndexFixed}}
                                               : std::map<std::string, int>{{"background", ColorIndexBackground},
                                                                            {"border", ColorIndexBorder},
                                                                            {"text", ColorIndexSinger1},
                                                                            {"outline", ColorIndexOutline}};
  for (const auto& [role, index] : roles) {
    const std::string key = name + ".color." + role;
    keys[key] = [=](Song& s, const std::string& v) { page(s).m_picture.SetPaletteColor(index, Color(key, v)); };
  }
}

std::map<std::string, Setter> Keys() {
  std::map<std::string, Setter> keys;
  keys["singerMode"] = [](Song& s, const std::string& v) {
    s.Look().Settings().singerMode = v == "solo"   ? 1
                                     : v == "duet" ? 2
                                                   : static_cast<int>(Integer("singerMode", v, 1, 2));
  };
  keys["linesPerPage"] = [](Song& s, const std::string& v) {
    s.SetLinesPerPage(static_cast<int>(Integer("linesPerPage", v, 1, kDrawRows)));
  };
  keys["sweepMode"] = [](Song& s, const std::string& v) {
    s.Look().Settings().sweepMode = v == "text"         ? 0
                                    : v == "background" ? 1
                                                        : static_cast<uint32_t>(Integer("sweepMode", v, 0, 1));
  };
  keys["sweepAdvance"] = [](Song& s, const std::string& v) {
    s.Look().Settings().sweepAdvance = static_cast<int32_t>(Integer("sweepAdvance", v, -500, 0));
  };
  keys["sweepEntireWord"] = [](Song& s, const std::string& v) {
    s.Look().SetSweepEntireWord(Boolean("sweepEntireWord", v));
  };
  keys["eraseFromBottom"] = [](Song& s, const std::string& v) {
    s.Look().SetEraseFromBottom(static_cast<int32_t>(Integer("eraseFromBottom", v, 0, kDrawRows)));
  };
  keys["artist"] = [](Song& s, const std::string& v) { s.Lyrics().SetArtist(v); };
  keys["title"] = [](Song& s, const std::string& v) { s.Lyrics().SetTitle(v); };
  keys["music"] = [](Song& s, const std::string& v) {
    std::error_code ec;
    if (!v.empty()) CheckMusicFile(v);
    s.SetMusicPath(v.empty() ? v : std::filesystem::absolute(v, ec).lexically_normal().string());
    // Music shorter than the song's timing would leave words past its end.
    if (const int late = WordsPastTime(s.Lyrics().LineList(), SongMusicSpan(s).LatestWordTime()); late > 0)
      throw CliError(kExitUsage, "music: " + std::to_string(late) + (late == 1 ? " word is" : " words are") +
                                     " timed past the end of " + v);
  };
  const char* labels[] = {"duet.singer1", "duet.singer2", "duet.both"};
  for (int k = 0; k < 3; ++k) keys[labels[k]] = [k](Song& s, const std::string& v) { s.Lyrics().SetDuetLabel(k, v); };
  AddPageKeys(keys, "titlePage", TitlePage);
  AddPageKeys(keys, "lyricsPage", LyricsPage);
  AddPageKeys(keys, "creditsPage", CreditsPage);
  return keys;
}

// A project the author made read-only is not replaced unless asked, as an
// editor would not (the mode bits decide, whoever runs the command).
void RefuseReadOnlyProject(const std::string& path, bool force) {
  struct stat info {};
  if (force || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 0222) != 0) return;
  throw CliError(kExitOutput, path + " is read-only (--force replaces it)");
}

int RunSet(const std::vector<std::string>& arguments) {
  Args args(arguments, {"--force"}, {});
  const auto& positionals = args.Positionals();
  const std::string& path = args.Positional(0, "project file");
  if (positionals.size() < 2) throw CliError(kExitUsage, "missing KEY=VALUE");

  const auto keys = Keys();
  std::vector<std::pair<const Setter*, std::string>> changes;
  for (size_t i = 1; i < positionals.size(); ++i) {
    const std::string& item = positionals[i];
    const size_t eq = item.find('=');
    const auto key = keys.find(item.substr(0, eq));
    if (eq == std::string::npos || key == keys.end())
      throw CliError(kExitUsage, "unknown setting '" + item.substr(0, eq) + "'");
    changes.emplace_back(&key->second, item.substr(eq + 1));
  }

  RefuseReadOnlyProject(path, args.Flag("--force"));
  const auto lock = LockSongProject(path, "set");
  Song& song = LoadSongProject(path);
  for (const auto& [setter, value] : changes) (*setter)(song, value);
  song.SetModified(true);
  SaveSongProject(song);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(set, "set",
               "set P.lfp [--force] KEY=VALUE... (singerMode, linesPerPage, sweepMode, sweepAdvance, "
               "sweepEntireWord, eraseFromBottom, artist, title, music, duet.singer1|singer2|both, "
               "titlePage|lyricsPage|creditsPage .enabled|.hold|.draw|.erase|.placement|.font|.size|.text|.color.ROLE)",
               RunSet);

}  // namespace lf::cli
