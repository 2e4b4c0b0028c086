// Writes manifest.ttl and the plug-in's description into an LV2 bundle directory at build time, from
// the plug-in it is linked with, so the Turtle always matches the parameters the code declares.
#include <cstdio>
#include <memory>
#include <string>

#include "lv2/ttl_writer.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), pFile) == text.size();
  return std::fclose(pFile) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s BUNDLE_DIR BINARY_NAME UI_BINARY_NAME TTL_NAME\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  std::unique_ptr<IFxLV2> pPlug(MakePlug());
  if (!pPlug) {
    std::fprintf(stderr, "the plug-in could not be constructed\n");
    return 1;
  }
  if (!WriteFile(dir + "/manifest.ttl", LV2ManifestTurtle(kLV2PluginInfo, argv[2], argv[3], argv[4])) ||
      !WriteFile(dir + "/" + argv[4], LV2PluginTurtle(*pPlug, kLV2PluginInfo))) {
    std::fprintf(stderr, "cannot write the Turtle into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
