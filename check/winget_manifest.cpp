#include "check/winget_manifest.h"

#include <cstring>

#include "check/code_page.h"

namespace {

constexpr char kFillIn[] = "FILL-IN";

// A YAML double-quoted scalar: free text may hold anything YAML gives a meaning to. Control
// characters, C0 and C1, are no printable YAML and go as escapes.
std::string Quoted(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (std::size_t k = 0; k < text.size(); ++k) {
    unsigned char c = text[k];
    unsigned char next = k + 1 < text.size() ? text[k + 1] : 0;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    } else if (c == 0xC2 && next >= 0x80 && next < 0xA0) {
      out += std::string("\\x") + kHex[next >> 4] + kHex[next & 15];
      ++k;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// One part of a package identifier, as the schema's pattern takes it: no dots, blanks, control
// characters or \ / : * ? " < > |, and 1 to 32 UTF-16 units. Empty when nothing is left.
std::string IdentifierPart(const std::string& text) {
  std::wstring kept;
  int units = 0;
  for (wchar_t c : WideFromUtf8(text)) {
    const bool blank = c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x1680 ||
                       (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
                       c == 0x205F || c == 0x3000 || c == 0xFEFF;
    if (blank || c < 0x20 || (c < 0x80 && std::strchr(".\\/:*?\"<>|", static_cast<char>(c))))
      continue;
    // A character beyond 16 bits takes two units: a surrogate pair where wchar_t has 16 bits.
    const std::uint32_t point = static_cast<std::uint32_t>(c);
    const bool high = point >= 0xD800 && point < 0xDC00, low = point >= 0xDC00 && point < 0xE000;
    const int width = low ? 0 : high || point >= 0x10000 ? 2 : 1;
    if (units + width > 32)
      break;
    units += width;
    kept += c;
  }
  return Utf8FromWide(kept);
}

// A version the schema's PackageVersion takes: 1 to 128 characters, none of them a control
// character or \ / : * ? " < > |.
bool UsableVersion(const std::string& version) {
  if (version.empty() || version.size() > 128)
    return false;
  for (unsigned char c : version) {
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
      return false;
  }
  return true;
}

// The file's name in a URL path: everything but the unreserved characters percent-encoded.
std::string UrlName(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::strchr("-._~", c))
      out += static_cast<char>(c);
    else
      out += std::string("%") + kHex[c >> 4] + kHex[c & 15];
  }
  return out;
}

}  // namespace

const char* WingetArchitecture(std::uint16_t machine) {
  switch (machine) {
    case 0x014C:
      return "x86";
    case 0x8664:
      return "x64";
    case 0x01C4:
      return "arm";
    case 0xAA64:
      return "arm64";
    default:
      return nullptr;
  }
}

std::string WingetInstallerManifest(const WingetPackage& p) {
  std::string publisherPart = IdentifierPart(p.publisher);
  std::string namePart = IdentifierPart(p.folderName);
  const bool derivedVersion = UsableVersion(p.displayVersion);
  std::string y;
  auto line = [&y](const std::string& text) { y += text + "\n"; };

  line(std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.") +
       kWingetManifestVersion + ".schema.json");
  line("# The installer manifest of a packed setup program, written by setup-check. The");
  line("# community repository also wants a version manifest and a default locale manifest.");
  line("# FILL-IN marks what setup-check cannot know. PackageIdentifier: the program file's");
  line("# CompanyName, a dot, FolderName, without blanks or dots; PackageVersion: DisplayVersion");
  line("# as setup writes it, from the program file's version resource.");
  line("PackageIdentifier: " + Quoted((publisherPart.empty() ? kFillIn : publisherPart) + "." +
                                      (namePart.empty() ? kFillIn : namePart)));
  line("PackageVersion: " + Quoted(derivedVersion ? p.displayVersion : kFillIn));
  line("Installers:");
  line("  - Architecture: " + p.architecture + "  # the machine setup.exe is built for");
  line("    InstallerType: exe");
  line("    InstallerUrl: " +
       Quoted(std::string("https://example.com/") + kFillIn + "/" + UrlName(p.fileName)));
  line("    InstallerSha256: " + p.sha256);
  line("    Scope: machine  # the uninstall entry goes to HKEY_LOCAL_MACHINE");
  line("    InstallModes:");
  line("      - interactive");
  line("      - silent");
  line("      - silentWithProgress");
  line("    InstallerSwitches:");
  line("      Silent: /S");
  line("      SilentWithProgress: /S");
  line("      # winget puts it last, where /D= must be: it takes the rest of the command line");
  line("      InstallLocation: /D=<INSTALLPATH>");
  line("      Log: '/LOG=\"<LOGPATH>\"'");
  line("    UpgradeBehavior: install  # setup installs over an earlier installation");
  line("    ElevationRequirement: elevationRequired  # setup asks for administrator rights");
  line("    ExpectedReturnCodes:");
  line("      # the dialog was closed without installing");
  line("      - InstallerReturnCode: 1");
  line("        ReturnResponse: cancelledByUser");
  line("      # the command line, setup.inf or the payload cannot be used: nothing installed");
  line("      - InstallerReturnCode: 2");
  line("        ReturnResponse: invalidParameter");
  line("      # the folder cannot be created, or the product installed in another folder cannot");
  line("      # be removed from there: nothing installed");
  line("      - InstallerReturnCode: 3");
  line("        ReturnResponse: invalidParameter");
  line("      # installed, but a file (most often one in use), a registry value or a shortcut");
  line("      # failed: the log names it");
  line("      - InstallerReturnCode: 4");
  line("        ReturnResponse: fileInUse");
  line("    ProductCode: " + Quoted(p.folderName) + "  # the uninstall key's name: FolderName");
  line("    AppsAndFeaturesEntries:");
  line("      - DisplayName: " + Quoted(p.folderName));
  if (!p.publisher.empty())
    line("        Publisher: " + Quoted(p.publisher));
  // The schema's guidance: no DisplayVersion where PackageVersion says the same.
  if (!p.displayVersion.empty() && !derivedVersion)
    line("        DisplayVersion: " + Quoted(p.displayVersion));
  line("        ProductCode: " + Quoted(p.folderName));
  line("ManifestType: installer");
  line(std::string("ManifestVersion: ") + kWingetManifestVersion);
  return y;
}
