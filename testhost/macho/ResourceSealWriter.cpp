// The signer's seal: the files the standard rules seal, listed and hashed, and the rules.
#include <algorithm>
#include <map>
#include <regex>
#include <string>

#include "PropertyLists.h"
#include "ResourceSeal.h"
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

// Rules ready to match, heaviest first.
class RuleSet {
 public:
  template <class Rules>
  explicit RuleSet(const Rules& rules) {
    for (const SealRule& rule : rules) compiled_.push_back({rule, std::regex(rule.pattern)});
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

// Every file below Contents/ by its path there, in byte order, but for the main executable,
// which the code signature covers. Throws for what no seal holds, and for anything in
// _CodeSignature/ but a seal this signer replaces.
std::vector<std::string> BundleFiles(const MacBundle& bundle) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(bundle.folder, ec)) {
    const fs::path name = entry.path().filename();
    if (name != "Contents" && name != kFinderFolderFile) {
      throw MachOError(name.string() + " lies beside Contents/ in the bundle, where nothing is sealed");
    }
  }
  std::vector<std::string> files;
  const fs::path contents = bundle.contents();
  const fs::path signatureFolder = bundle.seal().parent_path();
  for (fs::recursive_directory_iterator it(contents, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string path = fs::relative(it->path(), contents).generic_string();
    if (it->path() == signatureFolder) {
      it.disable_recursion_pending();
      for (const fs::directory_entry& entry : fs::directory_iterator(signatureFolder, ec)) {
        if (entry.path() != bundle.seal()) {
          throw MachOError(fs::relative(entry.path(), contents).generic_string() +
                           " lies in the signature's folder, which this signer does not write");
        }
      }
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

}  // namespace

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

}  // namespace testhost::macho
