#include "check/check_report.h"

#include <algorithm>
#include <cstdio>

#include "check/setup_check.h"
#include "integration/uninstall_registration.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

std::string Hex2(unsigned char c) {
  return std::string(1, kHex[c >> 4]) + kHex[c & 15];
}

// Text for a terminal: control bytes shown as \xNN, other bytes as they are.
std::string Shown(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F)
      shown += "\\x" + Hex2(c);
    else
      shown += static_cast<char>(c);
  }
  return shown;
}

std::string Quoted(const std::string& text) {
  return "\"" + Shown(text) + "\"";
}

std::string LineLabel(int line) {
  return line == 0 ? "distribution" : "line " + std::to_string(line);
}

// --- Text ---------------------------------------------------------------------------------

class TextWriter {
 public:
  void Line(const std::string& text) { out_ += text + "\n"; }
  // A labelled row: the label padded to one column.
  void Row(const std::string& label, const std::string& text) {
    std::string padded = "  " + label;
    padded.resize(std::max<std::size_t>(padded.size() + 1, 17), ' ');
    Line(padded + text);
  }
  void More(const std::string& text) { Line(std::string(17, ' ') + text); }
  std::string Take() { return out_; }

 private:
  std::string out_;
};

void TextSettings(const CheckResult& r, TextWriter* w) {
  const SetupSettingsRecord& s = r.settings;
  w->Row("ProgramFile", Quoted(s.ProgramFile));
  w->Row("InstallDir", Quoted(s.InstallDir));
  w->Row("FolderName", Quoted(s.FolderName));
  w->Row("LinkTitle", Quoted(s.LinkTitle));
  w->Row("ProductName", Quoted(s.ProductName));
  w->Row("EntryCount", std::to_string(s.EntryCount));
  int slots = std::min<int>(s.EntryCount, kMaxEntries);
  for (int k = 0; k < slots; ++k) {
    std::string name = s.EntryName[k] ? Quoted(s.EntryName[k]) : "(none)";
    std::string file = s.EntryFile[k] ? Quoted(s.EntryFile[k]) : "(none)";
    w->Row("entry " + std::to_string(k + 1),
           s.EntryName[k] || s.EntryFile[k] ? name + " -> " + file : "(not read)");
  }
}

void TextShortcut(const PlannedShortcut& sc, TextWriter* w) {
  std::string label = sc.desktop ? "desktop" : "Start menu";
  std::string title = Quoted(sc.name) + (sc.line ? " (line " + std::to_string(sc.line) + ")" : "");
  w->Row(label, title);
  auto family = [&](const char* name, const PlannedLink& link) {
    w->More(std::string(name) + (link.created ? Shown(link.link) : "not created"));
  };
  family("95/98 family: ", sc.family9x);
  family("NT family:    ", sc.familyNt);
  if (!sc.family9x.created && !sc.familyNt.created)
    return;
  w->More("group: " + (sc.hasGroup ? Quoted(sc.group) : std::string("none")) +
          "; file name: " + Quoted(sc.fileName));
  w->More("target: " + Shown(sc.target));
  w->More("working folder: " + Shown(sc.workingFolder));
  w->More("description: " + Quoted(sc.description));
}

void TextPlan(const InstallPlan& p, TextWriter* w) {
  w->Line("");
  w->Line("What OK does (" + std::string(kWindowsSymbol) + ", " + kDesktopSymbol + ", " +
          kProgramsSymbol + ", " + kCommonDesktopSymbol + " and " + kCommonProgramsSymbol +
          " stand for the folders of the user's machine):");
  w->Row("target folder", Shown(p.targetFolder));
  if (p.folderRefused) {
    w->More("cannot be created: the installer shows " + Quoted(p.message) +
            " and waits for another folder");
    return;
  }
  for (const PlannedCopy& c : p.copies)
    w->Row("copied", Shown(c.name) + " -> " + Shown(c.to));
  for (const PassedOver& n : p.passedOver)
    w->Row("not copied", Shown(n.name) + ": " + n.reason);
  std::string progress = "step " + std::to_string(p.progressStep) + " for " +
                         std::to_string(p.entriesCounted) +
                         (p.fromPayload ? " files of the payload" : " folder entries");
  if (p.progressStepAtRoot >= 0)
    progress += "; " + std::to_string(p.progressStepAtRoot) +
                " at a drive's root, which lists no \".\" and \"..\"";
  w->Row("progress", progress);
  if (p.registryWritten) {
    w->Row("registry", "HKEY_LOCAL_MACHINE\\" + Shown(p.registryKey));
    for (const auto& value : p.registryValues)
      w->More("  " + Shown(value.first) + " = " + Quoted(value.second));
    for (const auto& value : p.registryNumbers)
      w->More("  " + Shown(value.first) + " = " + std::to_string(value.second) + " (REG_DWORD)");
    if (p.installedFilesRecorded) {
      w->More("  " + std::string(kInstalledFilesValue) + " = " +
              std::to_string(p.installedFiles.size()) + " names (REG_MULTI_SZ):");
      for (const std::string& name : p.installedFiles)
        w->More("    " + Quoted(name));
    } else {
      w->More("  " + std::string(kInstalledFilesValue) +
              " left out: the names do not fit the record");
    }
  } else {
    w->Row("registry", "nothing written");
  }
  w->Row("uninstaller", p.uninstallerCopied
                            ? Shown(p.uninstallerFrom) + " -> " + Shown(p.uninstallerTo)
                            : std::string("not copied"));
  for (const PlannedShortcut& sc : p.shortcuts)
    TextShortcut(sc, w);
  if (p.launched)
    w->Row("launch", Shown(p.launchCommand) + " in " + Shown(p.launchFolder));
  else
    w->Row("launch", "none");
}

