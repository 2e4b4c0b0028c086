#include "fuzz/seeds/seed_writer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

void SeedWriter::Add(const std::string& target, const std::string& name, const Bytes& bytes) const {
  const std::filesystem::path dir = std::filesystem::path(mRoot) / target;
  std::filesystem::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write the seed %s/%s\n", dir.c_str(), name.c_str());
    std::abort();
  }
}

void SeedWriter::Add(const std::string& target, const std::string& name, uint8_t mode, const Bytes& bytes) const {
  Bytes withMode{mode};
  withMode.insert(withMode.end(), bytes.begin(), bytes.end());
  Add(target, name, withMode);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::abort();
  }
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
