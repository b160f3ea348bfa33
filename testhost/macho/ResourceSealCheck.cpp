// The check of a bundle's seal, as macOS makes it: its own listing of the bundle, and its own
// reading of the rules the seal carries, not the writer's.
#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "PropertyLists.h"
#include "ResourceSeal.h"
#include "testhost/macho/CodeSignature.h"

namespace testhost::macho {

namespace {

namespace fs = std::filesystem;

// A rule as the seal carries it.
struct CarriedRule {
  std::string pattern;
  std::regex regex;
  bool optional = false;
  bool omit = false;
  bool nested = false;
  double weight = 1;  // a plain `true`, or a dictionary without a weight, weighs 1
};

// The heaviest rule whose pattern `path` matches (the first of equal weights in the seal's
// order), or null when none does: the file is not sealed.
const CarriedRule* DecidingRule(const std::vector<CarriedRule>& rules, const std::string& path) {
  const CarriedRule* deciding = nullptr;
  for (const CarriedRule& rule : rules) {
    if ((!deciding || rule.weight > deciding->weight) && std::regex_search(path, rule.regex)) {
      deciding = &rule;
    }
  }
  return deciding;
}

double WeightOf(plist_t weight, double otherwise) {
  if (weight && plist_get_node_type(weight) == PLIST_REAL) {
    double w = 0;
    plist_get_real_val(weight, &w);
    return w;
  }
  if (weight && plist_get_node_type(weight) == PLIST_UINT) {
    std::uint64_t w = 0;
    plist_get_uint_val(weight, &w);
    return static_cast<double>(w);
  }
  return otherwise;
}

// The rules a seal carries under `key`.
std::vector<CarriedRule> ReadRules(plist_t root, const char* key) {
  const plist_t dict = plist_dict_get_item(root, key);
  if (!IsDictionary(dict)) throw MachOError(std::string("the seal has no ") + key);
  std::vector<CarriedRule> rules;
  ForEachItem(dict, [&](const std::string& pattern, plist_t value) {
    CarriedRule rule;
    rule.pattern = pattern;
    try {
      rule.regex = std::regex(pattern);
    } catch (const std::regex_error&) {
      throw MachOError("the seal's rule '" + pattern + "' is not a regular expression");
    }
    if (IsDictionary(value)) {
      rule.optional = TrueItem(value, "optional");
      rule.omit = TrueItem(value, "omit");
      rule.nested = TrueItem(value, "nested");
      rule.weight = WeightOf(plist_dict_get_item(value, "weight"), rule.weight);
    } else if (plist_get_node_type(value) == PLIST_BOOLEAN) {
      std::uint8_t sealed = 0;
      plist_get_bool_val(value, &sealed);
      rule.omit = !sealed;
    } else {
      throw MachOError("the seal's rule '" + pattern + "' is neither true nor a dictionary");
    }
    rules.push_back(std::move(rule));
  });
  return rules;
}

// What the seal says of one file.
struct SealedFile {
  std::optional<std::vector<std::uint8_t>> sha1, sha256;
  bool optional = false;
};

std::map<std::string, SealedFile> ReadSealedFiles(plist_t dict, const char* key) {
  std::map<std::string, SealedFile> files;
  if (!IsDictionary(dict)) throw MachOError(std::string("the seal's ") + key + " is malformed");
  ForEachItem(dict, [&](const std::string& path, plist_t value) {
    SealedFile file;
    if (plist_get_node_type(value) == PLIST_DATA) {
      std::uint64_t length = 0;
      const char* data = plist_get_data_ptr(value, &length);
      file.sha1 = std::vector<std::uint8_t>(data, data + length);
    } else if (IsDictionary(value)) {
      file.sha1 = DataItem(value, "hash");
      file.sha256 = DataItem(value, "hash2");
      file.optional = TrueItem(value, "optional");
    }
    if (!file.sha1 && !file.sha256) {
      throw MachOError("the seal holds no hash for " + path);
    }
    files[path] = file;
  });
  return files;
}

template <class Digest>
bool Matches(const std::optional<std::vector<std::uint8_t>>& stored, const Digest& digest) {
  return !stored || (stored->size() == digest.size() &&
                     std::equal(stored->begin(), stored->end(), digest.begin()));
}

// Throws for what macOS refuses beside Contents/: anything but the Finder's folder file.
void CheckBundleFolder(const MacBundle& bundle) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(bundle.folder, ec)) {
    const fs::path name = entry.path().filename();
    if (name != "Contents" && name != kFinderFolderFile) {
      throw MachOError(name.string() + " lies beside Contents/ in the bundle, where nothing is sealed");
    }
  }
}

