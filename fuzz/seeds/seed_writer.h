#pragma once
// Where the seed generators put their files: ROOT/TARGET/NAME, one directory per fuzz target.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class SeedWriter {
 public:
  explicit SeedWriter(std::string root) : mRoot(std::move(root)) {}
  // Aborts when the file cannot be written: a run without its seeds would prove little.
  void Add(const std::string& target, const std::string& name, const Bytes& bytes) const;
  // The same, with a leading byte that picks the target's mode.
  void Add(const std::string& target, const std::string& name, uint8_t mode, const Bytes& bytes) const;

 private:
  std::string mRoot;
};

// The whole file, or aborts.
Bytes ReadFileBytes(const std::string& path);

void WriteFrameworkSeeds(const SeedWriter& seeds);
void WritePropertyListSeeds(const SeedWriter& seeds);
void WritePngSeeds(const SeedWriter& seeds);
void WriteWavSeeds(const SeedWriter& seeds);
void WriteMidiSeeds(const SeedWriter& seeds);
void WriteLV2MidiSeeds(const SeedWriter& seeds);