// --- JSON ---------------------------------------------------------------------------------

std::string Json(bool value) {
  return value ? "true" : "false";
}

std::string JsonOrNull(bool present, const std::string& text) {
  return present ? JsonString(text) : "null";
}

std::string JsonLink(const PlannedLink& link) {
  if (!link.created)
    return "null";
  return "{\"folder\": " + JsonString(link.folder) + ", \"link\": " + JsonString(link.link) + "}";
}

std::string JsonShortcut(const PlannedShortcut& sc) {
  bool made = sc.family9x.created || sc.familyNt.created;
  return std::string("{\"kind\": ") + (sc.desktop ? "\"desktop\"" : "\"start menu\"") +
         ", \"line\": " + std::to_string(sc.line) + ", \"name\": " + JsonString(sc.name) +
         ", \"group\": " + JsonOrNull(made && sc.hasGroup, sc.group) +
         ", \"fileName\": " + JsonOrNull(made, sc.fileName) +
         ", \"target\": " + JsonOrNull(made, sc.target) +
         ", \"workingFolder\": " + JsonOrNull(made, sc.workingFolder) +
         ", \"description\": " + JsonOrNull(made, sc.description) +
         ", \"families\": {\"95\": " + JsonLink(sc.family9x) +
         ", \"NT\": " + JsonLink(sc.familyNt) + "}}";
}

template <typename T, typename F>
std::string JsonArray(const std::vector<T>& items, F each, const char* indent) {
  if (items.empty())
    return "[]";
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i)
    out += std::string(i ? "," : "") + "\n" + indent + each(items[i]);
  return out + "\n" + std::string(indent).substr(2) + "]";
}

