#include "core/lyrics/lyrics_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

#include "core/lyrics/convert_text_lyrics.h"
#include "core/lyrics/parse_lrc.h"
#include "core/lyrics/sniff_lyrics_format.h"
#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_raw_text.h"

namespace lf {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

enum class ReadResult { Ok, OpenFailed, TooLarge, NoMemory };

// A lyric file is a regular file, checked before it is opened: opening a pipe
// would wait for a writer that may never come, and a device never ends.
ReadResult ReadWholeFile(const std::string& path, std::string& out) {
  struct stat named {};
  if (stat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return ReadResult::OpenFailed;
  if (named.st_size > kMaxLyricsFileBytes) return ReadResult::TooLarge;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return ReadResult::OpenFailed;
  std::unique_ptr<FILE, FileCloser> f(fdopen(fd, "rb"));
  if (!f) {
    close(fd);
    return ReadResult::OpenFailed;
  }
  struct stat st {};
  if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::OpenFailed;
  if (st.st_size > kMaxLyricsFileBytes) return ReadResult::TooLarge;
  try {
    out.clear();
    out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
      out.append(buf, n);
      if (out.size() > static_cast<size_t>(kMaxLyricsFileBytes)) return ReadResult::TooLarge;  // grew while read
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    out.shrink_to_fit();
    return ReadResult::NoMemory;
  }
  if (std::ferror(f.get())) return ReadResult::OpenFailed;
  return ReadResult::Ok;
}

LyricsImport Fail(LyricsImport r, Reason reason, std::string message, MessageIcon icon, const std::string& path) {
  r.outcome = Outcome::Failure(reason, std::move(message), kLyricsImportCaption, icon, path);
  r.text.clear();
  r.lrc.Clear();
  r.timed = {};
  return r;
}

// The reader of each timed format.
Outcome ReadTimed(LyricsFileKind kind, std::string_view bytes, const std::string& path, TimedLyrics& out) {
  switch (kind) {
    case LyricsFileKind::Ass:
      return ReadAss(bytes, path, out);
    case LyricsFileKind::UltraStar:
      return ReadUltraStar(bytes, path, out);
    case LyricsFileKind::Ttml:
      return ReadTtml(bytes, path, out);
    case LyricsFileKind::WebVtt:
      return ReadWebVtt(bytes, path, out);
    case LyricsFileKind::Srt:
      return ReadSrt(bytes, path, out);
    case LyricsFileKind::Midi:
      return ReadMidiLyrics(bytes, path, out);
    case LyricsFileKind::Text:
    case LyricsFileKind::Lrc:
    case LyricsFileKind::Unknown:
      break;
  }
  return Outcome::Success();
}

// Lines an LRC file gives to singer 2 take the editor's '&' (a fixed
// translation line keeps its '!').
void MarkSingerTwoLines(const LrcFile& lrc, std::string& text) {
  std::string out;
  size_t pos = 0;
  for (const LrcLine& line : lrc.lines) {
    if (pos >= text.size()) break;
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    if (line.singer == 2 && text[pos] != '!' && end > pos) out += '&';
    out.append(text, pos, end - pos + (end < text.size() ? 1 : 0));
    pos = end + 1;
  }
  if (pos < text.size()) out.append(text, pos);
  text = std::move(out);
}

}  // namespace

std::string LyricsLineError(const std::string& where) {
  return "There was an error reading the Lyrics file at " + where + ".\n\nPlease check the file and try again.";
}

LyricsFileKind LyricsFileKindOf(const std::string& path) {
  // The extension is searched in the file name only, so that a dot in a folder
  // name is not taken for one.
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return LyricsFileKind::Unknown;
  std::string ext = path.substr(dot, 4);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (ext == ".txt") return LyricsFileKind::Text;
  if (ext == ".lrc") return LyricsFileKind::Lrc;
  if (ext == ".kar" || ext == ".mid") return LyricsFileKind::Midi;
  if (ext == ".ass" || ext == ".ssa") return LyricsFileKind::Ass;
  if (ext == ".ttm" || ext == ".dfx" || ext == ".xml") return LyricsFileKind::Ttml;
  if (ext == ".vtt") return LyricsFileKind::WebVtt;
  if (ext == ".srt") return LyricsFileKind::Srt;
  return LyricsFileKind::Unknown;
}

LyricsImport ImportLyricsFile(const std::string& path) {
  LyricsImport r;
  const LyricsFileKind named = LyricsFileKindOf(path);
  const auto notLyrics = [&] {
    r.kind = LyricsFileKind::Unknown;
    r.outcome = Outcome::Quiet(Reason::NotHandled, path + ": not a lyric file type");
    return r;
  };

  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case ReadResult::OpenFailed:
      if (named == LyricsFileKind::Unknown) return notLyrics();
      return Fail(std::move(r), Reason::NotFound, kLyricsOpenError, MessageIcon::Warning, path);
    case ReadResult::TooLarge:
      return Fail(std::move(r), Reason::BadInput, kLyricsTooLargeError, MessageIcon::Warning, path);
    case ReadResult::NoMemory:
      return Fail(std::move(r), Reason::Failed, kLyricsMemoryError, MessageIcon::Warning, path);
    case ReadResult::Ok:
      break;
  }
  // The content decides; the extension only where the content does not tell.
  r.kind = SniffLyricsFormat(bytes);
  if (r.kind == LyricsFileKind::Unknown) r.kind = named;
  if (r.kind == LyricsFileKind::Unknown) return notLyrics();

  std::string lineError;  // a line of an LRC file that cannot be read
  try {
    switch (r.kind) {
      case LyricsFileKind::Text:
        r.text = ConvertTextLyrics(bytes);
        break;
      case LyricsFileKind::Lrc:
        ParseLrc(bytes, r.text, r.lrc, &lineError);
        MarkSingerTwoLines(r.lrc, r.text);
        break;
      default:
        if (Outcome read = ReadTimed(r.kind, bytes, path, r.timed); !read.Ok()) {
          r = Fail(std::move(r), read.reason, read.text, read.icon, path);
          r.namesFile = true;
          return r;
        }
        WriteRawLyrics(r.timed, r.text);
        break;
    }
  } catch (const std::bad_alloc&) {
    return Fail(std::move(r), Reason::Failed, kLyricsMemoryError, MessageIcon::Warning, path);
  }

  if (!lineError.empty())
    return Fail(std::move(r), Reason::BadInput, LyricsLineError(lineError), MessageIcon::Error, path);
  if (r.text.empty()) return Fail(std::move(r), Reason::BadInput, kLyricsNoLyricsError, MessageIcon::Error, path);
  return r;
}

}  // namespace lf
