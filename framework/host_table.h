#pragma once
// Known host applications: a host code from a host's name or bundle identifier, and a display
// name from a code.

enum EHost {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper,
  kHostProTools,
  kHostCubase,
  kHostNuendo,
  kHostSonar,
  kHostVegas,
  kHostFL,
  kHostSamplitude,
  kHostLive,
  kHostReserved10,
  kHostReserved11,
  kHostMelodyne,
  kHostVSTScanner,
  kHostAULab,
  kHostForte,
  kHostChainer,
  kHostAudition,
  kHostOrion,
  kHostReserved19,
  kHostSAWStudio,
  kHostLogic,
  kHostGarageBand,
  kHostDigitalPerformer,
  kHostStandalone,
  kHostAudioMulch,
  kHostStudioOne,
  kHostVST3TestHost,
  kHostArdour,
  kHostRenoise,
  kHostOpenMPT
};

// Room GetHostNameStr needs: the longest display name and its terminator.
constexpr int kHostNameStrLen = 19;

// Case-insensitive substring search; names longer than 255 characters are searched in their first
// 255. kHostUnknown when nothing matches.
EHost LookUpHost(const char* name);
void GetHostNameStr(EHost host, char* dest);
// dest must hold strlen(src) + 1 bytes.
void ToLower(char* dest, const char* src);
bool IsWhitespace(char c);
