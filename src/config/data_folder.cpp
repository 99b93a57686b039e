#include "config/data_folder.h"

#include <utility>

namespace velk {
namespace {

std::string folder = "data";

}  // namespace

bool localMode = false;

std::string DataFolder() { return folder; }

void SetDataFolder(std::string path) { folder = std::move(path); }

}  // namespace velk
