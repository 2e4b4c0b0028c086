#pragma once
// File panels. A display without a file chooser answers every panel with Cancel and no file.
#include <vector>

#include <Foundation/NSObject.h>
#include <Foundation/NSURL.h>

typedef NSInteger NSModalResponse;
enum : NSInteger { NSModalResponseCancel = 0, NSModalResponseOK = 1, NSCancelButton = 0, NSOKButton = 1 };

class NSSavePanel : public NSObject {
 public:
  // Autoreleased.
  static NSSavePanel* savePanel();

  void setAllowedFileTypes(const std::vector<NSString>& types) { mAllowedFileTypes = types; }
  const std::vector<NSString>& allowedFileTypes() const { return mAllowedFileTypes; }
  void setAllowsOtherFileTypes(bool flag) { mAllowsOtherFileTypes = flag; }
  void setDirectory(const NSString& directory) { mDirectory = directory; }
  void setNameFieldStringValue(const NSString& name) { mName = name; }

  NSModalResponse runModal();
  NSModalResponse runModalForDirectory(const NSString& directory, const NSString& file);
  // The chosen path; empty until a run ends with OK.
  NSString filename() const { return mChosen; }
  NSURL* URL() const;

 protected:
  NSSavePanel() = default;
  bool mChoosesExisting = false;
  bool mCanChooseFiles = true;
  bool mCanChooseDirectories = false;
  bool mResolvesAliases = true;

 private:
  std::vector<NSString> mAllowedFileTypes;
  bool mAllowsOtherFileTypes = false;
  NSString mDirectory;
  NSString mName;
  NSString mChosen;
};

class NSOpenPanel : public NSSavePanel {
 public:
  // Autoreleased.
  static NSOpenPanel* openPanel();

  void setCanChooseFiles(bool flag) { mCanChooseFiles = flag; }
  void setCanChooseDirectories(bool flag) { mCanChooseDirectories = flag; }
  void setResolvesAliases(bool flag) { mResolvesAliases = flag; }
  NSModalResponse runModalForDirectory(const NSString& directory, const NSString& file,
                                       const std::vector<NSString>& types);
  std::vector<NSString> filenames() const;

 private:
  NSOpenPanel() { mChoosesExisting = true; }
};