// Every file below Contents/ that the rules decide on, by its path there: all but the main
// executable (its own signature covers it) and the seal. Throws for what macOS refuses: anything
// else in _CodeSignature/, links, and what is not a regular file.
std::vector<std::string> FilesToCheck(const MacBundle& bundle) {
  const std::string executable = "MacOS/" + bundle.executable;
  const fs::path contents = bundle.contents();
  const std::string signatureFolder = fs::relative(bundle.seal().parent_path(), contents).generic_string();
  const std::string seal = fs::relative(bundle.seal(), contents).generic_string();
  std::vector<std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(contents, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string path = fs::relative(it->path(), contents).generic_string();
    if (path == signatureFolder || path == seal) continue;
    if (path.compare(0, signatureFolder.size() + 1, signatureFolder + "/") == 0) {
      throw MachOError(path + " lies in the signature's folder, which holds the seal alone");
    }
    if (it->is_symlink()) throw MachOError(path + " is a link, which this bundle must not hold");
    if (it->is_directory()) continue;
    if (!it->is_regular_file()) throw MachOError(path + " is not a regular file");
    if (path != executable) files.push_back(path);
  }
  if (ec) throw MachOError("cannot list " + contents.string() + ": " + ec.message());
  return files;
}

// Checks one version of the seal: `sealed` against what `rules` seal of the files `present`.
std::size_t VerifyVersion(const MacBundle& bundle, const std::vector<std::string>& present,
                          const std::vector<CarriedRule>& rules,
                          const std::map<std::string, SealedFile>& sealed) {
  std::set<std::string> seen;
  for (const std::string& path : present) {
    const CarriedRule* rule = DecidingRule(rules, path);
    if (!rule || rule->omit) continue;
    if (rule->nested) {
      throw MachOError(path + " is code or lies at the top of Contents/, and no seal holds it");
    }
    const auto found = sealed.find(path);
    if (found == sealed.end()) {
      throw MachOError(path + " is not sealed: it was added to the bundle after signing");
    }
    const std::vector<std::uint8_t> bytes =
        ReadBundleFile(bundle.contents() / path, "a sealed file", kMaxResourceSize);
    if (!Matches(found->second.sha1, Sha1(bytes)) || !Matches(found->second.sha256, Sha256(bytes))) {
      throw MachOError(path + " does not match its seal: it was changed after signing");
    }
    seen.insert(path);
  }
  for (const auto& [path, file] : sealed) {
    if (!seen.count(path) && !file.optional &&
        std::find(present.begin(), present.end(), path) == present.end()) {
      throw MachOError(path + " is sealed but missing from the bundle");
    }
  }
  return seen.size();
}

}  // namespace

std::size_t VerifyResourceSeal(const MacBundle& bundle, const std::vector<std::uint8_t>& seal) {
  const Plist root = ParsePlist(seal, "the seal (_CodeSignature/CodeResources)");
  if (!IsDictionary(root.get())) throw MachOError("the seal holds no dictionary");
  CheckBundleFolder(bundle);
  std::vector<std::string> present = FilesToCheck(bundle);
  std::sort(present.begin(), present.end());
  // A seal of version 2 is checked by it alone; its version-1 half serves older systems.
  const plist_t files2 = plist_dict_get_item(root.get(), "files2");
  if (files2) {
    return VerifyVersion(bundle, present, ReadRules(root.get(), "rules2"),
                         ReadSealedFiles(files2, "files2"));
  }
  const plist_t files = plist_dict_get_item(root.get(), "files");
  if (!files) throw MachOError("the seal has neither files2 nor files");
  return VerifyVersion(bundle, present, ReadRules(root.get(), "rules"),
                       ReadSealedFiles(files, "files"));
}

}  // namespace testhost::macho
