// Whole files written without damaging what was there: regular files replaced whole and keeping their
// permissions, links followed, devices and FIFOs written in place, read-only files kept.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "base/file_writer.h"

namespace {

class Folder {
 public:
  Folder() {
    char pattern[] = "/tmp/brm_file_writer_XXXXXX";
    mPath = mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~Folder() {
    for (const std::string& name : Names()) unlink(Path(name).c_str());
    rmdir(mPath.c_str());
  }
  std::string Path(const std::string& name) const { return mPath + "/" + name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* folder = opendir(mPath.c_str())) {
      while (const dirent* entry = readdir(folder))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
      closedir(folder);
    }
    return names;
  }

 private:
  std::string mPath;
};

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Put(const std::string& path, const std::string& text, mode_t mode) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), mode);
}

mode_t ModeOf(const std::string& path, bool followLinks = true) {
  struct stat info{};
  (followLinks ? stat : lstat)(path.c_str(), &info);
  return info.st_mode;
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

TEST(FileWriter, RegularFilesAreReplacedWholeAndKeepTheirPermissions) {
  const std::string kNew = "new contents";
  const struct Case {
    const char* what;
    std::function<std::string(const Folder&)> prepare;  // returns the path to write
    bool succeeds;
    std::string expected;  // what the file (or the file a link names) then holds
    mode_t mode;           // of that file; 0: new, from the umask
  } cases[] = {
      {"a new file", [](const Folder& f) { return f.Path("new.bin"); }, true, kNew, 0},
      {"an existing private file",
       [](const Folder& f) {
         Put(f.Path("private.bin"), "old", 0600);
         return f.Path("private.bin");
       },
       true, kNew, 0600},
      {"a name of 255 bytes", [](const Folder& f) { return f.Path(std::string(255, 'n')); }, true, kNew, 0},
      {"a read-only file",
       [](const Folder& f) {
         Put(f.Path("kept.bin"), "old", 0444);
         return f.Path("kept.bin");
       },
       false, "old", 0444},
      {"a symbolic link to a file",
       [](const Folder& f) {
         Put(f.Path("target.bin"), "old", 0640);
         symlink("target.bin", f.Path("link.bin").c_str());
         return f.Path("link.bin");
       },
       true, kNew, 0640},
      {"a link to a file not yet there",
       [](const Folder& f) {
         symlink(f.Path("later.bin").c_str(), f.Path("dangling-link.bin").c_str());
         return f.Path("dangling-link.bin");
       },
       true, kNew, 0},
      {"a folder", [](const Folder& f) { return f.Path(""); }, false, "", 0},
      {"a place that does not exist", [](const Folder& f) { return f.Path("missing/file.bin"); }, false, "", 0},
  };
  for (const Case& c : cases) {
    Folder folder;
    const std::string path = c.prepare(folder);
    const std::vector<std::string> before = folder.Names();
    std::string error;
    EXPECT_EQ(BRM_WriteWholeFile(path, kNew.data(), kNew.size(), &error), c.succeeds) << c.what << ": " << error;
    EXPECT_EQ(error.empty(), c.succeeds) << c.what;
    if (c.succeeds || !c.expected.empty()) {
      EXPECT_EQ(Contents(path), c.expected) << c.what;
      EXPECT_EQ(ModeOf(path) & 07777, c.mode ? c.mode : 0666 & ~CurrentUmask()) << c.what;
    }
    // Nothing but the target (and a file a link names) appears, and a link stays a link.
    for (const std::string& name : folder.Names()) {
      const bool expected = std::find(before.begin(), before.end(), name) != before.end() ||
                            path.ends_with("/" + name) || name == "later.bin";
      EXPECT_TRUE(expected) << c.what << ": left " << name;
    }
    if (path.ends_with("link.bin")) {
      EXPECT_TRUE(S_ISLNK(ModeOf(path, false))) << c.what;
    }
  }
}

TEST(FileWriter, DevicesAreWrittenInPlaceAndAFullOneFails) {
  const std::string bytes(100000, 'x');
  std::string error;
  EXPECT_TRUE(BRM_WriteWholeFile("/dev/null", bytes.data(), bytes.size(), &error)) << error;
  EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
  EXPECT_FALSE(BRM_WriteWholeFile("/dev/full", bytes.data(), bytes.size(), &error));
  EXPECT_EQ(error, std::strerror(ENOSPC));
  EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
}

TEST(FileWriter, AFifoIsWrittenInPlace) {
  Folder folder;
  const std::string path = folder.Path("pipe");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream fifo(path, std::ios::binary);
    std::ostringstream text;
    text << fifo.rdbuf();
    received = text.str();
  });
  const std::string bytes(200000, 'f');  // more than a pipe holds at once
  std::string error;
  EXPECT_TRUE(BRM_WriteWholeFile(path, bytes.data(), bytes.size(), &error)) << error;
  reader.join();
  EXPECT_EQ(received, bytes);
  EXPECT_TRUE(S_ISFIFO(ModeOf(path)));
}

TEST(FileWriter, AnUncommittedFileLeavesNothing) {
  Folder folder;
  Put(folder.Path("old.bin"), "old", 0644);
  {
    BRM_FileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(folder.Path("old.bin"), &error)) << error;
    ASSERT_TRUE(writer.Write("partial", 7));
  }
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"old.bin"});
  EXPECT_EQ(Contents(folder.Path("old.bin")), "old");
}

}  // namespace
