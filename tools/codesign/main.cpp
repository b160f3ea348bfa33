// zelfin-codesign: signs a macOS plug-in bundle as a whole, ad hoc, once everything in it is
// final: it seals every resource file and gives each slice of the code a signature that binds
// Info.plist, the requirements and the seal.
//   zelfin-codesign BUNDLE
// Exits 0 when signed, 1 when the bundle cannot be signed, 2 on a malformed command line.
#include <exception>
#include <iostream>
#include <string>

#include "testhost/macho/Bundle.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty() || argv[1][0] == '-') {
    std::cerr << "usage: zelfin-codesign BUNDLE\n";
    return 2;
  }
  try {
    const testhost::MacBundle bundle = testhost::ReadBundle(argv[1]);
    testhost::SignBundle(bundle);
    std::cout << "signed " << bundle.folder.string() << " ad hoc as " << bundle.identifier << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "zelfin-codesign: " << e.what() << "\n";
    return 1;
  }
}
