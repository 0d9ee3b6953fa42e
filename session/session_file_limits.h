// Numbers of the session file format shared by its writer and its reader.
#pragma once

#include <cstddef>

constexpr char kSessionFileMagic[] = "QLMR ManualSave";
// Every count and length the reader checks lies in 1..65535.
constexpr int kMaxFileCount = 65535;
// A title is stored as at most this many UTF-16 code units.
constexpr std::size_t kMaxStoredTitleUnits = 200;
