// dump: the graphics packets of a stream, one line (or JSON entry) each.
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "core/cdg/cdg_packet.h"
#include "core/cdg/cdg_stream_file.h"
#include "core/playback/stream_decode.h"

namespace lf::cli {

namespace {

using FieldValue = std::variant<int, std::string>;
using Fields = std::vector<std::pair<std::string, FieldValue>>;

std::string Hex2(int v) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02x", v & 0xFF);
  return buf;
}

std::string ColorText(Colorref c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
  return buf;
}

Fields FieldsOf(const CdgPacket& p) {
  switch (static_cast<CdgInstruction>(p.InstructionCode())) {
    case CdgInstruction::MemoryPreset:
      return {{"color", p.PresetColor()}, {"repeat", p.PresetRepeat()}};
    case CdgInstruction::BorderPreset:
    case CdgInstruction::DefineTransparentColor:
      return {{"color", p.PresetColor()}};
    case CdgInstruction::TileBlockNormal:
    case CdgInstruction::TileBlockXor: {
      std::string rows;
      for (uint8_t bits : p.TileBits().bits) {
        if (!rows.empty()) rows += ',';
        rows += Hex2(bits);
      }
      return {{"channel", p.TileChannel()}, {"color0", p.TileColor0()}, {"color1", p.TileColor1()},
              {"row", p.TileRow()},         {"column", p.TileColumn()}, {"rows", rows}};
    }
    case CdgInstruction::ScrollPreset:
      return {{"fill", p.ScrollFillColor()},
              {"hcommand", p.ScrollHCommand()},
              {"hoffset", p.ScrollHOffset()},
              {"vcommand", p.ScrollVCommand()},
              {"voffset", p.ScrollVOffset()}};
    case CdgInstruction::ScrollCopy:
      return {{"hcommand", p.ScrollHCommand()},
              {"hoffset", p.ScrollHOffset()},
              {"vcommand", p.ScrollVCommand()},
              {"voffset", p.ScrollVOffset()}};
    case CdgInstruction::LoadColorTableLow:
    case CdgInstruction::LoadColorTableHigh: {
      std::string colors;
      for (Colorref c : p.TableColors()) {
        if (!colors.empty()) colors += ',';
        colors += ColorText(c);
      }
      return {{"colors", colors}};
    }
  }
  return {{"code", p.InstructionCode()}};
}

std::string TimeText(size_t slot) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(slot) / kPacketsPerSecond);
  return buf;
}

int RunDump(const std::vector<std::string>& argv) {
  Args args(argv, {"--json"}, {"--from", "--to"});
  const std::string input = args.Positional(0, "input file");
  const double from = args.Number("--from", 0);
  const double to = args.Number("--to", INFINITY);
  if (std::isnan(from) || std::isnan(to) || from < 0 || to < from)
    throw CliError(kExitUsage, "--from and --to take times in seconds, 0 or more, --from not after --to");

  CdgStreamFile stream;
  if (CdgReadResult read = ReadCdgStreamFile(input, stream); !read) throw CliError(kExitInput, read.message);
  const size_t first = SlotsBefore(from);
  const size_t end = std::isinf(to) ? stream.PacketCount() : std::min(SlotsBefore(to), stream.PacketCount());
  const bool json = args.Flag("--json");

  JsonWriter out;
  if (json) {
    out.BeginObject().Field("file", input).Field("slots", static_cast<int64_t>(stream.PacketCount()));
    out.Key("packets").BeginArray();
  }
  std::string text;
  for (size_t slot = first; slot < end; ++slot) {
    const CdgPacket p = PacketAt(&stream.bytes[slot * kPacketSize]);
    if (!p.IsGraphics()) continue;
    const char* known = InstructionName(p.InstructionCode());
    const std::string name = known ? known : "Unknown";
    const Fields fields = FieldsOf(p);
    if (json) {
      out.BeginObject()
          .Field("slot", static_cast<int64_t>(slot))
          .Field("time", static_cast<double>(slot) / kPacketsPerSecond);
      out.Field("instruction", name).Field("code", static_cast<int>(p.InstructionCode()));
      for (const auto& [key, value] : fields) {
        if (const int* n = std::get_if<int>(&value))
          out.Field(key, *n);
        else
          out.Field(key, std::get<std::string>(value));
      }
      out.EndObject();
    } else {
      text += std::to_string(slot) + " " + TimeText(slot) + " " + name;
      for (const auto& [key, value] : fields) {
        text += " " + key + "=";
        if (const int* n = std::get_if<int>(&value))
          text += std::to_string(*n);
        else
          text += std::get<std::string>(value);
      }
      text += "\n";
    }
  }
  if (json) {
    out.EndArray().EndObject();
    std::printf("%s\n", out.Text().c_str());
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(dump, "dump", "dump IN.cdg [--json] [--from S --to S]", RunDump);

}  // namespace lf::cli
