#include "core/lyrics/lyrics_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

#include "core/lyrics/convert_text_lyrics.h"
#include "core/lyrics/parse_lrc.h"
#include "core/lyrics/scan_midi_lyrics.h"

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
  return r;
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
  return LyricsFileKind::Unknown;
}

LyricsImport ImportLyricsFile(const std::string& path) {
  LyricsImport r;
  r.kind = LyricsFileKindOf(path);
  if (r.kind == LyricsFileKind::Unknown) {
    r.outcome = Outcome::Quiet(Reason::NotHandled, path + ": not a lyric file type");
    return r;
  }

  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case ReadResult::OpenFailed:
      return Fail(std::move(r), Reason::NotFound, kLyricsOpenError, MessageIcon::Warning, path);
    case ReadResult::TooLarge:
      return Fail(std::move(r), Reason::BadInput, kLyricsTooLargeError, MessageIcon::Warning, path);
    case ReadResult::NoMemory:
      return Fail(std::move(r), Reason::Failed, kLyricsMemoryError, MessageIcon::Warning, path);
    case ReadResult::Ok:
      break;
  }

  std::string lineError;  // a line of an LRC file that cannot be read
  try {
    switch (r.kind) {
      case LyricsFileKind::Text:
        r.text = ConvertTextLyrics(bytes);
        break;
      case LyricsFileKind::Lrc:
        ParseLrc(bytes, r.text, r.lrc, &lineError);
        break;
      case LyricsFileKind::Midi:
        r.text = ScanMidiLyrics(bytes);
        break;
      case LyricsFileKind::Unknown:
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
