// A macOS plug-in bundle as the host finds its parts, and its signature as a whole.
//
// The host reads Contents/Info.plist as a property list and takes the code file and the resource
// file from its CFBundleExecutable, whatever the bundle folder is called. The bundle is signed as
// a whole: Contents/_CodeSignature/CodeResources (the seal) holds the hash of every resource
// file, and each slice of the code binds Info.plist, its requirements and the seal in special
// slots of its signature. Changing any file afterwards breaks the signature.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "testhost/formats/MachO.h"

namespace testhost {

struct MacBundle {
  std::filesystem::path folder;  // X.plugin
  std::string executable;        // CFBundleExecutable
  std::string identifier;        // CFBundleIdentifier

  std::filesystem::path contents() const { return folder / "Contents"; }
  std::filesystem::path infoPlist() const { return contents() / "Info.plist"; }
  std::filesystem::path codeFile() const { return contents() / "MacOS" / executable; }
  std::filesystem::path resourceFile() const {
    return contents() / "Resources" / (executable + ".rsrc");
  }
  std::filesystem::path seal() const { return contents() / "_CodeSignature" / "CodeResources"; }
};

// True when `path` is a folder that holds Contents/Info.plist: one the host takes for a bundle.
bool IsBundleFolder(const std::string& path);

// Reads the bundle at `path` (with or without a trailing separator). Throws MachOError naming the
// problem when Info.plist is missing, is not a property list holding a dictionary, or lacks a
// CFBundleExecutable that is a plain file name or a CFBundleIdentifier.
MacBundle ReadBundle(const std::string& path);

// Signs the bundle as a whole, ad hoc, as `codesign --force --sign -` does: writes the seal of
// every resource file, then replaces each slice's signature by one that binds Info.plist, the
// empty requirement set and that seal. Everything in the bundle must be final before; the result
// depends only on the bundle's bytes. Throws MachOError when the bundle holds what this signer
// does not seal (nested code, links, files outside Contents/ but the Finder's .DS_Store, files
// in _CodeSignature/ but the seal) or its code cannot be signed.
void SignBundle(const MacBundle& bundle);

// Verifies the bundle's signature as `codesign --verify --strict` does: every page hash of each
// slice, the identifier and flags (ad hoc, not the linker's), the special slots against
// Info.plist, the requirements and the seal, every sealed file's hashes (those of files2 alone
// when the seal has it), and that no file the rules seal is left outside the seal, nothing lies
// in _CodeSignature/ but the seal and nothing beside Contents/ but the Finder's .DS_Store. It
// decides all of this by its own code, not the signer's. Returns one line per check passed;
// throws MachOError whose one-line message names the first thing broken.
std::vector<std::string> VerifyBundle(const MacBundle& bundle);

}  // namespace testhost
