#include "cli/command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/platform/staged_output.h"

namespace lf::cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

bool Contains(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}
}  // namespace

CommandRegistrar::CommandRegistrar(const Command& command) { Registry().push_back(command); }

const std::vector<Command>& Commands() { return Registry(); }

std::string OneLine(const std::string& text, const std::string& separator) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) {
      if (!out.empty()) out += separator;
      out += line;
    }
    start = end + 1;
  }
  return out;
}

void RefuseOutputClash(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  if (std::string clash = OutputClash(inputs, outputs); !clash.empty()) throw CliError(kExitOutput, clash);
}

Args::Args(std::vector<std::string> args, std::vector<std::string> flagNames, std::vector<std::string> optionNames) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded) {
      m_positionals.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
      std::string name = a, value;
      bool hasValue = false;
      if (auto eq = a.find('='); eq != std::string::npos) {
        name = a.substr(0, eq);
        value = a.substr(eq + 1);
        hasValue = true;
      }
      if (Contains(flagNames, name) && !hasValue) {
        m_flags.push_back(name);
      } else if (Contains(optionNames, name)) {
        if (!hasValue) {
          if (i + 1 >= args.size()) throw CliError(kExitUsage, "option " + name + " needs a value");
          value = args[++i];
        }
        m_options.emplace_back(name, value);
      } else {
        throw CliError(kExitUsage, "unknown option " + a);
      }
    } else if (a == "-o") {
      if (i + 1 >= args.size()) throw CliError(kExitUsage, "option -o needs a value");
      m_options.emplace_back("-o", args[++i]);
    } else {
      m_positionals.push_back(a);
    }
  }
}

bool Args::Flag(const std::string& name) const { return Contains(m_flags, name); }

std::optional<std::string> Args::Option(const std::string& name) const {
  std::optional<std::string> found;
  for (const auto& [k, v] : m_options)
    if (k == name) found = v;
  return found;
}

std::vector<std::string> Args::Options(const std::string& name) const {
  std::vector<std::string> out;
  for (const auto& [k, v] : m_options)
    if (k == name) out.push_back(v);
  return out;
}

std::string Args::Required(const std::string& name) const {
  auto v = Option(name);
  if (!v) throw CliError(kExitUsage, "missing " + name);
  return *v;
}

double Args::Number(const std::string& name, double fallback) const {
  auto v = Option(name);
  if (!v) return fallback;
  char* end = nullptr;
  double d = std::strtod(v->c_str(), &end);
  if (end == v->c_str() || *end != '\0') throw CliError(kExitUsage, name + " takes a number, not '" + *v + "'");
  return d;
}

const std::string& Args::Positional(size_t index, const std::string& what) const {
  if (index >= m_positionals.size()) throw CliError(kExitUsage, "missing " + what);
  return m_positionals[index];
}

}  // namespace lf::cli
