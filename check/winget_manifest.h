// The installer manifest that the Windows Package Manager (winget) reads for a packed setup
// program: a YAML file of its installer manifest schema 1.12.0 (ManifestType: installer).
#pragma once

#include <cstdint>
#include <string>

// What the manifest says of the packed program, its texts in UTF-8.
struct WingetPackage {
  std::string fileName;        // the packed file's own name, for the download address to fill in
  std::string sha256;          // of the packed file, upper-case hexadecimal
  std::string architecture;    // WingetArchitecture's
  std::string folderName;      // FolderName: the uninstall key's name and its DisplayName
  std::string displayVersion;  // DisplayVersion as setup writes it; empty when it writes none
  std::string publisher;       // Publisher as setup writes it; empty when it writes none
};

constexpr char kWingetManifestVersion[] = "1.12.0";

// The manifest's architecture for the PE header's Machine field; null for one it has none for.
const char* WingetArchitecture(std::uint16_t machine);

// The installer manifest, with comments that say where each value came from and which ones
// are placeholders to fill in.
std::string WingetInstallerManifest(const WingetPackage& package);
