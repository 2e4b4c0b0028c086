#pragma once
// Standard directories, in this system's desktop conventions.
#include <vector>

#include <Foundation/NSObject.h>

typedef NSUInteger NSSearchPathDirectory;
enum : NSUInteger {
  NSApplicationSupportDirectory = 14,
  NSDesktopDirectory = 12,
  NSDocumentDirectory = 9,
  NSMusicDirectory = 18,
};

typedef NSUInteger NSSearchPathDomainMask;
enum : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
};

// The home directory from $HOME, else the password database; "/" when neither knows it.
NSString NSHomeDirectory();
// User domain: the desktop, the user's data directory ($XDG_DATA_HOME or ~/.local/share), documents
// and music under the home directory. Local and system domains: /usr/local/share and /usr/share for
// application support. Unknown combinations give an empty list. With expandTilde false the home
// directory is written as "~".
std::vector<NSString> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                                          NSSearchPathDomainMask domainMask, bool expandTilde);
