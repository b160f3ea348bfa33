#include "ResourceSeal.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "PropertyLists.h"
#include "testhost/macho/CodeSignature.h"

namespace testhost::macho {

namespace {

namespace fs = std::filesystem;

// A rule of the seal: the files below Contents/ whose path matches `pattern` are sealed, kept
// out (`omit`), sealed if present (`optional`), or are code sealed by its own signature
// (`nested`). Of the rules that match, the one of greatest weight decides.
struct SealRule {
  std::string pattern;
  bool optional = false;
  bool omit = false;
  bool nested = false;
  double weight = 0;  // 0: written as a plain `true`, which weighs 1
};

// The rules codesign writes for a bundle.
const SealRule kRules[] = {
    {"^Resources/"},
    {"^Resources/.*\\.lproj/", true, false, false, 1000},
    {"^Resources/.*\\.lproj/locversion.plist$", false, true, false, 1100},
    {"^Resources/Base\\.lproj/", false, false, false, 1010},
    {"^version.plist$"},
};
const SealRule kRules2[] = {
    {".*\\.dSYM($|/)", false, false, false, 11},
    {"^(.*/)?\\.DS_Store$", false, true, false, 2000},
    {"^(Frameworks|SharedFrameworks|PlugIns|Plug-ins|XPCServices|Helpers|MacOS|Library/"
     "(Automator|Spotlight|LoginItems))/",
     false, false, true, 10},
    {"^.*"},
    {"^Info\\.plist$", false, true, false, 20},
    {"^PkgInfo$", false, true, false, 20},
    {"^Resources/", false, false, false, 20},
    {"^Resources/.*\\.lproj/", true, false, false, 1000},
    {"^Resources/.*\\.lproj/locversion.plist$", false, true, false, 1100},
    {"^Resources/Base\\.lproj/", false, false, false, 1010},
    {"^[^/]+$", false, false, true, 10},
    {"^embedded\\.provisionprofile$", false, false, false, 20},
    {"^version\\.plist$", false, false, false, 20},
};

constexpr std::uintmax_t kMaxResourceSize = std::uintmax_t{64} << 20;

// Rules ready to match, heaviest first.
class RuleSet {
 public:
  template <class Rules>
  explicit RuleSet(const Rules& rules) {
    for (const SealRule& rule : rules) {
      try {
        compiled_.push_back({rule, std::regex(rule.pattern)});
      } catch (const std::regex_error&) {
        throw MachOError("the seal's rule '" + rule.pattern + "' is not a regular expression");
      }
    }
    std::stable_sort(compiled_.begin(), compiled_.end(), [](const auto& a, const auto& b) {
      return Weight(a.rule) > Weight(b.rule);
    });
  }

  // The rule that decides for `path`, or null when none matches (the file is not sealed).
  const SealRule* decide(const std::string& path) const {
    for (const Compiled& c : compiled_) {
      if (std::regex_search(path, c.regex)) return &c.rule;
    }
    return nullptr;
  }

 private:
  struct Compiled {
    SealRule rule;
    std::regex regex;
  };
  static double Weight(const SealRule& rule) { return rule.weight > 0 ? rule.weight : 1; }

