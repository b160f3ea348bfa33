// The five effects' property lists, written out byte for byte for both platforms, independently
// of the generator. Windows lists are little-endian, so four-character codes read reversed
// ("MIB8" for 8BIM); macOS lists are big-endian and name the entry point for both slices of the
// code file, Intel (`mi64`) and Apple silicon (`ma64`).
#pragma once

#include <string>

namespace expected {

using namespace std::string_literals;

// Properties shared by every effect.
inline const std::string kWinHeader = "\x01\x00" "\0\0\0\0" "\x0c\0\0\0"s;
inline const std::string kWinKind = "MIB8" "dnik" "\0\0\0\0" "\x04\0\0\0" "TKFe"s;
inline const std::string kWinCategory = "MIB8" "gtac" "\0\0\0\0" "\x10\0\0\0" "\x0e" "ZelfinControls" "\0"s;
inline const std::string kWinVersions =
    "MIB8" "RVPe" "\0\0\0\0" "\x04\0\0\0" "\x02\0" "\0\0"
    "MIB8" "RVSe" "\0\0\0\0" "\x04\0\0\0" "\x0d\0" "\x01\0"
    "MIB8" "REVe" "\0\0\0\0" "\x04\0\0\0" "\x01\x86\x08\0"
    "MIB8" "FNIe" "\0\0\0\0" "\x02\0\0\0" "\0\0" "\0\0"s;
inline const std::string kWinReserved = "MIB8" "LFea" "\0\0\0\0" "\x04\0\0\0" "\x08\0\0\0"s;
inline const std::string kWinParamsUIFlags =
    "MIB8" "OLGe" "\0\0\0\0" "\x04\0\0\0" "\0\0\0\x06"
    "MIB8" "2LGe" "\0\0\0\0" "\x04\0\0\0" "\0\x14\0\0"s;

inline const std::string kMacHeader = "\0\0\0\0" "\0\0\0\x0d"s;
inline const std::string kMacKind = "8BIM" "kind" "\0\0\0\0" "\0\0\0\x04" "eFKT"s;
inline const std::string kMacCategory = "8BIM" "catg" "\0\0\0\0" "\0\0\0\x10" "\x0e" "ZelfinControls" "\0"s;
inline const std::string kMacVersions =
    "8BIM" "ePVR" "\0\0\0\0" "\0\0\0\x04" "\0\x02" "\0\0"
    "8BIM" "eSVR" "\0\0\0\0" "\0\0\0\x04" "\0\x0d" "\0\x01"
    "8BIM" "eVER" "\0\0\0\0" "\0\0\0\x04" "\0\x08\x86\x01"
    "8BIM" "eINF" "\0\0\0\0" "\0\0\0\x02" "\0\0" "\0\0"s;
inline const std::string kMacReserved = "8BIM" "aeFL" "\0\0\0\0" "\0\0\0\x04" "\0\0\0\x08"s;
inline const std::string kMacParamsUIFlags =
    "8BIM" "eGLO" "\0\0\0\0" "\0\0\0\x04" "\x06\0\0\0"
    "8BIM" "eGL2" "\0\0\0\0" "\0\0\0\x04" "\0\0\x14\0"s;

struct Lists {
  const char* effect;
  std::string windows;
  std::string mac;
};

inline const Lists kLists[] = {
    {"Transform Control",
     kWinHeader + kWinKind +
         "MIB8" "eman" "\0\0\0\0" "\x14\0\0\0" "\x11" "Transform Control" "\0\0"s + kWinCategory +
         "MIB8" "4668" "\0\0\0\0" "\x14\0\0\0" "EntryPointFunc_2d" "\0\0\0"s + kWinVersions +
         "MIB8" "OLGe" "\0\0\0\0" "\x04\0\0\0" "\0\0\0\x06"
         "MIB8" "2LGe" "\0\0\0\0" "\x04\0\0\0" "\x08\x14\0\0"s +
         "MIB8" "ANMe" "\0\0\0\0" "\x1c\0\0\0" "\x18" "Zelfin Transform Control" "\0\0\0"s + kWinReserved,
     kMacHeader + kMacKind +
         "8BIM" "name" "\0\0\0\0" "\0\0\0\x14" "\x11" "Transform Control" "\0\0"s + kMacCategory +
         "8BIM" "mi64" "\0\0\0\0" "\0\0\0\x14" "\x11" "EntryPointFunc_2d" "\0\0"
         "8BIM" "ma64" "\0\0\0\0" "\0\0\0\x14" "\x11" "EntryPointFunc_2d" "\0\0"s + kMacVersions +
         "8BIM" "eGLO" "\0\0\0\0" "\0\0\0\x04" "\x06\0\0\0"
         "8BIM" "eGL2" "\0\0\0\0" "\0\0\0\x04" "\0\0\x14\x08"s +
         "8BIM" "eMNA" "\0\0\0\0" "\0\0\0\x1c" "\x18" "Zelfin Transform Control" "\0\0\0"s + kMacReserved},
    {"3D Transform Control",
     kWinHeader + kWinKind +
         "MIB8" "eman" "\0\0\0\0" "\x18\0\0\0" "\x14" "3D Transform Control" "\0\0\0"s + kWinCategory +
         "MIB8" "4668" "\0\0\0\0" "\x14\0\0\0" "EntryPointFunc_3d" "\0\0\0"s + kWinVersions +
         kWinParamsUIFlags +
         "MIB8" "ANMe" "\0\0\0\0" "\x1c\0\0\0" "\x1b" "Zelfin 3D Transform Control"s + kWinReserved,
     kMacHeader + kMacKind +
         "8BIM" "name" "\0\0\0\0" "\0\0\0\x18" "\x14" "3D Transform Control" "\0\0\0"s + kMacCategory +
         "8BIM" "mi64" "\0\0\0\0" "\0\0\0\x14" "\x11" "EntryPointFunc_3d" "\0\0"
         "8BIM" "ma64" "\0\0\0\0" "\0\0\0\x14" "\x11" "EntryPointFunc_3d" "\0\0"s + kMacVersions +
         kMacParamsUIFlags +
         "8BIM" "eMNA" "\0\0\0\0" "\0\0\0\x1c" "\x1b" "Zelfin 3D Transform Control"s + kMacReserved},
    {"Camera Control",
     kWinHeader + kWinKind +
         "MIB8" "eman" "\0\0\0\0" "\x10\0\0\0" "\x0e" "Camera Control" "\0"s + kWinCategory +
         "MIB8" "4668" "\0\0\0\0" "\x18\0\0\0" "EntryPointFunc_camera" "\0\0\0"s + kWinVersions +
         kWinParamsUIFlags +
         "MIB8" "ANMe" "\0\0\0\0" "\x18\0\0\0" "\x15" "Zelfin Camera Control" "\0\0"s + kWinReserved,
     kMacHeader + kMacKind +
         "8BIM" "name" "\0\0\0\0" "\0\0\0\x10" "\x0e" "Camera Control" "\0"s + kMacCategory +
         "8BIM" "mi64" "\0\0\0\0" "\0\0\0\x18" "\x15" "EntryPointFunc_camera" "\0\0"
         "8BIM" "ma64" "\0\0\0\0" "\0\0\0\x18" "\x15" "EntryPointFunc_camera" "\0\0"s + kMacVersions +
         kMacParamsUIFlags +
         "8BIM" "eMNA" "\0\0\0\0" "\0\0\0\x18" "\x15" "Zelfin Camera Control" "\0\0"s + kMacReserved},
    {"Light Control",
     kWinHeader + kWinKind +
         "MIB8" "eman" "\0\0\0\0" "\x10\0\0\0" "\x0d" "Light Control" "\0\0"s + kWinCategory +
         "MIB8" "4668" "\0\0\0\0" "\x18\0\0\0" "EntryPointFunc_light" "\0\0\0\0"s + kWinVersions +
         kWinParamsUIFlags +
         "MIB8" "ANMe" "\0\0\0\0" "\x18\0\0\0" "\x14" "Zelfin Light Control" "\0\0\0"s + kWinReserved,
     kMacHeader + kMacKind +
         "8BIM" "name" "\0\0\0\0" "\0\0\0\x10" "\x0d" "Light Control" "\0\0"s + kMacCategory +
         "8BIM" "mi64" "\0\0\0\0" "\0\0\0\x18" "\x14" "EntryPointFunc_light" "\0\0\0"
         "8BIM" "ma64" "\0\0\0\0" "\0\0\0\x18" "\x14" "EntryPointFunc_light" "\0\0\0"s + kMacVersions +
         kMacParamsUIFlags +
         "8BIM" "eMNA" "\0\0\0\0" "\0\0\0\x18" "\x14" "Zelfin Light Control" "\0\0\0"s + kMacReserved},
    {"Bezier Control",
     kWinHeader + kWinKind +
         "MIB8" "eman" "\0\0\0\0" "\x10\0\0\0" "\x0e" "Bezier Control" "\0"s + kWinCategory +
         "MIB8" "4668" "\0\0\0\0" "\x18\0\0\0" "EntryPointFunc_bezier" "\0\0\0"s + kWinVersions +
         "MIB8" "OLGe" "\0\0\0\0" "\x04\0\0\0" "\0\x80\0\x02"
         "MIB8" "2LGe" "\0\0\0\0" "\x04\0\0\0" "\0\x14\0\0"s +
         "MIB8" "ANMe" "\0\0\0\0" "\x14\0\0\0" "\x13" "ZelfinBezierControl"s + kWinReserved,
     kMacHeader + kMacKind +
         "8BIM" "name" "\0\0\0\0" "\0\0\0\x10" "\x0e" "Bezier Control" "\0"s + kMacCategory +
         "8BIM" "mi64" "\0\0\0\0" "\0\0\0\x18" "\x15" "EntryPointFunc_bezier" "\0\0"
         "8BIM" "ma64" "\0\0\0\0" "\0\0\0\x18" "\x15" "EntryPointFunc_bezier" "\0\0"s + kMacVersions +
         "8BIM" "eGLO" "\0\0\0\0" "\0\0\0\x04" "\x02\0\x80\0"
         "8BIM" "eGL2" "\0\0\0\0" "\0\0\0\x04" "\0\0\x14\0"s +
         "8BIM" "eMNA" "\0\0\0\0" "\0\0\0\x14" "\x13" "ZelfinBezierControl"s + kMacReserved},
};

}  // namespace expected