std::string JsonPlan(const InstallPlan& p) {
  std::string out = "{\n    \"targetFolder\": " + JsonString(p.targetFolder);
  out += ",\n    \"folderCreated\": " + Json(!p.folderRefused);
  out += ",\n    \"message\": " + JsonOrNull(p.folderRefused, p.message);
  if (p.folderRefused)
    return out + "\n  }";
  out += ",\n    \"copied\": " + JsonArray(
                                     p.copies,
                                     [](const PlannedCopy& c) {
                                       return "{\"name\": " + JsonString(c.name) +
                                              ", \"to\": " + JsonString(c.to) + "}";
                                     },
                                     "      ");
  out += ",\n    \"notCopied\": " + JsonArray(
                                        p.passedOver,
                                        [](const PassedOver& n) {
                                          return "{\"name\": " + JsonString(n.name) +
                                                 ", \"reason\": " + JsonString(n.reason) + "}";
                                        },
                                        "      ");
  out += ",\n    \"entriesCounted\": " + std::to_string(p.entriesCounted);
  out += ",\n    \"progressStep\": " + std::to_string(p.progressStep);
  out += ",\n    \"progressStepAtRoot\": " +
         (p.progressStepAtRoot >= 0 ? std::to_string(p.progressStepAtRoot) : "null");
  if (p.registryWritten) {
    out += ",\n    \"registry\": {\"root\": \"HKEY_LOCAL_MACHINE\", \"key\": " +
           JsonString(p.registryKey) + ", \"values\": {";
    for (std::size_t i = 0; i < p.registryValues.size(); ++i)
      out += std::string(i ? ", " : "") + JsonString(p.registryValues[i].first) + ": " +
             JsonString(p.registryValues[i].second);
    for (const auto& value : p.registryNumbers)
      out += ", " + JsonString(value.first) + ": " + std::to_string(value.second);
    if (p.installedFilesRecorded) {
      out += ", " + JsonString(kInstalledFilesValue) + ": [";
      for (std::size_t i = 0; i < p.installedFiles.size(); ++i)
        out += std::string(i ? ", " : "") + JsonString(p.installedFiles[i]);
      out += "]";
    }
    out += "}}";
  } else {
    out += ",\n    \"registry\": null";
  }
  out += ",\n    \"uninstaller\": " + (p.uninstallerCopied
                                           ? "{\"from\": " + JsonString(p.uninstallerFrom) +
                                                 ", \"to\": " + JsonString(p.uninstallerTo) + "}"
                                           : std::string("null"));
  out += ",\n    \"shortcuts\": " + JsonArray(p.shortcuts, JsonShortcut, "      ");
  out += ",\n    \"launch\": " + (p.launched
                                      ? "{\"folder\": " + JsonString(p.launchFolder) +
                                            ", \"command\": " + JsonString(p.launchCommand) + "}"
                                      : std::string("null"));
  return out + "\n  }";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\')
      out += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c >= 0x7F)
      out += "\\u00" + Hex2(c);
    else
      out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string TextReport(const CheckResult& r) {
  TextWriter w;
  w.Line("Distribution: " + Shown(r.folder));
  if (r.packed)
    w.Line(PayloadLine(r.payload));
  if (r.refused) {
    w.Line("The installer stops with this message (title " + Quoted(r.messageTitle) + "):");
    w.Line(r.message);
    w.Line("Read before it stopped:");
  } else {
    w.Line("The installer accepts setup.inf and reads:");
  }
  if (!r.refused || r.message != "Cannot open 'setup.inf'!")
    TextSettings(r, &w);
  w.Line("");
  const std::string head = w.Take() + TextWarnings(r.warnings);
  TextWriter plan;
  if (r.planned)
    TextPlan(r.plan, &plan);
  return head + plan.Take();
}

std::string TextWarnings(const CheckWarnings& warnings) {
  if (warnings.empty())
    return "Warnings: none\n";
  TextWriter w;
  w.Line("Warnings (" + std::to_string(warnings.size()) + "):");
  for (const CheckWarning& warning : warnings)
    w.Line("  " + LineLabel(warning.line) + ": " + Shown(warning.text));
  return w.Take();
}

std::string JsonReport(const CheckResult& r) {
  const SetupSettingsRecord& s = r.settings;
  std::string out = "{\n  \"error\": " + JsonOrNull(r.refused, r.message);
  if (r.packed)
    out += ",\n  \"payload\": " + PayloadJson(r.payload);
  out += ",\n  \"ProgramFile\": " + JsonString(s.ProgramFile);
  out += ",\n  \"InstallDir\": " + JsonString(s.InstallDir);
  out += ",\n  \"LinkTitle\": " + JsonString(s.LinkTitle);
  out += ",\n  \"ProductName\": " + JsonString(s.ProductName);
  out += ",\n  \"FolderName\": " + JsonString(s.FolderName);
  out += ",\n  \"EntryCount\": " + std::to_string(s.EntryCount);
  std::vector<int> slots;
  for (int k = 0; k < std::min<int>(s.EntryCount, kMaxEntries); ++k)
    slots.push_back(k);
  out += ",\n  \"Entries\": " +
         JsonArray(
             slots,
             [&s](int k) {
               if (!s.EntryName[k] && !s.EntryFile[k])
                 return std::string("null");
               return "{\"EntryName\": " +
                      JsonOrNull(s.EntryName[k] != nullptr, s.EntryName[k] ? s.EntryName[k] : "") +
                      ", \"EntryFile\": " +
                      JsonOrNull(s.EntryFile[k] != nullptr, s.EntryFile[k] ? s.EntryFile[k] : "") +
                      "}";
             },
             "    ");
  out += ",\n  \"warnings\": " + JsonArray(
                                     r.warnings,
                                     [](const CheckWarning& w) {
                                       return "{\"line\": " + std::to_string(w.line) +
                                              ", \"text\": " + JsonString(w.text) + "}";
                                     },
                                     "    ");
  out += ",\n  \"plan\": " + (r.planned ? JsonPlan(r.plan) : std::string("null"));
  return out + "\n}\n";
}