  std::vector<Compiled> compiled_;
};

// Every file below Contents/ by its path there, in byte order, but for the signature itself and
// the main executable, which the code signature covers. Throws for what no seal holds.
std::vector<std::string> BundleFiles(const MacBundle& bundle) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(bundle.folder, ec)) {
    if (entry.path().filename() != "Contents") {
      throw MachOError(entry.path().filename().string() +
                       " lies beside Contents/ in the bundle, where nothing is sealed");
    }
  }
  std::vector<std::string> files;
  const fs::path contents = bundle.contents();
  for (fs::recursive_directory_iterator it(contents, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string path = fs::relative(it->path(), contents).generic_string();
    if (path == "_CodeSignature") {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_symlink()) throw MachOError(path + " is a link, which this bundle must not hold");
    if (it->is_directory()) continue;
    if (!it->is_regular_file()) throw MachOError(path + " is not a regular file");
    if (path != "MacOS/" + bundle.executable) files.push_back(path);
  }
  if (ec) throw MachOError("cannot list " + contents.string() + ": " + ec.message());
  std::sort(files.begin(), files.end());
  return files;
}

Plist RuleList(const SealRule* rules, std::size_t count) {
  std::map<std::string, const SealRule*> sorted;
  for (std::size_t i = 0; i < count; ++i) sorted[rules[i].pattern] = &rules[i];
  Plist dict(plist_new_dict());
  for (const auto& [pattern, rule] : sorted) {
    plist_t value;
    if (!rule->optional && !rule->omit && !rule->nested && rule->weight == 0) {
      value = plist_new_bool(1);
    } else {
      value = plist_new_dict();
      if (rule->nested) plist_dict_set_item(value, "nested", plist_new_bool(1));
      if (rule->omit) plist_dict_set_item(value, "omit", plist_new_bool(1));
      if (rule->optional) plist_dict_set_item(value, "optional", plist_new_bool(1));
      if (rule->weight > 0) plist_dict_set_item(value, "weight", plist_new_real(rule->weight));
    }
    plist_dict_set_item(dict.get(), pattern.c_str(), value);
  }
  return dict;
}

template <class Digest>
plist_t DataOf(const Digest& digest) {
  return plist_new_data(reinterpret_cast<const char*>(digest.data()), digest.size());
}

// The rules a seal carries under `key`.
std::vector<SealRule> ReadRules(plist_t root, const char* key) {
  const plist_t dict = plist_dict_get_item(root, key);
  if (!IsDictionary(dict)) throw MachOError(std::string("the seal has no ") + key);
  std::vector<SealRule> rules;
  ForEachItem(dict, [&](const std::string& pattern, plist_t value) {
    SealRule rule{pattern};
    if (IsDictionary(value)) {
      rule.optional = TrueItem(value, "optional");
      rule.omit = TrueItem(value, "omit");
      rule.nested = TrueItem(value, "nested");
      const plist_t weight = plist_dict_get_item(value, "weight");
      if (weight && plist_get_node_type(weight) == PLIST_REAL) plist_get_real_val(weight, &rule.weight);
      if (weight && plist_get_node_type(weight) == PLIST_UINT) {
        std::uint64_t w = 0;
        plist_get_uint_val(weight, &w);
        rule.weight = static_cast<double>(w);
      }
    } else if (plist_get_node_type(value) == PLIST_BOOLEAN) {
      std::uint8_t sealed = 0;
      plist_get_bool_val(value, &sealed);
      rule.omit = !sealed;
    } else {
      throw MachOError("the seal's rule '" + pattern + "' is neither true nor a dictionary");
    }
    rules.push_back(rule);
  });
  return rules;
}

// What the seal says of one file.
struct SealedFile {
  std::optional<std::vector<std::uint8_t>> sha1, sha256;
  bool optional = false;
};

std::map<std::string, SealedFile> ReadSealedFiles(plist_t root, const char* key) {
  std::map<std::string, SealedFile> files;
  const plist_t dict = plist_dict_get_item(root, key);
  if (!dict) return files;
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

// Checks one version of the seal: `files` against what `rules` seal in the bundle.
std::size_t VerifyVersion(const MacBundle& bundle, const std::vector<std::string>& present,
                          const RuleSet& rules, const std::map<std::string, SealedFile>& sealed) {
  std::set<std::string> seen;
  for (const std::string& path : present) {
    const SealRule* rule = rules.decide(path);
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

std::vector<std::uint8_t> ReadBundleFile(const std::filesystem::path& path, const char* what,
                                         std::uintmax_t limit) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw MachOError(std::string(what) + " " + path.string() + " is missing");
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > limit) {
    throw MachOError(std::string(what) + " " + path.string() + " is larger than " +
                     std::to_string(limit >> 20) + " MiB");
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (!in || in.gcount() != static_cast<std::streamsize>(size)) {
    throw MachOError("cannot read " + path.string());
  }
  return bytes;
}

std::vector<std::uint8_t> WriteResourceSeal(const MacBundle& bundle) {
  const std::vector<std::string> present = BundleFiles(bundle);
  const RuleSet rules(kRules), rules2(kRules2);
  Plist files(plist_new_dict()), files2(plist_new_dict());
  for (const std::string& path : present) {
    const SealRule* rule2 = rules2.decide(path);
    if (rule2 && rule2->nested) {
      throw MachOError(path + " is code or lies at the top of Contents/, which this signer "
                       "does not seal");
    }
    const SealRule* rule = rules.decide(path);
    const bool inFiles = rule && !rule->omit;
    const bool inFiles2 = rule2 && !rule2->omit;
    if (!inFiles && !inFiles2) continue;
    const std::vector<std::uint8_t> bytes =
        ReadBundleFile(bundle.contents() / path, "a resource file", kMaxResourceSize);
    if (inFiles) {
      plist_t value = DataOf(Sha1(bytes));
      if (rule->optional) {
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "hash", value);
        plist_dict_set_item(entry, "optional", plist_new_bool(1));
        value = entry;
      }
      plist_dict_set_item(files.get(), path.c_str(), value);
    }
    if (inFiles2) {
      plist_t entry = plist_new_dict();
      plist_dict_set_item(entry, "hash2", DataOf(Sha256(bytes)));
      if (rule2->optional) plist_dict_set_item(entry, "optional", plist_new_bool(1));
      plist_dict_set_item(files2.get(), path.c_str(), entry);
    }
  }
  Plist root(plist_new_dict());
  plist_dict_set_item(root.get(), "files", files.release());
  plist_dict_set_item(root.get(), "files2", files2.release());
  plist_dict_set_item(root.get(), "rules", RuleList(kRules, std::size(kRules)).release());
  plist_dict_set_item(root.get(), "rules2", RuleList(kRules2, std::size(kRules2)).release());
  return ToXml(root.get());
}

std::size_t VerifyResourceSeal(const MacBundle& bundle, const std::vector<std::uint8_t>& seal) {
  const Plist root = ParsePlist(seal, "the seal (_CodeSignature/CodeResources)");
  if (!IsDictionary(root.get())) throw MachOError("the seal holds no dictionary");
  const std::vector<std::string> present = BundleFiles(bundle);
  const std::size_t checked = VerifyVersion(bundle, present, RuleSet(ReadRules(root.get(), "rules2")),
                                            ReadSealedFiles(root.get(), "files2"));
  if (plist_dict_get_item(root.get(), "rules")) {
    VerifyVersion(bundle, present, RuleSet(ReadRules(root.get(), "rules")),
                  ReadSealedFiles(root.get(), "files"));
  }
  return checked;
}

}  // namespace testhost::macho
