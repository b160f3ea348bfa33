// The resources of a Windows plug-in file read straight from its bytes, so that the .aex can be
// listed on a machine that cannot load it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testhost/formats/PeImage.h"

namespace testhost {

// One resource of a plug-in file: its numeric id and its bytes.
struct ResourceBytes {
  int id;
  std::vector<std::uint8_t> data;
};

// The resources of the named type (e.g. "PIPL"), one per id, ordered by id; where an id has
// several languages, US English, else the first. Throws PeError (OutOfBounds among them)
// when the headers, the resource tree or a data entry point outside the file.
std::vector<ResourceBytes> ReadPeResources(const std::vector<std::uint8_t>& file,
                                           const std::string& type);

}  // namespace testhost
