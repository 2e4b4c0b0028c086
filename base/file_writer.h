#pragma once
// Writing a whole file so that a failure never leaves a damaged one behind and the target stays what
// it was: a symbolic link is followed to the file it names; a regular file (or a new one) is written
// under a short temporary name in the same folder, synced and renamed over the target, keeping the old
// file's permissions and owner where possible (new files get 0666 less the umask); a device or FIFO is
// written in place. A regular file without any write permission is refused, even for root, who may
// write everything: the missing write bits are the mark a user puts on a file to keep it.
#include <sys/types.h>

#include <cstddef>
#include <string>

class BRM_FileWriter {
 public:
  BRM_FileWriter() = default;
  // Discards what was written unless Commit succeeded.
  ~BRM_FileWriter();
  BRM_FileWriter(const BRM_FileWriter&) = delete;
  BRM_FileWriter& operator=(const BRM_FileWriter&) = delete;

  // False, with the reason in *error (without the path), when the target cannot be written.
  bool Open(const std::string& path, std::string* error);
  // Writes to the process's standard output, in place, whatever it is.
  bool OpenStandardOutput(std::string* error);
  // What to write to, for writers that need a descriptor; -1 when not open.
  int Descriptor() const { return mDescriptor; }
  // True when the target is written directly (a device or FIFO): nothing can be taken back.
  bool InPlace() const { return mInPlace; }
  // Every byte, or false (with errno set).
  bool Write(const void* bytes, size_t length);
  // Syncs and closes the file and, unless it was written in place, renames it over the target.
  bool Commit(std::string* error);
  void Discard();

 private:
  int mDescriptor = -1;
  bool mInPlace = false;
  std::string mTarget;     // the path after following links
  std::string mTemporary;  // empty when written in place or after Commit
};

// Writes the bytes as the whole file at path. False, with the reason in *error, when it fails.
bool BRM_WriteWholeFile(const std::string& path, const void* bytes, size_t length, std::string* error);
